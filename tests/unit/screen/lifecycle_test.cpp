// The screen's life against a real application server: opening through the
// module entries, creation in both branch modes, the first and later
// activations, closing and reopening, and a server that is not there.
#include <map>
#include <stdexcept>

#include "framework/GeneralDatabase.h"
#include "framework/Helpers.h"
#include "framework/Picture.h"
#include "screen_fixture.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/Input.h"
#include "toolkit/data/Abort.h"

namespace screen_test {
namespace {

using Kind = toolkit::RecordingDialogs::Kind;
using Strings = std::vector<std::string>;

class CursorLog : public toolkit::ApplicationObserver {
 public:
  void CursorChanged(int cursor) override { cursors.push_back(cursor); }
  std::vector<int> cursors;
};

using Values = std::map<std::string, std::string>;

// Rows given by field name, in the layout of the dataset.
packet::DataPacket Rows(toolkit::ClientDataSet& data, const std::vector<Values>& rows) {
  packet::DataPacket p = data.Data();
  p.rows.clear();
  for (const Values& values : rows) {
    packet::Row row(p.fields.size());
    for (std::size_t i = 0; i < p.fields.size(); ++i) {
      auto it = values.find(p.fields[i].name);
      if (it != values.end()) row[i] = packet::Value(it->second);
    }
    p.rows.push_back(std::move(row));
  }
  return p;
}

class Lifecycle : public ScreenTest {
 protected:
  TfrmPropPass& Create() { return toolkit::Application::Instance().CreateForm<TfrmPropPass>(); }
  toolkit::Form& Other() { return toolkit::Application::Instance().CreateForm<toolkit::Form>(); }
};

TEST_F(Lifecycle, OpeningConnectsLoadsAndShowsTheHostsBranch) {
  framework::Host().filiProc = "0002";
  framework::Host().dbPict = "9.99.9999";
  CursorLog cursor;
  toolkit::Application::Instance().AddObserver(&cursor);
  TfrmPropPass& f = Open();
  toolkit::Application::Instance().RemoveObserver(&cursor);

  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(cursor.cursors, (std::vector<int>{toolkit::crHourGlass, toolkit::crDefault}));
  EXPECT_TRUE(boStCriado);
  EXPECT_EQ(frmPropPass, &f);
  // The connection's address comes from the host, through BeforeConnect,
  // with the wait indicator up while it connects.
  EXPECT_TRUE(f.netPropPass->Connected());
  EXPECT_EQ(f.netPropPass->Port(), Backend::Get().Port());
  EXPECT_EQ(f.netPropPass->Host(), "127.0.0.1");
  ASSERT_GE(dialogs.Log().size(), 2u);
  EXPECT_EQ(dialogs.Log()[0].kind, Kind::Wait);
  EXPECT_EQ(dialogs.WaitKind(), 0);
  EXPECT_EQ(dialogs.Log()[1].kind, Kind::WaitHidden);
  EXPECT_FALSE(dialogs.WaitShown());
  // Both product-code fields take the host's picture.
  EXPECT_EQ(f.cdsPropServicoCDARVPROD->EditMask(), framework::DBPict(0));
  EXPECT_EQ(f.qryServicoCiaPesqCDARVPROD->EditMask(), framework::DBPict(0));
  EXPECT_NE(framework::DBPict(0).find("9.99.9999"), std::string::npos);
  // The host's branch is the default of an unbound installation.
  EXPECT_EQ(f.edtfilial->Text(), "0002");
  EXPECT_EQ(f.edtNmfilial->Text(), "Cozinha Galeão");
  // First activation: the ranges of the (empty) context, by branch only;
  // the focus then enters the header, which loads ranges and services for
  // the same context again.
  EXPECT_EQ(calls.Count("GetQtdePropServico"), 2);
  EXPECT_EQ(calls.Count("GetPropServico"), 1);
  EXPECT_EQ(calls.Count("GetCompanhia"), 0);
  EXPECT_EQ(calls.Last("GetQtdePropServico"), (Strings{"0002", "", "", "", "", "", ""}));
  EXPECT_EQ(f.cdsQtdePropServico->State(), toolkit::DataSetState::dsBrowse);
  EXPECT_TRUE(boActive);
  EXPECT_EQ(f.ActiveControl(), f.medSgCia);
  EXPECT_EQ(f.WindowState(), toolkit::WindowState::wsNormal);

  // Each connect asks the host again.
  framework::Host().webPort = ClosedPort();
  f.netPropPass->SetConnected(false);
  f.netPropPass->SetConnected(true);
  EXPECT_FALSE(f.netPropPass->Connected());
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_NE(dialogs.Messages()[0].find(":" + std::to_string(framework::Host().webPort)), std::string::npos);
}

TEST_F(Lifecycle, UnboundBranchControlsFollowTheHeader) {
  TfrmPropPass& f = Create();
  for (toolkit::Control* c : std::initializer_list<toolkit::Control*>{f.lblfilial, f.edtfilial, f.btnfilial}) {
    EXPECT_EQ(c->Tag(), 0) << c->Name();
    EXPECT_TRUE(c->Enabled()) << c->Name();
  }
  EXPECT_EQ(f.edtNmfilial->Tag(), 99);
  EXPECT_EQ(f.edtfilial->Text(), "0001");
  EXPECT_EQ(f.edtNmfilial->Text(), "Cozinha Guarulhos");
  EXPECT_EQ(f.ActiveControl(), nullptr);  // only a bound screen focuses the airline itself
  EXPECT_FALSE(boActive);
  framework::SetChildEnabled(*f.panPlaVooCia, false);
  EXPECT_FALSE(f.edtfilial->Enabled());
  EXPECT_FALSE(f.btnfilial->Enabled());
}

TEST_F(Lifecycle, BoundBranchControlsStayFixed) {
  framework::Host().moduFili = true;
  framework::Host().filiProc = "0003";
  boActive = true;  // left over from an earlier instance
  TfrmPropPass& f = Create();
  EXPECT_FALSE(boActive);
  for (toolkit::Control* c : std::initializer_list<toolkit::Control*>{f.lblfilial, f.edtfilial, f.btnfilial}) {
    EXPECT_EQ(c->Tag(), 99) << c->Name();
    EXPECT_FALSE(c->Enabled()) << c->Name();
  }
  EXPECT_EQ(f.edtfilial->Text(), "0003");
  EXPECT_EQ(f.edtNmfilial->Text(), "Cozinha Brasília");
  EXPECT_EQ(f.ActiveControl(), f.medSgCia);
  framework::SetChildEnabled(*f.panPlaVooCia, true);
  EXPECT_FALSE(f.edtfilial->Enabled());
  EXPECT_TRUE(f.medSgCia->Enabled());
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(Lifecycle, FirstActivationLoadsTheRangesOfTheHeadersContextOnce) {
  TfrmPropPass& f = Create();
  f.medSgCia->SetText("ASUL");
  f.medNrVoo->SetText("1110");
  // The leg chosen is the second of the list.
  f.cdsListaTrecho->SetData(Rows(*f.cdsListaTrecho, {{{"CDTRECHO", "02"}}, {{"CDTRECHO", "01"}}}));
  f.cbbTrecho->SetItems({"GIG-SSA", "GRU-GIG"});
  f.cbbTrecho->SetItemIndex(1);
  f.cdsPropServico->SetData(
      Rows(*f.cdsPropServico, {{{"CDSERVICO", "10101001"}, {"CDCLASSE", "0001"}, {"CDCICLO", "0001"}}}));
  int spied = 0;
  f.dtsQtdePropServico->OnStateChange = [&](toolkit::DataSource&) { ++spied; };
  // The load of the service list reloaded its first service's ranges.
  calls.calls.clear();

  f.Show();
  EXPECT_EQ(calls.Last("GetQtdePropServico"),
            (Strings{"0001", "ASUL", "10101001", "0001", "0001", "1110", "01"}));
  ASSERT_EQ(f.cdsQtdePropServico->RecordCount(), 3);
  EXPECT_EQ(f.cdsQtdePropServicoQTPAXATE->AsString(), "20");
  // Loaded without state-change handling, then the screen's own handler.
  EXPECT_EQ(spied, 0);
  ASSERT_TRUE(static_cast<bool>(f.dtsQtdePropServico->OnStateChange));
  f.cdsQtdePropServico->Edit();
  f.cdsQtdePropServico->Cancel();
  EXPECT_EQ(spied, 0);
  EXPECT_TRUE(boActive);
  EXPECT_EQ(f.RefreshCount(), 1);

  // Switching windows afterwards only repaints.
  const std::size_t made = calls.calls.size();
  toolkit::input::SwitchAway(f, Other());
  toolkit::input::SwitchAway(f, Other());
  EXPECT_EQ(calls.calls.size(), made);
  EXPECT_EQ(f.RefreshCount(), 3);
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(Lifecycle, OpeningTwiceKeepsOneScreenAndRestoresIt) {
  TfrmPropPass& f = Open();
  const int loads = calls.Count("GetQtdePropServico");
  f.medSgCia->SetText("ASUL");
  f.medNrVoo->SetFocus();
  f.SetWindowState(toolkit::WindowState::wsMinimized);
  CursorLog cursor;
  toolkit::Application::Instance().AddObserver(&cursor);
  CriaProporServPass();
  EXPECT_EQ(frmPropPass, &f);
  EXPECT_EQ(toolkit::Application::Instance().Forms().size(), 1u);
  EXPECT_EQ(f.WindowState(), toolkit::WindowState::wsNormal);
  EXPECT_EQ(f.ActiveControl(), f.medSgCia);
  EXPECT_EQ(f.medSgCia->Text(), "ASUL");
  EXPECT_EQ(cursor.cursors, (std::vector<int>{toolkit::crHourGlass, toolkit::crDefault}));

  // The plain entry does the same.
  f.medNrVoo->SetFocus();
  f.SetWindowState(toolkit::WindowState::wsMaximized);
  IniProc();
  toolkit::Application::Instance().RemoveObserver(&cursor);
  EXPECT_EQ(frmPropPass, &f);
  EXPECT_EQ(f.WindowState(), toolkit::WindowState::wsNormal);
  EXPECT_EQ(f.ActiveControl(), f.medSgCia);
  EXPECT_EQ(calls.Count("GetQtdePropServico"), loads);  // no second first activation
}

TEST_F(Lifecycle, ReopeningWhileTheHeaderIsLockedKeepsTheFocus) {
  TfrmPropPass& f = Open();
  f.panPlaVooCia->OnExit = nullptr;  // the header's own checks are not under test
  f.dbgPadrao->SetFocus();
  framework::SetChildEnabled(*f.panPlaVooCia, false);
  EXPECT_NO_THROW(CriaProporServPass());
  EXPECT_EQ(f.ActiveControl(), f.dbgPadrao);
}

TEST_F(Lifecycle, ClosingClearsTheFlagAndReopeningCreatesAFreshScreen) {
  TfrmPropPass& first = Open();
  bool disconnected = false;
  first.netPropPass->AfterDisconnect = [&](framework::TNetConnection&) { disconnected = true; };
  toolkit::input::CloseForm(first);
  EXPECT_FALSE(boStCriado);
  EXPECT_TRUE(disconnected);
  EXPECT_TRUE(toolkit::Application::Instance().Forms().empty());  // disposed of

  const std::size_t mark = calls.calls.size();
  TfrmPropPass& second = Open();
  EXPECT_TRUE(boStCriado);
  EXPECT_EQ(frmPropPass, &second);
  EXPECT_EQ(toolkit::Application::Instance().Forms().size(), 1u);
  EXPECT_TRUE(second.netPropPass->Connected());
  // The new instance's first activation loads again.
  ASSERT_GT(calls.calls.size(), mark);
  EXPECT_EQ(calls.calls[mark].method, "GetQtdePropServico");
  EXPECT_TRUE(boActive);
}

TEST_F(Lifecycle, RefusedConnectionIsShownAndTheScreenOpensAllTheSame) {
  const std::uint16_t port = ClosedPort();
  framework::Host().webPort = port;
  CriaProporServPass();  // the failure is shown once, the screen opens
  ASSERT_NE(frmPropPass, nullptr);
  TfrmPropPass& f = *frmPropPass;
  std::vector<std::string> shown = dialogs.TakeMessages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].rfind("Não foi possível conectar ao servidor de aplicação 127.0.0.1:" + std::to_string(port), 0),
            0u)
      << shown[0];
  EXPECT_TRUE(boStCriado);
  EXPECT_FALSE(boActive);
  EXPECT_FALSE(f.netPropPass->Connected());
  EXPECT_TRUE(f.Visible());
  EXPECT_EQ(toolkit::Application::Instance().Cursor(), toolkit::crDefault);
  EXPECT_EQ(f.cdsQtdePropServico->State(), toolkit::DataSetState::dsInactive);
  EXPECT_TRUE(static_cast<bool>(f.dtsQtdePropServico->OnStateChange));

  // Still down: the next activation tries again.
  toolkit::input::SwitchAway(f, Other());
  EXPECT_EQ(dialogs.TakeMessages().size(), 1u);
  EXPECT_EQ(calls.Count("GetQtdePropServico"), 1);
  EXPECT_FALSE(boActive);

  // Back: the next activation loads and the later ones only repaint.
  std::unique_ptr<rpc::Server> back = Backend::Get().StartServer(port);
  toolkit::input::SwitchAway(f, Other());
  toolkit::input::SwitchAway(f, Other());
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(calls.Count("GetQtdePropServico"), 2);
  EXPECT_TRUE(boActive);
  EXPECT_EQ(f.cdsQtdePropServico->State(), toolkit::DataSetState::dsBrowse);
  f.netPropPass->SetConnected(false);
}

TEST_F(Lifecycle, FailedCreationLeavesNothingBehind) {
  framework::dtmDBGeral->adcGeral->Close();
  EXPECT_THROW(CriaProporServPass(), std::logic_error);
  EXPECT_FALSE(boStCriado);
  EXPECT_EQ(frmPropPass, nullptr);
  EXPECT_TRUE(toolkit::Application::Instance().Forms().empty());
  EXPECT_EQ(toolkit::Application::Instance().Cursor(), toolkit::crDefault);

  framework::dtmDBGeral->adcGeral->Open(Backend::Get().DatabaseUrl());
  TfrmPropPass& f = Open();
  EXPECT_TRUE(boStCriado);
  EXPECT_EQ(frmPropPass, &f);
}

TEST_F(Lifecycle, OnlyTheFirstUnitStartClearsTheCreatedFlag) {
  boStCriado = true;
  Cli_ate11600_Initialization();
  EXPECT_FALSE(boStCriado);
  boStCriado = true;
  Cli_ate11600_Initialization();
  EXPECT_TRUE(boStCriado);
  Cli_ate11600_Finalization();
  Cli_ate11600_Finalization();
  EXPECT_TRUE(boStCriado);  // shut-down frees and clears nothing
  Cli_ate11600_Initialization();
  EXPECT_FALSE(boStCriado);
  Cli_ate11600_Finalization();
}

}  // namespace
}  // namespace screen_test

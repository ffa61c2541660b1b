// The save of a stored range as the screen and the host see it (wait
// indicator, repaint suspension, a failed save), and the command and key
// handlers where their buttons cannot reach: a disabled command, a flight
// without services.
#include "appserver/db/Soci.h"

#include <functional>

#include "framework/GeneralDatabase.h"
#include "screen_fixture.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/Keys.h"
#include "toolkit/data/Abort.h"

namespace screen_test {
namespace {

using Strings = std::vector<std::string>;

// The call log, with a look at the screen as each call leaves.
class Spy : public CallLog {
 public:
  void Called(const std::string& method, const std::vector<rpc::Param>& params) override {
    CallLog::Called(method, params);
    if (onCall) onCall(method);
  }
  std::function<void(const std::string&)> onCall;
};

// Renames the server's change-log table for its lifetime: every save
// fails on the server while the rest reads as usual.
class LogTableAway {
 public:
  LogTableAway() { Run("ALTER TABLE PROPSERVICO_LOG RENAME TO PROPSERVICO_LOG_AWAY"); }
  ~LogTableAway() { Run("ALTER TABLE PROPSERVICO_LOG_AWAY RENAME TO PROPSERVICO_LOG"); }

 private:
  static void Run(const char* sql) { framework::dtmDBGeral->adcGeral->Session() << sql; }
};

class RangeSaving : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    framework::TNetConnection::SetCallObserver(&spy);
  }
  TfrmPropPass& OnFlight(const std::string& flight = "1110") {
    TfrmPropPass& f = Open();
    f.medSgCia->SetText("ASUL");
    f.medNrVoo->SetFocus();
    f.medNrVoo->SetText(flight);
    f.dbgPadrao->SetFocus();
    // Without services the range grid is off.
    if (f.dbgQtdePropServico->CanFocus()) f.dbgQtdePropServico->SetFocus();
    EXPECT_TRUE(dialogs.Messages().empty());
    return f;
  }
  // The first range's quantity through the grid's dataset, then stored.
  static void SaveQuantity(TfrmPropPass& f, double quantity) {
    f.cdsQtdePropServico->First();
    f.cdsQtdePropServico->Edit();
    f.cdsQtdePropServicoQTSERVICO->SetAsFloat(quantity);
    f.cdsQtdePropServico->Post();
  }
  Spy spy;
};

TEST_F(RangeSaving, TheSaveRunsUnderTheWaitIndicatorAndOneRepaintSuspension) {
  TfrmPropPass& f = OnFlight();
  toolkit::Application& app = toolkit::Application::Instance();
  const int resumes = app.RepaintResumeCount();
  bool suspended = false, waiting = false;
  spy.onCall = [&](const std::string& method) {
    if (method != "SetQtdePropServico") return;
    suspended = app.RepaintSuspended();
    waiting = dialogs.WaitShown();
  };
  dialogs.Clear();
  SaveQuantity(f, 3);
  SaveQuantity(f, 2);  // the demo's value again
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_TRUE(suspended);
  EXPECT_TRUE(waiting);
  EXPECT_EQ(dialogs.WaitKind(), 1);
  EXPECT_FALSE(dialogs.WaitShown());
  EXPECT_FALSE(app.RepaintSuspended());
  EXPECT_EQ(app.RepaintResumeCount(), resumes + 2);
  int waits = 0;
  for (const auto& e : dialogs.Log())
    if (e.kind == toolkit::RecordingDialogs::Kind::Wait) {
      ++waits;
      EXPECT_EQ(e.text, "Atualizando Servidor...");
    }
  EXPECT_EQ(waits, 2);
  EXPECT_EQ(f.cdsQtdePropServico->ChangeCount(), 0);
}

TEST_F(RangeSaving, AFailedSaveIsShownKeepsTheChangeAndLetsTheScreenRepaint) {
  TfrmPropPass& f = OnFlight();
  toolkit::Application& app = toolkit::Application::Instance();
  {
    LogTableAway away;
    EXPECT_THROW(SaveQuantity(f, 7), toolkit::EAbort);
  }
  ASSERT_EQ(dialogs.TakeMessages().size(), 1U);
  EXPECT_FALSE(app.RepaintSuspended());
  EXPECT_FALSE(dialogs.WaitShown());
  EXPECT_EQ(f.cdsQtdePropServico->State(), toolkit::DataSetState::dsBrowse);
  EXPECT_EQ(f.cdsQtdePropServico->ChangeCount(), 1);
  EXPECT_EQ(f.cdsQtdePropServicoQTSERVICO->AsString(), "7");
  EXPECT_FALSE(f.panNavigator->Enabled());

  // The next save carries it; the demo's value is put back the same way.
  SaveQuantity(f, 2);
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(f.cdsQtdePropServico->ChangeCount(), 0);
  EXPECT_TRUE(f.panNavigator->Enabled());
  EXPECT_EQ(f.cdsQtdePropServicoQTSERVICO->AsString(), "2");
}

TEST_F(RangeSaving, StoredBoundsRefuseDeleteWithAnyShiftAndEveryCharacterButEnter) {
  TfrmPropPass& f = OnFlight();
  for (const char* name : {"QTPAXDE", "QTPAXATE"}) {
    f.dbgQtdePropServico->SetSelectedField(&f.cdsQtdePropServico->FieldByName(name));
    for (toolkit::ShiftState shift : {0u, unsigned{toolkit::ssShift}, unsigned{toolkit::ssCtrl}, unsigned{toolkit::ssAlt}}) {
      toolkit::Word key = toolkit::VK_DELETE;
      f.dbgQtdePropServicoKeyDown(*f.dbgQtdePropServico, key, shift);
      EXPECT_EQ(key, 0) << name << " " << shift;
    }
    toolkit::Word other = toolkit::VK_INSERT;
    f.dbgQtdePropServicoKeyDown(*f.dbgQtdePropServico, other, 0);
    EXPECT_EQ(other, toolkit::VK_INSERT);
    for (char32_t typed : {U'5', U'a', U'\b', U' '}) {
      char32_t key = typed;
      f.dbgQtdePropServicoKeyPress(*f.dbgQtdePropServico, key);
      EXPECT_EQ(key, 0U) << name;
    }
    char32_t enter = U'\r';
    f.dbgQtdePropServicoKeyPress(*f.dbgQtdePropServico, enter);
    EXPECT_EQ(enter, U'\r');
  }
  // The quantity takes anything; so do a new range's bounds.
  f.dbgQtdePropServico->SetSelectedField(f.cdsQtdePropServicoQTSERVICO);
  char32_t digit = U'5';
  f.dbgQtdePropServicoKeyPress(*f.dbgQtdePropServico, digit);
  EXPECT_EQ(digit, U'5');
  f.cdsQtdePropServico->Insert();
  f.dbgQtdePropServico->SetSelectedField(f.cdsQtdePropServicoQTPAXDE);
  toolkit::Word del = toolkit::VK_DELETE;
  f.dbgQtdePropServicoKeyDown(*f.dbgQtdePropServico, del, 0);
  EXPECT_EQ(del, toolkit::VK_DELETE);
  f.cdsQtdePropServico->Cancel();
}

TEST_F(RangeSaving, IncludeAndAlterOutsideBrowseChangeNoState) {
  TfrmPropPass& f = OnFlight();
  f.cdsQtdePropServico->Edit();
  f.sbtIncluirClick(*f.sbtIncluir);
  EXPECT_EQ(f.cdsQtdePropServico->State(), toolkit::DataSetState::dsEdit);
  EXPECT_EQ(f.cdsQtdePropServico->RecordCount(), 3);
  f.dbgQtdePropServico->SetSelectedField(f.cdsQtdePropServicoQTPAXDE);
  f.sbtAlterarClick(*f.sbtAlterar);
  EXPECT_EQ(f.dbgQtdePropServico->SelectedField(), f.cdsQtdePropServicoQTSERVICO);
  EXPECT_EQ(f.cdsQtdePropServico->State(), toolkit::DataSetState::dsEdit);
  f.cdsQtdePropServico->Cancel();
  // A service being inserted: include from the service grid does nothing.
  f.dbgPadrao->SetFocus();
  f.cdsPropServico->Insert();
  f.sbtIncluirClick(*f.sbtIncluir);
  EXPECT_EQ(f.cdsPropServico->State(), toolkit::DataSetState::dsInsert);
  EXPECT_EQ(f.cdsQtdePropServico->State(), toolkit::DataSetState::dsBrowse);
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(RangeSaving, VerifyOnAFlightWithoutServicesAsksForRangesWithBlankKeys) {
  TfrmPropPass& f = OnFlight("1117");
  ASSERT_EQ(f.cdsPropServico->RecordCount(), 0);
  spy.calls.clear();
  f.sbtVerificarClick(*f.sbtVerificar);
  EXPECT_EQ(spy.Count("GetPropServico"), 1);
  EXPECT_EQ(spy.Count("GetQtdePropServico"), 1);
  EXPECT_EQ(spy.Last("GetQtdePropServico"), (Strings{"0001", "0101", "", "", "", "1117", "01"}));
  EXPECT_EQ(f.cdsPropServico->RecordCount(), 0);
}

}  // namespace
}  // namespace screen_test

// The small framework services: pictures, code fitting, blank checks,
// message lists, enabling of a container's children, column lookup,
// server answers and resource texts.
#include <gtest/gtest.h>

#include "framework/Helpers.h"
#include "framework/Messages.h"
#include "framework/Picture.h"
#include "framework/Resources.h"
#include "framework/ServerAnswer.h"
#include "framework_fixture.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Label.h"
#include "toolkit/data/Abort.h"

namespace framework_test {
namespace {

using framework::Ajusta;
using framework::EmptyString;

TEST(Picture, MaskAndLevelsFollowTheHostPicture) {
  framework::HostSettings saved = framework::Host();
  framework::Host().dbPict = "99.99.999";
  EXPECT_EQ(framework::DBPict(0), "99.99.999;1;_");
  EXPECT_EQ(framework::DBPictObj(0).GetTtNiveis(), 3);
  framework::Host().dbPict = "9999-99";
  EXPECT_EQ(framework::DBPictObj(0).GetTtNiveis(), 2);
  EXPECT_THROW(framework::DBPict(1), std::invalid_argument);
  framework::Host().dbPict = "";
  EXPECT_THROW(framework::DBPict(0), std::invalid_argument);
  framework::Host() = saved;
}

TEST(Text, AjustaPadsWithLeadingZerosAndKeepsWideCodes) {
  EXPECT_EQ(Ajusta("1", 4), "0001");
  EXPECT_EQ(Ajusta(" 12 ", 4), "0012");
  EXPECT_EQ(Ajusta("", 4), "0000");
  EXPECT_EQ(Ajusta("0003", 4), "0003");
  EXPECT_EQ(Ajusta("12345", 4), "12345");
  EXPECT_EQ(Ajusta("AB", 4), "00AB");
}

TEST(Text, EmptyStringMeansEmptyOrBlank) {
  EXPECT_TRUE(EmptyString(""));
  EXPECT_TRUE(EmptyString("   "));
  EXPECT_TRUE(EmptyString(" \t "));
  EXPECT_FALSE(EmptyString(" a "));
  EXPECT_FALSE(EmptyString("0"));
}

class Services : public FrameworkTest {};

TEST_F(Services, MessagesLookUpAndShowByKind) {
  framework::TMessages list;
  list.SetName("msgTeste");
  list.Add("Excl", "Confirma Exclusão?");
  list.Add("Erro", "Deu errado.");
  EXPECT_EQ(list.Msg("Excl"), "Confirma Exclusão?");
  EXPECT_THROW(list.Msg("excl"), std::invalid_argument);
  try {
    list.Msg("Nada");
    FAIL();
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("msgTeste"), std::string::npos);
  }
  dialogs.QueueAnswer(true);
  dialogs.QueueAnswer(false);
  EXPECT_EQ(list.ShowMsg("Excl", framework::mtConfirmation, framework::mbYes | framework::mbNo), toolkit::mrYes);
  EXPECT_EQ(list.ShowMsg("Excl", framework::mtConfirmation, framework::mbYes | framework::mbNo), toolkit::mrNo);
  EXPECT_EQ(list.ShowMsg("Erro", framework::mtError, framework::mbOK), toolkit::mrOk);
  ASSERT_EQ(dialogs.Log().size(), 3u);
  EXPECT_EQ(dialogs.Log()[0].kind, toolkit::RecordingDialogs::Kind::Confirmation);
  EXPECT_EQ(dialogs.Log()[2].kind, toolkit::RecordingDialogs::Kind::Error);
}

TEST_F(Services, MensErroShowsAndAbortsOnlyWhenAsked) {
  EXPECT_THROW(framework::MensErro("Falhou.", true), toolkit::EAbort);
  EXPECT_NO_THROW(framework::MensErro("Aviso.", false));
  EXPECT_EQ(dialogs.TakeMessages(), (std::vector<std::string>{"Falhou.", "Aviso."}));
}

TEST_F(Services, SetChildEnabledLeavesTag99AndGrandchildrenAlone) {
  toolkit::Panel panel;
  auto* plain = new toolkit::Edit(&panel);
  plain->SetParent(&panel);
  auto* fixed = new toolkit::Edit(&panel);
  fixed->SetParent(&panel);
  fixed->SetTag(99);
  auto* inner = new toolkit::Panel(&panel);
  inner->SetParent(&panel);
  auto* deep = new toolkit::Edit(&panel);
  deep->SetParent(inner);
  framework::SetChildEnabled(panel, false);
  EXPECT_FALSE(plain->Enabled());
  EXPECT_TRUE(fixed->Enabled());
  EXPECT_FALSE(inner->Enabled());
  EXPECT_TRUE(deep->Enabled());
  fixed->SetEnabled(false);
  framework::SetChildEnabled(panel, true);
  EXPECT_TRUE(plain->Enabled());
  EXPECT_FALSE(fixed->Enabled());
}

TEST_F(Services, IndiceColFindsTheColumnOfAField) {
  toolkit::DBGrid grid;
  grid.AddColumn("CDARVPROD");
  grid.AddColumn("NMPRODUTO");
  EXPECT_EQ(framework::IndiceCol(grid, "NMPRODUTO"), 1);
  EXPECT_EQ(framework::IndiceCol(grid, "cdarvprod"), 0);
  EXPECT_EQ(framework::IndiceCol(grid, "SGCLASSE"), -1);
}

TEST_F(Services, CheckResultServGivesThePacketOrReportsAndAborts) {
  auto ok = framework::ServerAnswer::Success(
      R"({"fields":[{"name":"MAXPAX","type":"float"}],"rows":[[20.0]]})");
  packet::DataPacket data = framework::CheckResultServ(ok, true, 0);
  ASSERT_EQ(data.rows.size(), 1u);
  EXPECT_TRUE(framework::CheckResultServ(framework::ServerAnswer::Success("{ }"), true, 0).fields.empty());

  auto refused = framework::ServerAnswer::Failure(1002, "Um intervalo de passageiros não pode sobrepor outro.");
  EXPECT_THROW(framework::CheckResultServ(refused, true, 0), toolkit::EAbort);
  EXPECT_NO_THROW(framework::CheckResultServ(refused, false, 0));
  // An answer that is no data packet must not pass as one.
  EXPECT_THROW(framework::CheckResultServ(framework::ServerAnswer::Success("[1,2]"), true, 0), toolkit::EAbort);
  auto messages = dialogs.TakeMessages();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0], refused.message);
  EXPECT_NE(messages[2].find("Resposta inválida"), std::string::npos);
}

TEST_F(Services, ResourcesReplaceKnownKeysAndCaptionsOnly) {
  toolkit::Form form;
  form.SetName("frmTeste");
  auto* list = new framework::TMessages(&form);
  list->SetName("msgPadrao");
  list->Add("Excl", "Confirma Exclusão?");
  auto* label = new toolkit::Label(&form);
  label->SetName("lblfilial");
  label->SetCaption("Filial");
  framework::SetResourceTable({{"msgPadrao.Excl", "Confirm deletion?"},
                               {"msgPadrao.Novo", "never asked"},
                               {"lblfilial.Caption", "Branch"},
                               {"frmTeste.Caption", "Test"}});
  framework::ApplyResources(form);
  framework::SetResourceTable({});
  EXPECT_EQ(list->Msg("Excl"), "Confirm deletion?");
  EXPECT_FALSE(list->Contains("Novo"));
  EXPECT_EQ(label->Caption(), "Branch");
  EXPECT_EQ(form.Caption(), "Test");
}

}  // namespace
}  // namespace framework_test

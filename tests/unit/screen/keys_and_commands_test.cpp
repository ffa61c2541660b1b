// The screen-wide keys that switch between the two grids, and the command
// rule while the range grid is in use.
#include "screen_fixture.h"
#include "toolkit/controls/Input.h"

namespace screen_test {
namespace {

using toolkit::ssAlt;
using toolkit::ssCtrl;
using toolkit::ssShift;
using toolkit::VK_NEXT;
using toolkit::VK_PRIOR;

using ScreenKeys = ScreenTest;

TEST_F(ScreenKeys, AltPageDownAndUpSwitchGridsAndConsumeTheKey) {
  TfrmPropPass& f = Open();
  ASSERT_EQ(f.ActiveControl(), f.medSgCia);
  // Leaving the header loads the flight's services; the range grid can
  // take the focus only once there are some.
  f.medSgCia->SetText("ASUL");
  f.medNrVoo->SetFocus();
  f.medNrVoo->SetText("1110");
  toolkit::input::Key(f, VK_NEXT, ssAlt);
  EXPECT_EQ(f.ActiveControl(), f.medNrVoo);
  toolkit::input::Key(f, VK_PRIOR, ssAlt);
  EXPECT_EQ(f.ActiveControl(), f.dbgPadrao);
  toolkit::input::Key(f, VK_NEXT, ssAlt);
  EXPECT_EQ(f.ActiveControl(), f.dbgQtdePropServico);
  toolkit::input::Key(f, VK_PRIOR, ssAlt);
  EXPECT_EQ(f.ActiveControl(), f.dbgPadrao);
  // Ctrl plays no part.
  toolkit::input::Key(f, VK_NEXT, ssAlt | ssCtrl);
  EXPECT_EQ(f.ActiveControl(), f.dbgQtdePropServico);

  toolkit::Word key = VK_PRIOR;
  f.FormKeyDown(f, key, ssAlt | ssShift);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(f.ActiveControl(), f.dbgPadrao);
  key = VK_NEXT;
  f.FormKeyDown(f, key, ssAlt);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(f.ActiveControl(), f.dbgQtdePropServico);
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(ScreenKeys, PageKeysWithoutAltPassOn) {
  TfrmPropPass& f = Open();
  for (toolkit::ShiftState shift : {0u, static_cast<unsigned>(ssShift), static_cast<unsigned>(ssCtrl)}) {
    for (toolkit::Word page : {VK_NEXT, VK_PRIOR}) {
      toolkit::Word key = page;
      f.FormKeyDown(f, key, shift);
      EXPECT_EQ(key, page) << "shift " << shift;
      EXPECT_EQ(f.ActiveControl(), f.medSgCia);
    }
  }
  toolkit::Word other = toolkit::VK_HOME;
  f.FormKeyDown(f, other, ssAlt);
  EXPECT_EQ(other, toolkit::VK_HOME);
  EXPECT_EQ(f.ActiveControl(), f.medSgCia);
}

TEST_F(ScreenKeys, AGridThatCannotTakeTheFocusLeavesItWhereItWas) {
  TfrmPropPass& f = Open();
  f.dbgQtdePropServico->SetEnabled(false);
  toolkit::Word key = VK_NEXT;
  EXPECT_NO_THROW(f.FormKeyDown(f, key, ssAlt));
  EXPECT_EQ(key, 0);
  EXPECT_EQ(f.ActiveControl(), f.medSgCia);
}

class RangeCommandRule : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    f = &Bare();
  }
  // Loads that many ranges into the range dataset.
  void Ranges(int rows) {
    packet::DataPacket p = f->cdsQtdePropServico->Data();
    p.rows.clear();
    const int from = p.FieldIndex("QTPAXDE");
    for (int i = 0; i < rows; ++i) {
      packet::Row r(p.fields.size());
      r[from] = 1.0 + i * 10;
      p.rows.push_back(r);
    }
    f->cdsQtdePropServico->SetData(std::move(p));
  }
  // "IAEPVCO": which of the seven commands are on; a button that disagrees
  // with its menu item fails the test.
  std::string Commands() {
    std::string s;
    auto mark = [&](toolkit::Button* b, toolkit::MenuItem* m, char c) {
      EXPECT_EQ(b->Enabled(), m->Enabled()) << c;
      s += m->Enabled() ? c : '-';
    };
    mark(f->sbtIncluir, f->mnuIncluir, 'I');
    mark(f->sbtAlterar, f->mnuAlterar, 'A');
    mark(f->sbtExcluir, f->mnuExcluir, 'E');
    mark(f->sbtProcurar, f->mnuProcurar, 'P');
    mark(f->sbtVerificar, f->mnuVerificar, 'V');
    mark(f->sbtCancelar, f->mnuCancelar, 'C');
    mark(f->sbtConfirmar, f->mnuConfirmar, 'O');
    return s;
  }
  // Sets every command to the opposite of what the rule should give, so
  // that a command the rule forgets shows.
  void Scramble(bool on) {
    for (toolkit::Button* b : {f->sbtIncluir, f->sbtAlterar, f->sbtExcluir, f->sbtProcurar, f->sbtVerificar,
                               f->sbtCancelar, f->sbtConfirmar})
      b->SetEnabled(on);
    for (toolkit::MenuItem* m : {f->mnuIncluir, f->mnuAlterar, f->mnuExcluir, f->mnuProcurar, f->mnuVerificar,
                                 f->mnuCancelar, f->mnuConfirmar})
      m->SetEnabled(on);
  }
  TfrmPropPass* f = nullptr;
};

TEST_F(RangeCommandRule, FollowsTheStateOfTheRangeDataSet) {
  Scramble(true);
  f->HabilitaBotoes();
  EXPECT_EQ(Commands(), "-------");  // inactive
  Scramble(true);
  Ranges(0);
  f->HabilitaBotoes();
  EXPECT_EQ(Commands(), "I------");  // browse, empty
  Scramble(false);
  Ranges(2);
  f->HabilitaBotoes();
  EXPECT_EQ(Commands(), "IAEPV--");  // browse with rows
  f->cdsQtdePropServico->Insert();
  f->HabilitaBotoes();
  EXPECT_EQ(Commands(), "-----CO");  // insert
  f->cdsQtdePropServico->Cancel();
  f->cdsQtdePropServico->Edit();
  Scramble(false);
  f->HabilitaBotoes();
  EXPECT_EQ(Commands(), "-----CO");  // edit
  f->cdsQtdePropServico->Cancel();
  f->HabilitaBotoes();
  EXPECT_EQ(Commands(), "IAEPV--");
}

}  // namespace
}  // namespace screen_test

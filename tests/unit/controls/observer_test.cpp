// What a renderer hears: every visible change, once, and nothing while
// nobody listens; repaint suspension counted by the application.
#include "form_fixture.h"

#include <map>

#include "toolkit/controls/Input.h"
#include "toolkit/controls/Label.h"

using namespace toolkit;

namespace {

struct Recorder : ControlObserver {
  std::vector<std::pair<std::string, Change>> heard;
  void ControlChanged(Control& control, Change what) override { heard.emplace_back(control.Name(), what); }
  int Count(const std::string& name, Change what) const {
    int n = 0;
    for (const auto& h : heard) n += h.first == name && h.second == what;
    return n;
  }
};

struct Repaints : ApplicationObserver {
  int resumed = 0;
  void RepaintResumed() override { ++resumed; }
};

using Observers = testutil::FormTest;

TEST_F(Observers, HearEveryVisibleChange) {
  Recorder rec;
  form->AddObserver(&rec);
  edtB->SetFocus();
  input::Type(*form, "ab");
  edtB->SetEnabled(false);
  edtB->SetEnabled(false);  // no change, nothing heard
  panHeader->SetCaption("Voo");
  EXPECT_EQ(rec.Count("edtB", Change::Text), 2);
  EXPECT_EQ(rec.Count("edtB", Change::Enabled), 1);
  EXPECT_EQ(rec.Count("frmTest", Change::Focus), 1);
  EXPECT_EQ(rec.Count("panHeader", Change::Text), 1);
  form->RemoveObserver(&rec);
  edtB->SetText("zz");
  EXPECT_EQ(rec.Count("edtB", Change::Text), 2);
}

TEST_F(Observers, GridRowsAndColumns) {
  Recorder rec;
  form->AddObserver(&rec);
  cds->Next();
  cds->Next();
  EXPECT_EQ(rec.Count("grid", Change::GridRow), 2);
  rec.heard.clear();
  cds->DisableControls();
  cds->First();
  cds->FieldByName("QTSERVICO").FocusControl();
  cds->EnableControls();
  EXPECT_EQ(rec.Count("grid", Change::GridRow), 0);
  EXPECT_EQ(rec.Count("grid", Change::GridData), 1);  // one repaint at the end
  EXPECT_EQ(rec.Count("grid", Change::GridColumn), 1);
  EXPECT_EQ(grid->SelectedField()->FieldName(), "QTSERVICO");
  EXPECT_EQ(grid->ColumnCount(), 3);  // the visible fields, CDSERVICO hidden
}

TEST_F(Observers, DataTextFollowsTheCurrentRow) {
  Recorder rec;
  form->AddObserver(&rec);
  auto* dbt = new DBText(form);
  dbt->SetName("dbtNome");
  dbt->SetParent(form);
  dbt->SetDataSource(dts);
  dbt->SetDataField("QTPAXATE");
  EXPECT_EQ(dbt->Text(), "20");
  cds->Last();
  EXPECT_EQ(dbt->Text(), "9999");
  EXPECT_GE(rec.Count("dbtNome", Change::Text), 2);
  cds->Close();
  EXPECT_EQ(dbt->Text(), "");
  EXPECT_FALSE(dbt->CanFocus());
}

TEST_F(Observers, RepaintSuspensionIsCounted) {
  Repaints repaints;
  auto& app = Application::Instance();
  app.AddObserver(&repaints);
  app.SuspendRepaint();
  app.SuspendRepaint();
  app.ResumeRepaint();
  EXPECT_TRUE(app.RepaintSuspended());
  EXPECT_EQ(repaints.resumed, 0);
  app.ResumeRepaint();
  app.ResumeRepaint();  // unbalanced: ignored
  EXPECT_FALSE(app.RepaintSuspended());
  EXPECT_EQ(repaints.resumed, 1);
}

}  // namespace

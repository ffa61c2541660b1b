// Data sources and links: state, notifications to controls, and loading,
// creating and opening client datasets.
#include <gtest/gtest.h>

#include "event_log.h"

using namespace toolkit;

namespace {

struct CountingLink : DataLink {
  int changed = 0, scrolled = 0, record = 0, editing = 0, active = 0;
  Field* focusAsked = nullptr;
  bool canFocus = true;
  void DataSetChanged() override { ++changed; }
  void DataSetScrolled(int) override { ++scrolled; }
  void RecordChanged(Field*) override { ++record; }
  void EditingChanged() override { ++editing; }
  void ActiveChanged() override { ++active; }
  void FocusControl(Field& f, bool& handled) override {
    if (!canFocus) return;
    focusAsked = &f;
    handled = true;
  }
};

TEST(DataSourceTest, MirrorsTheStateAndReportsEveryChange) {
  ClientDataSet ds;
  testutil::DefineRangeFields(ds);
  DataSource src;
  std::vector<DataSetState> states;
  src.OnStateChange = [&](DataSource& s) { states.push_back(s.State()); };
  EXPECT_EQ(src.State(), DataSetState::dsInactive);
  src.SetDataSet(&ds);
  ds.SetData(testutil::ThreeRanges());
  ds.Edit();
  EXPECT_EQ(src.State(), DataSetState::dsEdit);
  ds.Cancel();
  ds.Insert();
  ds.Close();
  EXPECT_EQ(states, (std::vector<DataSetState>{DataSetState::dsBrowse, DataSetState::dsEdit, DataSetState::dsBrowse,
                                               DataSetState::dsInsert, DataSetState::dsInactive}));
  EXPECT_EQ(ds.ViewCount(), 0);
}

TEST(DataSourceTest, DisableControlsHoldsRepaintsButNotEvents) {
  ClientDataSet ds;
  testutil::DefineRangeFields(ds);
  DataSource src;
  src.SetDataSet(&ds);
  CountingLink link;
  link.SetDataSource(&src);
  ds.SetData(testutil::ThreeRanges());
  link.changed = link.scrolled = 0;
  int scrolls = 0;
  ds.AfterScroll = [&](DataSet&) { ++scrolls; };
  ds.DisableControls();
  ds.DisableControls();
  ds.Next();
  ds.Next();
  ds.EnableControls();
  EXPECT_EQ(link.changed + link.scrolled, 0);
  ds.EnableControls();
  EXPECT_EQ(scrolls, 2);
  EXPECT_EQ(link.changed, 1);  // one repaint when the count is back to zero
  EXPECT_EQ(link.scrolled, 0);
  ds.Prior();
  EXPECT_EQ(link.scrolled, 1);
}

TEST(DataSourceTest, FieldsAskTheLinkedControlsForTheFocus) {
  ClientDataSet ds;
  testutil::DefineRangeFields(ds);
  DataSource src;
  src.SetDataSet(&ds);
  CountingLink grid, other;
  other.canFocus = false;
  other.SetDataSource(&src);
  grid.SetDataSource(&src);
  ds.SetData(testutil::ThreeRanges());
  ds.FieldByName("QTPAXATE").FocusControl();
  EXPECT_EQ(grid.focusAsked, &ds.FieldByName("QTPAXATE"));
  grid.SetDataSource(nullptr);
  grid.focusAsked = nullptr;
  ds.FieldByName("QTPAXDE").FocusControl();  // nobody can: nothing happens
  EXPECT_EQ(grid.focusAsked, nullptr);
}

TEST(DataSourceTest, ViewsReadAnyRowWithoutMovingTheCursor) {
  ClientDataSet ds;
  testutil::DefineRangeFields(ds);
  DataSource src;
  src.SetDataSet(&ds);
  CountingLink link;
  link.SetDataSource(&src);
  ds.SetData(testutil::ThreeRanges());
  int scrolls = 0;
  ds.AfterScroll = [&](DataSet&) { ++scrolls; };
  EXPECT_EQ(ds.CellText(2, 2), "9999");
  EXPECT_EQ(ds.CurrentIndex(), 0);
  ds.Edit();
  ds.FieldByName("QTPAXATE").SetAsFloat(19);
  EXPECT_EQ(ds.CellText(0, 2), "19");  // the open row shows its pending value
  EXPECT_GT(link.record, 0);
  EXPECT_THROW(ds.ViewRow(3), EDatabaseError);
  EXPECT_EQ(scrolls, 0);
}

TEST(DataSourceTest, DestroyingEitherSideUnlinks) {
  CountingLink link;
  auto src = std::make_unique<DataSource>();
  {
    ClientDataSet ds;
    src->SetDataSet(&ds);
    link.SetDataSource(src.get());
  }
  EXPECT_EQ(src->DataSet(), nullptr);
  src.reset();
  EXPECT_EQ(link.DataSource(), nullptr);
}

TEST(ClientDataSetTest, SetDataMatchesFieldsByName) {
  ClientDataSet ds;
  ds.SetName("cdsMaiorPax");
  ds.AddFloatField("MAXPAX");
  packet::DataPacket p;
  p.fields = {{"EXTRA", packet::FieldType::String, 3}, {"maxpax", packet::FieldType::Float, 0}};
  p.rows = {{std::string("abc"), 20.0}};
  ds.SetData(p);
  EXPECT_EQ(ds.FieldByName("MAXPAX").AsInteger(), 20);
  EXPECT_EQ(ds.FindField("EXTRA"), nullptr);

  packet::DataPacket missing;
  missing.fields = {{"OTHER", packet::FieldType::Float, 0}};
  missing.rows = {{1.0}};
  try {
    ds.SetData(missing);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "cdsMaiorPax: Field 'MAXPAX' not found in data packet");
  }
  EXPECT_EQ(ds.FieldByName("MAXPAX").AsFloat(), 20);  // unchanged

  packet::DataPacket wrongType;
  wrongType.fields = {{"MAXPAX", packet::FieldType::String, 4}};
  EXPECT_THROW(ds.SetData(wrongType), EDatabaseError);
}

TEST(ClientDataSetTest, FieldsComeFromThePacketWhenNoneAreDefined) {
  ClientDataSet ds;
  ds.SetData(testutil::ThreeRanges());
  ASSERT_EQ(ds.FieldCount(), 4);
  EXPECT_EQ(ds.FieldByName("CDSERVICO").Size(), 10);
  EXPECT_EQ(ds.RecordCount(), 3);
}

TEST(ClientDataSetTest, CreateEmptyAndOpen) {
  ClientDataSet ds;
  EXPECT_THROW(ds.CreateDataSet(), EDatabaseError);
  ds.AddStringField("CDTRECHO", 4);
  ds.AddStringField("DSTRECHO", 13);
  EXPECT_THROW(ds.Open(), EDatabaseError);  // no provider, no packet
  ds.CreateDataSet();
  EXPECT_TRUE(ds.Active());
  EXPECT_TRUE(ds.IsEmpty());
  ds.Insert();
  ds.FieldByName("CDTRECHO").SetAsString("01");
  ds.Post();
  EXPECT_EQ(ds.RecordCount(), 1);
  EXPECT_THROW(ds.AddFloatField("X"), EDatabaseError);  // open

  struct Provider : RemoteDataProvider {
    std::string asked;
    packet::DataPacket FetchData(const std::string& name) override {
      asked = name;
      packet::DataPacket p;
      p.fields = {{"CDTRECHO", packet::FieldType::String, 4}, {"DSTRECHO", packet::FieldType::String, 13}};
      p.rows = {{std::string("07"), std::string("GRU-GIG")}};
      return p;
    }
  } provider;
  ds.Close();
  ds.SetProviderName("dspTrecho");
  ds.SetRemoteServer(&provider);
  ds.Open();
  EXPECT_EQ(provider.asked, "dspTrecho");
  EXPECT_EQ(ds.FieldByName("DSTRECHO").AsString(), "GRU-GIG");
}

TEST(ComponentTest, OwnersFindAndDestroyWhatTheyOwn) {
  auto form = std::make_unique<Component>();
  auto* ds = new ClientDataSet(form.get());
  ds->SetName("cdsPropServico");
  auto* src = new DataSource(form.get());
  src->SetName("dtsPadrao");
  src->SetDataSet(ds);
  EXPECT_EQ(form->FindComponent("CDSPROPSERVICO"), ds);
  EXPECT_THROW(src->SetName("cdsPropServico"), std::invalid_argument);
  EXPECT_EQ(form->ComponentCount(), 2);
  delete src;
  EXPECT_EQ(form->ComponentCount(), 1);
  form.reset();  // destroys the dataset; nothing left dangling
}

}  // namespace

namespace {

TEST(ClientDataSetTest, ABadPacketChangesNothing) {
  ClientDataSet ds;
  testutil::DefineRangeFields(ds);
  ds.SetData(testutil::ThreeRanges());
  ds.Next();
  auto shortRow = testutil::ThreeRanges();
  shortRow.rows[2].pop_back();
  EXPECT_THROW(ds.SetData(shortRow), EDatabaseError);
  auto wrongKind = testutil::ThreeRanges();
  wrongKind.rows[1][1] = std::string("21");
  EXPECT_THROW(ds.SetData(wrongKind), EDatabaseError);
  EXPECT_EQ(ds.State(), DataSetState::dsBrowse);
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_EQ(testutil::Lows(ds), "1 21 51");

  ClientDataSet dynamic;
  packet::DataPacket dup;
  dup.fields = {{"A", packet::FieldType::Float, 0}, {"a", packet::FieldType::Float, 0}};
  EXPECT_THROW(dynamic.SetData(dup), EDatabaseError);
  EXPECT_EQ(dynamic.FieldCount(), 0);
  EXPECT_FALSE(dynamic.Active());
}

}  // namespace

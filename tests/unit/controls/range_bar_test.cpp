// The range bar: the segments it computes from rows and seats, and a bar
// linked to a grid's dataset following what a person types there.
#include <stdexcept>
#include <utility>

#include "form_fixture.h"
#include "toolkit/controls/Input.h"
#include "toolkit/controls/RangeBar.h"

using namespace toolkit;

namespace {

using Rows = std::vector<RangeRow>;
constexpr std::nullopt_t none = std::nullopt;

std::string Bar(const Rows& rows, std::optional<int> seats) { return SegmentsText(RangeSegments(rows, seats)); }

TEST(RangeSegments, HolesLieBeforeBetweenAndAfterTheRangesUpToTheSeats) {
  EXPECT_EQ(Bar({{1, 20, 2}, {21, 50, 4}, {61, 220, 6}}, 220), "1-20:2 21-50:4 51-60:- 61-220:6");
  EXPECT_EQ(Bar({{61, 220, 6}, {5, 20, 2}}, 240), "1-4:- 5-20:2 21-60:- 61-220:6 221-240:-");
  EXPECT_EQ(Bar({}, 180), "1-180:-");
  // Without seats the bar ends at the highest upper bound.
  EXPECT_EQ(Bar({{30, 40, 1}, {5, 20, 2}}, none), "1-4:- 5-20:2 21-29:- 30-40:1");
  EXPECT_EQ(Bar({}, none), "");
}

TEST(RangeSegments, ARangeBeyondTheSeatsShowsWholeAndLeavesNoHoleThere) {
  EXPECT_EQ(Bar({{1, 20, 2}, {21, 50, 4}, {51, 9999, 6}}, 186), "1-20:2 21-50:4 51-9999:6");
  EXPECT_EQ(Bar({{1, 100, 2}, {151, 9999, 3}}, 100), "1-100:2 151-9999:3");
  EXPECT_EQ(Bar({{1, 80, 2}, {151, 9999, 3}}, 100), "1-80:2 81-100:- 151-9999:3");
}

TEST(RangeSegments, RowsBeingTypedAndOverlapsShowWhatTheyCover) {
  // Lower bound proposed, upper not typed yet: it covers nothing.
  EXPECT_EQ(Bar({{1, 20, 2}, {21, none, none}}, 30), "1-20:2 21-30:-");
  EXPECT_EQ(Bar({{1, 20, 2}, {21, 25, none}}, 30), "1-20:2 21-25:? 26-30:-");
  // An upper bound typed below the lower one covers nothing either.
  EXPECT_EQ(Bar({{1, 20, 2}, {21, 5, 3}}, 30), "1-20:2 21-30:-");
  EXPECT_EQ(Bar({{1, 20, 2}, {15, 30, 3}}, 40), "1-14:2 15-20:! 21-30:3 31-40:-");
  EXPECT_EQ(Bar({{1, 40, 2}, {10, 12, 3}}, 40), "1-9:2 10-12:! 13-40:2");
  // Whole passengers, quantities as the grid shows them.
  EXPECT_EQ(Bar({{0, 20.4, 1.5}, {20.6, 30, 2}}, none), "1-20:1,5 21-30:2");
  EXPECT_THROW(RangeSegments({}, 0), std::invalid_argument);
}

struct Drawings : ControlObserver {
  int heard = 0;
  void ControlChanged(Control& control, Change what) override {
    heard += control.Name() == "bar" && what == Change::Drawing;
  }
};

class LinkedBar : public testutil::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    grid->AddColumn("QTPAXDE");
    grid->AddColumn("QTPAXATE");
    grid->AddColumn("QTSERVICO");
    bar = Make<RangeBar>("bar", scbData);
    bar->SetFields("QTPAXDE", "QTPAXATE", "QTSERVICO");
    bar->SetDataSource(dts);
    bar->SetSeats(186);
    form->AddObserver(&drawings);
    input::Focus(*grid);
  }
  // Heard since the last call.
  int Heard() { return std::exchange(drawings.heard, 0); }
  RangeBar* bar = nullptr;
  Drawings drawings;
};

TEST_F(LinkedBar, FollowsTheRowBeingTypedBeforeItIsPostedAndAfter) {
  EXPECT_EQ(bar->SegmentText(), "1-20:2 21-50:4 51-9999:6");
  Heard();
  input::ClickCell(*grid, 2, 1);  // QTPAXATE of 51-9999
  input::Type(*form, "100");
  // Still in the cell: nothing written into the row yet.
  EXPECT_EQ(bar->SegmentText(), "1-20:2 21-50:4 51-9999:6");
  input::Key(*form, VK_TAB);
  EXPECT_STREQ(testutil::StateName(cds->State()), "edit");
  EXPECT_EQ(bar->SegmentText(), "1-20:2 21-50:4 51-100:6 101-186:-");
  EXPECT_GT(Heard(), 0);
  input::Key(*form, VK_ESCAPE);
  EXPECT_EQ(bar->SegmentText(), "1-20:2 21-50:4 51-9999:6");
  EXPECT_GT(Heard(), 0);

  // A stored range narrowed, posted by moving to the next row.
  input::ClickCell(*grid, 1, 1);
  input::Type(*form, "40");
  input::Key(*form, VK_DOWN);
  EXPECT_EQ(bar->SegmentText(), "1-20:2 21-40:4 41-50:- 51-9999:6");
  EXPECT_GT(Heard(), 0);
  bar->SetSeats(std::nullopt);
  EXPECT_GT(Heard(), 0);
  EXPECT_EQ(bar->SegmentText(), "1-20:2 21-40:4 41-50:- 51-9999:6");
  cds->Close();
  EXPECT_EQ(bar->SegmentText(), "");
  EXPECT_GT(Heard(), 0);
}

TEST_F(LinkedBar, AFieldTheDatasetLacksIsAProgrammingError) {
  bar->SetFields("QTPAXDE", "QTPAXMAX", "QTSERVICO");
  EXPECT_THROW(bar->Segments(), std::exception);
  EXPECT_THROW(bar->SetSeats(0), std::invalid_argument);
}

}  // namespace

// The range bar as a person sees it under the range grid: segments as wide
// as the passenger counts they cover, the hole hatched in colours of its
// own, and the picture following a range being typed. Read from the
// painted pixels, against the bounds of the demo's first service.
#include <gtest/gtest.h>

#include <QImage>
#include <QSet>
#include <QTest>

#include "desktop/GridView.h"
#include "desktop/RangeBarView.h"
#include "host_fixture.h"
#include "toolkit/controls/RangeBar.h"

namespace {

using namespace host_test;

class RangeBarView : public HostScreen {
 protected:
  QWidget* Focused() {
    QCoreApplication::processEvents();
    if (!QApplication::activeWindow() && window) {
      window->activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    return QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
  }
  void Keys(const char* text) { QTest::keyClicks(Focused(), text); }
  void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(Focused(), key, mods); }

  // ASUL 1110 leg 01 typed, the first service (1-20:2 21-50:4, a hole,
  // 61-220:6 on a JT-220 of 220 seats) clicked.
  desktop::FormView& OpenFlight() {
    desktop::FormView& view = Open();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Keys("ASUL");
    Press(Qt::Key_Tab);
    Keys("1110");
    Press(Qt::Key_Tab);
    QTest::mouseClick(Widget<desktop::GridView>(view, "dbgPadrao")->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(dialogs.TakeMessages().empty());
    return view;
  }
};

// One row of the painted bar, near the top of its strip, clear of labels.
struct Strip {
  QImage image;
  int y = 4;
  int left = -1, right = -1;  // the strip's first and last painted columns

  explicit Strip(QWidget& bar) : image(bar.grab().toImage().convertToFormat(QImage::Format_RGB32)) {
    const QRgb background = image.pixel(0, y);
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != background) {
        if (left < 0) left = x;
        right = x;
      }
  }
  // The column where passenger count n starts, on a bar of `end` counts.
  int At(double n, int end) const { return left + static_cast<int>((right - left) * (n - 1) / end); }
  QRgb Pixel(int x) const { return image.pixel(x, y); }
  // First column right of x whose colour differs from x's.
  int NextChange(int x) const {
    const QRgb start = Pixel(x);
    while (x < right && Pixel(x) == start) ++x;
    return x;
  }
  QSet<QRgb> Colours(int from, int to) const {
    QSet<QRgb> colours;
    for (int yy = y; yy < y + 6; ++yy)
      for (int x = from; x <= to; ++x) colours.insert(image.pixel(x, yy));
    return colours;
  }
};

bool Dark(QRgb c) { return qRed(c) < 70 && qGreen(c) < 70 && qBlue(c) < 70; }

TEST_F(RangeBarView, PaintsTheServicesRangesUnderTheGridInProportionWithTheHoleHatched) {
  desktop::FormView& view = OpenFlight();
  auto* bar = Widget<desktop::RangeBarView>(view, "rbrQtdePropServico");
  auto* grid = Widget<desktop::GridView>(view, "dbgQtdePropServico");
  ASSERT_NE(bar, nullptr);
  const QPoint barAt = bar->mapTo(&view, QPoint(0, 0)), gridAt = grid->mapTo(&view, QPoint(0, 0));
  EXPECT_EQ(barAt.x(), gridAt.x());
  EXPECT_EQ(bar->width(), grid->width());
  EXPECT_GE(barAt.y(), gridAt.y() + grid->height() - 1);
  const auto* model = dynamic_cast<toolkit::RangeBar*>(form->FindComponent("rbrQtdePropServico"));
  ASSERT_EQ(model->SegmentText(), "1-20:2 21-50:4 51-60:- 61-220:6");

  const Strip strip(*bar);
  ASSERT_GT(strip.right - strip.left, 150);
  const int end = 220;
  const QRgb first = strip.Pixel(strip.At(10, end)), second = strip.Pixel(strip.At(35, end));
  const QRgb last = strip.Pixel(strip.At(140, end));
  EXPECT_NE(first, second);  // neighbouring ranges tell apart
  // Each segment ends where its counts end.
  EXPECT_NEAR(strip.NextChange(strip.At(10, end)), strip.At(21, end), 3);
  EXPECT_NEAR(strip.NextChange(strip.At(35, end)), strip.At(51, end), 3);
  EXPECT_NEAR(strip.NextChange(strip.At(140, end)), strip.At(221, end), 3);
  // The hole: hatched (two colours at least), in none of the ranges' colours.
  const QSet<QRgb> hole = strip.Colours(strip.At(52, end), strip.At(59, end));
  EXPECT_GE(hole.size(), 2);
  for (QRgb range : {first, second, last}) EXPECT_FALSE(hole.contains(range));
  // The seats: a dark line at the right end.
  EXPECT_TRUE(Dark(strip.Pixel(strip.right))) << std::hex << strip.Pixel(strip.right);
}

TEST_F(RangeBarView, ARangeTypedBeyondTheSeatsIsPaintedBeforeItIsConfirmed) {
  desktop::FormView& view = OpenFlight();
  auto* bar = Widget<desktop::RangeBarView>(view, "rbrQtdePropServico");
  ASSERT_NE(bar, nullptr);
  const Strip before(*bar);
  Press(Qt::Key_PageDown, Qt::AltModifier);
  Press(Qt::Key_F2);  // a new range from 221, the upper bound focused
  Keys("240");
  Press(Qt::Key_Tab);
  QCoreApplication::processEvents();
  const auto* model = dynamic_cast<toolkit::RangeBar*>(form->FindComponent("rbrQtdePropServico"));
  ASSERT_EQ(model->SegmentText(), "1-20:2 21-50:4 51-60:- 61-220:6 221-240:?");
  const Strip after(*bar);
  // The new range takes the right end, past the seats' line, which moved
  // left of it; the ranges within the seats shrink alike.
  EXPECT_NE(after.Pixel(after.right - 2), before.Pixel(before.right - 2));
  EXPECT_FALSE(Dark(after.Pixel(after.right - 2)));
  int seats = after.right - 2;
  while (seats > after.left && !Dark(after.Pixel(seats))) --seats;
  EXPECT_LT(seats, after.right - 10);
  EXPECT_GT(seats, after.left + (after.right - after.left) / 2);
  EXPECT_LT(after.NextChange(after.At(10, 220)), before.NextChange(before.At(10, 220)));
}

}  // namespace

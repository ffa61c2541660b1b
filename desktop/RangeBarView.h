#pragma once
// The painting of a range bar: one segment a range, as wide as the
// passenger counts it covers, labelled with its quantity; holes hatched in
// a warning colour and labelled "sem", overlaps cross-hatched in red; the
// seats marked with a dark line and their number below the bar. Counts
// beyond the seats, when a range reaches past them, share a narrow tail at
// the right end. A tool tip names the segment under the mouse.
#include <QWidget>
#include <optional>
#include <vector>

#include "toolkit/controls/RangeSegments.h"

namespace toolkit {
class RangeBar;
}

namespace desktop {

class RangeBarView : public QWidget {
  Q_OBJECT

 public:
  RangeBarView(toolkit::RangeBar& bar, QWidget* parent);
  // The bar is going: the view paints nothing and asks it nothing more.
  void Detach();

  QSize sizeHint() const override { return {200, 40}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  toolkit::RangeBar* bar_;
};

}  // namespace desktop

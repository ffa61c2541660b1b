#include "desktop/RangeBarView.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "toolkit/controls/RangeBar.h"
#include "toolkit/data/FloatText.h"

namespace desktop {

namespace {

using toolkit::RangeSegment;
using toolkit::SegmentKind;

constexpr int kMargin = 3;       // left and right of the strip
constexpr int kScaleHeight = 14;  // the row of numbers under the strip
constexpr double kTail = 0.12;    // share of the width for counts beyond the seats

const QColor kRangeColors[] = {{198, 219, 239}, {199, 233, 192}};
const QColor kHoleColor{255, 214, 153};
const QColor kHoleHatch{200, 60, 40};
const QColor kOverlapColor{252, 146, 114};
const QColor kOverlapHatch{150, 0, 0};
const QColor kEdgeColor{90, 90, 90};
const QColor kSeatColor{20, 20, 20};

// Where each passenger count starts along the strip: proportional up to
// the seats (or the end), the counts beyond the seats squeezed into a tail.
class BarScale {
 public:
  BarScale(const std::vector<RangeSegment>& segments, std::optional<int> seats, int left, int width)
      : left_(left), width_(width) {
    last_ = segments.empty() ? 1 : segments.back().to;
    for (const RangeSegment& s : segments) last_ = std::max(last_, s.to);
    main_ = seats ? *seats : last_;
    mainWidth_ = last_ > main_ ? width * (1 - kTail) : width;
  }
  // The left edge of a count; X(last + 1) is the strip's right end.
  double X(int count) const {
    if (count <= main_ + 1) return left_ + mainWidth_ * (count - 1) / main_;
    return left_ + mainWidth_ + (width_ - mainWidth_) * (count - main_ - 1) / (last_ - main_);
  }
  int Main() const { return main_; }

 private:
  int left_, width_;
  int last_ = 1, main_ = 1;
  double mainWidth_ = 0;
};

QString Label(const RangeSegment& s) {
  switch (s.kind) {
    case SegmentKind::Hole: return QStringLiteral("sem");
    case SegmentKind::Overlap: return QStringLiteral("!");
    case SegmentKind::Range:
      return s.quantity ? QString::fromStdString(toolkit::FloatToText(*s.quantity)) : QStringLiteral("?");
  }
  return {};
}

QString Describe(const RangeSegment& s) {
  const QString counts = QStringLiteral("Pax %1 a %2: ").arg(s.from).arg(s.to);
  switch (s.kind) {
    case SegmentKind::Hole: return counts + QStringLiteral("nenhuma faixa (sem serviço)");
    case SegmentKind::Overlap: return counts + QStringLiteral("faixas sobrepostas");
    case SegmentKind::Range:
      return counts + (s.quantity ? QString::fromStdString(toolkit::FloatToText(*s.quantity))
                                  : QStringLiteral("quantidade não informada"));
  }
  return {};
}

void FillSegment(QPainter& p, const QRectF& r, const RangeSegment& s, int rangeIndex) {
  switch (s.kind) {
    case SegmentKind::Range: p.fillRect(r, kRangeColors[rangeIndex % 2]); return;
    case SegmentKind::Hole:
      p.fillRect(r, kHoleColor);
      p.fillRect(r, QBrush(kHoleHatch, Qt::BDiagPattern));
      return;
    case SegmentKind::Overlap:
      p.fillRect(r, kOverlapColor);
      p.fillRect(r, QBrush(kOverlapHatch, Qt::DiagCrossPattern));
      return;
  }
}

// The label inside its segment when it fits, on a plain patch over hatching.
void LabelSegment(QPainter& p, const QRectF& r, const RangeSegment& s) {
  const QString text = Label(s);
  const int need = p.fontMetrics().horizontalAdvance(text) + 4;
  if (need > r.width()) return;
  if (s.kind != SegmentKind::Range) {
    const QRectF patch(r.center().x() - need / 2.0, r.center().y() - p.fontMetrics().height() / 2.0, need,
                       p.fontMetrics().height());
    p.fillRect(patch, s.kind == SegmentKind::Hole ? kHoleColor : kOverlapColor);
  }
  QFont font = p.font();
  font.setBold(s.kind != SegmentKind::Range);
  p.setFont(font);
  p.drawText(r, Qt::AlignCenter, text);
}

void PaintSeats(QPainter& p, const BarScale& scale, const QRectF& strip, int seats, int height) {
  const double x = scale.X(seats + 1);
  p.setPen(QPen(kSeatColor, 2));
  p.drawLine(QPointF(x, strip.top() - 2), QPointF(x, strip.bottom() + 3));
  const QString text = QStringLiteral("%1 assentos").arg(seats);
  const QString shown = p.fontMetrics().horizontalAdvance(text) + 2 <= x ? text : QString::number(seats);
  p.drawText(QRectF(0, strip.bottom() + 2, x - 2, height - strip.bottom() - 2), Qt::AlignRight | Qt::AlignVCenter,
             shown);
}

}  // namespace

RangeBarView::RangeBarView(toolkit::RangeBar& bar, QWidget* parent) : QWidget(parent), bar_(&bar) {
  setMinimumHeight(kScaleHeight + 12);
}

void RangeBarView::Detach() {
  bar_ = nullptr;
  update();
}

void RangeBarView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  const QRectF strip(kMargin, 2, width() - 2 * kMargin, height() - kScaleHeight - 3);
  const std::vector<RangeSegment> segments = bar_ ? bar_->Segments() : std::vector<RangeSegment>{};
  p.setPen(palette().color(QPalette::WindowText));
  if (segments.empty()) {
    p.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
    p.drawRect(strip);
    p.drawText(strip, Qt::AlignCenter, QStringLiteral("sem faixas"));
    return;
  }
  const BarScale scale(segments, bar_->Seats(), kMargin, static_cast<int>(strip.width()));
  int ranges = 0;
  for (const RangeSegment& s : segments) {
    const QRectF r(scale.X(s.from), strip.top(), scale.X(s.to + 1) - scale.X(s.from), strip.height());
    FillSegment(p, r, s, s.kind == SegmentKind::Range ? ranges++ : 0);
    p.setPen(kEdgeColor);
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(palette().color(QPalette::WindowText));
    LabelSegment(p, r, s);
  }
  p.setPen(kEdgeColor);
  p.setBrush(Qt::NoBrush);
  p.drawRect(strip);
  QFont font = p.font();
  font.setBold(false);
  p.setFont(font);
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(QRectF(kMargin, strip.bottom() + 2, 40, kScaleHeight), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("1"));
  if (bar_->Seats()) PaintSeats(p, scale, strip, *bar_->Seats(), height());
  else
    p.drawText(QRectF(0, strip.bottom() + 2, width() - kMargin, kScaleHeight), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(scale.Main()));
}

bool RangeBarView::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip || !bar_) return QWidget::event(event);
  auto* help = static_cast<QHelpEvent*>(event);
  const std::vector<RangeSegment> segments = bar_->Segments();
  const BarScale scale(segments, bar_->Seats(), kMargin, width() - 2 * kMargin);
  const auto under = std::find_if(segments.begin(), segments.end(), [&](const RangeSegment& s) {
    return help->pos().x() >= scale.X(s.from) && help->pos().x() < scale.X(s.to + 1);
  });
  if (under == segments.end()) QToolTip::hideText();
  else QToolTip::showText(help->globalPos(), Describe(*under), this);
  return true;
}

}  // namespace desktop

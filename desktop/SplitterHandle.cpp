#include "desktop/SplitterHandle.h"

#include <QMouseEvent>
#include <algorithm>

#include "desktop/AlignLayout.h"
#include "toolkit/controls/Container.h"

namespace desktop {

namespace {

using toolkit::Align;

bool Horizontal(Align align) { return align == Align::alLeft || align == Align::alRight; }

// Position along the drag, in global pixels.
int Along(const QMouseEvent& event, Align align) {
  const QPointF p = event.globalPosition();
  return static_cast<int>(Horizontal(align) ? p.x() : p.y());
}

}  // namespace

toolkit::Control* ResizedBy(const toolkit::Splitter& splitter) {
  if (!splitter.Parent()) return nullptr;
  const std::vector<toolkit::Control*> order = EdgeOrder(*splitter.Parent(), splitter.Align());
  const auto it = std::find(order.begin(), order.end(), &splitter);
  return it == order.end() || it == order.begin() ? nullptr : *(it - 1);
}

SplitterHandle::SplitterHandle(toolkit::Splitter& splitter, double scaleX, QWidget* parent)
    : QFrame(parent), splitter_(&splitter), scaleX_(scaleX) {
  setFrameShape(Horizontal(splitter.Align()) ? QFrame::VLine : QFrame::HLine);
  setFrameShadow(QFrame::Sunken);
  setCursor(Horizontal(splitter.Align()) ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void SplitterHandle::mousePressEvent(QMouseEvent* event) {
  resized_ = splitter_ && event->button() == Qt::LeftButton ? ResizedBy(*splitter_) : nullptr;
  if (!resized_) return QFrame::mousePressEvent(event);
  pressPos_ = Along(*event, splitter_->Align());
  startSize_ = Horizontal(splitter_->Align()) ? resized_->Width() : resized_->Height();
}

void SplitterHandle::mouseMoveEvent(QMouseEvent* event) {
  if (!resized_ || !splitter_) return QFrame::mouseMoveEvent(event);
  const Align edge = splitter_->Align();
  const bool horizontal = Horizontal(edge);
  const double scale = horizontal ? scaleX_ : 1.0;
  int moved = static_cast<int>((Along(*event, edge) - pressPos_) / scale);
  // Dragging towards the edge makes the control there smaller.
  if (edge == Align::alRight || edge == Align::alBottom) moved = -moved;
  const QWidget* area = parentWidget();
  const int room = static_cast<int>((horizontal ? area->width() : area->height()) / scale);
  const int most = std::max(splitter_->MinSize(), room - splitter_->MinSize() - (horizontal ? splitter_->Width() : splitter_->Height()));
  const int size = std::clamp(startSize_ + moved, splitter_->MinSize(), most);
  if (horizontal) resized_->SetWidth(size);
  else resized_->SetHeight(size);
}

void SplitterHandle::mouseReleaseEvent(QMouseEvent* event) {
  resized_ = nullptr;
  QFrame::mouseReleaseEvent(event);
}

}  // namespace desktop

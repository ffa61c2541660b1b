#pragma once
// The bar of a splitter: dragging it gives the neighbouring control on the
// splitter's edge (the one placed just beyond it) the width or height the
// drag leaves it, never less than the splitter's minimum size.
#include <QFrame>

namespace toolkit {
class Control;
class Splitter;
}  // namespace toolkit

namespace desktop {

class SplitterHandle : public QFrame {
  Q_OBJECT

 public:
  // scaleX: screen pixels per unit of the form's widths.
  SplitterHandle(toolkit::Splitter& splitter, double scaleX, QWidget* parent);
  void Detach() { splitter_ = nullptr; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  toolkit::Splitter* splitter_;
  double scaleX_;
  toolkit::Control* resized_ = nullptr;  // while dragging
  int pressPos_ = 0;                      // global, along the drag
  int startSize_ = 0;                     // of resized_, in form units
};

// The control a splitter resizes: the nearest sibling on the splitter's
// edge beyond it, or nullptr.
toolkit::Control* ResizedBy(const toolkit::Splitter& splitter);

}  // namespace desktop

#include "desktop/WaitPanel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>

namespace desktop {

WaitPanel::WaitPanel(QWidget* parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(2);
  setAttribute(Qt::WA_ShowWithoutActivating);
  label_ = new QLabel(this);
  label_->setAlignment(Qt::AlignCenter);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(24, 16, 24, 16);
  layout->addWidget(label_);
}

QString WaitPanel::DefaultText(int kind) {
  return kind == 0 ? tr("Conectando ao servidor...") : tr("Aguarde...");
}

void WaitPanel::ShowText(int kind, std::string_view text) {
  label_->setText(text.empty() ? DefaultText(kind)
                               : QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  adjustSize();
  CentreOverParent();
  show();
  raise();
  repaint();
  // Only paint and window events: a click now would run a screen's code in
  // the middle of the call we are waiting for.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString WaitPanel::Text() const { return label_->text(); }

void WaitPanel::CentreOverParent() {
  QRect area;
  if (QWidget* over = parentWidget(); over && over->isVisible())
    area = QRect(over->mapToGlobal(QPoint(0, 0)), over->size());
  else if (QScreen* screen = QGuiApplication::primaryScreen())
    area = screen->availableGeometry();
  if (area.isValid()) move(area.center() - rect().center());
}

}  // namespace desktop

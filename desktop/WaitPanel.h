#pragma once
// The wait indicator's panel: a small frameless window with one line of
// text, centred over a widget (or the screen), painted as soon as shown so
// that it is seen while the caller blocks.

#include <string_view>

#include <QFrame>
#include <QString>

class QLabel;

namespace desktop {

class WaitPanel : public QFrame {
  Q_OBJECT

 public:
  explicit WaitPanel(QWidget* parent = nullptr);

  // The text shown for a wait of this kind (0 connecting, 1 saving) when
  // the caller gives none.
  static QString DefaultText(int kind);

  // Shows text (or the default of kind when empty), replacing any text
  // shown, centred over the parent, and paints it now.
  void ShowText(int kind, std::string_view text);
  QString Text() const;

 private:
  void CentreOverParent();

  QLabel* label_ = nullptr;
};

}  // namespace desktop

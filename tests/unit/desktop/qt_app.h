#pragma once
// The one QApplication of the desktop tests (offscreen platform).
#include <QApplication>

namespace desktop_test {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "unit_desktop";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    new QApplication(argc, argv);
  }
  return *static_cast<QApplication*>(QApplication::instance());
}

}  // namespace desktop_test

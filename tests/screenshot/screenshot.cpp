// Saves a picture of the screen as a person sees it: opened from the
// host's menu, a demo flight typed into the header and the service grid
// clicked, so both grids hold the flight's services and ranges.
// Usage: desktop_screenshot OUT.png (run under a display, e.g. xvfb-run).
#include <QApplication>
#include <QMdiSubWindow>
#include <QTest>
#include <cstdio>
#include <iostream>

#include "backend.h"
#include "desktop/FormView.h"
#include "desktop/GridView.h"
#include "framework/GeneralDatabase.h"
#include "framework/Host.h"
#include "host/MainWindow.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/RecordingDialogs.h"

namespace {

QWidget* Widget(desktop::FormView& view, toolkit::Form& form, const char* name) {
  return view.WidgetOf(dynamic_cast<toolkit::Control*>(form.FindComponent(name)));
}

int Shoot(const QString& out) {
  test_support::Backend& backend = test_support::Backend::Get();
  framework::Host().webUrl = "127.0.0.1";
  framework::Host().webPort = backend.Port();
  toolkit::RecordingDialogs dialogs;
  toolkit::Application::Instance().SetDialogs(&dialogs);
  framework::TdtmDBGeral general;
  framework::dtmDBGeral = &general;
  general.adcGeral->Open(backend.DatabaseUrl());
  int rc = 1;
  {
    host::MainWindow window(ATE_MODULE_PATH, "127.0.0.1:" + QString::number(backend.Port()), "demo (SQLite)");
    window.resize(800, 560);
    window.show();
    window.OpenScreen();
    toolkit::Form* form = nullptr;
    for (toolkit::Form* f : toolkit::Application::Instance().Forms())
      if (f->Name() == "frmPropPass") form = f;
    desktop::FormView* view = form ? window.ViewOf(*form) : nullptr;
    if (view) {
      QTest::keyClicks(Widget(*view, *form, "medSgCia"), "ASUL");
      QTest::keyClick(Widget(*view, *form, "medSgCia"), Qt::Key_Tab);
      QTest::keyClicks(Widget(*view, *form, "medNrVoo"), "1110");
      QTest::keyClick(Widget(*view, *form, "medNrVoo"), Qt::Key_Tab);
      auto* grid = qobject_cast<desktop::GridView*>(Widget(*view, *form, "dbgPadrao"));
      QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
      QTest::qWait(200);  // let the window system paint
      const bool saved = window.grab().save(out, "PNG");
      const bool rows = grid->model()->rowCount() > 0;
      for (const std::string& m : dialogs.Messages()) std::cerr << "message: " << m << "\n";
      rc = saved && rows && dialogs.Messages().empty() ? 0 : 1;
      if (!saved) std::cerr << "cannot write " << out.toStdString() << "\n";
    } else {
      std::cerr << "the screen did not open\n";
    }
    window.Shutdown();
  }
  toolkit::Application::Instance().Reset();
  framework::dtmDBGeral = nullptr;
  test_support::Backend::Release();
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::cerr << "usage: desktop_screenshot OUT.png\n";
    return 2;
  }
  const int rc = Shoot(QString::fromLocal8Bit(argv[1]));
  if (rc == 0) std::cout << "saved " << argv[1] << "\n";
  return rc;
}

#pragma once
// The host with the screen module loaded, on a demo back end, for tests
// that act on the real widgets as a person does.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "backend.h"
#include "desktop/FormView.h"
#include "desktop/GridView.h"
#include "desktop/QtDialogs.h"
#include "framework/GeneralDatabase.h"
#include "framework/Host.h"
#include "host/MainWindow.h"
#include "qt_app.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/RecordingDialogs.h"

namespace host_test {

using test_support::Backend;

class BackendEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { Backend::Release(); }
};
inline const ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new BackendEnvironment);

class HostScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    desktop_test::App();
    framework::HostSettings& host = framework::Host();
    host.webUrl = "127.0.0.1";
    host.webPort = Backend::Get().Port();
    host.filiProc = "0001";
    host.moduFili = false;
    host.dbPict = "99.99.999";
    toolkit::Application::Instance().Reset();
    toolkit::Application::Instance().SetDialogs(&dialogs);
    framework::dtmDBGeral = new framework::TdtmDBGeral();
    framework::dtmDBGeral->adcGeral->Open(Backend::Get().DatabaseUrl());
  }
  void TearDown() override {
    toolkit::Application::Instance().SetDialogs(&dialogs);
    window.reset();
    toolkit::Application::Instance().Reset();
    delete framework::dtmDBGeral;
    framework::dtmDBGeral = nullptr;
  }

  // Opens the screen from the host's menu.
  desktop::FormView& Open() {
    window = std::make_unique<host::MainWindow>(ATE_MODULE_PATH, "127.0.0.1", "demo");
    window->show();
    window->OpenScreen();
    EXPECT_TRUE(dialogs.Messages().empty());
    form = Find("frmPropPass");
    desktop::FormView* view = form ? window->ViewOf(*form) : nullptr;
    if (!view) throw std::runtime_error("the screen has no view");
    return *view;
  }
  toolkit::Form* Find(const std::string& name) {
    for (toolkit::Form* f : toolkit::Application::Instance().Forms())
      if (f->Name() == name) return f;
    return nullptr;
  }
  template <class W = QWidget>
  W* Widget(desktop::FormView& view, const char* name) {
    auto* control = dynamic_cast<toolkit::Control*>(form->FindComponent(name));
    return control ? qobject_cast<W*>(view.WidgetOf(control)) : nullptr;
  }
  // Types ASUL and 1110 into the header with Tab after each, as a person
  // does, and clicks the first service: the demo flight on screen.
  desktop::GridView* LoadDemoFlight(desktop::FormView& view) {
    QTest::keyClicks(Widget(view, "medSgCia"), "ASUL");
    QTest::keyClick(Widget(view, "medSgCia"), Qt::Key_Tab);
    QTest::keyClicks(Widget(view, "medNrVoo"), "1110");
    QTest::keyClick(Widget(view, "medNrVoo"), Qt::Key_Tab);
    auto* services = Widget<desktop::GridView>(view, "dbgPadrao");
    QTest::mouseClick(services->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    return services;
  }
  std::string ToolkitText(const char* name) {
    return dynamic_cast<toolkit::Control*>(form->FindComponent(name))->Text();
  }

  // From here on, dialogs are real Qt ones, answered by the test as a
  // person would (the recorded ones otherwise).
  void AnswerOnQt() { toolkit::Application::Instance().SetDialogs(&qtDialogs); }

  toolkit::RecordingDialogs dialogs;
  desktop::QtDialogs qtDialogs{nullptr, [](toolkit::Form& f, QWidget* parent) -> QWidget* {
                                 return new desktop::FormView(f, parent);
                               }};
  std::unique_ptr<host::MainWindow> window;
  toolkit::Form* form = nullptr;
};

// The same, with the dialogs on Qt from the start.
class HostScreenWithQtDialogs : public HostScreen {
 protected:
  void SetUp() override {
    HostScreen::SetUp();
    AnswerOnQt();
  }
};

// Runs act on the first modal widget of kind W to appear (polled).
template <class W>
inline void OnModal(std::function<void(W&)> act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(*w);
    }
  });
  timer->start(10);
}

inline QAbstractButton* ButtonIn(QWidget& parent, const QString& caption) {
  for (QAbstractButton* b : parent.findChildren<QAbstractButton*>())
    if (b->text() == caption) return b;
  return nullptr;
}

}  // namespace host_test

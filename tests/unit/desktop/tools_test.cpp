// The planning tools on the real desktop: their keys reach the screen through
// Qt, and a tool's window opens with the focus where typing belongs.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QTest>

#include "desktop/GridView.h"
#include "host_fixture.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/data/DataSet.h"

namespace {

using namespace host_test;

// Ctrl+Q from the service grid: the count proposed (the seats) is selected,
// so the count typed replaces it and the list follows it; Esc closes.
TEST_F(HostScreenWithQtDialogs, TheQuantityToolTakesTheTypedCountAndEscCloses) {
  desktop::GridView* services = LoadDemoFlight(Open());
  ASSERT_TRUE(dialogs.Messages().empty());

  QString proposed, typed, status;
  int rows = -1;
  OnModal<QDialog>([&](QDialog& tool) {
    // The window shows before Qt has handed it the focus (slower still
    // under the sanitizers): a person types once the caret is there.
    auto focusedEntry = [&tool] {
      auto* entry = qobject_cast<QLineEdit*>(QApplication::focusWidget());
      return entry && tool.isAncestorOf(entry) ? entry : nullptr;
    };
    QTest::qWaitFor([&] { return focusedEntry() != nullptr; }, 5000);
    QLineEdit* entry = focusedEntry();
    if (!entry) return tool.reject();
    proposed = entry->selectedText();
    QTest::keyClicks(entry, "25");
    toolkit::Form* form = Find("frmQtdeParaPax");
    typed = QString::fromStdString(dynamic_cast<toolkit::Edit&>(*form->FindComponent("edtQtPax")).Text());
    status = QString::fromStdString(dynamic_cast<toolkit::Control&>(*form->FindComponent("lblSituacao")).Text());
    rows = dynamic_cast<toolkit::DataSet&>(*form->FindComponent("cdsQtdePax")).RecordCount();
    QTest::keyClick(entry, Qt::Key_Escape);
  });
  QTest::keyClick(services, Qt::Key_Q, Qt::ControlModifier);

  EXPECT_EQ(proposed, "220");
  EXPECT_EQ(typed, "25");
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(status, QStringLiteral("2 serviços."));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(dialogs.Messages().empty());
}

}  // namespace

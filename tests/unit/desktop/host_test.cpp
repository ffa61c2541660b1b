// The host loading the screen module and showing the screen with Qt: what a
// person types and clicks reaches the screen, and what the screen decides
// (focus, rows) shows in the widgets.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include "desktop/FormView.h"
#include "desktop/GridView.h"
#include "desktop/PickListDialog.h"
#include "desktop/QtDialogs.h"
#include "host_fixture.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/RecordingDialogs.h"

namespace {

using namespace host_test;

TEST_F(HostScreen, TheMenuLoadsTheModuleAndShowsTheScreenAsAnMdiChild) {
  desktop::FormView& view = Open();
  QMdiSubWindow* sub = window->SubWindowOf(*form);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->windowTitle(), QStringLiteral("Proporção de Serviço por Passageiro"));
  EXPECT_EQ(window->MdiArea()->subWindowList().size(), 1);
  // Opened whole: at its size, or maximised on a screen too small for it.
  if (sub->isMaximized()) EXPECT_TRUE(window->isMaximized());
  else EXPECT_EQ(view.size(), view.sizeHint());
  EXPECT_GE(view.sizeHint().width(), 657);
  // The host's branch is on screen and the focus is on the airline.
  EXPECT_EQ(Widget<QLineEdit>(view, "edtfilial")->text(), QStringLiteral("0001"));
  EXPECT_EQ(Widget<QLineEdit>(view, "edtNmfilial")->text(), QStringLiteral("Cozinha Guarulhos"));
  EXPECT_EQ(view.focusWidget(), Widget(view, "medSgCia"));
  // Opening again shows the same screen.
  window->OpenScreen();
  EXPECT_EQ(window->MdiArea()->subWindowList().size(), 1);
}

TEST_F(HostScreen, TypingGoesThroughTheToolkit) {
  desktop::FormView& view = Open();
  QLineEdit* airline = Widget<QLineEdit>(view, "medSgCia");
  QTest::keyClicks(airline, "asul");
  // Upper-cased by the toolkit's edit, not by Qt.
  EXPECT_EQ(ToolkitText("medSgCia"), "ASUL");
  EXPECT_EQ(airline->text(), QStringLiteral("ASUL"));
  QTest::keyClick(airline, Qt::Key_Tab);
  EXPECT_EQ(view.focusWidget(), Widget(view, "medNrVoo"));
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(HostScreen, ARefusedExitKeepsTheQtFocusOnTheEdit) {
  desktop::FormView& view = Open();
  QLineEdit* airline = Widget<QLineEdit>(view, "medSgCia");
  QTest::keyClicks(airline, "XYZ");
  QTest::keyClick(airline, Qt::Key_Tab);
  EXPECT_EQ(dialogs.TakeMessages(), std::vector<std::string>{"Companhia não cadastrada."});
  EXPECT_EQ(form->ActiveControl()->Name(), "medSgCia");
  EXPECT_EQ(view.focusWidget(), airline);
  // A click elsewhere is refused the same way.
  QTest::mouseClick(Widget(view, "medNrVoo"), Qt::LeftButton);
  EXPECT_EQ(dialogs.TakeMessages(), std::vector<std::string>{"Companhia não cadastrada."});
  EXPECT_EQ(view.focusWidget(), airline);
}

TEST_F(HostScreen, TheGridsShowTheRowsOfTheFlight) {
  desktop::FormView& view = Open();
  QTest::keyClicks(Widget(view, "medSgCia"), "ASUL");
  QTest::keyClick(Widget(view, "medSgCia"), Qt::Key_Tab);
  QTest::keyClicks(Widget(view, "medNrVoo"), "1110");
  QTest::keyClick(Widget(view, "medNrVoo"), Qt::Key_Tab);
  auto* legs = Widget<QComboBox>(view, "cbbTrecho");
  ASSERT_EQ(legs->count(), 2);
  EXPECT_EQ(legs->currentText(), QStringLiteral("GRU-GIG 11h20"));
  auto* services = Widget<desktop::GridView>(view, "dbgPadrao");
  QTest::mouseClick(services->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(view.focusWidget(), services);
  QAbstractItemModel* rows = services->model();
  ASSERT_EQ(rows->rowCount(), 2);
  EXPECT_EQ(rows->data(rows->index(0, 1)).toString(), QStringLiteral("Café da manhã econômico"));
  EXPECT_EQ(rows->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Descrição"));
  auto* ranges = Widget<desktop::GridView>(view, "dbgQtdePropServico");
  QAbstractItemModel* r = ranges->model();
  ASSERT_EQ(r->rowCount(), 3);
  EXPECT_EQ(r->data(r->index(1, 0)).toString(), QStringLiteral("21"));
  EXPECT_EQ(r->data(r->index(1, 1)).toString(), QStringLiteral("50"));
  // The current cell follows the grid.
  EXPECT_EQ(services->currentIndex().row(), 0);
}

class HostReport : public HostScreenWithQtDialogs {
 protected:
  // Opens the report screen from the print command over ASUL 1110 and, once
  // it shows, clicks the button captioned action; the report's own dialog
  // (preview or print) goes to answer, which must close it. Returns the
  // report screen's title, or an empty text when its buttons did not show.
  template <class ReportDialog>
  QString RunReportScreen(const QString& action, std::function<void(ReportDialog&)> answer) {
    desktop::FormView& view = Open();
    LoadDemoFlight(view);
    QString title;
    OnModal<QDialog>([&](QDialog& report) {
      QAbstractButton* button = ButtonIn(report, action);
      QAbstractButton* close = ButtonIn(report, "Sair");
      if (!button || !close || !button->isVisible() || button->width() == 0) return report.reject();
      title = report.windowTitle();
      OnModal<ReportDialog>([answer, close](ReportDialog& dialog) {
        answer(dialog);
        QTimer::singleShot(0, close, [close] { QTest::mouseClick(close, Qt::LeftButton); });
      });
      QTest::mouseClick(button, Qt::LeftButton);
    });
    QTest::mouseClick(Widget(view, "sbtImprimir"), Qt::LeftButton);
    return title;
  }
};

TEST_F(HostReport, PrintOpensTheReportScreenWhosePreviewShowsTheFlightsReport) {
  QString previewTitle;
  const QString title = RunReportScreen<QPrintPreviewDialog>("Visualizar", [&](QPrintPreviewDialog& d) {
    previewTitle = d.windowTitle();
    d.reject();
  });
  EXPECT_EQ(title, QStringLiteral("Proporção de Serviço por Passageiro"));
  EXPECT_EQ(previewTitle, title);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(HostReport, PrintingToAFileWritesTheFlightsReport) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("ate116.pdf");
  RunReportScreen<QPrintDialog>("Imprimir", [&](QPrintDialog& d) {
    // Emitted after the dialog has set the printer up, before printing.
    QObject::connect(&d, qOverload<QPrinter*>(&QPrintDialog::accepted), [path](QPrinter* printer) {
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(path);
    });
    d.accept();
  });
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().startsWith("%PDF"));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

using HostPickList = HostScreenWithQtDialogs;

bool RowShowsText(QTableWidget& table, int row, const QString& text) {
  for (int c = 0; c < table.columnCount(); ++c)
    if (table.item(row, c)->text().contains(text, Qt::CaseInsensitive)) return true;
  return false;
}

// A person types the start of an airline, then opens its lookup: the list
// opens searching for it, on its first match, and the pick fills the
// header.
TEST_F(HostPickList, TheAirlineLookupOpensOnWhatWasTyped) {
  desktop::FormView& view = Open();
  QTest::keyClicks(Widget(view, "medSgCia"), "as");
  QString sigla, flight;
  int shown = 0;
  OnModal<QDialog>([&](QDialog& modal) {
    auto* pickList = qobject_cast<desktop::PickListDialog*>(&modal);
    if (!pickList) {
      ADD_FAILURE() << "not the pick list: " << modal.windowTitle().toStdString();
      return modal.reject();
    }
    desktop::PickListDialog& list = *pickList;
    EXPECT_EQ(list.findChild<QLineEdit*>()->text(), QStringLiteral("AS"));
    QTableWidget& table = *list.findChild<QTableWidget*>();
    int first = -1;
    for (int r = 0; r < table.rowCount(); ++r) {
      EXPECT_EQ(table.isRowHidden(r), !RowShowsText(table, r, "AS")) << "row " << r;
      if (!table.isRowHidden(r) && first < 0) first = r;
    }
    shown = list.VisibleRowCount();
    EXPECT_LT(shown, table.rowCount());
    EXPECT_EQ(list.CurrentRow(), first);
    QTest::keyClick(list.findChild<QLineEdit*>(), Qt::Key_Down);
    sigla = table.item(list.CurrentRow(), 0)->text();
    flight = table.item(list.CurrentRow(), 1)->text();
    QTest::keyClick(list.findChild<QLineEdit*>(), Qt::Key_Return);
  });
  QTest::mouseClick(Widget(view, "btpSgCompanhia"), Qt::LeftButton);
  EXPECT_GT(shown, 1);
  EXPECT_EQ(sigla, QStringLiteral("ASUL"));
  EXPECT_EQ(Widget<QLineEdit>(view, "medSgCia")->text(), sigla);
  EXPECT_EQ(Widget<QLineEdit>(view, "medNrVoo")->text(), flight);
}

TEST_F(HostScreen, SuspendedRepaintingShowsTheChangesOnceItResumes) {
  desktop::FormView& view = Open();
  auto* prefix = dynamic_cast<toolkit::Edit*>(form->FindComponent("edtPrefixo"));
  toolkit::Application& app = toolkit::Application::Instance();
  app.SuspendRepaint();
  prefix->SetText("PT-ABC");
  EXPECT_EQ(Widget<QLineEdit>(view, "edtPrefixo")->text(), QString());
  app.ResumeRepaint();
  EXPECT_EQ(Widget<QLineEdit>(view, "edtPrefixo")->text(), QStringLiteral("PT-ABC"));
}

TEST_F(HostScreen, ClosingTheWindowClosesTheScreen) {
  Open();
  window->SubWindowOf(*form)->close();
  EXPECT_EQ(Find("frmPropPass"), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window->MdiArea()->subWindowList().isEmpty());
  // The module stays loaded: opening again creates a fresh screen.
  window->OpenScreen();
  EXPECT_NE(Find("frmPropPass"), nullptr);
  EXPECT_EQ(window->MdiArea()->subWindowList().size(), 1);
}

TEST_F(HostScreen, AMissingModuleIsReportedByName) {
  window = std::make_unique<host::MainWindow>("/nonexistent/libPkg_ate11600.so", "127.0.0.1", "demo");
  window->OpenScreen();
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_NE(dialogs.Messages()[0].find("Não foi possível carregar o módulo /nonexistent/libPkg_ate11600.so"),
            std::string::npos);
  EXPECT_TRUE(window->MdiArea()->subWindowList().isEmpty());
}

}  // namespace

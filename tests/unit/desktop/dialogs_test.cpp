// The Qt dialog service: what people see in messages, pick lists, the wait
// indicator, modal forms and reports, and what their answers do.
#include <gtest/gtest.h>

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

#include "desktop/PickListDialog.h"
#include "desktop/QtDialogs.h"
#include "desktop/ReportView.h"
#include "desktop/WaitPanel.h"
#include "qt_app.h"
#include "toolkit/controls/Form.h"
#include "toolkit/data/ClientDataSet.h"

namespace {

using desktop::MatchingRows;
using desktop::PickListDialog;
using desktop::QtDialogs;
using Cells = std::vector<std::vector<std::string>>;

// Runs act on the modal dialog of type W once it is up; gives up (and
// rejects whatever is modal, so exec returns) after about two seconds.
template <class W>
void WhenModal(std::function<void(W&)> act) {
  auto* timer = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, act, tries] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* w = qobject_cast<W*>(modal)) {
      timer->deleteLater();
      timer->stop();
      act(*w);
    } else if (++*tries > 400) {
      timer->deleteLater();
      timer->stop();
      ADD_FAILURE() << "no modal " << W::staticMetaObject.className();
      if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
    }
  });
  timer->start(5);
}

const Cells kPeople = {{"1", "Ana Souza", "Recife"},
                       {"2", "Bruno Lima", "Natal"},
                       {"3", "Carla Ana", "São Paulo"},
                       {"4", "Davi", "SANTANA"}};

// --- filtering ---------------------------------------------------------------

TEST(QtDialogsMatchingRows, SubstringOfAnyColumnIgnoringCase) {
  EXPECT_EQ(MatchingRows(kPeople, ""), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(MatchingRows(kPeople, "ana"), (std::vector<int>{0, 2, 3}));  // name start, name end, city
  EXPECT_EQ(MatchingRows(kPeople, "NATAL"), (std::vector<int>{1}));
  EXPECT_EQ(MatchingRows(kPeople, "2"), (std::vector<int>{1}));
  EXPECT_TRUE(MatchingRows(kPeople, "zz").empty());
  EXPECT_TRUE(MatchingRows(kPeople, "Ana Lima").empty());  // one cell must hold the whole text
}

// People type without accents, or with other ones, in either case.
TEST(QtDialogsMatchingRows, AccentsAndCaseAreIgnoredOnBothSides) {
  const Cells places = {{"SÃO PAULO"}, {"Café"}, {"AÇÃO"}, {"Sapé"}, {"CAFE"}};
  EXPECT_EQ(MatchingRows(places, "sao"), (std::vector<int>{0}));
  EXPECT_EQ(MatchingRows(places, "São Paulo"), (std::vector<int>{0}));
  EXPECT_EQ(MatchingRows(places, "cafe"), (std::vector<int>{1, 4}));
  EXPECT_EQ(MatchingRows(places, "CAFÉ"), (std::vector<int>{1, 4}));
  EXPECT_EQ(MatchingRows(places, "acao"), (std::vector<int>{2}));
  EXPECT_EQ(MatchingRows(places, "sapê"), (std::vector<int>{3}));
  EXPECT_TRUE(MatchingRows(places, "sao p aulo").empty());
  EXPECT_TRUE(MatchingRows(places, "cafes").empty());

  // The dialog filters the same way as one types.
  desktop_test::App();
  PickListDialog d("t", {{"Cidade"}}, places, 0);
  QTest::keyClicks(d.findChild<QLineEdit*>(), "cafe");
  EXPECT_EQ(d.VisibleRowCount(), 2);
  EXPECT_EQ(d.CurrentRow(), 1);
}

// --- pick list dialog ----------------------------------------------------------

std::vector<desktop::PickColumn> PeopleColumns() { return {{"Código"}, {"Nome"}, {"Cidade"}}; }

class QtDialogsPickList : public ::testing::Test {
 protected:
  void SetUp() override { desktop_test::App(); }
  QLineEdit* Search(PickListDialog& d) { return d.findChild<QLineEdit*>(); }
  QTableWidget* Table(PickListDialog& d) { return d.findChild<QTableWidget*>(); }
};

TEST_F(QtDialogsPickList, ShowsTitleHeadersAndCellsWithTheCurrentRowSelected) {
  PickListDialog d("Clientes", PeopleColumns(), kPeople, 2);
  EXPECT_EQ(d.windowTitle(), "Clientes");
  QTableWidget* table = Table(d);
  ASSERT_EQ(table->columnCount(), 3);
  EXPECT_EQ(table->horizontalHeaderItem(0)->text(), "Código");
  EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "Cidade");
  EXPECT_EQ(table->item(2, 2)->text(), "São Paulo");
  EXPECT_GT(table->columnWidth(1), table->columnWidth(0));  // names against one-digit codes
  EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(d.VisibleRowCount(), 4);
  EXPECT_EQ(d.CurrentRow(), 2);
  EXPECT_EQ(PickListDialog("t", PeopleColumns(), kPeople, -1).CurrentRow(), 0);
}

TEST_F(QtDialogsPickList, SearchHidesRowsAndThePickIsTheDataSetRowNotTheShownPosition) {
  PickListDialog d("t", PeopleColumns(), kPeople, 1);
  d.SetSearch("ANA");
  EXPECT_EQ(d.VisibleRowCount(), 3);
  EXPECT_EQ(d.CurrentRow(), 0);  // row 1 went out of sight
  EXPECT_FALSE(d.SelectRow(1));
  ASSERT_TRUE(d.SelectRow(3));
  d.accept();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.ChosenRow(), 3);
}

TEST_F(QtDialogsPickList, TypingInTheSearchBoxFilters) {
  PickListDialog d("t", PeopleColumns(), kPeople, 0);
  QTest::keyClicks(Search(d), "natal");
  EXPECT_EQ(d.VisibleRowCount(), 1);
  EXPECT_EQ(d.CurrentRow(), 1);
  Search(d)->clear();
  EXPECT_EQ(d.VisibleRowCount(), 4);
  EXPECT_EQ(d.CurrentRow(), 1);  // a still visible selection stays
}

TEST_F(QtDialogsPickList, NothingShownMeansNothingToPick) {
  PickListDialog d("t", PeopleColumns(), kPeople, 0);
  d.show();
  d.SetSearch("zzz");
  EXPECT_EQ(d.VisibleRowCount(), 0);
  EXPECT_EQ(d.CurrentRow(), -1);
  d.accept();
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.ChosenRow(), -1);
  d.SetSearch("");
  EXPECT_EQ(d.CurrentRow(), 0);
}

TEST_F(QtDialogsPickList, ArrowsInTheSearchBoxMoveOverVisibleRowsAndEnterPicks) {
  PickListDialog d("t", PeopleColumns(), kPeople, 0);
  d.show();
  d.SetSearch("an");
  ASSERT_EQ(d.VisibleRowCount(), 3);  // 0, 2, 3
  QTest::keyClick(Search(d), Qt::Key_Down);
  EXPECT_EQ(d.CurrentRow(), 2);
  QTest::keyClick(Search(d), Qt::Key_Down);
  EXPECT_EQ(d.CurrentRow(), 3);
  QTest::keyClick(Search(d), Qt::Key_Up);
  EXPECT_EQ(d.CurrentRow(), 2);
  QTest::keyClick(Search(d), Qt::Key_Return);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.ChosenRow(), 2);
}

TEST_F(QtDialogsPickList, EscapeCancelsAndDoubleClickPicks) {
  PickListDialog cancelled("t", PeopleColumns(), kPeople, 1);
  cancelled.show();
  QTest::keyClick(Search(cancelled), Qt::Key_Escape);
  EXPECT_EQ(cancelled.result(), QDialog::Rejected);
  EXPECT_EQ(cancelled.ChosenRow(), -1);

  PickListDialog picked("t", PeopleColumns(), kPeople, 0);
  picked.show();
  QTableWidget* table = Table(picked);
  const QPoint at = table->visualItemRect(table->item(3, 1)).center();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(picked.result(), QDialog::Accepted);
  EXPECT_EQ(picked.ChosenRow(), 3);
}

// Nothing shows cut: every header and every cell, down to the last row,
// fits its column as the dialog opens, the last column too.
TEST_F(QtDialogsPickList, EveryColumnOpensWideEnoughForItsTitleAndWidestCell) {
  Cells cells;
  for (int i = 0; i < 1500; ++i) cells.push_back({std::to_string(i), "Ana", "Recife"});
  cells.back() = {"1499", "Maria Aparecida dos Santos Figueiredo", "São José dos Campos"};
  PickListDialog d("t", {{"Identificação do cliente"}, {"Nome"}, {"Cidade"}}, cells, 0);
  d.show();
  QTableWidget* table = Table(d);
  const int textMargin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
  const int headerMargin = table->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, table->horizontalHeader());
  const QFontMetrics cellFont = table->fontMetrics();
  const QFontMetrics headerFont = table->horizontalHeader()->fontMetrics();
  for (int c = 0; c < table->columnCount(); ++c) {
    const int width = table->columnWidth(c);
    const QString title = table->horizontalHeaderItem(c)->text();
    EXPECT_EQ(headerFont.elidedText(title, Qt::ElideRight, width - 2 * headerMargin), title) << "column " << c;
    for (int r = 0; r < table->rowCount(); ++r) {
      const QString text = table->item(r, c)->text();
      ASSERT_EQ(cellFont.elidedText(text, Qt::ElideRight, width - 2 * textMargin), text) << "row " << r;
    }
  }
  EXPECT_LE(table->horizontalHeader()->length(), table->viewport()->width());
}

// --- pick list on a dataset -----------------------------------------------------

class QtDialogsPickRow : public ::testing::Test {
 protected:
  toolkit::ClientDataSet ds;
  QtDialogs dialogs{nullptr, nullptr};
  int scrolls = 0;

  void SetUp() override {
    desktop_test::App();
    ds.AddStringField("CDCLIENTE", 4).SetDisplayLabel("Código");
    ds.AddStringField("NMCLIENTE", 30).SetDisplayLabel("Nome");
    ds.AddStringField("NMCIDADE", 20);
    packet::DataPacket p;
    p.fields = {{"CDCLIENTE", packet::FieldType::String, 4},
                {"NMCLIENTE", packet::FieldType::String, 30},
                {"NMCIDADE", packet::FieldType::String, 20}};
    for (const auto& row : kPeople) p.rows.push_back({row[0], row[1], row[2]});
    ds.SetData(std::move(p));
    ds.MoveBy(1);
    ds.AfterScroll = [this](toolkit::DataSet&) { ++scrolls; };
  }
  std::vector<toolkit::Field*> Shown() { return {&ds.FieldByName("NMCLIENTE"), &ds.FieldByName("CDCLIENTE")}; }
};

TEST_F(QtDialogsPickRow, ReadsTheShownFieldsOfEveryRowWithoutMovingTheCursor) {
  const Cells cells = desktop::PickCells(ds, Shown());
  EXPECT_EQ(cells, (Cells{{"Ana Souza", "1"}, {"Bruno Lima", "2"}, {"Carla Ana", "3"}, {"Davi", "4"}}));
  EXPECT_EQ(ds.CurrentIndex(), 1);
  EXPECT_EQ(scrolls, 0);
  const auto columns = desktop::PickColumns(Shown());
  ASSERT_EQ(columns.size(), 2u);
  EXPECT_EQ(columns[0].label, "Nome");
  EXPECT_EQ(columns[1].label, "Código");
}

TEST_F(QtDialogsPickRow, APickMovesTheDataSetToThePickedRow) {
  WhenModal<PickListDialog>([](PickListDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Clientes");
    EXPECT_EQ(d.CurrentRow(), 1);
    d.SetSearch("carla");
    d.accept();
  });
  EXPECT_TRUE(dialogs.PickRow("Clientes", ds, Shown()));
  EXPECT_EQ(ds.CurrentIndex(), 2);
  EXPECT_EQ(ds.FieldByName("CDCLIENTE").AsString(), "3");
  EXPECT_EQ(scrolls, 1);
}

// The list opens on what is typed beside the lookup: filtered by it, on
// its first match even when the dataset stood on a later one; a pick is
// the dataset's row.
TEST_F(QtDialogsPickRow, TypedTextOpensTheListFilteredOnItsFirstMatch) {
  ds.MoveBy(1);  // on Carla Ana, a match but not the first
  WhenModal<PickListDialog>([&](PickListDialog& d) {
    EXPECT_EQ(d.findChild<QLineEdit*>()->text(), "ana");
    EXPECT_EQ(d.VisibleRowCount(), 2);  // Ana Souza, Carla Ana
    EXPECT_EQ(d.CurrentRow(), 0);
    QTest::keyClick(d.findChild<QLineEdit*>(), Qt::Key_Down);
    QTest::keyClick(d.findChild<QLineEdit*>(), Qt::Key_Return);
  });
  EXPECT_TRUE(dialogs.PickRow("Clientes", ds, Shown(), "ana"));
  EXPECT_EQ(ds.FieldByName("NMCLIENTE").AsString(), "Carla Ana");

  // Nothing typed: the whole list, on the dataset's row.
  ds.MoveBy(1);
  WhenModal<PickListDialog>([&](PickListDialog& d) {
    EXPECT_TRUE(d.findChild<QLineEdit*>()->text().isEmpty());
    EXPECT_EQ(d.VisibleRowCount(), 4);
    EXPECT_EQ(d.CurrentRow(), 3);
    d.reject();
  });
  EXPECT_FALSE(dialogs.PickRow("Clientes", ds, Shown(), ""));
  EXPECT_EQ(ds.CurrentIndex(), 3);
}

TEST_F(QtDialogsPickRow, CancellingLeavesTheCursorAlone) {
  WhenModal<PickListDialog>([](PickListDialog& d) {
    d.SelectRow(3);
    d.reject();
  });
  EXPECT_FALSE(dialogs.PickRow("Clientes", ds, Shown()));
  EXPECT_EQ(ds.CurrentIndex(), 1);
  EXPECT_EQ(scrolls, 0);
}

// --- messages and confirmation ----------------------------------------------------

class QtDialogsMessages : public ::testing::Test {
 protected:
  void SetUp() override { desktop_test::App(); }
  QtDialogs dialogs{nullptr, nullptr};
};

TEST_F(QtDialogsMessages, ErrorAndInformationBoxesCarryTheirTitleIconAndText) {
  auto error = QtDialogs::ErrorBox("Campo obrigatório", nullptr);
  EXPECT_EQ(error->windowTitle(), "Erro");
  EXPECT_EQ(error->icon(), QMessageBox::Critical);
  EXPECT_EQ(error->text(), "Campo obrigatório");
  EXPECT_EQ(error->standardButtons(), QMessageBox::Ok);
  auto info = QtDialogs::InformationBox("Gravado", nullptr);
  EXPECT_EQ(info->windowTitle(), "Informação");
  EXPECT_EQ(info->icon(), QMessageBox::Information);
  EXPECT_EQ(info->standardButtons(), QMessageBox::Ok);
}

TEST_F(QtDialogsMessages, ConfirmationAsksSimOrNaoWithNaoTheDefault) {
  auto box = QtDialogs::ConfirmBox("Excluir o registro?", nullptr);
  EXPECT_EQ(box->windowTitle(), "Confirmação");
  EXPECT_EQ(box->icon(), QMessageBox::Question);
  EXPECT_EQ(box->text(), "Excluir o registro?");
  ASSERT_NE(box->button(QMessageBox::Yes), nullptr);
  ASSERT_NE(box->button(QMessageBox::No), nullptr);
  EXPECT_EQ(box->button(QMessageBox::Yes)->text(), "Sim");
  EXPECT_EQ(box->button(QMessageBox::No)->text(), "Não");
  EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
  EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::No));
}

TEST_F(QtDialogsMessages, ConfirmAnswersWhatWasClicked) {
  WhenModal<QMessageBox>([](QMessageBox& b) { b.button(QMessageBox::Yes)->click(); });
  EXPECT_TRUE(dialogs.Confirm("Continuar?"));
  WhenModal<QMessageBox>([](QMessageBox& b) { b.button(QMessageBox::No)->click(); });
  EXPECT_FALSE(dialogs.Confirm("Continuar?"));
  WhenModal<QMessageBox>([](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Escape); });
  EXPECT_FALSE(dialogs.Confirm("Continuar?"));
  // Return at once, as a hurried person does, answers "Não".
  WhenModal<QMessageBox>([](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Return); });
  EXPECT_FALSE(dialogs.Confirm("Excluir registro?"));
}

// --- wait indicator -------------------------------------------------------------

class QtDialogsWait : public ::testing::Test {
 protected:
  void SetUp() override {
    desktop_test::App();
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  }
  // A wait that has lasted: the call ticks once the delay has passed.
  static void ShowLastingWait(QtDialogs& dialogs, int kind, std::string_view text) {
    dialogs.ShowWait(kind, text);
    std::this_thread::sleep_for(QtDialogs::kWaitDelay + std::chrono::milliseconds(20));
    dialogs.Waiting();
  }
};

TEST_F(QtDialogsWait, AQuickAnswerShowsNothingAndALastingOneShowsWhatIsDone) {
  QtDialogs dialogs(nullptr, nullptr);
  dialogs.ShowWait(1, "Atualizando Servidor...");
  dialogs.Waiting();  // the call ticks at once: too early
  EXPECT_TRUE(dialogs.Panel() == nullptr || !dialogs.Panel()->isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  dialogs.HideWait();  // answered quickly
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  ShowLastingWait(dialogs, 1, "Atualizando Servidor...");
  ASSERT_NE(dialogs.Panel(), nullptr);
  EXPECT_TRUE(dialogs.Panel()->isVisible());
  EXPECT_EQ(dialogs.Panel()->Text(), "Atualizando Servidor...");
  // A message comes while it waits: the panel is gone before the box shows.
  bool panelUnderBox = true;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      panelUnderBox = dialogs.Panel()->isVisible();
      box->accept();
    }
  });
  answer.start(10);
  dialogs.ShowError("Falhou.");
  answer.stop();
  EXPECT_FALSE(panelUnderBox);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // Ticks after the message do not bring back a wait that was ended.
  std::this_thread::sleep_for(QtDialogs::kWaitDelay + std::chrono::milliseconds(20));
  dialogs.Waiting();
  EXPECT_FALSE(dialogs.Panel()->isVisible());
  dialogs.CallEnded();
}

TEST_F(QtDialogsWait, ACallNobodyAnnouncedGetsAWaitOfItsOwnUntilItEnds) {
  QtDialogs dialogs(nullptr, nullptr);
  dialogs.Waiting();
  EXPECT_TRUE(dialogs.Panel() == nullptr || !dialogs.Panel()->isVisible());
  std::this_thread::sleep_for(QtDialogs::kWaitDelay + std::chrono::milliseconds(20));
  dialogs.Waiting();
  ASSERT_NE(dialogs.Panel(), nullptr);
  EXPECT_TRUE(dialogs.Panel()->isVisible());
  EXPECT_EQ(dialogs.Panel()->Text(), "Aguardando resposta do servidor...");
  dialogs.CallEnded();
  EXPECT_FALSE(dialogs.Panel()->isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // The next call starts its own clock.
  dialogs.Waiting();
  EXPECT_FALSE(dialogs.Panel()->isVisible());
  dialogs.CallEnded();
}

TEST_F(QtDialogsWait, RepeatedWaitsReplaceTheTextUnderOneBusyCursor) {
  QtDialogs dialogs(nullptr, nullptr);
  ShowLastingWait(dialogs, 1, "");
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  ASSERT_NE(dialogs.Panel(), nullptr);
  EXPECT_TRUE(dialogs.Panel()->isVisible());
  EXPECT_EQ(dialogs.Panel()->Text(), "Aguarde...");
  dialogs.ShowWait(0, "");
  EXPECT_EQ(dialogs.Panel()->Text(), "Conectando ao servidor...");
  dialogs.ShowWait(1, "Gravando pedido");
  EXPECT_EQ(dialogs.Panel()->Text(), "Gravando pedido");

  dialogs.HideWait();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // one restore undid all three waits
  EXPECT_FALSE(dialogs.Panel()->isVisible());
  ShowLastingWait(dialogs, 0, "");
  EXPECT_TRUE(dialogs.Panel()->isVisible());
  dialogs.HideWait();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(QtDialogsWait, HidingWithNothingShownLeavesOtherCursorsAlone) {
  QtDialogs dialogs(nullptr, nullptr);
  QApplication::setOverrideCursor(Qt::CrossCursor);
  dialogs.HideWait();
  ShowLastingWait(dialogs, 1, "");
  dialogs.HideWait();
  dialogs.HideWait();
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
  QApplication::restoreOverrideCursor();
}

TEST_F(QtDialogsWait, TheServiceGoingAwayEndsItsWait) {
  {
    QtDialogs dialogs(nullptr, nullptr);
    ShowLastingWait(dialogs, 0, "");
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(QtDialogsWait, ThePanelIsCentredOverItsParent) {
  QWidget window;
  window.setGeometry(100, 100, 800, 600);
  window.show();
  QtDialogs dialogs(&window, nullptr);
  ShowLastingWait(dialogs, 1, "Gravando");
  const QRect panel = dialogs.Panel()->frameGeometry();
  const QPoint centre = window.mapToGlobal(window.rect().center());
  EXPECT_LE((panel.center() - centre).manhattanLength(), 4);
  dialogs.HideWait();
}

// --- modal forms -----------------------------------------------------------------

class QtDialogsRunModal : public ::testing::Test {
 protected:
  void SetUp() override {
    desktop_test::App();
    form.SetCaption("Parâmetros");
    form.SetBounds(0, 0, 320, 240);
  }
  QtDialogs Dialogs() {
    return QtDialogs(nullptr, [this](toolkit::Form& f, QWidget* parent) -> QWidget* {
      ++renders;
      EXPECT_EQ(&f, &form);
      EXPECT_TRUE(f.Modal());
      view = new QLabel("form", parent);
      return view;
    });
  }
  toolkit::Form form;
  QPointer<QWidget> view;
  int renders = 0;
};

TEST_F(QtDialogsRunModal, RunsUntilTheFormSetsItsResultThenDropsTheView) {
  QtDialogs dialogs = Dialogs();
  WhenModal<QDialog>([this](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Parâmetros");
    EXPECT_EQ(d.size(), QSize(320, 240));
    EXPECT_EQ(view->parentWidget(), &d);
    EXPECT_TRUE(view->isVisible());
    form.SetModalResult(toolkit::mrOk);
  });
  EXPECT_EQ(dialogs.RunModal(form), toolkit::mrOk);
  EXPECT_EQ(renders, 1);
  EXPECT_FALSE(form.Modal());
  EXPECT_TRUE(view.isNull());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(QtDialogsRunModal, ClosingTheWindowClosesTheForm) {
  QtDialogs dialogs = Dialogs();
  int closes = 0;
  form.OnClose = [&](toolkit::Control&, toolkit::CloseAction& action) {
    ++closes;
    EXPECT_EQ(action, toolkit::CloseAction::caHide);
  };
  WhenModal<QDialog>([](QDialog& d) { d.close(); });
  EXPECT_EQ(dialogs.RunModal(form), toolkit::mrCancel);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(form.Modal());
  EXPECT_FALSE(form.Visible());
}

TEST_F(QtDialogsRunModal, AFormRefusingToCloseKeepsItsWindowUntilItAgrees) {
  QtDialogs dialogs = Dialogs();
  int closes = 0;
  form.OnClose = [&](toolkit::Control&, toolkit::CloseAction& action) {
    if (++closes == 1) action = toolkit::CloseAction::caNone;
  };
  WhenModal<QDialog>([&](QDialog& d) {
    d.reject();
    EXPECT_TRUE(form.Modal());
    WhenModal<QDialog>([&](QDialog& again) {
      EXPECT_EQ(&again, &d);
      EXPECT_TRUE(view && view->isVisible());
      again.reject();
    });
  });
  EXPECT_EQ(dialogs.RunModal(form), toolkit::mrCancel);
  EXPECT_EQ(closes, 2);
  EXPECT_FALSE(form.Modal());
}

TEST_F(QtDialogsRunModal, AnExceptionFromOnCloseComesOutOfRunModal) {
  QtDialogs dialogs = Dialogs();
  form.OnClose = [](toolkit::Control&, toolkit::CloseAction&) { throw std::runtime_error("recusado"); };
  WhenModal<QDialog>([](QDialog& d) { d.close(); });
  EXPECT_THROW(dialogs.RunModal(form), std::runtime_error);
  EXPECT_FALSE(form.Modal());
  EXPECT_TRUE(view.isNull());
}

TEST_F(QtDialogsRunModal, AFailingRendererEndsTheModalRun) {
  QtDialogs dialogs(nullptr, [](toolkit::Form&, QWidget*) -> QWidget* { throw std::runtime_error("sem tela"); });
  EXPECT_THROW(dialogs.RunModal(form), std::runtime_error);
  EXPECT_FALSE(form.Modal());
  EXPECT_EQ(form.ModalResult(), toolkit::mrCancel);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// --- reports ---------------------------------------------------------------------

TEST(QtDialogsReport, LaysOutTheHtmlUnderTheReportTitle) {
  desktop_test::App();
  desktop::ReportView view({"Vendas do mês", "<h1>Vendas</h1><table><tr><td>Total</td><td>10,00</td></tr></table>", {}});
  EXPECT_EQ(view.Title(), "Vendas do mês");
  EXPECT_EQ(view.Document().metaInformation(QTextDocument::DocumentTitle), "Vendas do mês");
  const QString text = view.Document().toPlainText();
  EXPECT_TRUE(text.contains("Vendas")) << text.toStdString();
  EXPECT_TRUE(text.contains("10,00")) << text.toStdString();
  EXPECT_FALSE(text.contains("<td>"));
}

TEST(QtDialogsReport, PrintsEveryPageToThePrinter) {
  desktop_test::App();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  auto pages = [&](const std::string& html) {
    const QString path = dir.filePath(QString::number(html.size()) + ".pdf");
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    desktop::ReportView view({"Estoque", html, {}});
    view.PrintTo(printer);
    EXPECT_EQ(printer.docName(), "Estoque");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    return pdf.count("/Type /Page\n");
  };
  EXPECT_EQ(pages("<p>Uma</p>"), 1);
  EXPECT_EQ(pages("<p style=\"page-break-after: always\">Uma</p><p>Duas</p>"), 2);
}

}  // namespace

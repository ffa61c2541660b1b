// The history on the real desktop: opened from the range grid's context
// menu with a right click, the values a change altered painted apart, and
// the next page read when the person scrolls to the bottom, the view left
// where he scrolled it.
#include <gtest/gtest.h>

#include <QBrush>
#include <QDialog>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include "appserver/db/Soci.h"
#include "desktop/FormView.h"
#include "desktop/GridView.h"
#include "framework/GeneralDatabase.h"
#include "host_fixture.h"
#include "toolkit/controls/DBGrid.h"

namespace {

using namespace host_test;

class HistoryOnDesktop : public HostScreenWithQtDialogs {
 protected:
  // 21 to 50 of the first service changed 120 times by another user.
  void SetUp() override {
    HostScreenWithQtDialogs::SetUp();
    soci::session& db = framework::dtmDBGeral->adcGeral->Session();
    soci::transaction t(db);
    for (int i = 1; i <= 120; ++i)
      db << "INSERT INTO PROPSERVICO_LOG (DTLOG, NMUSUARIO, IDOPERACAO, CDFILIAL_OLD, CDCIA_OLD, NRVOO_OLD, "
            "CDTRECHO_OLD, CDSERVICO_OLD, QTPAXDE_OLD, QTPAXATE_OLD, CDCLASSE_OLD, CDCICLO_OLD, QTSERVICO_OLD, "
            "CDFILIAL_NEW, CDCIA_NEW, NRVOO_NEW, CDTRECHO_NEW, CDSERVICO_NEW, QTPAXDE_NEW, QTPAXATE_NEW, "
            "CDCLASSE_NEW, CDCICLO_NEW, QTSERVICO_NEW) VALUES ('2026-01-01 10:00:00', 'bia', 'A', '0001', '0101', "
            "'1110', '01', '10101001', 21, 50, '0001', '0001', :a, '0001', '0101', '1110', '01', '10101001', 21, 50, "
            "'0001', '0001', :b)",
          soci::use(i), soci::use(i + 1);
    t.commit();
  }
  void TearDown() override {
    framework::dtmDBGeral->adcGeral->Session() << "DELETE FROM PROPSERVICO_LOG WHERE NMUSUARIO = 'bia'";
    HostScreenWithQtDialogs::TearDown();
  }
};

TEST_F(HistoryOnDesktop, ARightClickOpensItAndScrollingToTheBottomReadsOnWithoutMovingTheView) {
  desktop::FormView& view = Open();
  LoadDemoFlight(view);
  auto* ranges = Widget<desktop::GridView>(view, "dbgQtdePropServico");
  ASSERT_NE(ranges, nullptr);

  // The menu: its one item chosen with the keys, as a person may.
  QStringList items;
  auto* menuTimer = new QTimer;
  QObject::connect(menuTimer, &QTimer::timeout, [&items, menuTimer] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    menuTimer->stop();
    menuTimer->deleteLater();
    for (QAction* a : menu->actions()) items << a->text();
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
  });
  menuTimer->start(10);

  int firstPage = -1, afterScroll = -1, topBefore = -1, topAfter = -1, bottomAfter = -1;
  bool changedMarked = false, sameUnmarked = true;
  OnModal<QDialog>([&](QDialog& tool) {
    toolkit::Form* history = Find("frmHistoricoProp");
    auto* formView = tool.findChild<desktop::FormView*>();
    auto* list = history && formView ? qobject_cast<desktop::GridView*>(formView->WidgetOf(
                                           dynamic_cast<toolkit::Control*>(history->FindComponent("dbgHistorico"))))
                                     : nullptr;
    if (!list) return tool.reject();
    QTest::qWaitFor([&] { return list->model()->rowCount() > 0; }, 5000);
    firstPage = list->model()->rowCount();
    auto& grid = dynamic_cast<toolkit::DBGrid&>(*history->FindComponent("dbgHistorico"));
    const QModelIndex changed = list->model()->index(1, grid.ColumnOf("DSQTDE_NEW"));
    const QModelIndex same = list->model()->index(1, grid.ColumnOf("DSFAIXA_NEW"));
    changedMarked = list->model()->data(changed, Qt::BackgroundRole).value<QBrush>().color() == QColor(255, 224, 130);
    sameUnmarked = !list->model()->data(same, Qt::BackgroundRole).isValid();

    QScrollBar* bar = list->verticalScrollBar();
    bar->setValue(bar->maximum());
    topBefore = list->rowAt(0);
    QTest::qWaitFor([&] { return list->model()->rowCount() > firstPage; }, 5000);
    afterScroll = list->model()->rowCount();
    topAfter = list->rowAt(0);
    bottomAfter = list->rowAt(list->viewport()->height() - 1);
    QTest::keyClick(list, Qt::Key_Escape);
  });
  QTest::mouseClick(ranges->viewport(), Qt::RightButton, {}, QPoint(40, 30));

  EXPECT_EQ(items, QStringList{QStringLiteral("&Histórico do serviço…\tCtrl+H")});
  EXPECT_EQ(firstPage, 50);
  EXPECT_TRUE(changedMarked);
  EXPECT_TRUE(sameUnmarked);
  EXPECT_EQ(afterScroll, 100);
  // The rows being read stay in view: the last of the first page, and all
  // above it but a part-shown top one.
  EXPECT_GT(topBefore, 0);
  EXPECT_LE(topAfter, topBefore + 1);
  EXPECT_GE(bottomAfter, 49);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(dialogs.Messages().empty());
}

}  // namespace

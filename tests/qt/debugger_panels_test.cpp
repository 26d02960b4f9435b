// The two debugger panels on screen, opened from the Panels menu: a dump in the list, a
// logged command and the register dump in fixed-pitch columns; pictures land in
// build/screenshots for a person to look at.
#include <QAction>
#include <QDir>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QtTest/QTest>

#include "qt_support.h"
#include "uir_ids.h"

#include <gtest/gtest.h>

namespace {

QAction* menu_action(QMainWindow* main, const QString& text) {
    for (QAction* top : main->menuBar()->actions())
        if (top->menu())
            for (QAction* a : top->menu()->actions())
                if (a->text() == text) return a;
    return nullptr;
}

}  // namespace

TEST(QtDebugger, BothPanelsOpenFromThePanelsMenuAndWork) {
    qt_support::QtApp t;
    auto& board = t.bus.add_board({});
    t.start();
    QMainWindow* main = t.frontend.main_window();
    main->showNormal();
    main->resize(1280, 800);
    qt_support::settle(30);
    ASSERT_EQ(t->ui.UserSetValue(t->shell.setuppanel, SETUP_CONNECT, 1), 0);
    for (std::uint32_t a = 0; a < 16; ++a) board.dsp().set_program_word(a, 0x0A0000 + a * 3);

    QAction* debug = menu_action(main, "&Debug");
    ASSERT_NE(debug, nullptr);
    debug->trigger();
    qt_support::settle(60);
    const int cmd = t->shell.debugpanel1, reg = t->shell.debugpanel2;
    ASSERT_GT(cmd, 0);
    ASSERT_NE(t.panel(cmd), nullptr);
    ASSERT_TRUE(t.panel(cmd)->isVisible());

    t->ui.SetCtrlVal(cmd, DBGCMD_PMEMEND, 0x0A);
    QTest::mouseClick(t.find(cmd, "PMEMREAD"), Qt::LeftButton);
    t->ui.UserSetValue(cmd, DBGCMD_CMDRING, 0x2B);
    QTest::mouseClick(t.find(cmd, "SEND"), Qt::LeftButton);
    qt_support::settle(60);
    auto* list = t.find<QListWidget>(cmd, "PMEMLIST");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 12);
    EXPECT_EQ(list->item(2)->text(), "0x0002 0x0A0006");
    auto* log = t.find<QPlainTextEdit>(cmd, "CMDLOG");
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->toPlainText().startsWith("RD_ACC0                 0x2B8000"));
    ASSERT_TRUE(QDir().mkpath(SEISBENCH_SCREENSHOT_DIR));
    EXPECT_TRUE(main->grab().save(QStringLiteral(SEISBENCH_SCREENSHOT_DIR "/debug-commands.png")));

    t->ui.DisplayPanel(reg);
    QTest::mouseClick(t.find(reg, "HALT"), Qt::LeftButton);
    qt_support::settle(60);
    auto* dump = t.find<QPlainTextEdit>(reg, "DUMP");
    ASSERT_NE(dump, nullptr);
    EXPECT_EQ(dump->blockCount(), 19);
    EXPECT_TRUE(qt_support::columns_line_up(dump->font()));
    EXPECT_TRUE(main->grab().save(QStringLiteral(SEISBENCH_SCREENSHOT_DIR "/debug-registers.png")));
}

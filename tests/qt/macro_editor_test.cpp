// The macro editor on screen: lines entered through the widgets show in the list, in columns,
// and a picture lands in build/screenshots for a person to look at.
#include <QDir>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QtTest/QTest>

#include "qt_support.h"
#include "uir_ids.h"

#include <gtest/gtest.h>

TEST(QtMacroEditor, LinesEnteredWithTheButtonsShowInTheList) {
    qt_support::QtApp t;
    t.start();
    auto& ui = t->ui;
    const int cp = t->shell.controlpanel;
    ui.DisplayPanel(cp);
    t.frontend.main_window()->showNormal();
    t.frontend.main_window()->resize(1280, 800);
    qt_support::settle(30);
    struct Line {
        int direction, selector, data;
    };
    for (Line l : {Line{0, 0x20, 0x000431},
                   {1, 0x2E, 0},
                   {0, 64 + 0x03, 0x000009},
                   {0, 96, 2000000},
                   {1, 64 + 0x06, 0},
                   {0, 96 + 3, 0}}) {
        ui.UserSetValue(cp, CONTROL_MACRODIR, l.direction);
        ui.UserSetValue(cp, CONTROL_MACROREG, l.selector);
        ui.UserSetValue(cp, CONTROL_MACRODATA, l.data);
        QTest::mouseClick(t.find(cp, "MACROINS"), Qt::LeftButton);
    }
    qt_support::settle(30);
    auto* list = t.find<QListWidget>(cp, "MACROLIST");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 7);
    EXPECT_EQ(list->item(0)->text(), "DF    W   0x20  FILT_CFG   0x000431");
    EXPECT_EQ(list->item(4)->text(), "SPI   R   0x06  SPIDAT1  ");
    EXPECT_EQ(list->currentRow(), 6);  // the insertion line stays selected
    EXPECT_TRUE(qt_support::columns_line_up(list->font()));

    QTest::mouseClick(t.find(cp, "MACRO2"), Qt::LeftButton);
    qt_support::settle(30);
    EXPECT_EQ(list->count(), 1);
    QTest::mouseClick(t.find(cp, "MACRO1"), Qt::LeftButton);
    qt_support::settle(30);
    EXPECT_EQ(list->count(), 7);
    ASSERT_TRUE(QDir().mkpath(SEISBENCH_SCREENSHOT_DIR));
    EXPECT_TRUE(t.frontend.main_window()->grab().save(
        QStringLiteral(SEISBENCH_SCREENSHOT_DIR "/macro-editor.png")));
}

// What a person does reaches the callbacks with the events they expect; while system code
// holds the program nothing a person does and no timer runs a callback.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <thread>

#include "all_types_fixture.h"
#include "platform/ui/qt/graph_view.h"
#include "platform/ui/qt/input_gate.h"
#include "uir_ids.h"

using qt_support::Recorded;
using qt_support::settle;
using ui::EVENT_CLOSE;
using ui::EVENT_COMMIT;
using ui::EVENT_RIGHT_CLICK;
using ui::EVENT_TIMER_TICK;
using ui::EVENT_VAL_CHANGED;

namespace {

std::vector<Recorded> without_ticks(const std::vector<Recorded>& events) {
    std::vector<Recorded> out;
    for (const auto& e : events)
        if (e.event != EVENT_TIMER_TICK) out.push_back(e);
    return out;
}

int ticks(const std::vector<Recorded>& events) {
    return static_cast<int>(std::count_if(events.begin(), events.end(),
                                          [](auto& e) { return e.event == EVENT_TIMER_TICK; }));
}

}  // namespace

TEST_F(AllTypes, CommandButtonRunsItsCallbackWithCommit) {
    quiet();
    QTest::mouseClick(widget("GO"), Qt::LeftButton);
    EXPECT_EQ(events, (std::vector<Recorded>{{id("GO"), EVENT_COMMIT}}));

    events.clear();
    t->ui.SetCtrlAttribute(panel, id("GO"), ui::ATTR_DIMMED, 1);
    QTest::mouseClick(widget("GO"), Qt::LeftButton);
    EXPECT_TRUE(events.empty());
}

TEST_F(AllTypes, KeysPressButtonsAndChooseRingItemsUnlessDimmed) {
    quiet();
    QWidget* window = widget("GO")->window();
    window->activateWindow();
    settle();
    QTest::keyClick(window, Qt::Key_F9);
    QTest::keyClick(window, Qt::Key_7, Qt::ControlModifier);
    EXPECT_EQ(without_ticks(events), (std::vector<Recorded>{{id("GO"), EVENT_COMMIT},
                                                            {id("RING"), EVENT_VAL_CHANGED},
                                                            {id("RING"), EVENT_COMMIT}}));
    int value = 0;
    t->ui.GetCtrlVal(panel, id("RING"), &value);
    EXPECT_EQ(value, 30);

    events.clear();
    t->ui.SetCtrlAttribute(panel, id("GO"), ui::ATTR_DIMMED, 1);
    t->ui.SetCtrlAttribute(panel, id("RING"), ui::ATTR_DIMMED, 1);
    t->ui.SetCtrlIndex(panel, id("RING"), 0);
    QTest::keyClick(window, Qt::Key_F9);
    QTest::keyClick(window, Qt::Key_7, Qt::ControlModifier);
    EXPECT_TRUE(without_ticks(events).empty());
    t->ui.GetCtrlVal(panel, id("RING"), &value);
    EXPECT_EQ(value, 10);
}

TEST_F(AllTypes, ValueControlsRaiseValueChangedThenCommit) {
    quiet();
    auto& ui = t->ui;
    const std::vector<Recorded> expected = {{0, EVENT_VAL_CHANGED}, {0, EVENT_COMMIT}};
    auto expect_events = [&](const char* name) {
        std::vector<Recorded> want = expected;
        for (auto& e : want) e.ctrl = id(name);
        EXPECT_EQ(without_ticks(events), want) << name;
        events.clear();
    };

    QTest::mouseClick(widget("TOGGLE"), Qt::LeftButton);
    int on = 0;
    ui.GetCtrlVal(panel, id("TOGGLE"), &on);
    EXPECT_EQ(on, 1);
    expect_events("TOGGLE");

    auto* spin = widget<QDoubleSpinBox>("INT");
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, "42");
    EXPECT_TRUE(events.empty());  // nothing until the person commits the entry
    QTest::keyClick(spin, Qt::Key_Return);
    int value = 0;
    ui.GetCtrlVal(panel, id("INT"), &value);
    EXPECT_EQ(value, 42);
    expect_events("INT");

    auto* text = widget<QLineEdit>("TEXT");
    text->setFocus();
    QTest::keyClicks(text, "abcdefghijk");
    QTest::keyClick(text, Qt::Key_Return);
    std::string s;
    ui.GetCtrlVal(panel, id("TEXT"), &s);
    EXPECT_EQ(s, "abcdefgh");  // the entry holds at most 8 characters
    expect_events("TEXT");

    auto* ring = widget<QComboBox>("RING");
    ring->setFocus();
    QTest::keyClick(ring, Qt::Key_Down);
    ui.GetCtrlVal(panel, id("RING"), &value);
    EXPECT_EQ(value, 20);
    expect_events("RING");

    auto* list = widget<QListWidget>("LIST");
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    ui.GetCtrlVal(panel, id("LIST"), &value);
    EXPECT_EQ(value, 2);
    expect_events("LIST");

    QTest::mousePress(list->viewport(), Qt::RightButton, {}, second.center());
    EXPECT_EQ(without_ticks(events), (std::vector<Recorded>{{id("LIST"), EVENT_RIGHT_CLICK}}));
}

TEST_F(AllTypes, ProgrammaticChangesRaiseNoEvents) {
    quiet();
    auto& ui = t->ui;
    ui.SetCtrlVal(panel, id("INT"), 7);
    ui.SetCtrlVal(panel, id("TOGGLE"), 1);
    ui.SetCtrlVal(panel, id("RING"), 30);
    ui.SetCtrlIndex(panel, id("LIST"), 1);
    ui.SetCtrlVal(panel, id("TEXT"), "x");
    ui.ClearListCtrl(panel, id("LIST"));
    settle();
    EXPECT_TRUE(events.empty());
}

TEST_F(AllTypes, ClosingAPanelRaisesItsCloseEvent) {
    quiet();
    auto* sub = t.frontend.main_window()->findChild<QMdiSubWindow*>("ALL_window");
    ASSERT_NE(sub, nullptr);
    sub->close();
    EXPECT_EQ(events, (std::vector<Recorded>{{0, EVENT_CLOSE}}));
    EXPECT_TRUE(sub->isVisible());  // the callback decides, and it did not hide the panel

    // A panel without a callback closes like a window: hidden, in the model too.
    auto* setup = t.frontend.main_window()->findChild<QMdiSubWindow*>("SETUP_window");
    ASSERT_NE(setup, nullptr);
    setup->close();
    EXPECT_FALSE(setup->isVisible());
    EXPECT_FALSE(t->ui.panel(t->shell.setuppanel)->visible);
}

TEST_F(AllTypes, TimersTickUnlessSuspended) {
    settle(150);
    EXPECT_GT(ticks(events), 2);

    quiet();
    events.clear();
    settle(100);
    EXPECT_EQ(ticks(events), 0);
    t->ui.ResumeTimerCallbacks();

    t->ui.SetCtrlAttribute(panel, id("TICK"), ui::ATTR_ENABLED, 0);
    events.clear();
    settle(100);
    EXPECT_EQ(ticks(events), 0);
}

TEST_F(AllTypes, KeepAliveRunsNoTimerAndNoUserCallback) {
    // A click that arrives while system code holds the program is not taken.
    QTimer::singleShot(0, [this] { QTest::mouseClick(widget("GO"), Qt::LeftButton); });
    auto* busy = t.frontend.main_window()->findChild<QWidget*>("BusyIndicator");
    ASSERT_NE(busy, nullptr);
    bool busy_shown = false;
    events.clear();
    for (int i = 0; i < 10; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        t.frontend.keep_alive();
        busy_shown |= busy->isVisible();
    }
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(busy_shown);

    // Once the program is free again, timers run as before and the indicator goes.
    settle(300);
    EXPECT_GT(ticks(events), 0);
    EXPECT_FALSE(busy->isVisible());
}

// Input made while the program is held is thrown away, not kept for later: only the window
// the gate is open to (the progress window with its Cancel) still takes clicks and keys.
TEST_F(AllTypes, TheInputGateDropsEverythingButItsOpening) {
    QWidget dialog;
    auto* cancel = new QPushButton("Cancel", &dialog);
    dialog.show();
    auto* go = static_cast<QPushButton*>(widget("GO"));
    int go_clicks = 0, cancel_clicks = 0;
    QObject::connect(go, &QPushButton::clicked, [&] { ++go_clicks; });
    QObject::connect(cancel, &QPushButton::clicked, [&] { ++cancel_clicks; });
    {
        const ui::qt::InputGate gate(&dialog);
        QTest::mouseClick(go, Qt::LeftButton);
        QTest::keyClick(go, Qt::Key_Space);
        QTest::mouseClick(cancel, Qt::LeftButton);
    }
    settle(30);
    EXPECT_EQ(go_clicks, 0);
    EXPECT_EQ(cancel_clicks, 1);
    // Open again once the gate is gone.
    QTest::mouseClick(go, Qt::LeftButton);
    EXPECT_EQ(go_clicks, 1);
}

TEST_F(AllTypes, WaitingForAUserEventTakesAGraphClickWithoutItsCallback) {
    quiet();
    auto* graph = widget<ui::qt::GraphView>("GRAPH");
    const double y[] = {0, 1, 2, 3, 4};
    t->ui.PlotY(panel, id("GRAPH"), y, 5, ui::VAL_THIN_LINE, ui::VAL_BLUE);
    t->ui.SetCursorAttribute(panel, id("GRAPH"), 1, ui::ATTR_CURSOR_MODE, ui::VAL_FREE_FORM);
    settle();
    events.clear();
    QTimer::singleShot(10, [&] {
        // A value change is performed as usual; the graph click ends the wait.
        t->ui.UserSetValue(panel, id("INT"), 3);
        const QPoint at(static_cast<int>(graph->xAxis->coordToPixel(2.0)),
                        static_cast<int>(graph->yAxis->coordToPixel(1.5)));
        QTest::mouseClick(graph, Qt::LeftButton, {}, at);
    });
    int p = 0, c = 0;
    const int ev = t->ui.GetUserEvent(&p, &c);
    EXPECT_EQ(ev, EVENT_COMMIT);
    EXPECT_EQ(p, panel);
    EXPECT_EQ(c, id("GRAPH"));
    double x = 0, yy = 0;
    t->ui.GetGraphCursor(panel, id("GRAPH"), 1, &x, &yy);
    EXPECT_NEAR(x, 2.0, 0.05);
    EXPECT_NEAR(yy, 1.5, 0.05);
    // Only the value change ran a callback.
    EXPECT_EQ(events,
              (std::vector<Recorded>{{id("INT"), EVENT_VAL_CHANGED}, {id("INT"), EVENT_COMMIT}}));

    QTimer::singleShot(10, [&] { QTest::mouseClick(widget("GO"), Qt::LeftButton); });
    events.clear();
    EXPECT_EQ(t->ui.GetUserEvent(&p, &c), EVENT_COMMIT);
    EXPECT_EQ(c, id("GO"));
    EXPECT_TRUE(events.empty());

    // Quitting ends the wait with no event.
    QTimer::singleShot(10, [&] { t->ui.QuitUserInterface(0); });
    EXPECT_EQ(t->ui.GetUserEvent(&p, &c), -1);
}

TEST(QtInteraction, MenuItemsRunTheirCallbacks) {
    qt_support::QtApp t;
    t.start();
    QMainWindow* main = t.frontend.main_window();
    const auto& g = t->shell;
    main->findChild<QAction*>("CONTROL")->trigger();
    EXPECT_TRUE(t->ui.panel(g.controlpanel)->visible);
    EXPECT_TRUE(t.panel(g.controlpanel)->isVisible());
    auto* sub = main->findChild<QMdiSubWindow*>("CONTROL_window");
    EXPECT_EQ(static_cast<QMdiArea*>(sub->mdiArea())->activeSubWindow(), sub);

    // The check marks follow the model, whatever Qt did to a checkable action on its own.
    auto* hires = main->findChild<QAction*>("HIRES");
    auto* lores = main->findChild<QAction*>("LORES");
    lores->trigger();
    EXPECT_TRUE(lores->isChecked());
    EXPECT_FALSE(hires->isChecked());
    lores->trigger();
    EXPECT_TRUE(lores->isChecked());
    hires->trigger();
    EXPECT_TRUE(hires->isChecked());
    EXPECT_FALSE(lores->isChecked());

    // The about panel's close command hides it.
    QTest::mouseClick(t.find(g.aboutpanel, "CLOSE"), Qt::LeftButton);
    EXPECT_FALSE(t->ui.panel(g.aboutpanel)->visible);
    EXPECT_FALSE(t.panel(g.aboutpanel)->isVisible());
    main->findChild<QAction*>("ABOUT")->trigger();
    EXPECT_TRUE(t.panel(g.aboutpanel)->isVisible());
}

TEST(QtInteraction, ClosingTheMainWindowAsksToQuit) {
    qt_support::QtApp t;
    t.start();
    QMainWindow* main = t.frontend.main_window();
    std::vector<std::pair<QString, QString>> asked;
    auto answer = [&](const QString& button) {
        qt_support::when_dialog_shown([&asked, button](QWidget* d) {
            auto* box = qobject_cast<QMessageBox*>(d);
            ASSERT_NE(box, nullptr);
            asked.emplace_back(box->windowTitle(), box->text());
            qt_support::press_button(box, button);
        });
    };
    // No: the program goes on. Yes: the loop ends with 0.
    QTimer::singleShot(0, [&] {
        answer("&No");
        main->close();
        EXPECT_TRUE(main->isVisible());
        answer("&Yes");
        main->close();
    });
    EXPECT_EQ(t->ui.RunUserInterface(), 0);
    const std::pair<QString, QString> quit{"Quit Program", "Are you sure you want to QUIT?"};
    EXPECT_EQ(asked, (std::vector<std::pair<QString, QString>>{quit, quit}));
}

TEST_F(AllTypes, APanelLoadedLaterRunsItsTimersUnshown) {
    t->ui.SetCtrlAttribute(panel, id("TICK"), ui::ATTR_ENABLED, 0);
    settle(50);
    events.clear();
    const int later = t->ui.LoadPanel(t->shell.mainpanel, "alltypes.uir");
    ASSERT_GT(later, 0);
    settle(150);
    EXPECT_GT(ticks(events), 0);
    EXPECT_FALSE(t->ui.panel(later)->visible);
}

// The main window with each panel at the common desktop sizes: every panel shows whole in its
// tab, no control overlaps another, and a picture
// of each lands in the build folder (build/screenshots) for a person to look at. Pictures of
// a real run come from the scripted run test.
#include <QComboBox>
#include <QDir>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>

#include <vector>

#include "qt_support.h"
#include "uir_ids.h"

#include <gtest/gtest.h>

using qt_support::settle;

namespace {

// The visible widgets of the panel's controls (with their captions and units), in panel
// coordinates.
std::vector<std::pair<QString, QRect>> control_rects(qt_support::QtApp& t, int panel) {
    QWidget* view = t.panel(panel);
    std::vector<std::pair<QString, QRect>> out;
    for (const ui::Control& c : t->ui.panel(panel)->controls) {
        const QString name = QString::fromStdString(c.name);
        for (const QString& part : {name, name + "_caption", name + "_units"}) {
            QWidget* w = view->findChild<QWidget*>(part);
            if (!w || !w->isVisibleTo(view)) continue;
            out.emplace_back(part, QRect(w->mapTo(view, QPoint(0, 0)), w->size()));
        }
    }
    return out;
}

void expect_tidy(qt_support::QtApp& t, int panel, const QString& where) {
    const auto rects = control_rects(t, panel);
    for (size_t i = 0; i < rects.size(); ++i) {
        QWidget* w = t.panel(panel)->findChild<QWidget*>(rects[i].first);
        const QSize min = w->minimumSizeHint();
        EXPECT_GE(rects[i].second.width(), min.width())
            << where.toStdString() << ": " << rects[i].first.toStdString() << " squeezed";
        for (size_t j = i + 1; j < rects.size(); ++j)
            EXPECT_FALSE(rects[i].second.intersects(rects[j].second))
                << where.toStdString() << ": " << rects[i].first.toStdString() << " overlaps "
                << rects[j].first.toStdString();
    }
}

}  // namespace

// Each panel is a tab of the whole workspace; at 1280x800 and up every control of it lies
// inside what the tab shows, no scrolling needed, and a drop-down is as wide as its longest
// item. The about panel is a small dialog over the window, not a tab.
TEST(QtScreenshots, MainWindowWithEachPanelAtDesktopSizes) {
    qt_support::QtApp t;
    t.start();
    QMainWindow* main = t.frontend.main_window();
    auto* area = main->findChild<QMdiArea*>("Workspace");
    ASSERT_NE(area, nullptr);
    const QString dir = QStringLiteral(SEISBENCH_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    const auto& g = t->shell;
    const std::pair<const char*, int> panels[] = {{"setup", g.setuppanel},
                                                  {"analysis", g.analysispanel},
                                                  {"control", g.controlpanel},
                                                  {"record", g.recordpanel},
                                                  {"history", g.historypanel}};
    for (QSize size : {QSize(1280, 800), QSize(1920, 1080)}) {
        main->showNormal();
        main->resize(size);
        settle(30);
        for (auto [name, handle] : panels) {
            t->ui.DisplayPanel(handle);
            settle(60);
            const QString where =
                QString("%1x%2 %3").arg(size.width()).arg(size.height()).arg(name);
            auto* sub = main->findChild<QMdiSubWindow*>(t.panel(handle)->objectName() + "_window");
            ASSERT_NE(sub, nullptr) << where.toStdString();
            EXPECT_EQ(area->activeSubWindow(), sub);
            EXPECT_TRUE(area->viewport()->rect().contains(sub->geometry()))
                << where.toStdString() << " does not fit the workspace";
            auto* scroll = qobject_cast<QScrollArea*>(sub->widget());
            ASSERT_NE(scroll, nullptr);
            const QRect shown = scroll->viewport()->rect();
            for (const auto& [part, rect] : control_rects(t, handle)) {
                const QRect in_view(t.panel(handle)->mapTo(scroll->viewport(), rect.topLeft()),
                                    rect.size());
                EXPECT_TRUE(shown.contains(in_view))
                    << where.toStdString() << ": " << part.toStdString() << " lies outside the tab";
                if (auto* combo = t.panel(handle)->findChild<QComboBox*>(part)) {
                    EXPECT_GE(combo->width(), combo->sizeHint().width())
                        << where.toStdString() << ": " << part.toStdString() << " cuts its items";
                }
            }
            expect_tidy(t, handle, where);
            const QString file = QString("%1/main-%2x%3-%4.png")
                                     .arg(dir)
                                     .arg(size.width())
                                     .arg(size.height())
                                     .arg(name);
            EXPECT_TRUE(main->grab().save(file)) << file.toStdString();
        }
        t->ui.DisplayPanel(g.aboutpanel);
        settle(30);
        QWidget* about = t.panel(g.aboutpanel)->window();
        EXPECT_EQ(about->windowType(), Qt::Dialog);
        EXPECT_LT(about->width() * about->height(), size.width() * size.height() / 8);
    }
}

TEST(QtScreenshots, EveryControlType) {
    qt_support::QtApp t(qt_support::resources_with_all_types());
    t.start();
    auto& ui = t->ui;
    const int panel = ui.LoadPanel(t->shell.mainpanel, "alltypes.uir");
    ASSERT_GT(panel, 0);
    auto id = [&](const char* name) { return ui.control_id(panel, name); };
    ui.SetCtrlVal(panel, id("INT"), 512);
    ui.SetCtrlVal(panel, id("REAL"), 119.87);
    ui.SetCtrlVal(panel, id("HEX"), 0x7A0123);
    ui.SetCtrlVal(panel, id("READOUT"), -3.25);
    ui.SetCtrlVal(panel, id("TEXT"), "EVB-4");
    ui.SetCtrlVal(panel, id("TOGGLE"), 1);
    ui.SetCtrlVal(panel, id("LED"), 1);
    ui.SetCtrlVal(panel, id("PROGRESS"), 60.0);
    ui.InsertTextBoxLine(panel, id("TEXTBOX"), -1, "Macro M1: 12 entries");
    ui.InsertTextBoxLine(panel, id("TEXTBOX"), -1, "EEPROM verified");
    std::vector<double> y(1000);
    for (int i = 0; i < 1000; ++i) y[i] = std::sin(i * 0.02) * 100;
    ui.PlotY(panel, id("GRAPH"), y.data(), 1000, ui::VAL_THIN_LINE, 0x800000);
    ui.SetCtrlAttribute(panel, id("STOP"), ui::ATTR_DIMMED, 1);
    ui.DisplayPanel(panel);
    t.frontend.main_window()->showNormal();
    t.frontend.main_window()->resize(1280, 800);
    settle(60);
    expect_tidy(t, panel, "all types");
    auto* sub = t.frontend.main_window()->findChild<QMdiSubWindow*>("ALL_window");
    ASSERT_NE(sub, nullptr);
    ASSERT_TRUE(QDir().mkpath(SEISBENCH_SCREENSHOT_DIR));
    EXPECT_TRUE(
        sub->grab().save(QStringLiteral(SEISBENCH_SCREENSHOT_DIR "/all-control-types.png")));
}

// The tool bar's buttons act as the panel's own (Connect connects, Configure configures) and
// follow the model: greyed while their control is, the test selector showing the ring's test
// and choosing it. The data-source ring names the simulated board.
TEST(QtToolBar, ButtonsActAsThePanelsOwnAndFollowThem) {
    qt_support::QtApp t;
    t.bus.add_board({});
    t.start();
    QMainWindow* main = t.frontend.main_window();
    auto* bar = main->findChild<QToolBar*>("ToolBar");
    ASSERT_NE(bar, nullptr);
    auto button = [&](const char* name) { return bar->findChild<QToolButton*>(name); };
    auto* connect = button("SETUP_CONNECT");
    auto* configure = button("SETUP_CONFIGURE");
    auto* capture = button("SETUP_CAPTURE2");
    auto* test = bar->findChild<QComboBox*>("ANALYSIS_TEST");
    ASSERT_TRUE(connect && configure && capture && test);
    const auto& g = t->shell;
    EXPECT_EQ(t.find<QComboBox>(g.setuppanel, "DATASOURCE")->currentText(), "Simulated board");
    EXPECT_FALSE(configure->isEnabled());
    EXPECT_FALSE(capture->isEnabled());
    EXPECT_EQ(capture->text(), "Capture && Analyse");

    connect->click();
    settle(30);
    EXPECT_NE(t->link.usb_opened, 0);
    EXPECT_TRUE(connect->isChecked());
    EXPECT_EQ(connect->text(), "Connected");
    EXPECT_TRUE(configure->isEnabled());
    qt_support::when_dialog_shown([](QWidget* done) { qt_support::press_button(done, "OK"); });
    configure->click();
    settle(30);
    EXPECT_TRUE(t->capture.armed);
    EXPECT_TRUE(capture->isEnabled());

    t->ui.SetCtrlAttribute(g.analysispanel, ANALYSIS_TEST, ui::ATTR_DIMMED, 0);
    t->ui.SetCtrlIndex(g.analysispanel, ANALYSIS_TEST, 3);
    EXPECT_EQ(test->currentText(), "Noise FFT");
    test->activated(1);
    int index = -1;
    t->ui.GetCtrlIndex(g.analysispanel, ANALYSIS_TEST, &index);
    EXPECT_EQ(index, 1);
}

// A recording in the desktop program: the live view's strip chart and PSD drawn while the
// data come, and a picture of it for a person to look at.
TEST(QtScreenshots, ARecordingWithItsLiveView) {
    qt_support::QtApp t;
    t.bus.add_board({});
    t.start();
    const auto& g = t->shell;
    auto& ui = t->ui;
    ASSERT_EQ(ui.UserCommit(g.setuppanel, SETUP_CONNECT), 0);
    qt_support::when_dialog_shown([](QWidget* done) { qt_support::press_button(done, "OK"); });
    ASSERT_EQ(ui.UserCommit(g.setuppanel, SETUP_CONFIGURE), 0);
    ASSERT_TRUE(t->capture.armed);
    const QString dir = QStringLiteral(SEISBENCH_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    QDir(dir + "/record-archive").removeRecursively();
    ui.SetCtrlVal(g.recordpanel, RECORD_OUTDIR, (dir + "/record-archive").toStdString());
    ui.SetCtrlVal(g.recordpanel, RECORD_SECONDS, 130.0);
    ui.SetCtrlVal(g.recordpanel, RECORD_STRIPSECONDS, 5.0);
    t.frontend.main_window()->showNormal();
    t.frontend.main_window()->resize(1280, 800);
    ui.DisplayPanel(g.recordpanel);
    settle(30);
    ASSERT_EQ(ui.UserCommit(g.recordpanel, RECORD_START), 0);
    settle(60);
    std::string status;
    ui.GetCtrlVal(g.recordpanel, RECORD_STATUS, &status);
    EXPECT_EQ(status.rfind("done", 0), 0u) << status;
    EXPECT_EQ(ui.control(g.recordpanel, RECORD_STRIP)->graph.plots.size(), 8u);
    EXPECT_EQ(ui.control(g.recordpanel, RECORD_PSD)->graph.plots.size(), 4u);
    EXPECT_TRUE(t.frontend.main_window()->grab().save(dir + "/record-live.png"));
}

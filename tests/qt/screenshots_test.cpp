// The main window with each panel at the common desktop sizes: the panels are tiled so none
// hides another, every panel fits its workspace, no control overlaps another, and a picture
// of each lands in the build folder (build/screenshots) for a person to look at. Pictures of
// a real run come from the scripted run test.
#include <QDir>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <vector>

#include "qt_support.h"

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
                                                  {"about", g.aboutpanel},
                                                  {"analysis", g.analysispanel},
                                                  {"control", g.controlpanel}};
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
            EXPECT_TRUE(area->viewport()->rect().contains(sub->geometry()))
                << where.toStdString() << " does not fit the workspace";
            EXPECT_EQ(area->activeSubWindow(), sub);
            const auto subs = area->subWindowList();
            for (qsizetype i = 0; i < subs.size(); ++i)
                for (qsizetype j = i + 1; j < subs.size(); ++j)
                    if (subs[i]->isVisible() && subs[j]->isVisible()) {
                        EXPECT_FALSE(subs[i]->geometry().intersects(subs[j]->geometry()))
                            << where.toStdString() << ": " << subs[i]->windowTitle().toStdString()
                            << " hides part of " << subs[j]->windowTitle().toStdString();
                    }
            expect_tidy(t, handle, where);
            const QString file = QString("%1/main-%2x%3-%4.png")
                                     .arg(dir)
                                     .arg(size.width())
                                     .arg(size.height())
                                     .arg(name);
            EXPECT_TRUE(main->grab().save(file)) << file.toStdString();
        }
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

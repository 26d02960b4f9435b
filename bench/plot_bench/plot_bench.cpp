// Redraw time of the analysis graph holding four curves of 524,289 points against one curve of
// 1,000 points, through the Qt front-end as the program draws it. Runs offscreen unless a
// platform is chosen.
#include <QApplication>
#include <QMainWindow>
#include <QMdiSubWindow>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/ui/qt/graph_view.h"
#include "platform/ui/qt/qt_frontend.h"
#include "platform/ui/runtime.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Figures {
    double first_draw_ms;  // model to plottables, then drawn and shown
    double redraw_ms;      // the same data drawn again (resize, cursor layer excluded)
};

Figures measure(ui::Runtime& rt, int panel, int graph_id, ui::qt::GraphView* graph, int curves,
                int points) {
    rt.SetCtrlAttribute(panel, graph_id, ui::ATTR_REFRESH_GRAPH, 0);
    rt.DeleteGraphPlot(panel, graph_id, -1);
    std::vector<double> y(points);
    const int colours[] = {0x000000, 0x800000, 0x008000, 0x000080};
    for (int c = 0; c < curves; ++c) {
        for (int i = 0; i < points; ++i)
            y[i] = 8e6 * std::sin(i * 0.001 * (c + 1)) + 1e5 * std::sin(i * 0.37);
        rt.PlotY(panel, graph_id, y.data(), points, ui::VAL_THIN_LINE, colours[c % 4]);
    }
    QCoreApplication::processEvents();

    const auto t0 = Clock::now();
    rt.SetCtrlAttribute(panel, graph_id, ui::ATTR_REFRESH_GRAPH, 1);
    graph->redraw_now();
    graph->repaint();
    Figures f{ms_since(t0), 0};

    std::vector<double> times;
    for (int i = 0; i < 15; ++i) {
        const auto t1 = Clock::now();
        graph->replot(QCustomPlot::rpImmediateRefresh);
        times.push_back(ms_since(t1));
    }
    f.redraw_ms = median(times);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const auto dir = std::filesystem::temp_directory_path() / "seisbench-plot-bench";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "main.uir") << R"({"name": "MAIN", "title": "Plot bench", "boxes": []})";
    std::ofstream(dir / "bench.uir") << R"({"name": "BENCH", "title": "Plot", "size": [1100, 700],
        "boxes": [{"title": "", "stretch": true, "controls": [
            {"name": "GRAPH", "type": "graph", "label": "Time Domain"}]}]})";

    platform::VirtualClock clock;
    ui::qt::QtFrontend frontend;
    ui::CallbackRegistry callbacks;
    ui::Runtime rt(clock, frontend, callbacks, dir.string());
    const int main_panel = rt.LoadPanel(0, "main.uir");
    const int panel = main_panel > 0 ? rt.LoadPanel(main_panel, "bench.uir") : main_panel;
    if (panel < 0) {
        std::fprintf(stderr, "plot_bench: cannot load the bench panel\n");
        return 1;
    }
    rt.DisplayPanel(main_panel);
    rt.DisplayPanel(panel);
    frontend.main_window()->showNormal();
    frontend.main_window()->resize(1280, 800);
    // The graph at the size the analysis panel gives it.
    if (auto* sub = frontend.main_window()->findChild<QMdiSubWindow*>("BENCH_window"))
        sub->setGeometry(0, 0, 1100, 700);
    const int graph_id = rt.control_id(panel, "GRAPH");
    auto* graph = frontend.panel_widget(panel)->findChild<ui::qt::GraphView*>("GRAPH");
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();

    const Figures small = measure(rt, panel, graph_id, graph, 1, 1000);
    const Figures large = measure(rt, panel, graph_id, graph, 4, 524289);
    std::printf("graph area %d x %d pixels, adaptive sampling on\n", graph->width(),
                graph->height());
    std::printf("%-22s %18s %18s\n", "", "first draw (ms)", "redraw (ms)");
    std::printf("%-22s %18.2f %18.2f\n", "1 x 1,000 points", small.first_draw_ms, small.redraw_ms);
    std::printf("%-22s %18.2f %18.2f\n", "4 x 524,289 points", large.first_draw_ms,
                large.redraw_ms);
    std::printf("%-22s %18.1f %18.1f\n", "ratio", large.first_draw_ms / small.first_draw_ms,
                large.redraw_ms / small.redraw_ms);
    return 0;
}

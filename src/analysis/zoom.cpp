#include "analysis/zoom.h"

#include <utility>

#include "analysis/analysis.h"
#include "shell/app.h"
#include "uir_ids.h"

namespace analysis {

namespace {

constexpr int kWide = 110, kNarrow = 44;

AxisState axes(App& app) {
    AxisState a;
    app.ui.GetAxisRange(app.shell.analysispanel, ANALYSIS_GRAPH, &a.xmode, &a.xmin, &a.xmax,
                        &a.ymode, &a.ymin, &a.ymax);
    return a;
}

void set_axes(App& app, const AxisState& a) {
    app.ui.SetAxisRange(app.shell.analysispanel, ANALYSIS_GRAPH, a.xmode, a.xmin, a.xmax, a.ymode,
                        a.ymin, a.ymax);
}

// Zoom wide with Restore hidden at depth 0; narrow with Restore shown while zoomed.
void show_depth(App& app, bool zoomed) {
    auto& ui = app.ui;
    const int p = app.shell.analysispanel;
    ui.SetCtrlAttribute(p, ANALYSIS_ZOOM, ui::ATTR_WIDTH, zoomed ? kNarrow : kWide);
    ui.SetCtrlAttribute(p, ANALYSIS_RESTORE, ui::ATTR_VISIBLE, zoomed ? 1 : 0);
}

// Passes over every event until a commit on the graph; false when no event will come.
bool wait_corner(App& app, const char* label, double* x, double* y) {
    auto& ui = app.ui;
    const int p = app.shell.analysispanel;
    ui.SetCtrlAttribute(p, ANALYSIS_ZOOM, ui::ATTR_LABEL_TEXT, label);
    for (;;) {
        int panel = 0, ctrl = 0;
        const int event = ui.GetUserEvent(&panel, &ctrl);
        if (event < 0) return false;
        if (event == ui::EVENT_COMMIT && panel == p && ctrl == ANALYSIS_GRAPH) break;
    }
    ui.GetGraphCursor(p, ANALYSIS_GRAPH, 1, x, y);
    return true;
}

void end_zoom(App& app) {
    auto& ui = app.ui;
    const int p = app.shell.analysispanel;
    ui.SetCtrlAttribute(p, ANALYSIS_ZOOM, ui::ATTR_LABEL_TEXT, "ZOOM");
    ui.SetCursorAttribute(p, ANALYSIS_GRAPH, 1, ui::ATTR_CURSOR_MODE, ui::VAL_SNAP_TO_POINT);
    ui.SetMouseCursor(ui::VAL_DEFAULT_CURSOR);
}

}  // namespace

void zoom(App& app) {
    AnalysisState& st = app.analysis;
    auto& ui = app.ui;
    const int p = app.shell.analysispanel;
    if (st.zoom_depth >= kZoomLevels) {
        ui.MessagePopup("Zoom Error", "No more zoom levels: Restore first.");
        return;
    }
    show_depth(app, false);
    ui.SetCursorAttribute(p, ANALYSIS_GRAPH, 1, ui::ATTR_CURSOR_MODE, ui::VAL_FREE_FORM);
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (!wait_corner(app, "1st Box Corner", &x1, &y1) ||
        !wait_corner(app, "2nd Box Corner", &x2, &y2)) {
        // Nobody will click: leave the graph as it was.
        show_depth(app, st.zoom_depth > 0);
        end_zoom(app);
        return;
    }
    ui.SetCtrlAttribute(p, ANALYSIS_ZOOM, ui::ATTR_LABEL_TEXT, "ZOOM");
    show_depth(app, true);
    if (x1 == x2 || y1 == y2) {
        if (st.zoom_depth == 0) show_depth(app, false);
        end_zoom(app);
        ui.MessagePopup("Zoom Error", "Deltas must be non-zero.");
        return;
    }
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    st.zoom_stack[st.zoom_depth++] = axes(app);
    set_axes(app, {ui::VAL_MANUAL, x1, x2, ui::VAL_MANUAL, y1, y2});
    end_zoom(app);
    update_cursor(app);
}

void restore(App& app) {
    AnalysisState& st = app.analysis;
    if (st.zoom_depth == 0) return;
    if (--st.zoom_depth == 0) show_depth(app, false);
    set_axes(app, st.zoom_stack[st.zoom_depth]);
}

void reset_zoom(App& app) {
    if (app.analysis.zoom_depth == 0) return;
    app.analysis.zoom_depth = 0;
    show_depth(app, false);
}

void remember_initial_axes(App& app) {
    app.analysis.zoom_stack[0] = axes(app);
    app.analysis.zoom_depth = 0;
    show_depth(app, false);
}

}  // namespace analysis

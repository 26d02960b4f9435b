#include "analysis/zoom.h"

#include <utility>

#include "analysis/analysis.h"
#include "analysis/context.h"
#include "uir_ids.h"

namespace analysis {

namespace {

constexpr int kWide = 110, kNarrow = 44;

AxisState axes(const Context& cx) {
    AxisState a;
    cx.ui.GetAxisRange(cx.shell.analysispanel, ANALYSIS_GRAPH, &a.xmode, &a.xmin, &a.xmax, &a.ymode,
                       &a.ymin, &a.ymax);
    return a;
}

void set_axes(const Context& cx, const AxisState& a) {
    cx.ui.SetAxisRange(cx.shell.analysispanel, ANALYSIS_GRAPH, a.xmode, a.xmin, a.xmax, a.ymode,
                       a.ymin, a.ymax);
}

// Zoom wide with Restore hidden at depth 0; narrow with Restore shown while zoomed.
void show_depth(const Context& cx, bool zoomed) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    ui.SetCtrlAttribute(p, ANALYSIS_ZOOM, ui::ATTR_WIDTH, zoomed ? kNarrow : kWide);
    ui.SetCtrlAttribute(p, ANALYSIS_RESTORE, ui::ATTR_VISIBLE, zoomed ? 1 : 0);
}

// Passes over every event until a commit on the graph; false when no event will come.
bool wait_corner(const Context& cx, const char* label, double* x, double* y) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
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

void end_zoom(const Context& cx) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    ui.SetCtrlAttribute(p, ANALYSIS_ZOOM, ui::ATTR_LABEL_TEXT, "ZOOM");
    ui.SetCursorAttribute(p, ANALYSIS_GRAPH, 1, ui::ATTR_CURSOR_MODE, ui::VAL_SNAP_TO_POINT);
    ui.SetMouseCursor(ui::VAL_DEFAULT_CURSOR);
}

}  // namespace

void zoom(const Context& cx) {
    AnalysisState& st = cx.analysis;
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    if (st.zoom_depth >= kZoomLevels) {
        ui.MessagePopup("Zoom Error", "No more zoom levels: Restore first.");
        return;
    }
    show_depth(cx, false);
    ui.SetCursorAttribute(p, ANALYSIS_GRAPH, 1, ui::ATTR_CURSOR_MODE, ui::VAL_FREE_FORM);
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (!wait_corner(cx, "1st Box Corner", &x1, &y1) ||
        !wait_corner(cx, "2nd Box Corner", &x2, &y2)) {
        // Nobody will click: leave the graph as it was.
        show_depth(cx, st.zoom_depth > 0);
        end_zoom(cx);
        return;
    }
    ui.SetCtrlAttribute(p, ANALYSIS_ZOOM, ui::ATTR_LABEL_TEXT, "ZOOM");
    show_depth(cx, true);
    if (x1 == x2 || y1 == y2) {
        if (st.zoom_depth == 0) show_depth(cx, false);
        end_zoom(cx);
        ui.MessagePopup("Zoom Error", "Deltas must be non-zero.");
        return;
    }
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    st.zoom_stack[st.zoom_depth++] = axes(cx);
    set_axes(cx, {ui::VAL_MANUAL, x1, x2, ui::VAL_MANUAL, y1, y2});
    end_zoom(cx);
    update_cursor(cx);
}

void zoom_by_hand(const Context& cx) {
    AnalysisState& st = cx.analysis;
    if (st.zoom_depth > 0) return;
    st.zoom_stack[st.zoom_depth++] = axes(cx);
    show_depth(cx, true);
}

void restore(const Context& cx) {
    AnalysisState& st = cx.analysis;
    if (st.zoom_depth == 0) return;
    if (--st.zoom_depth == 0) show_depth(cx, false);
    set_axes(cx, st.zoom_stack[st.zoom_depth]);
}

void reset_zoom(const Context& cx) {
    if (cx.analysis.zoom_depth == 0) return;
    cx.analysis.zoom_depth = 0;
    show_depth(cx, false);
}

void remember_initial_axes(const Context& cx) {
    cx.analysis.zoom_stack[0] = axes(cx);
    cx.analysis.zoom_depth = 0;
    show_depth(cx, false);
}

}  // namespace analysis

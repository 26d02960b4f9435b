// The run-time: graphs, plots, axes and cursors.
#include "platform/ui/runtime.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/ui/axis_range.h"
#include "platform/ui/plot_search.h"

namespace ui {

void Runtime::graph_changed(int panel, Control& c) {
    ++c.graph.generation;
    if (c.graph.refresh) notify(Change::Graph, panel, c.id);
}

template <class X, class Y>
int Runtime::add_plot(int panel, int ctrl, const X* x, const Y* y, int n, int style, int colour) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c || c->type != CtrlType::Graph) return UIE_NO_SUCH_CONTROL;
    if (n < 0 || !y) return UIE_INDEX_OUT_OF_RANGE;
    Plot p;
    p.handle = c->graph.next_plot++;
    p.kind = style == VAL_VERTICAL_BAR ? PlotKind::Bars : PlotKind::Line;
    p.colour = colour;
    p.y.assign(y, y + n);
    if (x) p.x.assign(x, x + n);
    c->graph.plots.push_back(std::move(p));
    graph_changed(panel, *c);
    return c->graph.plots.back().handle;
}

int Runtime::PlotY(int panel, int ctrl, const double* y, int n, int style, int colour) {
    return add_plot<double, double>(panel, ctrl, nullptr, y, n, style, colour);
}
int Runtime::PlotY(int panel, int ctrl, const std::int32_t* y, int n, int style, int colour) {
    return add_plot<double, std::int32_t>(panel, ctrl, nullptr, y, n, style, colour);
}
int Runtime::PlotXY(int panel, int ctrl, const double* x, const double* y, int n, int style,
                    int colour) {
    return add_plot(panel, ctrl, x, y, n, style, colour);
}
int Runtime::PlotXY(int panel, int ctrl, const double* x, const std::int32_t* y, int n, int style,
                    int colour) {
    return add_plot(panel, ctrl, x, y, n, style, colour);
}
int Runtime::PlotXY(int panel, int ctrl, const std::int32_t* x, const std::int32_t* y, int n,
                    int style, int colour) {
    return add_plot(panel, ctrl, x, y, n, style, colour);
}
int Runtime::PlotLine(int panel, int ctrl, double x1, double y1, double x2, double y2, int colour) {
    const double x[2] = {x1, x2}, y[2] = {y1, y2};
    const int h = add_plot(panel, ctrl, x, y, 2, VAL_THIN_LINE, colour);
    if (h > 0) ctrl_mut(panel, ctrl)->graph.plots.back().kind = PlotKind::Segment;
    return h;
}
int Runtime::PlotText(int panel, int ctrl, double x, double y, const std::string& text,
                      int colour) {
    const int h = add_plot(panel, ctrl, &x, &y, 1, VAL_THIN_LINE, colour);
    if (h > 0) {
        Plot& p = ctrl_mut(panel, ctrl)->graph.plots.back();
        p.kind = PlotKind::Text;
        p.text = text;
    }
    return h;
}
int Runtime::DeleteGraphPlot(int panel, int ctrl, int plot) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c || c->type != CtrlType::Graph) return UIE_NO_SUCH_CONTROL;
    auto& plots = c->graph.plots;
    if (plot < 0)
        plots.clear();
    else
        std::erase_if(plots, [plot](const Plot& p) { return p.handle == plot; });
    graph_changed(panel, *c);
    return 0;
}
int Runtime::SetAxisRange(int panel, int ctrl, int xmode, double xmin, double xmax, int ymode,
                          double ymin, double ymax) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c || c->type != CtrlType::Graph) return UIE_NO_SUCH_CONTROL;
    auto apply = [](Axis& a, int mode, double lo, double hi) {
        if (mode == VAL_NO_CHANGE) return;
        a.mode = mode;
        if (mode == VAL_MANUAL) {
            a.min = lo;
            a.max = hi;
        }
    };
    apply(c->graph.x, xmode, xmin, xmax);
    apply(c->graph.y, ymode, ymin, ymax);
    graph_changed(panel, *c);
    return 0;
}

int Runtime::GetAxisRange(int panel, int ctrl, int* xmode, double* xmin, double* xmax, int* ymode,
                          double* ymin, double* ymax) const {
    const Control* c = control(panel, ctrl);
    if (!c || c->type != CtrlType::Graph) return UIE_NO_SUCH_CONTROL;
    const GraphState& g = c->graph;
    *xmode = g.x.mode;
    *ymode = g.y.mode;
    const AxisSpan x = shown_x(g), y = shown_y(g);
    *xmin = x.lo, *xmax = x.hi;
    *ymin = y.lo, *ymax = y.hi;
    return 0;
}
int Runtime::GetGraphCursor(int panel, int ctrl, int cursor, double* x, double* y) const {
    const Control* c = control(panel, ctrl);
    if (!c || c->type != CtrlType::Graph || cursor != 1) return UIE_NO_SUCH_CONTROL;
    *x = c->graph.cursor_x;
    *y = c->graph.cursor_y;
    return 0;
}
int Runtime::SetGraphCursor(int panel, int ctrl, int cursor, double x, double y) {
    if (cursor != 1) return UIE_NO_SUCH_CONTROL;
    return UserMoveCursor(panel, ctrl, x, y, false);
}
int Runtime::SetCursorAttribute(int panel, int ctrl, int cursor, int attr, int value) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c || c->type != CtrlType::Graph || cursor != 1) return UIE_NO_SUCH_CONTROL;
    if (attr != ATTR_CURSOR_MODE) return UIE_WRONG_TYPE;
    c->graph.cursor_mode = value;
    notify(Change::Cursor, panel, ctrl);
    return 0;
}

void Runtime::snap_cursor(Control& c) {
    // Onto the point nearest to the click, measured in units of each axis' span (decades on a
    // log axis). On a trace that is a function of x only the point at the clicked x is a
    // candidate, so the cursor lands on the trace above or below the click, not on a neighbour
    // sideways.
    const GraphState& g = c.graph;
    const AxisSpan xs = shown_x(g), ys = shown_y(g);
    const double x0 = x_position(g, xs.lo), x1 = x_position(g, xs.hi);
    const double sx = x1 > x0 ? x1 - x0 : 1.0, sy = ys.hi > ys.lo ? ys.hi - ys.lo : 1.0;
    const double cx = x_position(g, g.cursor_x);
    double best = std::numeric_limits<double>::infinity(), bx = g.cursor_x, by = g.cursor_y;
    const auto consider = [&](const Plot& p, size_t i) {
        const double px = p.x.empty() ? double(i) : p.x[i];
        if (!x_on_axis(g, px)) return;
        const double dx = (x_position(g, px) - cx) / sx, dy = (p.y[i] - g.cursor_y) / sy;
        const double d = dx * dx + dy * dy;
        if (d < best) best = d, bx = px, by = p.y[i];
    };
    for (const auto& p : g.plots) {
        if (p.kind == PlotKind::Text || p.kind == PlotKind::Segment) continue;
        if (is_function(p)) {
            if (const auto i = nearest_x(p, g.cursor_x, g.x_log)) consider(p, *i);
            continue;
        }
        for (size_t i = 0; i < p.y.size(); ++i) consider(p, i);
    }
    c.graph.cursor_x = bx;
    c.graph.cursor_y = by;
}

int Runtime::SetPlotAttribute(int panel, int ctrl, int plot, int attr, const std::string& text) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c || c->type != CtrlType::Graph) return UIE_NO_SUCH_CONTROL;
    if (attr != ATTR_PLOT_LG_TEXT) return UIE_WRONG_TYPE;
    auto& plots = c->graph.plots;
    const auto it = std::find_if(plots.begin(), plots.end(),
                                 [plot](const Plot& p) { return p.handle == plot; });
    if (it == plots.end()) return UIE_INDEX_OUT_OF_RANGE;
    it->name = text;
    graph_changed(panel, *c);
    return 0;
}

int Runtime::CursorToPeak(int panel, int ctrl, int plot, bool next) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c || c->type != CtrlType::Graph) return UIE_NO_SUCH_CONTROL;
    const auto& plots = c->graph.plots;
    const auto it = std::find_if(plots.begin(), plots.end(),
                                 [plot](const Plot& p) { return p.handle == plot; });
    if (it == plots.end() || !is_function(*it)) return UIE_INDEX_OUT_OF_RANGE;
    int xmode = 0, ymode = 0;
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    GetAxisRange(panel, ctrl, &xmode, &x0, &x1, &ymode, &y0, &y1);
    const std::optional<double> below =
        next ? std::optional<double>(c->graph.cursor_y) : std::nullopt;
    const auto peak = highest_peak(*it, std::min(x0, x1), std::max(x0, x1), below);
    if (!peak) return 1;
    c->graph.cursor_x = it->x.empty() ? double(*peak) : it->x[*peak];
    c->graph.cursor_y = it->y[*peak];
    notify(Change::Cursor, panel, ctrl);
    return 0;
}

}  // namespace ui

// The run-time: graphs, plots, axes and cursors.
#include "platform/ui/runtime.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

namespace {
// The range the data spans, as an autoscaled axis shows it.
void data_range(const GraphState& g, bool x_axis, double* lo, double* hi) {
    double mn = std::numeric_limits<double>::infinity(), mx = -mn;
    for (const auto& p : g.plots) {
        const size_t n = p.y.size();
        for (size_t i = 0; i < n; ++i) {
            const double v = x_axis ? (p.x.empty() ? double(i) : p.x[i]) : p.y[i];
            if (std::isfinite(v)) {
                mn = std::min(mn, v);
                mx = std::max(mx, v);
            }
        }
    }
    if (mn > mx) mn = 0, mx = 10;
    if (mn == mx) mn -= 1, mx += 1;
    *lo = mn;
    *hi = mx;
}
}  // namespace

int Runtime::GetAxisRange(int panel, int ctrl, int* xmode, double* xmin, double* xmax, int* ymode,
                          double* ymin, double* ymax) const {
    const Control* c = control(panel, ctrl);
    if (!c || c->type != CtrlType::Graph) return UIE_NO_SUCH_CONTROL;
    const GraphState& g = c->graph;
    *xmode = g.x.mode;
    *ymode = g.y.mode;
    if (g.x.mode == VAL_AUTOSCALE)
        data_range(g, true, xmin, xmax);
    else
        *xmin = g.x.min, *xmax = g.x.max;
    if (g.y.mode == VAL_AUTOSCALE)
        data_range(g, false, ymin, ymax);
    else
        *ymin = g.y.min, *ymax = g.y.max;
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
    // Onto the point nearest to the click, measured in units of each axis' span. On a trace
    // that is a function of x only the point at the clicked x is a candidate, so the cursor
    // lands on the trace above or below the click, not on a neighbour sideways.
    double x0, x1, y0, y1;
    const GraphState& g = c.graph;
    data_range(g, true, &x0, &x1);
    data_range(g, false, &y0, &y1);
    if (g.x.mode == VAL_MANUAL) x0 = g.x.min, x1 = g.x.max;
    if (g.y.mode == VAL_MANUAL) y0 = g.y.min, y1 = g.y.max;
    const double sx = x1 > x0 ? x1 - x0 : 1.0, sy = y1 > y0 ? y1 - y0 : 1.0;
    double best = std::numeric_limits<double>::infinity(), bx = g.cursor_x, by = g.cursor_y;
    const auto consider = [&](const Plot& p, size_t i) {
        const double px = p.x.empty() ? double(i) : p.x[i];
        const double dx = (px - g.cursor_x) / sx, dy = (p.y[i] - g.cursor_y) / sy;
        const double d = dx * dx + dy * dy;
        if (d < best) best = d, bx = px, by = p.y[i];
    };
    for (const auto& p : g.plots) {
        if (p.kind == PlotKind::Text || p.kind == PlotKind::Segment) continue;
        if (is_function(p)) {
            if (const auto i = nearest_x(p, g.cursor_x)) consider(p, *i);
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

#include "platform/ui/qt/graph_view.h"

#include <QApplication>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "platform/ui/qt/look.h"
#include "platform/ui/qt/user_actions.h"
#include "platform/ui/runtime.h"

namespace ui::qt {

namespace {

// Above this many bars a bar plot is drawn as impulses, which adaptive sampling keeps fast.
constexpr size_t kMaxSolidBars = 2000;
// Above this many points a curve is a dense band on screen: drawn through adaptive sampling
// (a few points per pixel column) and without antialiasing, which keeps four curves of 2^19
// points redrawing in tens of milliseconds. Below it every segment is drawn, smoothly:
// sampling a curve of a few points per pixel thickens its steep edges.
constexpr size_t kSmoothPoints = 20000;

const char* const kCursorLayer = "cursor";

// One wheel notch shows this share of the range, centred on the pointer.
constexpr double kWheelZoom = 0.8;
// Text marks closer than this (pixels) to another are moved apart.
constexpr int kTextGap = 2;

double x_of(const Plot& p, size_t i) {
    return p.x.empty() ? double(i) : p.x[i];
}

// The plot's points as QCustomPlot keeps them; with positive_x_only none at x <= 0, which a log
// axis has no place for (QCustomPlot would draw them off the edge and a line towards them).
template <class Data, class Make>
QVector<Data> points(const Plot& p, bool positive_x_only, Make make) {
    QVector<Data> v;
    v.reserve(static_cast<qsizetype>(p.y.size()));
    for (size_t i = 0; i < p.y.size(); ++i)
        if (!positive_x_only || x_of(p, i) > 0) v.push_back(make(i, x_of(p, i), p.y[i]));
    return v;
}

bool is_log(const QCPAxis* axis) {
    return axis->scaleType() == QCPAxis::stLogarithmic;
}

// Zoom and drag work in the axis' own measure: decades on a log axis, where a range then never
// reaches 0 and a decade keeps its width on screen.
double to_measure(const QCPAxis* axis, double v) {
    return is_log(axis) ? std::log10(v) : v;
}
double from_measure(const QCPAxis* axis, double m) {
    return is_log(axis) ? std::pow(10.0, m) : m;
}
QCPRange scaled(const QCPAxis* axis, const QCPRange& r, double factor, double centre) {
    const double c = to_measure(axis, centre);
    return {from_measure(axis, c + (to_measure(axis, r.lower) - c) * factor),
            from_measure(axis, c + (to_measure(axis, r.upper) - c) * factor)};
}
// r moved by a share of its own width.
QCPRange moved(const QCPAxis* axis, const QCPRange& r, double share) {
    const double lo = to_measure(axis, r.lower), hi = to_measure(axis, r.upper);
    const double by = (hi - lo) * share;
    return {from_measure(axis, lo + by), from_measure(axis, hi + by)};
}

// The narrowest gap between neighbouring x values: the width a bar may take.
double bar_width(const Plot& p) {
    if (p.x.size() < 2) return 1.0;
    double w = 0;
    for (size_t i = 1; i < p.x.size(); ++i) {
        const double d = p.x[i] - p.x[i - 1];
        if (d > 0 && (w == 0 || d < w)) w = d;
    }
    return w > 0 ? w : 1.0;
}

}  // namespace

GraphView::GraphView(const Runtime& rt, int panel, int ctrl, UserActions& user, QWidget* parent)
    : QCustomPlot(parent), rt_(rt), panel_(panel), ctrl_(ctrl), user_(user) {
    setMinimumSize(320, 200);
    setBackground(Qt::white);
    setAutoAddPlottableToLegend(false);
    legend->setBrush(QColor(255, 255, 255, 220));
    legend->setBorderPen(QPen(QColor(0xA0, 0xA0, 0xA0), 0));
    legend->setSelectableParts(QCPLegend::spNone);
    axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
    // Marks are spaced in pixels, so after every layout (a new range, a new size).
    connect(this, &QCustomPlot::afterLayout, this, &GraphView::lay_out_texts);
    const QColor axis_colour(0x40, 0x40, 0x40);
    for (QCPAxis* a : {xAxis, yAxis}) {
        a->setBasePen(QPen(axis_colour, 0));
        a->setTickPen(QPen(axis_colour, 0));
        a->setSubTickPen(QPen(axis_colour, 0));
        a->setTickLabelColor(axis_colour);
        a->setLabelColor(axis_colour);
        a->grid()->setPen(QPen(QColor(0xD8, 0xD8, 0xD8), 0, Qt::DotLine));
    }
    // The cursor lives on its own buffered layer, so moving it does not redraw the data.
    addLayer(kCursorLayer, layer("axes"), QCustomPlot::limAbove);
    layer(kCursorLayer)->setMode(QCPLayer::lmBuffered);
    const QPen cursor_pen(QColor(0x20, 0x20, 0x20), 0, Qt::DashLine);
    for (QCPItemStraightLine** line : {&cursor_v_, &cursor_h_}) {
        *line = new QCPItemStraightLine(this);
        (*line)->setLayer(kCursorLayer);
        (*line)->setPen(cursor_pen);
        (*line)->setSelectable(false);
        (*line)->setVisible(false);
    }
    model_changed();
}

const Control* GraphView::model() const {
    return rt_.control(panel_, ctrl_);
}

void GraphView::model_changed() {
    if (redraw_pending_) return;
    redraw_pending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            redraw_pending_ = false;
            redraw_now();
        },
        Qt::QueuedConnection);
}

void GraphView::redraw_now() {
    const Control* c = model();
    if (!c || !c->graph.refresh || c->graph.generation == drawn_generation_) return;
    sync_scale(c->graph.x_log);
    sync_plots(c->graph);
    sync_legend(c->graph);
    sync_axes(*c);
    sync_title(c->label);
    place_cursor(c->graph);
    drawn_generation_ = c->graph.generation;
    replot(QCustomPlot::rpQueuedRefresh);
}

void GraphView::cursor_changed() {
    const Control* c = model();
    if (!c) return;
    place_cursor(c->graph);
    layer(kCursorLayer)->replot();
}

QColor GraphView::plot_colour(int rgb) const {
    return readable_colour(rgb, QColor(Qt::black));
}

bool GraphView::on_x_axis(double x) const {
    return !is_log(xAxis) || x > 0;
}

void GraphView::sync_scale(bool log) {
    if (log == is_log(xAxis)) return;
    if (log) {
        auto ticker = QSharedPointer<QCPAxisTickerLog>::create();
        ticker->setLogBase(10.0);
        ticker->setSubTickCount(8);  // 2 to 9 of each decade
        xAxis->setScaleType(QCPAxis::stLogarithmic);
        xAxis->setTicker(ticker);
    } else {
        xAxis->setScaleType(QCPAxis::stLinear);
        xAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    }
    // Which points have a place changed: every plot is drawn anew.
    for (const auto& [handle, d] : drawn_) {
        if (d.plottable) removePlottable(d.plottable);
        if (d.item) removeItem(d.item);
    }
    drawn_.clear();
}

void GraphView::sync_plots(const GraphState& g) {
    std::set<int> live;
    for (const Plot& p : g.plots) live.insert(p.handle);
    for (auto it = drawn_.begin(); it != drawn_.end();) {
        if (live.count(it->first)) {
            ++it;
            continue;
        }
        if (it->second.plottable) removePlottable(it->second.plottable);
        if (it->second.item) removeItem(it->second.item);
        it = drawn_.erase(it);
    }
    for (const Plot& p : g.plots)
        if (!drawn_.count(p.handle)) drawn_[p.handle] = draw_plot(p);
}

GraphView::Drawn GraphView::draw_plot(const Plot& p) {
    const bool log = is_log(xAxis);
    const QColor colour = plot_colour(p.colour);
    const QPen pen(colour, 0);
    Drawn d;
    switch (p.kind) {
        case PlotKind::Text: {
            auto* t = new QCPItemText(this);
            const double x = p.x.empty() ? 0.0 : p.x[0];
            t->position->setCoords(x, p.y.empty() ? 0.0 : p.y[0]);
            t->setVisible(on_x_axis(x));
            t->setPositionAlignment(Qt::AlignHCenter | Qt::AlignBottom);
            t->setText(QString::fromStdString(p.text));
            t->setColor(colour);
            t->setFont(font());
            t->setSelectable(false);
            d.item = t;
            return d;
        }
        case PlotKind::Segment: {
            auto* l = new QCPItemLine(this);
            l->start->setCoords(p.x.at(0), p.y.at(0));
            l->end->setCoords(p.x.at(1), p.y.at(1));
            l->setPen(pen);
            l->setSelectable(false);
            l->setVisible(on_x_axis(p.x[0]) && on_x_axis(p.x[1]));
            d.item = l;
            return d;
        }
        case PlotKind::Bars:
            // Bars a fixed width wide would be lopsided on a log axis: impulses there.
            if (p.y.size() <= kMaxSolidBars && !log &&
                (p.x.empty() || std::is_sorted(p.x.begin(), p.x.end()))) {
                auto* bars = new QCPBars(xAxis, yAxis);
                bars->setWidthType(QCPBars::wtPlotCoords);
                bars->setWidth(bar_width(p));
                bars->setPen(pen);
                bars->setBrush(colour);
                bars->data()->set(
                    points<QCPBarsData>(
                        p, false, [](size_t, double x, double y) { return QCPBarsData(x, y); }),
                    true);
                bars->setSelectable(QCP::stNone);
                d.plottable = bars;
                return d;
            }
            [[fallthrough]];
        case PlotKind::Line:
            if (p.x.empty() || std::is_sorted(p.x.begin(), p.x.end())) {
                QCPGraph* graph = addGraph();
                graph->data()->set(
                    points<QCPGraphData>(
                        p, log, [](size_t, double x, double y) { return QCPGraphData(x, y); }),
                    true);
                graph->setPen(pen);
                const bool dense = p.y.size() > kSmoothPoints;
                graph->setAdaptiveSampling(dense);
                graph->setAntialiased(!dense);
                graph->setSelectable(QCP::stNone);
                if (p.kind == PlotKind::Bars) graph->setLineStyle(QCPGraph::lsImpulse);
                if (p.y.size() == 1)
                    graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 4));
                d.plottable = graph;
            } else {
                // x not in order (a figure, not a function of x): drawn point by point.
                auto* curve = new QCPCurve(xAxis, yAxis);
                curve->data()->set(points<QCPCurveData>(p, log,
                                                        [](size_t i, double x, double y) {
                                                            return QCPCurveData(double(i), x, y);
                                                        }),
                                   true);
                curve->setPen(pen);
                curve->setSelectable(QCP::stNone);
                d.plottable = curve;
            }
            return d;
    }
    return d;
}

void GraphView::sync_axes(const Control& c) {
    int xmode = 0, ymode = 0;
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    rt_.GetAxisRange(panel_, ctrl_, &xmode, &x0, &x1, &ymode, &y0, &y1);
    auto apply = [](QCPAxis* axis, double lo, double hi) {
        if (lo > hi) std::swap(lo, hi);
        if (lo == hi) {
            const double pad = lo == 0 ? 0.5 : std::abs(lo) * 1e-6;
            lo -= pad;
            hi += pad;
        }
        axis->setRange(lo, hi);
    };
    apply(xAxis, x0, x1);
    apply(yAxis, y0, y1);
    xAxis->setLabel(QString::fromStdString(c.graph.xname));
    yAxis->setLabel(QString::fromStdString(c.graph.yname));
}

void GraphView::sync_title(const std::string& title) {
    if (title.empty()) {
        if (title_) {
            plotLayout()->remove(title_);
            plotLayout()->simplify();
            title_ = nullptr;
        }
        return;
    }
    if (!title_) {
        plotLayout()->insertRow(0);
        QFont f = font();
        f.setBold(true);
        title_ = new QCPTextElement(this, QString(), f);
        title_->setTextColor(QColor(0x20, 0x20, 0x20));
        plotLayout()->addElement(0, 0, title_);
    }
    title_->setText(QString::fromStdString(title));
}

void GraphView::place_cursor(const GraphState& g) {
    const bool shown = !g.plots.empty();
    cursor_v_->setVisible(shown && on_x_axis(g.cursor_x));
    cursor_h_->setVisible(shown);
    cursor_v_->point1->setCoords(g.cursor_x, 0);
    cursor_v_->point2->setCoords(g.cursor_x, 1);
    // Two positive x, which a log axis has a place for.
    cursor_h_->point1->setCoords(1, g.cursor_y);
    cursor_h_->point2->setCoords(2, g.cursor_y);
}

void GraphView::sync_legend(const GraphState& g) {
    bool any = false;
    for (const Plot& p : g.plots) {
        const auto it = drawn_.find(p.handle);
        if (it == drawn_.end() || !it->second.plottable) continue;
        QCPAbstractPlottable* plottable = it->second.plottable;
        plottable->setName(QString::fromStdString(p.name));
        if (p.name.empty()) {
            plottable->removeFromLegend();
        } else {
            plottable->addToLegend();
            any = true;
        }
    }
    legend->setVisible(any);
}

void GraphView::lay_out_texts() {
    const Control* c = model();
    if (!c) return;
    struct Mark {
        QCPItemText* item;
        double x, y;
        QString text;
    };
    std::vector<Mark> marks;
    for (const Plot& p : c->graph.plots) {
        const auto it = drawn_.find(p.handle);
        if (p.kind != PlotKind::Text || it == drawn_.end()) continue;
        if (auto* t = qobject_cast<QCPItemText*>(it->second.item))
            marks.push_back({t, p.x.empty() ? 0.0 : p.x[0], p.y.empty() ? 0.0 : p.y[0], t->text()});
    }
    // The highest of marks at one x first: it is the one kept when several say the same.
    std::sort(marks.begin(), marks.end(),
              [](const Mark& a, const Mark& b) { return a.x != b.x ? a.x < b.x : a.y > b.y; });
    // Each mark sits centred above its point, inside the plot area; the same text at the same
    // x (every channel marking one harmonic) is shown once, and a mark that would touch one
    // already placed is lifted above it.
    std::vector<std::pair<QRectF, QString>> placed;
    const QFontMetricsF metrics(font());
    const QRect area = axisRect()->rect();
    for (const Mark& m : marks) {
        if (!on_x_axis(m.x)) continue;
        const QSizeF size = metrics.size(0, m.text);
        QRectF r(xAxis->coordToPixel(m.x) - size.width() / 2,
                 yAxis->coordToPixel(m.y) - size.height(), size.width(), size.height());
        const bool repeated = std::any_of(placed.begin(), placed.end(), [&](const auto& p) {
            return p.second == m.text && std::abs(p.first.center().x() - r.center().x()) < 1.0;
        });
        m.item->setVisible(!repeated);
        if (repeated) continue;
        if (r.top() < area.top()) r.moveTop(area.top());
        for (bool moved = true; moved;) {
            moved = false;
            for (const auto& [other, text] : placed) {
                if (!r.adjusted(-kTextGap, -kTextGap, kTextGap, kTextGap).intersects(other))
                    continue;
                r.moveBottom(other.top() - kTextGap);
                moved = true;
            }
        }
        m.item->position->setCoords(m.x, yAxis->pixelToCoord(r.bottom()));
        placed.emplace_back(r, m.text);
    }
}

void GraphView::ask_range(const QCPRange& x, const QCPRange& y) {
    user_.zoom_graph(panel_, ctrl_, x.lower, x.upper, y.lower, y.upper);
}

void GraphView::mousePressEvent(QMouseEvent* event) {
    QCustomPlot::mousePressEvent(event);
    if (event->button() == Qt::RightButton) {
        user_.right_click(panel_, ctrl_);
        return;
    }
    if (event->button() != Qt::LeftButton && event->button() != Qt::MiddleButton) return;
    const QPointF pos = event->position();
    if (!axisRect()->rect().contains(pos.toPoint())) return;
    press_ = Press{pos, xAxis->range(), yAxis->range(), false};
}

void GraphView::mouseMoveEvent(QMouseEvent* event) {
    QCustomPlot::mouseMoveEvent(event);
    if (!press_ || !(event->buttons() & (Qt::LeftButton | Qt::MiddleButton))) return;
    const QPointF d = event->position() - press_->at;
    if (!press_->dragging && d.manhattanLength() < QApplication::startDragDistance()) return;
    if (!press_->dragging) setCursor(Qt::ClosedHandCursor);
    press_->dragging = true;
    // The data follow the pointer: a drag to the right shows what lies to the left.
    const QRect area = axisRect()->rect();
    xAxis->setRange(moved(xAxis, press_->x, -d.x() / std::max(1, area.width())));
    yAxis->setRange(moved(yAxis, press_->y, d.y() / std::max(1, area.height())));
    replot(QCustomPlot::rpQueuedReplot);
}

void GraphView::mouseReleaseEvent(QMouseEvent* event) {
    QCustomPlot::mouseReleaseEvent(event);
    if (!press_) return;
    const Press press = *press_;
    press_.reset();
    if (press.dragging) {
        unsetCursor();
        ask_range(xAxis->range(), yAxis->range());
        return;
    }
    if (event->button() == Qt::LeftButton)
        user_.click_graph(panel_, ctrl_, xAxis->pixelToCoord(press.at.x()),
                          yAxis->pixelToCoord(press.at.y()));
}

void GraphView::wheelEvent(QWheelEvent* event) {
    const QPointF pos = event->position();
    const int notches = event->angleDelta().y();
    if (notches == 0 || !axisRect()->rect().contains(pos.toPoint())) {
        event->ignore();
        return;
    }
    event->accept();
    const double factor = std::pow(kWheelZoom, notches / 120.0);
    QCPRange x = xAxis->range(), y = yAxis->range();
    if (event->modifiers() & Qt::ControlModifier)
        y = scaled(yAxis, y, factor, yAxis->pixelToCoord(pos.y()));
    else
        x = scaled(xAxis, x, factor, xAxis->pixelToCoord(pos.x()));
    ask_range(x, y);
}

}  // namespace ui::qt

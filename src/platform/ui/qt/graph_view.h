// A graph control drawn with QCustomPlot: the plots, axis ranges and scale (linear, or a log x
// axis), title, axis names, legend and cursor 1 of the model, redrawn once per batch of changes and
// not at all while the model defers drawing. A click on the plot area moves the cursor through the
// run-time; the wheel (x, or y with Ctrl) and a drag ask it for a new range. Text marks that would
// overlap are moved up above each other, and a mark repeated at the same place is shown once.
#pragma once

#include <qcustomplot.h>

#include <map>
#include <optional>

#include "platform/ui/model.h"

namespace ui {
class Runtime;
}

namespace ui::qt {

class UserActions;

class GraphView : public QCustomPlot {
    Q_OBJECT

  public:
    GraphView(const Runtime& rt, int panel, int ctrl, UserActions& user, QWidget* parent);

    // The graph changed: redraw soon, once, however many changes arrive before.
    void model_changed();
    // Cursor 1 moved or changed mode: only the cursor layer is redrawn.
    void cursor_changed();
    // Brings the drawing in line with the model now, unless the model defers drawing.
    void redraw_now();
    // The model generation last drawn; -1 before the first drawing.
    int drawn_generation() const { return drawn_generation_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    struct Drawn {
        QCPAbstractPlottable* plottable = nullptr;
        QCPAbstractItem* item = nullptr;
    };

    const Control* model() const;
    // Whether a point at x has a place on the x axis: not at x <= 0 on a log axis.
    bool on_x_axis(double x) const;
    void sync_scale(bool log);
    void sync_plots(const GraphState& g);
    Drawn draw_plot(const Plot& p);
    void sync_axes(const Control& c);
    void sync_title(const std::string& title);
    void place_cursor(const GraphState& g);
    void sync_legend(const GraphState& g);
    void lay_out_texts();
    void ask_range(const QCPRange& x, const QCPRange& y);
    QColor plot_colour(int rgb) const;

    const Runtime& rt_;
    int panel_, ctrl_;
    UserActions& user_;
    std::map<int, Drawn> drawn_;  // by plot handle; a handle's data never changes
    QCPTextElement* title_ = nullptr;
    QCPItemStraightLine* cursor_v_ = nullptr;
    QCPItemStraightLine* cursor_h_ = nullptr;
    bool redraw_pending_ = false;
    // A left or middle press on the plot area, until it turns out to be a click or a drag.
    struct Press {
        QPointF at;
        QCPRange x, y;
        bool dragging = false;
    };
    std::optional<Press> press_;
    int drawn_generation_ = -1;
};

}  // namespace ui::qt

// What the widgets report: a person's actions. The front-end hands them to the run-time, or,
// while system code waits for a user event, takes a commit as that event.
#pragma once

#include "platform/ui/model.h"

namespace ui::qt {

class UserActions {
  public:
    virtual ~UserActions() = default;
    virtual void commit(int panel, int ctrl) = 0;
    virtual void set_value(int panel, int ctrl, const Value& value) = 0;
    virtual void set_index(int panel, int ctrl, int index) = 0;
    virtual void right_click(int panel, int ctrl) = 0;
    // A click on a graph at plot coordinates (x, y).
    virtual void click_graph(int panel, int ctrl, double x, double y) = 0;
    // The wheel or a drag asks a graph to show this range.
    virtual void zoom_graph(int panel, int ctrl, double xmin, double xmax, double ymin,
                            double ymax) = 0;
    virtual void close_panel(int panel) = 0;
    virtual void menu(int menubar, int item) = 0;
    virtual void timer_tick(int panel, int ctrl) = 0;
};

}  // namespace ui::qt

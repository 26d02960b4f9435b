// The run-time: the event loop, timers, time and the actions a person takes.
#include "platform/ui/runtime.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/control_state.h"

namespace ui {

using namespace detail;

// --- events and time -------------------------------------------------------------------

int Runtime::RunUserInterface() {
    quitting_ = false;
    frontend_.run_loop();
    return quit_result_;
}
int Runtime::QuitUserInterface(int result) {
    quit_result_ = result;
    quitting_ = true;
    frontend_.quit_loop();
    return 0;
}
int Runtime::ProcessSystemEvents() {
    frontend_.process_events();
    return 0;
}
int Runtime::GetUserEvent(int* panel, int* ctrl) {
    int p = 0, c = 0;
    const int ev = frontend_.wait_user_event(&p, &c);
    if (panel) *panel = p;
    if (ctrl) *ctrl = c;
    return ev;
}
int Runtime::SuspendTimerCallbacks() {
    timers_suspended_ = true;
    return 0;
}
int Runtime::ResumeTimerCallbacks() {
    timers_suspended_ = false;
    return 0;
}
double Runtime::Timer() {
    const double now = clock_.now();
    if (!timer_started_) {
        timer_started_ = true;
        timer_origin_ = now;
    }
    // Every wait loop reads the clock: the moment to let the window repaint.
    if (!clock_.is_virtual() && now - last_keep_alive_ >= 0.03) {
        last_keep_alive_ = now;
        frontend_.keep_alive();
    }
    return now - timer_origin_;
}
void Runtime::Delay(double seconds) {
    if (clock_.is_virtual()) {
        clock_.sleep(seconds);
        return;
    }
    const double end = clock_.now() + seconds;
    for (double left = seconds; left > 0; left = end - clock_.now()) {
        clock_.sleep(std::min(left, 0.02));
        frontend_.keep_alive();
    }
}
int Runtime::UpdateProgress(const std::string& title, const std::string& text, double fraction) {
    return frontend_.progress(title, text, fraction) ? 0 : 1;
}
void Runtime::EndProgress() {
    frontend_.progress_done();
}
void Runtime::SetMouseCursor(int cursor) {
    frontend_.set_mouse_cursor(cursor);
}

// --- user actions ----------------------------------------------------------------------

int Runtime::call_ctrl(int panel, int ctrl, int event) {
    const Control* c = control(panel, ctrl);
    if (!c || c->callback.empty()) return 0;
    const CtrlCallback* fn = callbacks_.ctrl(c->callback);
    if (!fn) return 0;
    ++depth_;
    const int r = (*fn)(panel, ctrl, event, nullptr);
    --depth_;
    return r;
}

int Runtime::UserSetValue(int panel, int ctrl, const Value& value) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (c->dimmed || c->indicator) return UIE_WRONG_TYPE;
    int r = 0;
    if (auto s = std::get_if<std::string>(&value))
        r = SetCtrlVal(panel, ctrl, *s);
    else if (is_list(*c))
        r = SetCtrlVal(panel, ctrl, static_cast<int>(as_double(value)));
    else
        r = SetCtrlVal(panel, ctrl, as_double(value));
    if (r < 0) return r;
    call_ctrl(panel, ctrl, EVENT_VAL_CHANGED);
    call_ctrl(panel, ctrl, EVENT_COMMIT);
    return 0;
}
int Runtime::UserSetIndex(int panel, int ctrl, int index) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (c->dimmed || c->indicator) return UIE_WRONG_TYPE;
    const int r = SetCtrlIndex(panel, ctrl, index);
    if (r < 0) return r;
    call_ctrl(panel, ctrl, EVENT_VAL_CHANGED);
    call_ctrl(panel, ctrl, EVENT_COMMIT);
    return 0;
}
int Runtime::UserCommit(int panel, int ctrl) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (c->dimmed) return UIE_WRONG_TYPE;
    call_ctrl(panel, ctrl, EVENT_COMMIT);
    return 0;
}
int Runtime::UserRightClick(int panel, int ctrl) {
    if (!ctrl_mut(panel, ctrl)) return UIE_NO_SUCH_CONTROL;
    call_ctrl(panel, ctrl, EVENT_RIGHT_CLICK);
    return 0;
}
int Runtime::UserClosePanel(int panel) {
    Panel* p = panel_mut(panel);
    if (!p) return UIE_NO_SUCH_PANEL;
    if (p->callback.empty()) return 0;
    const PanelCallback* fn = callbacks_.panel(p->callback);
    if (!fn) return 0;
    ++depth_;
    (*fn)(panel, EVENT_CLOSE, nullptr);
    --depth_;
    return 0;
}
int Runtime::UserMenu(int menubar, int item) {
    const MenuItem* m = menu_item(menubar, item);
    if (!m) return UIE_NO_SUCH_ITEM;
    if (m->dimmed || m->callback.empty()) return 0;
    const MenuCallback* fn = callbacks_.menu(m->callback);
    if (!fn) return 0;
    ++depth_;
    (*fn)(menubar, item, nullptr, menubars_[menubar - 1]->panel);
    --depth_;
    return 0;
}
int Runtime::UserMoveCursor(int panel, int ctrl, double x, double y, bool raise_commit) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c || c->type != CtrlType::Graph) return UIE_NO_SUCH_CONTROL;
    c->graph.cursor_x = x;
    c->graph.cursor_y = y;
    if (c->graph.cursor_mode == VAL_SNAP_TO_POINT) snap_cursor(*c);
    notify(Change::Cursor, panel, ctrl);
    if (raise_commit) call_ctrl(panel, ctrl, EVENT_COMMIT);
    return 0;
}
int Runtime::UserZoomGraph(int panel, int ctrl, double xmin, double xmax, double ymin,
                           double ymax) {
    const Control* c = control(panel, ctrl);
    if (!c || c->type != CtrlType::Graph) return UIE_NO_SUCH_CONTROL;
    if (!(xmin < xmax) || !(ymin < ymax) || !std::isfinite(xmax - xmin) ||
        !std::isfinite(ymax - ymin))
        return UIE_INDEX_OUT_OF_RANGE;
    call_ctrl(panel, ctrl, EVENT_ZOOM);
    return SetAxisRange(panel, ctrl, VAL_MANUAL, xmin, xmax, VAL_MANUAL, ymin, ymax);
}
int Runtime::TimerTick(int panel, int ctrl) {
    const Control* c = control(panel, ctrl);
    if (!c || c->type != CtrlType::Timer) return UIE_NO_SUCH_CONTROL;
    if (timers_suspended_ || depth_ > 0 || !c->enabled) return 0;
    call_ctrl(panel, ctrl, EVENT_TIMER_TICK);
    return 1;
}

}  // namespace ui

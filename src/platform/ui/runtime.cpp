#include "platform/ui/runtime.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <limits>

#include "platform/ui/resource.h"

namespace ui {

namespace {

bool is_list(const Control& c) {
    return c.type == CtrlType::Ring || c.type == CtrlType::ListBox;
}
bool is_text(const Control& c) {
    return c.type == CtrlType::Text || c.type == CtrlType::Label || c.type == CtrlType::TextBox;
}

double as_double(const Value& v) {
    if (auto i = std::get_if<int>(&v)) return *i;
    if (auto d = std::get_if<double>(&v)) return *d;
    return 0.0;
}

void select_index(Control& c, int index) {
    c.index = index;
    c.value = index >= 0 && index < static_cast<int>(c.items.size()) ? c.items[index].value : 0;
}

// Store a number the way the control keeps it: coerced into its range, integer or real. While
// a caller moves the range, min may pass max for a moment; min wins then. An integer control
// keeps what an int can hold and ignores a NaN.
void store_number(Control& c, double v) {
    if (c.type == CtrlType::Numeric) {
        if (!std::isnan(v)) v = std::max(c.min, std::min(v, c.max));
        if (c.is_real) {
            c.value = v;
        } else if (!std::isnan(v)) {
            constexpr double lo = std::numeric_limits<int>::min();
            constexpr double hi = std::numeric_limits<int>::max();
            c.value = static_cast<int>(std::clamp(std::trunc(v), lo, hi));
        }
    } else if (c.type == CtrlType::Toggle || c.type == CtrlType::Led) {
        c.value = v != 0 ? 1 : 0;
    } else if (c.type == CtrlType::Progress) {
        c.value = v;
    } else {
        c.value = static_cast<int>(v);
    }
}

}  // namespace

Runtime::Runtime(platform::Clock& clock, Frontend& frontend, CallbackRegistry& callbacks,
                 std::string resource_dir)
    : clock_(clock),
      frontend_(frontend),
      callbacks_(callbacks),
      resource_dir_(std::move(resource_dir)),
      project_dir_(resource_dir_) {
    frontend_.attach(*this);
}

// --- model access ----------------------------------------------------------------------

Panel* Runtime::panel_mut(int handle) {
    if (handle < 1 || handle > static_cast<int>(panels_.size())) return nullptr;
    return panels_[handle - 1].get();
}
const Panel* Runtime::panel(int handle) const {
    return const_cast<Runtime*>(this)->panel_mut(handle);
}
Control* Runtime::ctrl_mut(int panel, int ctrl) {
    Panel* p = panel_mut(panel);
    if (!p || ctrl < 1 || ctrl > static_cast<int>(p->controls.size())) return nullptr;
    Control& c = p->controls[ctrl - 1];
    return c.id == 0 ? nullptr : &c;  // id 0: discarded
}
const Control* Runtime::control(int panel, int ctrl) const {
    return const_cast<Runtime*>(this)->ctrl_mut(panel, ctrl);
}
int Runtime::control_id(int panel, const std::string& name) const {
    const Panel* p = this->panel(panel);
    if (!p) return UIE_NO_SUCH_PANEL;
    for (const auto& c : p->controls)
        if (c.name == name && c.id != 0) return c.id;
    return UIE_NO_SUCH_CONTROL;
}
const MenuBar* Runtime::menubar(int handle) const {
    if (handle < 1 || handle > static_cast<int>(menubars_.size())) return nullptr;
    return menubars_[handle - 1].get();
}
std::vector<int> Runtime::panel_handles() const {
    std::vector<int> out;
    for (const auto& p : panels_) out.push_back(p->handle);
    return out;
}

namespace {
MenuItem* find_item(std::vector<MenuItem>& items, int id) {
    for (auto& m : items) {
        if (m.id == id) return &m;
        if (MenuItem* sub = find_item(m.items, id)) return sub;
    }
    return nullptr;
}
bool erase_item(std::vector<MenuItem>& items, int id) {
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (it->id == id) {
            items.erase(it);
            return true;
        }
        if (erase_item(it->items, id)) return true;
    }
    return false;
}
}  // namespace

MenuItem* Runtime::menu_item_mut(int menubar, int item) {
    if (menubar < 1 || menubar > static_cast<int>(menubars_.size())) return nullptr;
    return find_item(menubars_[menubar - 1]->menus, item);
}
const MenuItem* Runtime::menu_item(int menubar, int item) const {
    return const_cast<Runtime*>(this)->menu_item_mut(menubar, item);
}

void Runtime::notify(Change::Kind kind, int panel, int ctrl) {
    frontend_.changed(Change{kind, panel, ctrl});
}

// --- panels ----------------------------------------------------------------------------

int Runtime::LoadPanel(int parent, const std::string& file) {
    if (parent != 0 && !panel_mut(parent)) return UIE_NO_SUCH_PANEL;
    const std::string path = MakePathname(resource_dir_, file);
    if (!std::filesystem::exists(path)) return UIE_FILE_NOT_FOUND;
    ResourceResult r = ReadResourceFile(path);
    if (!r.error.empty()) return UIE_BAD_RESOURCE;
    auto p = std::make_unique<Panel>(std::move(r.resource.panel));
    p->handle = static_cast<int>(panels_.size()) + 1;
    p->parent = parent;
    if (r.resource.menubar) {
        auto mb = std::make_unique<MenuBar>(std::move(*r.resource.menubar));
        mb->handle = static_cast<int>(menubars_.size()) + 1;
        mb->panel = p->handle;
        p->menubar = mb->handle;
        menubars_.push_back(std::move(mb));
    }
    panels_.push_back(std::move(p));
    return panels_.back()->handle;
}

int Runtime::DisplayPanel(int panel) {
    Panel* p = panel_mut(panel);
    if (!p) return UIE_NO_SUCH_PANEL;
    p->visible = true;
    notify(Change::PanelShown, panel);
    return 0;
}
int Runtime::HidePanel(int panel) {
    Panel* p = panel_mut(panel);
    if (!p) return UIE_NO_SUCH_PANEL;
    p->visible = false;
    notify(Change::PanelHidden, panel);
    return 0;
}
int Runtime::SetActivePanel(int panel) {
    if (!panel_mut(panel)) return UIE_NO_SUCH_PANEL;
    notify(Change::PanelActivated, panel);
    return 0;
}
int Runtime::SetPanelAttribute(int panel, int attr, const std::string& value) {
    Panel* p = panel_mut(panel);
    if (!p) return UIE_NO_SUCH_PANEL;
    if (attr != ATTR_TITLE) return UIE_WRONG_TYPE;
    p->title = value;
    notify(Change::PanelTitle, panel);
    return 0;
}
int Runtime::GetPanelAttribute(int panel, int attr, std::string* value) const {
    const Panel* p = this->panel(panel);
    if (!p) return UIE_NO_SUCH_PANEL;
    if (attr != ATTR_TITLE) return UIE_WRONG_TYPE;
    *value = p->title;
    return 0;
}

// --- values ----------------------------------------------------------------------------

int Runtime::SetCtrlVal(int panel, int ctrl, int value) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (is_list(*c)) {
        int idx = -1;
        if (GetIndexFromValue(panel, ctrl, &idx, value) < 0) return UIE_NO_SUCH_ITEM;
        select_index(*c, idx);
    } else if (is_text(*c)) {
        return UIE_WRONG_TYPE;
    } else {
        store_number(*c, value);
    }
    notify(Change::Control, panel, ctrl);
    return 0;
}
int Runtime::SetCtrlVal(int panel, int ctrl, double value) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (is_list(*c)) return SetCtrlVal(panel, ctrl, static_cast<int>(value));
    if (is_text(*c)) return UIE_WRONG_TYPE;
    store_number(*c, value);
    notify(Change::Control, panel, ctrl);
    return 0;
}
int Runtime::SetCtrlVal(int panel, int ctrl, const std::string& value) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (!is_text(*c)) return UIE_WRONG_TYPE;
    if (c->type == CtrlType::TextBox) return ResetTextBox(panel, ctrl, value);
    c->value = c->max_length > 0 ? value.substr(0, c->max_length) : value;
    notify(Change::Control, panel, ctrl);
    return 0;
}
int Runtime::GetCtrlVal(int panel, int ctrl, int* value) const {
    const Control* c = control(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (is_text(*c)) return UIE_WRONG_TYPE;
    if (auto i = std::get_if<int>(&c->value))
        *value = *i;
    else
        *value = static_cast<int>(as_double(c->value));
    return 0;
}
int Runtime::GetCtrlVal(int panel, int ctrl, double* value) const {
    const Control* c = control(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (is_text(*c)) return UIE_WRONG_TYPE;
    *value = as_double(c->value);
    return 0;
}
int Runtime::GetCtrlVal(int panel, int ctrl, std::string* value) const {
    const Control* c = control(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (c->type == CtrlType::TextBox) {
        value->clear();
        for (size_t i = 0; i < c->lines.size(); ++i) {
            if (i) *value += '\n';
            *value += c->lines[i];
        }
        return 0;
    }
    if (!is_text(*c)) return UIE_WRONG_TYPE;
    *value = std::get<std::string>(c->value);
    return 0;
}

// --- attributes ------------------------------------------------------------------------

int Runtime::SetCtrlAttribute(int panel, int ctrl, int attr, int value) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    switch (attr) {
        case ATTR_DIMMED:
            c->dimmed = value != 0;
            break;
        case ATTR_VISIBLE:
            c->visible = value != 0;
            break;
        case ATTR_TEXT_COLOR:
            c->text_colour = value;
            break;
        case ATTR_ON_COLOR:
            c->on_colour = value;
            break;
        case ATTR_WIDTH:
            c->width = value;
            break;
        case ATTR_PRECISION:
            c->precision = value;
            break;
        case ATTR_MAX_ENTRY_LENGTH:
            c->max_length = value;
            break;
        case ATTR_ENABLED:
            c->enabled = value != 0;
            break;
        case ATTR_MIN_VALUE:
        case ATTR_MAX_VALUE:
        case ATTR_INTERVAL:
            return SetCtrlAttribute(panel, ctrl, attr, double(value));
        case ATTR_REFRESH_GRAPH:
            if (c->type != CtrlType::Graph) return UIE_WRONG_TYPE;
            c->graph.refresh = value != 0;
            if (c->graph.refresh) graph_changed(panel, *c);
            return 0;
        default:
            return UIE_WRONG_TYPE;
    }
    notify(Change::Control, panel, ctrl);
    return 0;
}
int Runtime::SetCtrlAttribute(int panel, int ctrl, int attr, double value) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    switch (attr) {
        case ATTR_MIN_VALUE:
            c->min = value;
            break;
        case ATTR_MAX_VALUE:
            c->max = value;
            break;
        case ATTR_INTERVAL:
            c->interval = value;
            break;
        default:
            return SetCtrlAttribute(panel, ctrl, attr, static_cast<int>(value));
    }
    if (c->type == CtrlType::Numeric) store_number(*c, as_double(c->value));
    notify(Change::Control, panel, ctrl);
    return 0;
}
int Runtime::SetCtrlAttribute(int panel, int ctrl, int attr, const std::string& value) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    switch (attr) {
        case ATTR_LABEL_TEXT:
            c->label = value;
            break;
        case ATTR_ON_TEXT:
            c->on_text = value;
            break;
        case ATTR_OFF_TEXT:
            c->off_text = value;
            break;
        case ATTR_UNITS_TEXT:
            c->units = value;
            break;
        case ATTR_XNAME:
            c->graph.xname = value;
            break;
        case ATTR_YNAME:
            c->graph.yname = value;
            break;
        default:
            return UIE_WRONG_TYPE;
    }
    if (c->type == CtrlType::Graph)
        graph_changed(panel, *c);
    else
        notify(Change::Control, panel, ctrl);
    return 0;
}
int Runtime::GetCtrlAttribute(int panel, int ctrl, int attr, int* value) const {
    const Control* c = control(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    switch (attr) {
        case ATTR_DIMMED:
            *value = c->dimmed;
            break;
        case ATTR_VISIBLE:
            *value = c->visible;
            break;
        case ATTR_TEXT_COLOR:
            *value = c->text_colour;
            break;
        case ATTR_ON_COLOR:
            *value = c->on_colour;
            break;
        case ATTR_WIDTH:
            *value = c->width;
            break;
        case ATTR_PRECISION:
            *value = c->precision;
            break;
        case ATTR_MAX_ENTRY_LENGTH:
            *value = c->max_length;
            break;
        case ATTR_ENABLED:
            *value = c->enabled;
            break;
        case ATTR_REFRESH_GRAPH:
            *value = c->graph.refresh;
            break;
        case ATTR_CURSOR_MODE:
            *value = c->graph.cursor_mode;
            break;
        default:
            return UIE_WRONG_TYPE;
    }
    return 0;
}
int Runtime::GetCtrlAttribute(int panel, int ctrl, int attr, std::string* value) const {
    const Control* c = control(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    switch (attr) {
        case ATTR_LABEL_TEXT:
            *value = c->label;
            break;
        case ATTR_ON_TEXT:
            *value = c->on_text;
            break;
        case ATTR_OFF_TEXT:
            *value = c->off_text;
            break;
        case ATTR_UNITS_TEXT:
            *value = c->units;
            break;
        case ATTR_XNAME:
            *value = c->graph.xname;
            break;
        case ATTR_YNAME:
            *value = c->graph.yname;
            break;
        default:
            return UIE_WRONG_TYPE;
    }
    return 0;
}
int Runtime::DiscardCtrl(int panel, int ctrl) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    c->id = 0;
    c->visible = false;
    notify(Change::Control, panel, ctrl);
    return 0;
}
int Runtime::GetCtrlIndex(int panel, int ctrl, int* index) const {
    const Control* c = control(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (!is_list(*c)) return UIE_WRONG_TYPE;
    *index = c->index;
    return 0;
}
int Runtime::SetCtrlIndex(int panel, int ctrl, int index) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (!is_list(*c)) return UIE_WRONG_TYPE;
    if (index < 0 || index >= static_cast<int>(c->items.size())) return UIE_INDEX_OUT_OF_RANGE;
    select_index(*c, index);
    notify(Change::Control, panel, ctrl);
    return 0;
}

// --- lists -----------------------------------------------------------------------------

int Runtime::ClearListCtrl(int panel, int ctrl) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (!is_list(*c)) return UIE_WRONG_TYPE;
    c->items.clear();
    select_index(*c, -1);
    notify(Change::ListItems, panel, ctrl);
    return 0;
}
int Runtime::InsertListItem(int panel, int ctrl, int index, const std::string& label, int value) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (!is_list(*c)) return UIE_WRONG_TYPE;
    const int n = static_cast<int>(c->items.size());
    if (index < 0 || index > n) index = n;
    c->items.insert(c->items.begin() + index, ListItem{label, value, {}});
    if (c->index < 0)
        select_index(*c, 0);
    else if (index <= c->index)
        select_index(*c, c->index + 1);
    notify(Change::ListItems, panel, ctrl);
    return 0;
}
int Runtime::DeleteListItem(int panel, int ctrl, int index, int count) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (!is_list(*c)) return UIE_WRONG_TYPE;
    const int n = static_cast<int>(c->items.size());
    if (index < 0 || index >= n) return UIE_INDEX_OUT_OF_RANGE;
    if (count < 0 || index + count > n) count = n - index;
    c->items.erase(c->items.begin() + index, c->items.begin() + index + count);
    const int left = n - count;
    if (c->index >= index + count)
        select_index(*c, c->index - count);
    else if (c->index >= index)
        select_index(*c, left == 0 ? -1 : std::min(index, left - 1));
    notify(Change::ListItems, panel, ctrl);
    return 0;
}
int Runtime::GetNumListItems(int panel, int ctrl, int* count) const {
    const Control* c = control(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (!is_list(*c)) return UIE_WRONG_TYPE;
    *count = static_cast<int>(c->items.size());
    return 0;
}
int Runtime::GetIndexFromValue(int panel, int ctrl, int* index, int value) const {
    const Control* c = control(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (!is_list(*c)) return UIE_WRONG_TYPE;
    for (size_t i = 0; i < c->items.size(); ++i)
        if (c->items[i].value == value) {
            *index = static_cast<int>(i);
            return 0;
        }
    return UIE_NO_SUCH_ITEM;
}
int Runtime::GetValueFromIndex(int panel, int ctrl, int index, int* value) const {
    const Control* c = control(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (!is_list(*c)) return UIE_WRONG_TYPE;
    if (index < 0 || index >= static_cast<int>(c->items.size())) return UIE_INDEX_OUT_OF_RANGE;
    *value = c->items[index].value;
    return 0;
}
int Runtime::GetLabelFromIndex(int panel, int ctrl, int index, std::string* label) const {
    const Control* c = control(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (!is_list(*c)) return UIE_WRONG_TYPE;
    if (index < 0 || index >= static_cast<int>(c->items.size())) return UIE_INDEX_OUT_OF_RANGE;
    *label = c->items[index].label;
    return 0;
}
int Runtime::ResetTextBox(int panel, int ctrl, const std::string& text) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (c->type != CtrlType::TextBox) return UIE_WRONG_TYPE;
    c->lines.clear();
    if (!text.empty()) {
        size_t start = 0;
        for (;;) {
            size_t nl = text.find('\n', start);
            c->lines.push_back(text.substr(start, nl - start));
            if (nl == std::string::npos) break;
            start = nl + 1;
        }
    }
    notify(Change::Control, panel, ctrl);
    return 0;
}
int Runtime::InsertTextBoxLine(int panel, int ctrl, int line, const std::string& text) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (c->type != CtrlType::TextBox) return UIE_WRONG_TYPE;
    const int n = static_cast<int>(c->lines.size());
    if (line < 0 || line > n) line = n;
    c->lines.insert(c->lines.begin() + line, text);
    notify(Change::Control, panel, ctrl);
    return 0;
}

// --- menus -----------------------------------------------------------------------------

int Runtime::GetPanelMenuBar(int panel) const {
    const Panel* p = this->panel(panel);
    return p ? p->menubar : UIE_NO_SUCH_PANEL;
}
int Runtime::SetMenuBarAttribute(int menubar, int item, int attr, int value) {
    MenuItem* m = menu_item_mut(menubar, item);
    if (!m) return UIE_NO_SUCH_ITEM;
    if (attr == ATTR_CHECKED)
        m->checked = value != 0;
    else if (attr == ATTR_DIMMED)
        m->dimmed = value != 0;
    else
        return UIE_WRONG_TYPE;
    notify(Change::MenuBar, menubars_[menubar - 1]->panel);
    return 0;
}
int Runtime::GetMenuBarAttribute(int menubar, int item, int attr, int* value) const {
    const MenuItem* m = menu_item(menubar, item);
    if (!m) return UIE_NO_SUCH_ITEM;
    if (attr == ATTR_CHECKED)
        *value = m->checked;
    else if (attr == ATTR_DIMMED)
        *value = m->dimmed;
    else
        return UIE_WRONG_TYPE;
    return 0;
}
int Runtime::DiscardMenu(int menubar, int item) {
    if (menubar < 1 || menubar > static_cast<int>(menubars_.size())) return UIE_NO_SUCH_ITEM;
    if (!erase_item(menubars_[menubar - 1]->menus, item)) return UIE_NO_SUCH_ITEM;
    notify(Change::MenuBar, menubars_[menubar - 1]->panel);
    return 0;
}

// --- popups ----------------------------------------------------------------------------

int Runtime::MessagePopup(const std::string& title, const std::string& text) {
    frontend_.message(title, text);
    return 0;
}
int Runtime::ConfirmPopup(const std::string& title, const std::string& text) {
    return frontend_.confirm(title, text) ? 1 : 0;
}
int Runtime::PromptPopup(const std::string& title, const std::string& text, std::string* answer,
                         int max_length) {
    std::string a;
    const int r = frontend_.prompt(title, text, max_length, a);
    if (r < 0) return r;
    if (max_length > 0 && static_cast<int>(a.size()) > max_length) a.resize(max_length);
    *answer = a;
    return 0;
}
int Runtime::FileSelectPopup(const std::string& directory, const std::string& default_name,
                             const std::string& pattern, const std::string& title, int button,
                             bool restrict_extension, std::string* path) {
    FileSelectRequest req{directory, default_name, pattern, title, button, restrict_extension};
    std::string chosen;
    const int r = frontend_.file_select(req, chosen);
    if (r == VAL_NO_FILE_SELECTED) return r;
    *path = chosen;
    return GetFileInfo(chosen, nullptr) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

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

// --- files and text --------------------------------------------------------------------

std::string Runtime::MakePathname(const std::string& dir, const std::string& file) {
    if (dir.empty()) return file;
    if (dir.back() == '/') return dir + file;
    return dir + "/" + file;
}
int Runtime::GetFileInfo(const std::string& path, long* size) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return 0;
    if (size) *size = static_cast<long>(std::filesystem::file_size(path, ec));
    return 1;
}
std::string Runtime::DateStr() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%m-%d-%Y", &tm);
    return buf;
}
std::string Runtime::TimeStr() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
    return buf;
}
void Runtime::Print(const std::string& text) {
    stdout_partial_ += text;
    size_t nl;
    while ((nl = stdout_partial_.find('\n')) != std::string::npos) {
        std::string line = stdout_partial_.substr(0, nl);
        stdout_partial_.erase(0, nl + 1);
        stdout_lines_.push_back(line);
        frontend_.stdout_line(line);
    }
}

// --- print, clipboard, help ------------------------------------------------------------

int Runtime::PrintPanel(int panel) {
    if (!panel_mut(panel)) return UIE_NO_SUCH_PANEL;
    return frontend_.print(panel, 0, print_low_res_);
}
int Runtime::PrintCtrl(int panel, int ctrl) {
    if (!ctrl_mut(panel, ctrl)) return UIE_NO_SUCH_CONTROL;
    return frontend_.print(panel, ctrl, print_low_res_);
}
int Runtime::HtmlToPdf(const std::string& html, std::string* pdf) {
    return frontend_.html_to_pdf(html, *pdf);
}
int Runtime::ClipboardPutPanelBitmap(int panel) {
    if (!panel_mut(panel)) return UIE_NO_SUCH_PANEL;
    return frontend_.copy_panel_to_clipboard(panel);
}
int Runtime::SystemHelp(const std::string& path, int mode) {
    frontend_.help(path, mode);
    return 0;
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
int Runtime::TimerTick(int panel, int ctrl) {
    const Control* c = control(panel, ctrl);
    if (!c || c->type != CtrlType::Timer) return UIE_NO_SUCH_CONTROL;
    if (timers_suspended_ || depth_ > 0 || !c->enabled) return 0;
    call_ctrl(panel, ctrl, EVENT_TIMER_TICK);
    return 1;
}

// --- graphs ----------------------------------------------------------------------------

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
    // Snap to the data point nearest to the click, measured in units of each axis' span.
    double x0, x1, y0, y1;
    const GraphState& g = c.graph;
    data_range(g, true, &x0, &x1);
    data_range(g, false, &y0, &y1);
    if (g.x.mode == VAL_MANUAL) x0 = g.x.min, x1 = g.x.max;
    if (g.y.mode == VAL_MANUAL) y0 = g.y.min, y1 = g.y.max;
    const double sx = x1 > x0 ? x1 - x0 : 1.0, sy = y1 > y0 ? y1 - y0 : 1.0;
    double best = std::numeric_limits<double>::infinity(), bx = g.cursor_x, by = g.cursor_y;
    for (const auto& p : g.plots) {
        if (p.kind == PlotKind::Text || p.kind == PlotKind::Segment) continue;
        for (size_t i = 0; i < p.y.size(); ++i) {
            const double px = p.x.empty() ? double(i) : p.x[i];
            const double dx = (px - g.cursor_x) / sx, dy = (p.y[i] - g.cursor_y) / sy;
            const double d = dx * dx + dy * dy;
            if (d < best) best = d, bx = px, by = p.y[i];
        }
    }
    c.graph.cursor_x = bx;
    c.graph.cursor_y = by;
}

}  // namespace ui

// The run-time: control values and attributes.
#include "platform/ui/runtime.h"

#include "platform/ui/control_state.h"

namespace ui {

using namespace detail;

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

namespace {

// The control attributes, one row each: where the value lives and whether it is set as a
// number, a real or a text. A row without a setter is read-only; one without a getter cannot be
// read back with that type.
struct IntAttribute {
    int attr;
    int (*get)(const Control&);
    void (*set)(Control&, int);
};
constexpr IntAttribute kIntAttributes[] = {
    {ATTR_DIMMED, [](const Control& c) { return int{c.dimmed}; },
     [](Control& c, int v) { c.dimmed = v != 0; }},
    {ATTR_VISIBLE, [](const Control& c) { return int{c.visible}; },
     [](Control& c, int v) { c.visible = v != 0; }},
    {ATTR_TEXT_COLOR, [](const Control& c) { return c.text_colour; },
     [](Control& c, int v) { c.text_colour = v; }},
    {ATTR_ON_COLOR, [](const Control& c) { return c.on_colour; },
     [](Control& c, int v) { c.on_colour = v; }},
    {ATTR_WIDTH, [](const Control& c) { return c.width; }, [](Control& c, int v) { c.width = v; }},
    {ATTR_PRECISION, [](const Control& c) { return c.precision; },
     [](Control& c, int v) { c.precision = v; }},
    {ATTR_MAX_ENTRY_LENGTH, [](const Control& c) { return c.max_length; },
     [](Control& c, int v) { c.max_length = v; }},
    {ATTR_ENABLED, [](const Control& c) { return int{c.enabled}; },
     [](Control& c, int v) { c.enabled = v != 0; }},
    {ATTR_REFRESH_GRAPH, [](const Control& c) { return int{c.graph.refresh}; }, nullptr},
    {ATTR_CURSOR_MODE, [](const Control& c) { return c.graph.cursor_mode; }, nullptr},
    {ATTR_XAXIS_LOG, [](const Control& c) { return int{c.graph.x_log}; }, nullptr},
};

struct RealAttribute {
    int attr;
    double Control::*field;
};
constexpr RealAttribute kRealAttributes[] = {
    {ATTR_MIN_VALUE, &Control::min},
    {ATTR_MAX_VALUE, &Control::max},
    {ATTR_INTERVAL, &Control::interval},
};

struct TextAttribute {
    int attr;
    std::string& (*field)(Control&);
};
constexpr TextAttribute kTextAttributes[] = {
    {ATTR_LABEL_TEXT, [](Control& c) -> std::string& { return c.label; }},
    {ATTR_ON_TEXT, [](Control& c) -> std::string& { return c.on_text; }},
    {ATTR_OFF_TEXT, [](Control& c) -> std::string& { return c.off_text; }},
    {ATTR_UNITS_TEXT, [](Control& c) -> std::string& { return c.units; }},
    {ATTR_XNAME, [](Control& c) -> std::string& { return c.graph.xname; }},
    {ATTR_YNAME, [](Control& c) -> std::string& { return c.graph.yname; }},
};

template <class Row, std::size_t N>
const Row* find_attribute(const Row (&rows)[N], int attr) {
    for (const Row& r : rows)
        if (r.attr == attr) return &r;
    return nullptr;
}

}  // namespace

int Runtime::SetCtrlAttribute(int panel, int ctrl, int attr, int value) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (find_attribute(kRealAttributes, attr))
        return SetCtrlAttribute(panel, ctrl, attr, double(value));
    if (attr == ATTR_REFRESH_GRAPH) {
        if (c->type != CtrlType::Graph) return UIE_WRONG_TYPE;
        c->graph.refresh = value != 0;
        if (c->graph.refresh) graph_changed(panel, *c);
        return 0;
    }
    if (attr == ATTR_XAXIS_LOG) {
        if (c->type != CtrlType::Graph) return UIE_WRONG_TYPE;
        c->graph.x_log = value != 0;
        graph_changed(panel, *c);
        return 0;
    }
    const IntAttribute* a = find_attribute(kIntAttributes, attr);
    if (!a || !a->set) return UIE_WRONG_TYPE;
    a->set(*c, value);
    notify(Change::Control, panel, ctrl);
    return 0;
}
int Runtime::SetCtrlAttribute(int panel, int ctrl, int attr, double value) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    const RealAttribute* a = find_attribute(kRealAttributes, attr);
    if (!a) return SetCtrlAttribute(panel, ctrl, attr, static_cast<int>(value));
    c->*(a->field) = value;
    if (c->type == CtrlType::Numeric) store_number(*c, as_double(c->value));
    notify(Change::Control, panel, ctrl);
    return 0;
}
int Runtime::SetCtrlAttribute(int panel, int ctrl, int attr, const std::string& value) {
    Control* c = ctrl_mut(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    const TextAttribute* a = find_attribute(kTextAttributes, attr);
    if (!a) return UIE_WRONG_TYPE;
    a->field(*c) = value;
    if (c->type == CtrlType::Graph)
        graph_changed(panel, *c);
    else
        notify(Change::Control, panel, ctrl);
    return 0;
}
int Runtime::GetCtrlAttribute(int panel, int ctrl, int attr, int* value) const {
    const Control* c = control(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    const IntAttribute* a = find_attribute(kIntAttributes, attr);
    if (!a) return UIE_WRONG_TYPE;
    *value = a->get(*c);
    return 0;
}
int Runtime::GetCtrlAttribute(int panel, int ctrl, int attr, std::string* value) const {
    const Control* c = control(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    const TextAttribute* a = find_attribute(kTextAttributes, attr);
    if (!a) return UIE_WRONG_TYPE;
    // The row names the field; reading it changes nothing.
    *value = a->field(const_cast<Control&>(*c));
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

}  // namespace ui

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

}  // namespace ui

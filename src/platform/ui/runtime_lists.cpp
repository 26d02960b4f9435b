// The run-time: list items and menu bars.
#include "platform/ui/runtime.h"

#include <algorithm>

#include "platform/ui/control_state.h"

namespace ui {

using namespace detail;

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

}  // namespace ui

#include "platform/ui/control_state.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ui::detail {

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

}  // namespace ui::detail

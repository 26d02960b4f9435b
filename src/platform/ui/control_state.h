// What the run-time's parts share about a control's state: which kind of value it holds, how a
// value is stored in it, and the search of a menu bar's items. Internal to the run-time.
#pragma once

#include <vector>

#include "platform/ui/model.h"

namespace ui::detail {

bool is_list(const Control& c);
bool is_text(const Control& c);
double as_double(const Value& v);
// Selects item `index` (-1: none) and takes its value.
void select_index(Control& c, int index);
// Stores a number the way the control keeps it: coerced into its range, integer or real. While
// a caller moves the range, min may pass max for a moment; min wins then. An integer control
// keeps what an int can hold and ignores a NaN.
void store_number(Control& c, double v);

MenuItem* find_item(std::vector<MenuItem>& items, int id);
bool erase_item(std::vector<MenuItem>& items, int id);

}  // namespace ui::detail

// The macro editor on the control panel: the list box is the working copy of the current
// internal macro; switching, saving and running store it first.
#pragma once

#include <string>

#include "core/status.h"

namespace macros {

struct Context;

// Empties all four macros, makes MACRO 1 current and shows it.
void init_internal_macros(const Context& cx);
// List box -> current macro. A list of more than 199 operations is refused, the store kept.
core::Status read_macro_listbox(const Context& cx);
// Current macro -> list box, ending with the empty insertion line, which is selected.
void write_macro_listbox(const Context& cx);

// Stores the list, then makes macro index (0..3) current and shows it.
core::Status edit_macro(const Context& cx, int index);
core::Status ins_macro_line(const Context& cx);
void del_macro_line(const Context& cx);
core::Status clear_macro(const Context& cx);
core::Status load_macro(const Context& cx);
core::Status save_macro(const Context& cx);
core::Status run_macro(const Context& cx);
void check_macro_register(const Context& cx);

// The folder of the external macros and the file dialogs: "macros" in the program's directory,
// or the user's own copy of it when the program runs installed.
std::string macro_folder(const Context& cx);

}  // namespace macros

// The macro editor on the control panel: the list box is the working copy of the current
// internal macro; switching, saving and running store it first.
#pragma once

#include <string>

#include "core/status.h"

class App;

namespace macros {

// Empties all four macros, makes MACRO 1 current and shows it.
void init_internal_macros(App& app);
// List box -> current macro. A list of more than 199 operations is refused, the store kept.
core::Status read_macro_listbox(App& app);
// Current macro -> list box, ending with the empty insertion line, which is selected.
void write_macro_listbox(App& app);

// Stores the list, then makes macro index (0..3) current and shows it.
core::Status edit_macro(App& app, int index);
core::Status ins_macro_line(App& app);
void del_macro_line(App& app);
core::Status clear_macro(App& app);
core::Status load_macro(App& app);
core::Status save_macro(App& app);
core::Status run_macro(App& app);
void check_macro_register(App& app);

// The folder of the external macros and the file dialogs: "macros" in the program's directory,
// or the user's own copy of it when the program runs installed.
std::string macro_folder(App& app);

}  // namespace macros

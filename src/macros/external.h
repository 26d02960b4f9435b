// The external macros M1..M8: fixed files in the program's macros folder, a button each on
// the setup and the control panel, captions from the names file.
#pragma once

#include <string>

#include "core/status.h"

namespace macros {

struct Context;

// Sets the captions of both panels' buttons from the names file; a file with fewer than
// eight words leaves the remaining captions as they are.
core::Status init_external_macros(const Context& cx);
// After confirmation, runs macros/Mn.mac (n = 1..8).
core::Status run_ext_macro(const Context& cx, int n);
// Asks for a caption for button Mn and stores it in the names file.
core::Status name_ext_macro(const Context& cx, int n);
// The rename itself: one word of 1 to 7 characters; the names file is rewritten whole.
core::Status rename_ext_macro(const Context& cx, int n, const std::string& name);
// Loads a macro file and runs it (what an external macro does after its confirmation).
core::Status run_macro_file(const Context& cx, const std::string& path);

std::string ext_macro_path(const Context& cx, int n);
std::string names_file_path(const Context& cx);

}  // namespace macros

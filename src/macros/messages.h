// Outcomes of the macro operations with the message the person is shown for them.
#pragma once

#include <string>

#include "core/status.h"

namespace macros {

struct Context;

// Shows the outcome's message and returns the outcome.
core::Status report(const Context& cx, core::Status s);

// Success when the file exists; otherwise CheckFileExists has told the person.
core::Status check_file(const Context& cx, const std::string& path);
core::Status file_unreadable(const Context& cx, const std::string& path);
core::Status file_unwritable(const Context& cx, const std::string& path);
// A file holding more operations than a macro can; `what_kept` ends the text.
core::Status file_too_long(const Context& cx, const std::string& title, const std::string& path,
                           const std::string& what_kept);

}  // namespace macros

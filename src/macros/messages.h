// Outcomes of the macro operations with the message the person is shown for them.
#pragma once

#include <string>

#include "core/status.h"

class App;

namespace macros {

// Shows the outcome's message and returns the outcome.
core::Status report(App& app, core::Status s);

// Success when the file exists; otherwise CheckFileExists has told the person.
core::Status check_file(App& app, const std::string& path);
core::Status file_unreadable(App& app, const std::string& path);
core::Status file_unwritable(App& app, const std::string& path);
// A file holding more operations than a macro can; `what_kept` ends the text.
core::Status file_too_long(App& app, const std::string& title, const std::string& path,
                           const std::string& what_kept);

}  // namespace macros

#pragma once

namespace cli {

// macro run FILE | ext N | name N NAME | show FILE: the macro engine and the external macros.
void add_macro_commands();

}  // namespace cli

// Binds the macro editor's and the external-macro buttons' callbacks by their resource names.
#pragma once

class App;

namespace macros {

void macro_callbacks(App& app);

}  // namespace macros

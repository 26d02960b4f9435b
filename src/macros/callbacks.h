// Binds the macro editor's and the external-macro buttons' callbacks by their resource names.
#pragma once

#include "platform/ui/callbacks.h"

namespace macros {

struct Context;

void macro_callbacks(ui::CallbackRegistry& cb, const Context& cx);

}  // namespace macros

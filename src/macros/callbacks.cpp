#include "macros/callbacks.h"

#include <string>

#include "macros/context.h"
#include "macros/editor.h"
#include "macros/external.h"
#include "macros/files.h"
#include "macros/state.h"

namespace macros {

void macro_callbacks(ui::CallbackRegistry& cb, const Context& cx) {
    for (int i = 0; i < kInternalMacros; ++i)
        ui::on_commit(cb, "edit_macro" + std::to_string(i + 1), [cx, i] { edit_macro(cx, i); });
    ui::on_commit(cb, "check_macro_register", [cx] { check_macro_register(cx); });
    ui::on_commit(cb, "ins_macro_line", [cx] { ins_macro_line(cx); });
    ui::on_commit(cb, "del_macro_line", [cx] { del_macro_line(cx); });
    ui::on_commit(cb, "clear_macro", [cx] { clear_macro(cx); });
    ui::on_commit(cb, "load_macro", [cx] { load_macro(cx); });
    ui::on_commit(cb, "save_macro", [cx] { save_macro(cx); });
    ui::on_commit(cb, "run_macro", [cx] { run_macro(cx); });
    for (int n = 1; n <= kExternalMacros; ++n) {
        cb.add_ctrl("run_ext_macro" + std::to_string(n), [cx, n](int, int, int event, void*) {
            if (event == ui::EVENT_COMMIT) run_ext_macro(cx, n);
            if (event == ui::EVENT_RIGHT_CLICK) name_ext_macro(cx, n);
            return 0;
        });
    }
}

}  // namespace macros

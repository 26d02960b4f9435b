#include "macros/callbacks.h"

#include <string>

#include "macros/editor.h"
#include "macros/external.h"
#include "macros/files.h"
#include "macros/state.h"
#include "shell/app.h"

namespace macros {

void macro_callbacks(App& app) {
    auto& cb = app.callbacks;
    for (int i = 0; i < kInternalMacros; ++i)
        ui::on_commit(cb, "edit_macro" + std::to_string(i + 1), [&app, i] { edit_macro(app, i); });
    ui::on_commit(cb, "check_macro_register", [&app] { check_macro_register(app); });
    ui::on_commit(cb, "ins_macro_line", [&app] { ins_macro_line(app); });
    ui::on_commit(cb, "del_macro_line", [&app] { del_macro_line(app); });
    ui::on_commit(cb, "clear_macro", [&app] { clear_macro(app); });
    ui::on_commit(cb, "load_macro", [&app] { load_macro(app); });
    ui::on_commit(cb, "save_macro", [&app] { save_macro(app); });
    ui::on_commit(cb, "run_macro", [&app] { run_macro(app); });
    for (int n = 1; n <= kExternalMacros; ++n) {
        cb.add_ctrl("run_ext_macro" + std::to_string(n), [&app, n](int, int, int event, void*) {
            if (event == ui::EVENT_COMMIT) run_ext_macro(app, n);
            if (event == ui::EVENT_RIGHT_CLICK) name_ext_macro(app, n);
            return 0;
        });
    }
}

}  // namespace macros

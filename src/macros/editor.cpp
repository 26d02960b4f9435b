#include "macros/editor.h"

#include <string>

#include "core/user_files.h"
#include "macros/board_port.h"
#include "macros/engine.h"
#include "macros/files.h"
#include "macros/line.h"
#include "macros/messages.h"
#include "shell/app.h"
#include "uir_ids.h"

namespace macros {

namespace {

int control_int(App& app, int ctrl) {
    int v = 0;
    app.ui.GetCtrlVal(app.shell.controlpanel, ctrl, &v);
    return v;
}

int list_count(App& app) {
    int n = 0;
    app.ui.GetNumListItems(app.shell.controlpanel, CONTROL_MACROLIST, &n);
    return n;
}

int list_index(App& app) {
    int i = 0;
    app.ui.GetCtrlIndex(app.shell.controlpanel, CONTROL_MACROLIST, &i);
    return i;
}

std::string macro_title(int index) {
    return "MACRO " + std::to_string(index + 1);
}

// A dialog in the macros folder; empty when the person chose no file.
std::string pick_file(App& app, const char* title, int button) {
    std::string path;
    const int r =
        app.ui.FileSelectPopup(macro_folder(app), "", "*.mac", title, button, true, &path);
    return r == ui::VAL_NO_FILE_SELECTED ? std::string() : path;
}

}  // namespace

std::string macro_folder(App& app) {
    return core::writable_folder(app.shell.projectDir, app.shell.userDir, kMacroFolder).string();
}

void init_internal_macros(App& app) {
    for (Table& t : app.macros.store) reset_table(t);
    app.macros.current = 0;
    app.ui.SetCtrlVal(app.shell.controlpanel, CONTROL_MACROTITLE, macro_title(0));
    write_macro_listbox(app);
}

core::Status read_macro_listbox(App& app) {
    const int p = app.shell.controlpanel;
    const int lines = list_count(app) - 1;  // the last line is the insertion point
    if (lines > kMaxOperations)
        return report(app, core::Status::failed(
                               core::Fault::BadInput, "read_macro_listbox", "Macro Error",
                               "The list holds more than 199 operations; a macro holds at most "
                               "199. " +
                                   macro_title(app.macros.current) + " was not changed."));
    Table& t = app.macros.current_macro();
    reset_table(t);
    int n = 0;
    for (int i = 0; i < lines; ++i) {
        std::string label;
        app.ui.GetLabelFromIndex(p, CONTROL_MACROLIST, i, &label);
        if (parse_macro_line(label, &t[n])) ++n;
    }
    t[n] = kEndEntry;
    return core::Status::success();
}

void write_macro_listbox(App& app) {
    const int p = app.shell.controlpanel;
    app.ui.ClearListCtrl(p, CONTROL_MACROLIST);
    const Table& t = app.macros.current_macro();
    for (int i = 0; i < operation_count(t); ++i)
        app.ui.InsertListItem(p, CONTROL_MACROLIST, -1, create_macro_line(t[i]), 0);
    app.ui.InsertListItem(p, CONTROL_MACROLIST, -1, "", 0);
    app.ui.SetCtrlIndex(p, CONTROL_MACROLIST, list_count(app) - 1);
}

core::Status edit_macro(App& app, int index) {
    if (core::Status s = read_macro_listbox(app); !s) return s;
    app.macros.current = index;
    write_macro_listbox(app);
    app.ui.SetCtrlVal(app.shell.controlpanel, CONTROL_MACROTITLE, macro_title(index));
    return core::Status::success();
}

void check_macro_register(App& app) {
    const int p = app.shell.controlpanel;
    int index = 0, count = 0;
    app.ui.GetCtrlIndex(p, CONTROL_MACROREG, &index);
    app.ui.GetNumListItems(p, CONTROL_MACROREG, &count);
    if (control_int(app, CONTROL_MACROREG) > 900 && index + 1 < count)
        app.ui.SetCtrlIndex(p, CONTROL_MACROREG, index + 1);
}

core::Status ins_macro_line(App& app) {
    const int p = app.shell.controlpanel;
    if (list_count(app) - 1 >= kMaxOperations)
        return report(app, core::Status::failed(core::Fault::NotAllowed, "ins_macro_line",
                                                "Insert Macro Line",
                                                "A macro holds at most 199 operations; " +
                                                    macro_title(app.macros.current) + " is full."));
    int kind = 0, address = 0;
    if (!decode_selector(control_int(app, CONTROL_MACROREG), &kind, &address))
        return core::Status::failed(core::Fault::BadInput, "ins_macro_line");
    const int index = list_index(app);
    const std::string line = create_macro_line(kind, control_int(app, CONTROL_MACRODIR), address,
                                               control_int(app, CONTROL_MACRODATA));
    app.ui.InsertListItem(p, CONTROL_MACROLIST, index, line, 0);
    // The selection stays on the line it was on, so entries go in one after another.
    app.ui.SetCtrlIndex(p, CONTROL_MACROLIST, index + 1);
    return core::Status::success();
}

void del_macro_line(App& app) {
    const int index = list_index(app);
    if (index >= list_count(app) - 1) return;
    app.ui.DeleteListItem(app.shell.controlpanel, CONTROL_MACROLIST, index, 1);
}

core::Status clear_macro(App& app) {
    if (!app.ui.ConfirmPopup("Clear Macro",
                             "This selection will clear the currently displayed macro.  Continue?"))
        return core::Status::failed(core::Fault::Cancelled, "clear_macro");
    reset_table(app.macros.current_macro());
    write_macro_listbox(app);
    return core::Status::success();
}

core::Status load_macro(App& app) {
    const std::string path = pick_file(app, "Load Macro", ui::VAL_LOAD_BUTTON);
    if (path.empty()) return core::Status::failed(core::Fault::Cancelled, "load_macro");
    Table t;
    switch (read_macro_file(path, &t)) {
        case ReadResult::Unreadable:
            return file_unreadable(app, path);
        case ReadResult::TooLong:
            return file_too_long(app, "Load Macro", path, "The macro was not changed.");
        case ReadResult::Ok:
            break;
    }
    app.macros.current_macro() = t;
    write_macro_listbox(app);
    return core::Status::success();
}

core::Status save_macro(App& app) {
    const std::string path = pick_file(app, "Save Macro", ui::VAL_SAVE_BUTTON);
    if (path.empty()) return core::Status::failed(core::Fault::Cancelled, "save_macro");
    if (core::Status s = read_macro_listbox(app); !s) return s;
    if (!write_macro_file(path, app.macros.current_macro())) return file_unwritable(app, path);
    return core::Status::success();
}

core::Status run_macro(App& app) {
    if (!app.ui.ConfirmPopup("Run Macro",
                             "This selection will run the currently displayed macro.  Continue?"))
        return core::Status::failed(core::Fault::Cancelled, "run_macro");
    if (core::Status s = read_macro_listbox(app); !s) return s;
    BoardPort port(app);
    return run_macro_cmds(port, app.macros.current_macro());
}

}  // namespace macros

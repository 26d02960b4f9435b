#include "macros/editor.h"

#include <string>

#include "core/user_files.h"
#include "macros/board_port.h"
#include "macros/context.h"
#include "macros/engine.h"
#include "macros/files.h"
#include "macros/line.h"
#include "macros/messages.h"
#include "uir_ids.h"

namespace macros {

namespace {

int control_int(const Context& cx, int ctrl) {
    int v = 0;
    cx.ui.GetCtrlVal(cx.shell.controlpanel, ctrl, &v);
    return v;
}

int list_count(const Context& cx) {
    int n = 0;
    cx.ui.GetNumListItems(cx.shell.controlpanel, CONTROL_MACROLIST, &n);
    return n;
}

int list_index(const Context& cx) {
    int i = 0;
    cx.ui.GetCtrlIndex(cx.shell.controlpanel, CONTROL_MACROLIST, &i);
    return i;
}

std::string macro_title(int index) {
    return "MACRO " + std::to_string(index + 1);
}

// A dialog in the macros folder; empty when the person chose no file.
std::string pick_file(const Context& cx, const char* title, int button) {
    std::string path;
    const int r = cx.ui.FileSelectPopup(macro_folder(cx), "", "*.mac", title, button, true, &path);
    return r == ui::VAL_NO_FILE_SELECTED ? std::string() : path;
}

}  // namespace

std::string macro_folder(const Context& cx) {
    return core::writable_folder(cx.shell.projectDir, cx.shell.userDir, kMacroFolder).string();
}

void init_internal_macros(const Context& cx) {
    for (Table& t : cx.macros.store) reset_table(t);
    cx.macros.current = 0;
    cx.ui.SetCtrlVal(cx.shell.controlpanel, CONTROL_MACROTITLE, macro_title(0));
    write_macro_listbox(cx);
}

core::Status read_macro_listbox(const Context& cx) {
    const int p = cx.shell.controlpanel;
    const int lines = list_count(cx) - 1;  // the last line is the insertion point
    if (lines > kMaxOperations)
        return report(cx, core::Status::failed(
                              core::Fault::BadInput, "read_macro_listbox", "Macro Error",
                              "The list holds more than 199 operations; a macro holds at most "
                              "199. " +
                                  macro_title(cx.macros.current) + " was not changed."));
    Table& t = cx.macros.current_macro();
    reset_table(t);
    int n = 0;
    for (int i = 0; i < lines; ++i) {
        std::string label;
        cx.ui.GetLabelFromIndex(p, CONTROL_MACROLIST, i, &label);
        if (parse_macro_line(label, &t[n])) ++n;
    }
    t[n] = kEndEntry;
    return core::Status::success();
}

void write_macro_listbox(const Context& cx) {
    const int p = cx.shell.controlpanel;
    cx.ui.ClearListCtrl(p, CONTROL_MACROLIST);
    const Table& t = cx.macros.current_macro();
    for (int i = 0; i < operation_count(t); ++i)
        cx.ui.InsertListItem(p, CONTROL_MACROLIST, -1, create_macro_line(t[i]), 0);
    cx.ui.InsertListItem(p, CONTROL_MACROLIST, -1, "", 0);
    cx.ui.SetCtrlIndex(p, CONTROL_MACROLIST, list_count(cx) - 1);
}

core::Status edit_macro(const Context& cx, int index) {
    if (core::Status s = read_macro_listbox(cx); !s) return s;
    cx.macros.current = index;
    write_macro_listbox(cx);
    cx.ui.SetCtrlVal(cx.shell.controlpanel, CONTROL_MACROTITLE, macro_title(index));
    return core::Status::success();
}

void check_macro_register(const Context& cx) {
    const int p = cx.shell.controlpanel;
    int index = 0, count = 0;
    cx.ui.GetCtrlIndex(p, CONTROL_MACROREG, &index);
    cx.ui.GetNumListItems(p, CONTROL_MACROREG, &count);
    if (control_int(cx, CONTROL_MACROREG) > 900 && index + 1 < count)
        cx.ui.SetCtrlIndex(p, CONTROL_MACROREG, index + 1);
}

core::Status ins_macro_line(const Context& cx) {
    const int p = cx.shell.controlpanel;
    if (list_count(cx) - 1 >= kMaxOperations)
        return report(
            cx, core::Status::failed(core::Fault::NotAllowed, "ins_macro_line", "Insert Macro Line",
                                     "A macro holds at most 199 operations; " +
                                         macro_title(cx.macros.current) + " is full."));
    int kind = 0, address = 0;
    if (!decode_selector(control_int(cx, CONTROL_MACROREG), &kind, &address))
        return core::Status::failed(core::Fault::BadInput, "ins_macro_line");
    const int index = list_index(cx);
    const std::string line = create_macro_line(kind, control_int(cx, CONTROL_MACRODIR), address,
                                               control_int(cx, CONTROL_MACRODATA));
    cx.ui.InsertListItem(p, CONTROL_MACROLIST, index, line, 0);
    // The selection stays on the line it was on, so entries go in one after another.
    cx.ui.SetCtrlIndex(p, CONTROL_MACROLIST, index + 1);
    return core::Status::success();
}

void del_macro_line(const Context& cx) {
    const int index = list_index(cx);
    if (index >= list_count(cx) - 1) return;
    cx.ui.DeleteListItem(cx.shell.controlpanel, CONTROL_MACROLIST, index, 1);
}

core::Status clear_macro(const Context& cx) {
    if (!cx.ui.ConfirmPopup("Clear Macro",
                            "This selection will clear the currently displayed macro.  Continue?"))
        return core::Status::failed(core::Fault::Cancelled, "clear_macro");
    reset_table(cx.macros.current_macro());
    write_macro_listbox(cx);
    return core::Status::success();
}

core::Status load_macro(const Context& cx) {
    const std::string path = pick_file(cx, "Load Macro", ui::VAL_LOAD_BUTTON);
    if (path.empty()) return core::Status::failed(core::Fault::Cancelled, "load_macro");
    Table t;
    switch (read_macro_file(path, &t)) {
        case ReadResult::Unreadable:
            return file_unreadable(cx, path);
        case ReadResult::TooLong:
            return file_too_long(cx, "Load Macro", path, "The macro was not changed.");
        case ReadResult::Ok:
            break;
    }
    cx.macros.current_macro() = t;
    write_macro_listbox(cx);
    return core::Status::success();
}

core::Status save_macro(const Context& cx) {
    const std::string path = pick_file(cx, "Save Macro", ui::VAL_SAVE_BUTTON);
    if (path.empty()) return core::Status::failed(core::Fault::Cancelled, "save_macro");
    if (core::Status s = read_macro_listbox(cx); !s) return s;
    if (!write_macro_file(path, cx.macros.current_macro())) return file_unwritable(cx, path);
    return core::Status::success();
}

core::Status run_macro(const Context& cx) {
    if (!cx.ui.ConfirmPopup("Run Macro",
                            "This selection will run the currently displayed macro.  Continue?"))
        return core::Status::failed(core::Fault::Cancelled, "run_macro");
    if (core::Status s = read_macro_listbox(cx); !s) return s;
    BoardPort port(cx);
    return run_macro_cmds(port, cx.macros.current_macro());
}

}  // namespace macros

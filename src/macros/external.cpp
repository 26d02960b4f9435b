#include "macros/external.h"

#include <vector>

#include "macros/board_port.h"
#include "macros/context.h"
#include "macros/editor.h"
#include "macros/engine.h"
#include "macros/files.h"
#include "macros/messages.h"
#include "uir_ids.h"

namespace macros {

namespace {

constexpr int kSetupButtons[kExternalMacros] = {SETUP_EXTMACRO1, SETUP_EXTMACRO2, SETUP_EXTMACRO3,
                                                SETUP_EXTMACRO4, SETUP_EXTMACRO5, SETUP_EXTMACRO6,
                                                SETUP_EXTMACRO7, SETUP_EXTMACRO8};
constexpr int kControlButtons[kExternalMacros] = {
    CONTROL_EXTMACRO1, CONTROL_EXTMACRO2, CONTROL_EXTMACRO3, CONTROL_EXTMACRO4,
    CONTROL_EXTMACRO5, CONTROL_EXTMACRO6, CONTROL_EXTMACRO7, CONTROL_EXTMACRO8};

void set_caption(const Context& cx, int i, const std::string& name) {
    cx.ui.SetCtrlAttribute(cx.shell.setuppanel, kSetupButtons[i], ui::ATTR_LABEL_TEXT, name);
    cx.ui.SetCtrlAttribute(cx.shell.controlpanel, kControlButtons[i], ui::ATTR_LABEL_TEXT, name);
}

std::string caption(const Context& cx, int i) {
    std::string s;
    cx.ui.GetCtrlAttribute(cx.shell.controlpanel, kControlButtons[i], ui::ATTR_LABEL_TEXT, &s);
    return s;
}

}  // namespace

std::string ext_macro_path(const Context& cx, int n) {
    return ui::Runtime::MakePathname(macro_folder(cx), "M" + std::to_string(n) + ".mac");
}

std::string names_file_path(const Context& cx) {
    return ui::Runtime::MakePathname(macro_folder(cx), kNamesFile);
}

core::Status init_external_macros(const Context& cx) {
    const std::string path = names_file_path(cx);
    if (core::Status s = check_file(cx, path); !s) return s;
    std::vector<std::string> names;
    if (!read_names(path, &names)) return file_unreadable(cx, path);
    for (int i = 0; i < static_cast<int>(names.size()); ++i) set_caption(cx, i, names[i]);
    return core::Status::success();
}

core::Status run_macro_file(const Context& cx, const std::string& path) {
    if (core::Status s = check_file(cx, path); !s) return s;
    Table t;
    if (read_macro_file(path, &t, FileUse::Run) != ReadResult::Ok) return file_unreadable(cx, path);
    BoardPort port(cx);
    return run_macro_cmds(port, t);
}

core::Status run_ext_macro(const Context& cx, int n) {
    // The file's number, and the caption the person clicked when it says more.
    const std::string file = "M" + std::to_string(n);
    const std::string name = caption(cx, n - 1);
    const std::string shown = name.empty() || name == file ? file : file + " (" + name + ")";
    if (!cx.ui.ConfirmPopup("Run External Macro",
                            "This selection will run external macro " + shown + ".  Continue?"))
        return core::Status::failed(core::Fault::Cancelled, "run_ext_macro");
    return run_macro_file(cx, ext_macro_path(cx, n));
}

core::Status name_ext_macro(const Context& cx, int n) {
    std::string name;
    if (cx.ui.PromptPopup("Name External Macro",
                          "Enter name for external macro M" + std::to_string(n) + ".", &name,
                          kMaxNameLength) < 0)
        return core::Status::failed(core::Fault::Cancelled, "name_ext_macro");
    return rename_ext_macro(cx, n, name);
}

core::Status rename_ext_macro(const Context& cx, int n, const std::string& name) {
    // The names file is read word by word: a caption with a blank inside, or none at all,
    // would shift every caption after it.
    if (!valid_name(name))
        return report(
            cx, core::Status::failed(core::Fault::BadInput, "name_ext_macro", "Name External Macro",
                                     "A name is one word of 1 to 7 characters, without spaces."));
    const std::string path = names_file_path(cx);
    if (core::Status s = check_file(cx, path); !s) return s;
    std::vector<std::string> names;
    if (!read_names(path, &names)) return file_unreadable(cx, path);
    // Lines the file lacks keep the captions the buttons show.
    for (int i = static_cast<int>(names.size()); i < kExternalMacros; ++i)
        names.push_back(caption(cx, i));
    names[n - 1] = name;
    if (!write_names(path, names)) return file_unwritable(cx, path);
    return init_external_macros(cx);
}

}  // namespace macros

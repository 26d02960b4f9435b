#include "macros/messages.h"

#include "macros/context.h"
#include "shell/check_file.h"

namespace macros {

core::Status report(const Context& cx, core::Status s) {
    if (!s.title.empty()) cx.ui.MessagePopup(s.title, s.text);
    return s;
}

core::Status check_file(const Context& cx, const std::string& path) {
    if (shell::CheckFileExists(cx.ui, path) == 0) return core::Status::success();
    return core::Status::failed(core::Fault::BadInput, path, "File Error",
                                "File " + path + " does not exist.");
}

core::Status file_unreadable(const Context& cx, const std::string& path) {
    return report(cx, core::Status::failed(core::Fault::BadInput, path, "File Error",
                                           "File " + path + " cannot be read."));
}

core::Status file_unwritable(const Context& cx, const std::string& path) {
    return report(cx, core::Status::failed(core::Fault::BadInput, path, "File Error",
                                           "File " + path + " cannot be written."));
}

core::Status file_too_long(const Context& cx, const std::string& title, const std::string& path,
                           const std::string& what_kept) {
    return report(cx, core::Status::failed(core::Fault::BadInput, path, title,
                                           "File " + path +
                                               " holds more than 199 operations; a macro holds "
                                               "at most 199. " +
                                               what_kept));
}

}  // namespace macros

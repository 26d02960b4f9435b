// CheckFileExists: the one check the subsystems make before they open a file the person named.
// Header-only, so a subsystem that uses it needs no link to the shell that starts it.
#pragma once

#include <string>

#include "platform/ui/runtime.h"

namespace shell {

// 1 (after telling the person) when the file does not exist, else 0.
inline int CheckFileExists(ui::Runtime& ui, const std::string& path) {
    if (ui::Runtime::GetFileInfo(path, nullptr) != 0) return 0;
    ui.MessagePopup("File Error", "File " + path + " does not exist.");
    return 1;
}

}  // namespace shell

// Reads a panel resource file (our JSON format, see resources/README.md) into the model.
// Control ids are 1-based positions in file order; menu ids are 1-based positions in the menu
// bar's depth-first order. The id generator and the run-time both number through this reader,
// so a constant and a loaded control can never disagree.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/model.h"

namespace ui {

struct Resource {
    Panel panel;                     // handle 0 until loaded into the run-time
    std::optional<MenuBar> menubar;  // handle 0 until loaded
};

// Empty error on success; otherwise what is wrong and where.
struct ResourceResult {
    Resource resource;
    std::string error;
};

ResourceResult ReadResourceText(const std::string& text, const std::string& file_name);
ResourceResult ReadResourceFile(const std::string& path);

}  // namespace ui

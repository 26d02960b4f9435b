// Writes the constants of every control and menu item of the given panel resources:
// PANEL_CONTROL for controls, MENUBAR_MENU_ITEM for menu items.
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/ui/resource.h"

namespace {

void menu_constants(std::ostream& out, const std::string& prefix,
                    const std::vector<ui::MenuItem>& items) {
    for (const auto& m : items) {
        if (m.separator) continue;
        const std::string name = prefix + "_" + m.name;
        out << "inline constexpr int " << name << " = " << m.id << ";\n";
        menu_constants(out, name, m.items);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: uirgen OUTPUT.h RESOURCE...\n";
        return 2;
    }
    std::ostringstream out;
    out << "// Generated from the panel resources; do not edit.\n#pragma once\n\n";
    for (int i = 2; i < argc; ++i) {
        ui::ResourceResult r = ui::ReadResourceFile(argv[i]);
        if (!r.error.empty()) {
            std::cerr << "uirgen: " << r.error << "\n";
            return 1;
        }
        const ui::Panel& p = r.resource.panel;
        out << "// " << p.resource << "\n";
        for (const auto& c : p.controls)
            out << "inline constexpr int " << p.name << "_" << c.name << " = " << c.id << ";\n";
        if (r.resource.menubar)
            menu_constants(out, r.resource.menubar->name, r.resource.menubar->menus);
        out << "\n";
    }
    // Rewrite only when the text changed, so unrelated resources do not rebuild everything.
    std::ifstream old(argv[1]);
    std::stringstream before;
    before << old.rdbuf();
    if (before.str() == out.str()) return 0;
    std::ofstream f(argv[1]);
    f << out.str();
    return f ? 0 : 1;
}

#include "debugtools/debugger/panels.h"

#include <string>

#include "debugtools/debugger/context.h"
#include "debugtools/debugger/register_dump.h"
#include "uir_ids.h"

namespace debugger {

void initDebug(const Context& cx) {
    cx.debugger.panel = CommandPanelState{};
}

bool open_debug_panels(const Context& cx) {
    auto& ui = cx.ui;
    auto& g = cx.shell;
    if (g.debugpanel1 <= 0) {
        const int cmd = ui.LoadPanel(g.mainpanel, "debugcmd.uir");
        const int reg = cmd < 0 ? cmd : ui.LoadPanel(g.mainpanel, "debugreg.uir");
        if (reg < 0) return false;
        g.debugpanel1 = cmd;
        g.debugpanel2 = reg;
        const CommandPanelState& s = cx.debugger.panel;
        ui.SetCtrlVal(cmd, DBGCMD_CMDRING, s.code);
        ui.SetCtrlVal(cmd, DBGCMD_NUMWORDS, s.shown);
        ui.SetCtrlVal(cmd, DBGCMD_ADDRESS, s.address);
    }
    ui.DisplayPanel(g.debugpanel2);
    ui.DisplayPanel(g.debugpanel1);
    return true;
}

void refresh_registers(const Context& cx) {
    CoreRegisters r;
    if (!read_registers(cx, &r)) return;
    std::string text;
    for (const std::string& line : dump_lines(r)) text += (text.empty() ? "" : "\n") + line;
    const int p = cx.shell.debugpanel2;
    cx.ui.ResetTextBox(p, DBGREG_DUMP, text);
    cx.ui.SetCtrlVal(p, DBGREG_PCDISPLAY, pc_text(current_pc(r)));
}

BusyPanels::BusyPanels(const Context& cx, int keep_panel, int keep_ctrl) : cx_(cx) {
    cx.debugger.busy = true;
    for (int p : {cx.shell.debugpanel1, cx.shell.debugpanel2}) {
        const ui::Panel* panel = cx.ui.panel(p);
        if (!panel) continue;
        for (const ui::Control& c : panel->controls) {
            const bool button = c.type == ui::CtrlType::Command || c.type == ui::CtrlType::Toggle;
            const bool kept = p == keep_panel && c.id == keep_ctrl;
            if (!button || kept || c.dimmed) continue;
            greyed_.emplace_back(p, c.id);
        }
    }
    for (auto [p, c] : greyed_) cx.ui.SetCtrlAttribute(p, c, ui::ATTR_DIMMED, 1);
}

BusyPanels::~BusyPanels() {
    for (auto [p, c] : greyed_) cx_.ui.SetCtrlAttribute(p, c, ui::ATTR_DIMMED, 0);
    cx_.debugger.busy = false;
}

}  // namespace debugger

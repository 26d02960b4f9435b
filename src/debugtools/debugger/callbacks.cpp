#include "debugtools/debugger/callbacks.h"

#include <string>
#include <vector>

#include "debugtools/debugger/context.h"
#include "debugtools/debugger/operations.h"
#include "debugtools/debugger/panels.h"
#include "debugtools/debugger/register_dump.h"
#include "debugtools/debugger/transfer.h"
#include "shell/panel_values.h"
#include "shell/show_outcome.h"
#include "uir_ids.h"

namespace debugger {

namespace {

constexpr int kDataCtrls[kDataFields] = {DBGCMD_DATA1, DBGCMD_DATA2, DBGCMD_DATA3, DBGCMD_DATA4,
                                         DBGCMD_DATA5, DBGCMD_DATA6, DBGCMD_DATA7, DBGCMD_DATA8};

int value_of(const Context& cx, int panel, int ctrl) {
    return shell::get_int(cx.ui, panel, ctrl);
}

// Selectors list headings with values above `heading`: picking one selects the entry below it.
int skip_heading(const Context& cx, int panel, int ctrl, int heading) {
    int v = value_of(cx, panel, ctrl);
    if (v > heading) {
        v -= heading;
        cx.ui.SetCtrlVal(panel, ctrl, v);
    }
    return v;
}

void show(const Context& cx, const core::Status& s) {
    shell::show_outcome(cx.ui, s);
}

// --- command panel -------------------------------------------------------------------------

void read_data_fields(const Context& cx) {
    for (int i = 0; i < kDataFields; ++i)
        cx.debugger.panel.data[static_cast<std::size_t>(i)] =
            value_of(cx, cx.shell.debugpanel1, kDataCtrls[i]);
}

void enable_data_fields(const Context& cx) {
    const CommandPanelState& s = cx.debugger.panel;
    const int n = data_fields_for(s.code, s.shown);
    for (int i = 0; i < kDataFields; ++i)
        cx.ui.SetCtrlAttribute(cx.shell.debugpanel1, kDataCtrls[i], ui::ATTR_DIMMED, i >= n);
}

void dim_data_fields(const Context& cx) {
    for (int ctrl : kDataCtrls)
        cx.ui.SetCtrlAttribute(cx.shell.debugpanel1, ctrl, ui::ATTR_DIMMED, 1);
}

void debug_cmd_select(const Context& cx) {
    auto& ui = cx.ui;
    const int p = cx.shell.debugpanel1;
    const int code = skip_heading(cx, p, DBGCMD_CMDRING, 900);
    ui.SetCtrlAttribute(p, DBGCMD_NUMWORDS, ui::ATTR_DIMMED, 1);
    ui.SetCtrlAttribute(p, DBGCMD_ADDRESS, ui::ATTR_DIMMED, 1);
    dim_data_fields(cx);
    CommandPanelState& s = cx.debugger.panel;
    if (apply_selection(s, code, value_of(cx, p, DBGCMD_NUMWORDS),
                        value_of(cx, p, DBGCMD_ADDRESS))) {
        const Fields f = command_info(code).fields;
        ui.SetCtrlAttribute(p, DBGCMD_NUMWORDS, ui::ATTR_DIMMED, f != Fields::Memory);
        ui.SetCtrlAttribute(p, DBGCMD_ADDRESS, ui::ATTR_DIMMED, f == Fields::Fixed);
    }
    read_data_fields(cx);
    enable_data_fields(cx);
}

void debug_set_numwords(const Context& cx) {
    dim_data_fields(cx);
    CommandPanelState& s = cx.debugger.panel;
    s.shown = s.count = value_of(cx, cx.shell.debugpanel1, DBGCMD_NUMWORDS);
    read_data_fields(cx);
    enable_data_fields(cx);
}

void debug_cmd_send(const Context& cx) {
    CommandPanelState& s = cx.debugger.panel;
    std::vector<int> words(s.data.begin(), s.data.end());
    std::vector<std::string> log;
    if (!send_command(cx, s, words, &log)) return;
    std::copy_n(words.begin(), kDataFields, s.data.begin());
    for (const std::string& line : log)
        cx.ui.InsertTextBoxLine(cx.shell.debugpanel1, DBGCMD_CMDLOG, -1, line);
}

struct DumpCtrls {
    Memory memory;
    const char* title;
    int start, end, show, save, list;
};

void dump(const Context& cx, const DumpCtrls& d) {
    auto& ui = cx.ui;
    const int p = cx.shell.debugpanel1;
    const int start = value_of(cx, p, d.start), end = value_of(cx, p, d.end);
    if (core::Status s = check_dump_range(start, end); !s) return show(cx, s);
    const bool listed = value_of(cx, p, d.show) != 0;
    const bool saved = value_of(cx, p, d.save) != 0;
    std::string path;
    if (saved && ui.FileSelectPopup(ui.GetProjectDir(), "", "", d.title, ui::VAL_SAVE_BUTTON, false,
                                    &path) == ui::VAL_NO_FILE_SELECTED)
        return;
    std::vector<std::string> read;
    core::Status s;
    {
        BusyPanels busy(cx);
        s = dump_memory(cx, d.memory, start, end, [&](const std::vector<std::string>& lines) {
            for (const std::string& line : lines) {
                if (listed) ui.InsertListItem(p, d.list, -1, line, 0);
                read.push_back(line);
            }
            if (!listed) return;
            int n = 0;
            ui.GetNumListItems(p, d.list, &n);
            ui.SetCtrlIndex(p, d.list, n - 1);
            ui.ProcessSystemEvents();
        });
    }
    if (s && listed) {
        ui.InsertListItem(p, d.list, -1, "---------------", 0);
        int n = 0;
        ui.GetNumListItems(p, d.list, &n);
        ui.SetCtrlIndex(p, d.list, n - 1);
    }
    // A dump of hours that fails near its end keeps what it read.
    if (saved) show(cx, save_dump(path, d.memory, start, read, s));
}

// --- downloads -----------------------------------------------------------------------------

bool choose_image(const Context& cx, Memory m, std::string* path) {
    const bool program = m == Memory::Program;
    return cx.ui.FileSelectPopup("", "", program ? "*.pmg" : "*.dmg",
                                 program ? "Select PMG file" : "Select DMG file",
                                 ui::VAL_LOAD_BUTTON, true, path) != ui::VAL_NO_FILE_SELECTED;
}

void download(const Context& cx, bool program, bool data) {
    std::string pmg, dmg;
    if (program && !choose_image(cx, Memory::Program, &pmg)) return;
    if (data && !choose_image(cx, Memory::Data, &dmg)) return;
    cx.ui.SetActivePanel(cx.shell.debugpanel2);
    core::Status s;
    if (program) s = download_image(cx, Memory::Program, pmg);
    if (s && data) s = download_image(cx, Memory::Data, dmg);
    show(cx, s ? download_done(program, data) : s);
}

// --- register panel ------------------------------------------------------------------------

void debug_run_to_break(const Context& cx) {
    auto& ui = cx.ui;
    const int p = cx.shell.debugpanel2;
    if (value_of(cx, p, DBGREG_RUNTOGGLE) == 0) return;
    bool reached = false;
    core::Status s;
    {
        BusyPanels busy(cx, p, DBGREG_RUNTOGGLE);
        s = run_to_break(
            cx, value_of(cx, p, DBGREG_BREAKADDR),
            [&] { return value_of(cx, p, DBGREG_RUNTOGGLE) != 0; },
            [&](std::optional<int> pc) { ui.SetCtrlVal(p, DBGREG_PCDISPLAY, pc_text(pc)); },
            &reached);
    }
    ui.SetCtrlVal(p, DBGREG_RUNTOGGLE, 0);
    show(cx, s);
    if (s) refresh_registers(cx);
}

void debug_register_addr(const Context& cx) {
    auto& ui = cx.ui;
    const int p = cx.shell.debugpanel2;
    const int v = skip_heading(cx, p, DBGREG_REGSELECT, 9900);
    const bool acc = v % 100 == WR_ACC0 || v % 100 == WR_ACC1;
    ui.SetCtrlAttribute(p, DBGREG_REGS, ui::ATTR_DIMMED, !acc);
    ui.SetCtrlAttribute(p, DBGREG_REGVALUE, ui::ATTR_DIMMED, 0);
    ui.SetCtrlAttribute(p, DBGREG_REGLO, ui::ATTR_DIMMED, !acc);
}

void debug_write_register(const Context& cx) {
    const int p = cx.shell.debugpanel2;
    if (write_register(cx, value_of(cx, p, DBGREG_REGSELECT), value_of(cx, p, DBGREG_REGS),
                       value_of(cx, p, DBGREG_REGVALUE), value_of(cx, p, DBGREG_REGLO)))
        refresh_registers(cx);
}

void debug_write_pc(const Context& cx) {
    const int p = cx.shell.debugpanel2;
    const int pc = value_of(cx, p, DBGREG_PCVALUE);
    if (write_pc(cx, pc)) cx.ui.SetCtrlVal(p, DBGREG_PCDISPLAY, pc_text(pc));
}

void debug_test_read(const Context& cx) {
    int data = 0, stat = 0;
    test_read(cx, &data, &stat);
    const int p = cx.shell.debugpanel1;
    cx.ui.SetCtrlVal(p, DBGCMD_TESTREADDATA, data);
    cx.ui.SetCtrlVal(p, DBGCMD_TESTREADSTAT, stat);
}

}  // namespace

void debugger_callbacks(ui::CallbackRegistry& cb, const Context& cx) {
    // A debugger action refuses to start while a dump or a breakpoint run lets events through.
    auto action = [cx, &cb](const char* name, auto fn) {
        ui::on_commit(cb, name, [cx, fn] {
            if (!cx.debugger.busy) fn();
        });
    };
    cb.add_menu("debug_menu", [cx](int, int, void*, int) { open_debug_panels(cx); });
    ui::on_commit(cb, "debug_cmd_select", [cx] { debug_cmd_select(cx); });
    ui::on_commit(cb, "debug_set_numwords", [cx] { debug_set_numwords(cx); });
    ui::on_commit(cb, "debug_set_address", [cx] {
        cx.debugger.panel.address = value_of(cx, cx.shell.debugpanel1, DBGCMD_ADDRESS);
    });
    ui::on_commit(cb, "debug_set_data", [cx] { read_data_fields(cx); });
    action("debug_cmd_send", [cx] { debug_cmd_send(cx); });
    action("debug_cmd_clear",
           [cx] { cx.ui.ResetTextBox(cx.shell.debugpanel1, DBGCMD_CMDLOG, ""); });
    action("debug_pmem_clear",
           [cx] { cx.ui.ClearListCtrl(cx.shell.debugpanel1, DBGCMD_PMEMLIST); });
    action("debug_dmem_clear",
           [cx] { cx.ui.ClearListCtrl(cx.shell.debugpanel1, DBGCMD_DMEMLIST); });
    action("debug_pmem_read", [cx] {
        dump(cx, {Memory::Program, "Save PMEM Data", DBGCMD_PMEMSTART, DBGCMD_PMEMEND,
                  DBGCMD_PMEMSHOW, DBGCMD_PMEMSAVE, DBGCMD_PMEMLIST});
    });
    action("debug_dmem_read", [cx] {
        dump(cx, {Memory::Data, "Save DMEM Data", DBGCMD_DMEMSTART, DBGCMD_DMEMEND, DBGCMD_DMEMSHOW,
                  DBGCMD_DMEMSAVE, DBGCMD_DMEMLIST});
    });
    action("debug_soft_reset", [cx] {
        if (cx.ui.ConfirmPopup("Reset DSP", "Are you sure you want to RESET?"))
            simple_command(cx, RESET);
    });
    action("debug_halt", [cx] {
        if (simple_command(cx, HALT)) refresh_registers(cx);
    });
    action("debug_continue", [cx] { simple_command(cx, CONTINUE); });
    action("debug_single_step", [cx] {
        if (simple_command(cx, SINGLE_STEP)) refresh_registers(cx);
    });
    action("debug_write_pmg", [cx] { download(cx, true, false); });
    action("debug_write_dmg", [cx] { download(cx, false, true); });
    action("debug_write_pmgdmg", [cx] { download(cx, true, true); });
    action("debug_write_pc", [cx] { debug_write_pc(cx); });
    action("debug_run_to_break", [cx] { debug_run_to_break(cx); });
    ui::on_commit(cb, "debug_register_addr", [cx] { debug_register_addr(cx); });
    action("debug_write_register", [cx] { debug_write_register(cx); });
    action("debug_read_registers", [cx] { refresh_registers(cx); });
    action("debug_test_write", [cx] {
        const int p = cx.shell.debugpanel1;
        test_write(cx, value_of(cx, p, DBGCMD_TESTDATA), value_of(cx, p, DBGCMD_TESTSTAT));
    });
    action("debug_test_read", [cx] { debug_test_read(cx); });
    action("debug_set_int", [cx] { write_debug_interrupt(cx); });
    action("debug_clear_int", [cx] { clear_debug_interrupt(cx); });
}

}  // namespace debugger

#include "debugtools/debugger/callbacks.h"

#include <string>
#include <vector>

#include "debugtools/debugger/operations.h"
#include "debugtools/debugger/panels.h"
#include "debugtools/debugger/register_dump.h"
#include "debugtools/debugger/transfer.h"
#include "shell/app.h"
#include "shell/panel_values.h"
#include "shell/show_outcome.h"
#include "uir_ids.h"

namespace debugger {

namespace {

constexpr int kDataCtrls[kDataFields] = {DBGCMD_DATA1, DBGCMD_DATA2, DBGCMD_DATA3, DBGCMD_DATA4,
                                         DBGCMD_DATA5, DBGCMD_DATA6, DBGCMD_DATA7, DBGCMD_DATA8};

int value_of(App& app, int panel, int ctrl) {
    return shell::get_int(app.ui, panel, ctrl);
}

// Selectors list headings with values above `heading`: picking one selects the entry below it.
int skip_heading(App& app, int panel, int ctrl, int heading) {
    int v = value_of(app, panel, ctrl);
    if (v > heading) {
        v -= heading;
        app.ui.SetCtrlVal(panel, ctrl, v);
    }
    return v;
}

void show(App& app, const core::Status& s) {
    shell::show_outcome(app.ui, s);
}

// --- command panel -------------------------------------------------------------------------

void read_data_fields(App& app) {
    for (int i = 0; i < kDataFields; ++i)
        app.debugger.panel.data[static_cast<std::size_t>(i)] =
            value_of(app, app.shell.debugpanel1, kDataCtrls[i]);
}

void enable_data_fields(App& app) {
    const CommandPanelState& s = app.debugger.panel;
    const int n = data_fields_for(s.code, s.shown);
    for (int i = 0; i < kDataFields; ++i)
        app.ui.SetCtrlAttribute(app.shell.debugpanel1, kDataCtrls[i], ui::ATTR_DIMMED, i >= n);
}

void dim_data_fields(App& app) {
    for (int ctrl : kDataCtrls)
        app.ui.SetCtrlAttribute(app.shell.debugpanel1, ctrl, ui::ATTR_DIMMED, 1);
}

void debug_cmd_select(App& app) {
    auto& ui = app.ui;
    const int p = app.shell.debugpanel1;
    const int code = skip_heading(app, p, DBGCMD_CMDRING, 900);
    ui.SetCtrlAttribute(p, DBGCMD_NUMWORDS, ui::ATTR_DIMMED, 1);
    ui.SetCtrlAttribute(p, DBGCMD_ADDRESS, ui::ATTR_DIMMED, 1);
    dim_data_fields(app);
    CommandPanelState& s = app.debugger.panel;
    if (apply_selection(s, code, value_of(app, p, DBGCMD_NUMWORDS),
                        value_of(app, p, DBGCMD_ADDRESS))) {
        const Fields f = command_info(code).fields;
        ui.SetCtrlAttribute(p, DBGCMD_NUMWORDS, ui::ATTR_DIMMED, f != Fields::Memory);
        ui.SetCtrlAttribute(p, DBGCMD_ADDRESS, ui::ATTR_DIMMED, f == Fields::Fixed);
    }
    read_data_fields(app);
    enable_data_fields(app);
}

void debug_set_numwords(App& app) {
    dim_data_fields(app);
    CommandPanelState& s = app.debugger.panel;
    s.shown = s.count = value_of(app, app.shell.debugpanel1, DBGCMD_NUMWORDS);
    read_data_fields(app);
    enable_data_fields(app);
}

void debug_cmd_send(App& app) {
    CommandPanelState& s = app.debugger.panel;
    std::vector<int> words(s.data.begin(), s.data.end());
    std::vector<std::string> log;
    if (!send_command(app, s, words, &log)) return;
    std::copy_n(words.begin(), kDataFields, s.data.begin());
    for (const std::string& line : log)
        app.ui.InsertTextBoxLine(app.shell.debugpanel1, DBGCMD_CMDLOG, -1, line);
}

struct DumpCtrls {
    Memory memory;
    const char* title;
    int start, end, show, save, list;
};

void dump(App& app, const DumpCtrls& d) {
    auto& ui = app.ui;
    const int p = app.shell.debugpanel1;
    const int start = value_of(app, p, d.start), end = value_of(app, p, d.end);
    if (core::Status s = check_dump_range(start, end); !s) return show(app, s);
    const bool listed = value_of(app, p, d.show) != 0;
    const bool saved = value_of(app, p, d.save) != 0;
    std::string path;
    if (saved && ui.FileSelectPopup(ui.GetProjectDir(), "", "", d.title, ui::VAL_SAVE_BUTTON, false,
                                    &path) == ui::VAL_NO_FILE_SELECTED)
        return;
    std::vector<std::string> read;
    core::Status s;
    {
        BusyPanels busy(app);
        s = dump_memory(app, d.memory, start, end, [&](const std::vector<std::string>& lines) {
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
    if (saved) show(app, save_dump(path, d.memory, start, read, s));
}

// --- downloads -----------------------------------------------------------------------------

bool choose_image(App& app, Memory m, std::string* path) {
    const bool program = m == Memory::Program;
    return app.ui.FileSelectPopup("", "", program ? "*.pmg" : "*.dmg",
                                  program ? "Select PMG file" : "Select DMG file",
                                  ui::VAL_LOAD_BUTTON, true, path) != ui::VAL_NO_FILE_SELECTED;
}

void download(App& app, bool program, bool data) {
    std::string pmg, dmg;
    if (program && !choose_image(app, Memory::Program, &pmg)) return;
    if (data && !choose_image(app, Memory::Data, &dmg)) return;
    app.ui.SetActivePanel(app.shell.debugpanel2);
    core::Status s;
    if (program) s = download_image(app, Memory::Program, pmg);
    if (s && data) s = download_image(app, Memory::Data, dmg);
    show(app, s ? download_done(program, data) : s);
}

// --- register panel ------------------------------------------------------------------------

void debug_run_to_break(App& app) {
    auto& ui = app.ui;
    const int p = app.shell.debugpanel2;
    if (value_of(app, p, DBGREG_RUNTOGGLE) == 0) return;
    bool reached = false;
    core::Status s;
    {
        BusyPanels busy(app, p, DBGREG_RUNTOGGLE);
        s = run_to_break(
            app, value_of(app, p, DBGREG_BREAKADDR),
            [&] { return value_of(app, p, DBGREG_RUNTOGGLE) != 0; },
            [&](std::optional<int> pc) { ui.SetCtrlVal(p, DBGREG_PCDISPLAY, pc_text(pc)); },
            &reached);
    }
    ui.SetCtrlVal(p, DBGREG_RUNTOGGLE, 0);
    show(app, s);
    if (s) refresh_registers(app);
}

void debug_register_addr(App& app) {
    auto& ui = app.ui;
    const int p = app.shell.debugpanel2;
    const int v = skip_heading(app, p, DBGREG_REGSELECT, 9900);
    const bool acc = v % 100 == WR_ACC0 || v % 100 == WR_ACC1;
    ui.SetCtrlAttribute(p, DBGREG_REGS, ui::ATTR_DIMMED, !acc);
    ui.SetCtrlAttribute(p, DBGREG_REGVALUE, ui::ATTR_DIMMED, 0);
    ui.SetCtrlAttribute(p, DBGREG_REGLO, ui::ATTR_DIMMED, !acc);
}

void debug_write_register(App& app) {
    const int p = app.shell.debugpanel2;
    if (write_register(app, value_of(app, p, DBGREG_REGSELECT), value_of(app, p, DBGREG_REGS),
                       value_of(app, p, DBGREG_REGVALUE), value_of(app, p, DBGREG_REGLO)))
        refresh_registers(app);
}

void debug_write_pc(App& app) {
    const int p = app.shell.debugpanel2;
    const int pc = value_of(app, p, DBGREG_PCVALUE);
    if (write_pc(app, pc)) app.ui.SetCtrlVal(p, DBGREG_PCDISPLAY, pc_text(pc));
}

void debug_test_read(App& app) {
    int data = 0, stat = 0;
    test_read(app, &data, &stat);
    const int p = app.shell.debugpanel1;
    app.ui.SetCtrlVal(p, DBGCMD_TESTREADDATA, data);
    app.ui.SetCtrlVal(p, DBGCMD_TESTREADSTAT, stat);
}

}  // namespace

void debugger_callbacks(App& app) {
    auto& cb = app.callbacks;
    // A debugger action refuses to start while a dump or a breakpoint run lets events through.
    auto action = [&app, &cb](const char* name, auto fn) {
        ui::on_commit(cb, name, [&app, fn] {
            if (!app.debugger.busy) fn();
        });
    };
    cb.add_menu("debug_menu", [&app](int, int, void*, int) { open_debug_panels(app); });
    ui::on_commit(cb, "debug_cmd_select", [&app] { debug_cmd_select(app); });
    ui::on_commit(cb, "debug_set_numwords", [&app] { debug_set_numwords(app); });
    ui::on_commit(cb, "debug_set_address", [&app] {
        app.debugger.panel.address = value_of(app, app.shell.debugpanel1, DBGCMD_ADDRESS);
    });
    ui::on_commit(cb, "debug_set_data", [&app] { read_data_fields(app); });
    action("debug_cmd_send", [&app] { debug_cmd_send(app); });
    action("debug_cmd_clear",
           [&app] { app.ui.ResetTextBox(app.shell.debugpanel1, DBGCMD_CMDLOG, ""); });
    action("debug_pmem_clear",
           [&app] { app.ui.ClearListCtrl(app.shell.debugpanel1, DBGCMD_PMEMLIST); });
    action("debug_dmem_clear",
           [&app] { app.ui.ClearListCtrl(app.shell.debugpanel1, DBGCMD_DMEMLIST); });
    action("debug_pmem_read", [&app] {
        dump(app, {Memory::Program, "Save PMEM Data", DBGCMD_PMEMSTART, DBGCMD_PMEMEND,
                   DBGCMD_PMEMSHOW, DBGCMD_PMEMSAVE, DBGCMD_PMEMLIST});
    });
    action("debug_dmem_read", [&app] {
        dump(app, {Memory::Data, "Save DMEM Data", DBGCMD_DMEMSTART, DBGCMD_DMEMEND,
                   DBGCMD_DMEMSHOW, DBGCMD_DMEMSAVE, DBGCMD_DMEMLIST});
    });
    action("debug_soft_reset", [&app] {
        if (app.ui.ConfirmPopup("Reset DSP", "Are you sure you want to RESET?"))
            simple_command(app, RESET);
    });
    action("debug_halt", [&app] {
        if (simple_command(app, HALT)) refresh_registers(app);
    });
    action("debug_continue", [&app] { simple_command(app, CONTINUE); });
    action("debug_single_step", [&app] {
        if (simple_command(app, SINGLE_STEP)) refresh_registers(app);
    });
    action("debug_write_pmg", [&app] { download(app, true, false); });
    action("debug_write_dmg", [&app] { download(app, false, true); });
    action("debug_write_pmgdmg", [&app] { download(app, true, true); });
    action("debug_write_pc", [&app] { debug_write_pc(app); });
    action("debug_run_to_break", [&app] { debug_run_to_break(app); });
    ui::on_commit(cb, "debug_register_addr", [&app] { debug_register_addr(app); });
    action("debug_write_register", [&app] { debug_write_register(app); });
    action("debug_read_registers", [&app] { refresh_registers(app); });
    action("debug_test_write", [&app] {
        const int p = app.shell.debugpanel1;
        test_write(app, value_of(app, p, DBGCMD_TESTDATA), value_of(app, p, DBGCMD_TESTSTAT));
    });
    action("debug_test_read", [&app] { debug_test_read(app); });
    action("debug_set_int", [&app] { write_debug_interrupt(app); });
    action("debug_clear_int", [&app] { clear_debug_interrupt(app); });
}

}  // namespace debugger

#include "shell/menus.h"

#include "shell/app.h"
#include "uir_ids.h"

namespace shell {

void QuitProgram(App& app) {
    if (app.ui.ConfirmPopup("Quit Program", "Are you sure you want to QUIT?"))
        app.ui.QuitUserInterface(0);
}

namespace {

// Applies the print settings, prints, and reports the outcome under the given titles.
void print_and_report(App& app, int ctrl, const char* title, const char* error_title) {
    auto& ui = app.ui;
    int low = 0;
    ui.GetMenuBarAttribute(app.shell.menu, MENUBAR_FILE_LORES, ui::ATTR_CHECKED, &low);
    ui.SetPrintLowResolution(low != 0);
    const int r =
        ctrl ? ui.PrintCtrl(app.shell.analysispanel, ctrl) : ui.PrintPanel(app.shell.analysispanel);
    ui.SetMouseCursor(ui::VAL_DEFAULT_CURSOR);
    if (r == 0)
        ui.MessagePopup(title, "Print Successful.");
    else
        ui.MessagePopup(error_title, "Print Unsuccessful.");
}

void set_resolution(App& app, bool high) {
    app.ui.SetMenuBarAttribute(app.shell.menu, MENUBAR_FILE_HIRES, ui::ATTR_CHECKED, high);
    app.ui.SetMenuBarAttribute(app.shell.menu, MENUBAR_FILE_LORES, ui::ATTR_CHECKED, !high);
}

}  // namespace

void register_callbacks(App& app) {
    auto& cb = app.callbacks;
    auto& ui = app.ui;
    auto& g = app.shell;
    auto menu = [&cb](const char* name, auto fn) {
        cb.add_menu(name, [fn](int, int, void*, int) { fn(); });
    };

    cb.add_panel("main_panel", [&app](int, int event, void*) {
        if (event == ui::EVENT_CLOSE) QuitProgram(app);
        return 0;
    });
    menu("quit_menu", [&app] { QuitProgram(app); });
    menu("setup_menu", [&] { ui.DisplayPanel(g.setuppanel); });
    menu("analysis_menu", [&] { ui.DisplayPanel(g.analysispanel); });
    menu("control_menu", [&] { ui.DisplayPanel(g.controlpanel); });
    menu("about_menu", [&] { ui.DisplayPanel(g.aboutpanel); });
    menu("debug1_menu", [&] { ui.DisplayPanel(g.debugpanel1); });
    menu("debug2_menu", [&] { ui.DisplayPanel(g.debugpanel2); });
    menu("copy_panel_menu", [&] {
        ui.ClipboardPutPanelBitmap(g.mainpanel);
        ui.MessagePopup("Panel Copied.", "Panel copied to clipboard.");
    });
    menu("printscreen_menu",
         [&app] { print_and_report(app, 0, "Print Screen", "Print Screen Error"); });
    menu("printgraph_menu",
         [&app] { print_and_report(app, ANALYSIS_GRAPH, "Print Graph", "Print Graph Error"); });
    menu("hires_print_menu", [&app] { set_resolution(app, true); });
    menu("lores_print_menu", [&app] { set_resolution(app, false); });
    menu("helpcontents_menu", [&] { ui.SystemHelp(g.helpFile, ui::HELP_CONTENTS); });
    menu("helpsearch_menu", [&] { ui.SystemHelp(g.helpFile, ui::HELP_SEARCH); });

    ui::on_commit(cb, "helpfile", [&] { ui.SystemHelp(g.helpFile, ui::HELP_CONTENTS); });
    ui::on_commit(cb, "close_about", [&] { ui.HidePanel(g.aboutpanel); });
}

}  // namespace shell

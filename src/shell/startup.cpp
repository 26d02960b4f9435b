#include "shell/startup.h"

#include "analysis/analysis.h"
#include "debugtools/debugger/panels.h"
#include "macros/editor.h"
#include "macros/external.h"
#include "shell/app.h"
#include "uir_ids.h"

namespace shell {

int startup(App& app) {
    auto& ui = app.ui;
    auto& g = app.shell;
    g.mainpanel = ui.LoadPanel(0, "main.uir");
    if (g.mainpanel < 0) return -1;
    g.menu = ui.GetPanelMenuBar(g.mainpanel);
    for (auto [handle, file] : {std::pair{&g.aboutpanel, "about.uir"},
                                {&g.setuppanel, "setup.uir"},
                                {&g.analysispanel, "analysis.uir"},
                                {&g.controlpanel, "control.uir"},
                                {&g.recordpanel, "record.uir"},
                                {&g.historypanel, "history.uir"}}) {
        *handle = ui.LoadPanel(g.mainpanel, file);
        if (*handle < 0) return -1;
    }
    bind_settings(ui, g.setuppanel, app.settings, app.link);
    DeleteDevelopmentInfo(app);
    // The ring's one entry names where the boards come from.
    ui.DeleteListItem(g.setuppanel, SETUP_DATASOURCE, 0, -1);
    ui.InsertListItem(g.setuppanel, SETUP_DATASOURCE, -1, app.usb.source_name(), 0);
    ui.SetCtrlVal(g.aboutpanel, ABOUT_CAPTION, g.version);
    ui.SetPanelAttribute(g.mainpanel, ui::ATTR_TITLE, g.version);
    ui.DisplayPanel(g.setuppanel);
    ui.DisplayPanel(g.aboutpanel);
    ui.DisplayPanel(g.mainpanel);
    g.projectDir = ui.GetProjectDir();
    initHelp(app);
    // Subsystem initialisers, in this fixed order: initAnalysis, initDebug,
    // init_internal_macros, init_external_macros.
    analysis::initAnalysis(app);
    debugger::initDebug(app);
    macros::init_internal_macros(app);
    macros::init_external_macros(app);
    ui.Timer();  // starts the seconds clock every wait is measured against
    return 0;
}

int seisbench_main(App& app) {
    // A process status: -1 would reach the shell as 255.
    if (startup(app) < 0) return 1;
    return app.ui.RunUserInterface();
}

void DeleteDevelopmentInfo(App& app) {
    auto& ui = app.ui;
    const int cp = app.shell.controlpanel;
    ui.DiscardMenu(app.shell.menu, MENUBAR_DEV1);
    ui.DiscardMenu(app.shell.menu, MENUBAR_DEV2);
    // From the back, so the earlier positions stay valid.
    ui.DeleteListItem(cp, CONTROL_MACROREG, 51, 6);
    ui.DeleteListItem(cp, CONTROL_MACROREG, 19, 11);
    ui.DeleteListItem(cp, CONTROL_MACROREG, 2, 12);
    ui.DeleteListItem(cp, CONTROL_REGLIST, 18, 9);
    ui.DeleteListItem(cp, CONTROL_REGLIST, 1, 12);
    ui.DeleteListItem(cp, CONTROL_PORTADDR, 4, 6);
    ui.DeleteListItem(cp, CONTROL_CMDLIST, 10, 6);
    ui.DiscardCtrl(cp, CONTROL_DEVTEST);
}

void initHelp(App& app) {
    app.shell.helpFile = ui::Runtime::MakePathname(app.shell.projectDir, kHelpFileName);
}

}  // namespace shell

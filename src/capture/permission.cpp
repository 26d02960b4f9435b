#include "capture/permission.h"

#include "shell/app.h"
#include "uir_ids.h"

namespace capture {

namespace {
void set(App& app, bool button, bool second, bool menu, int dimmed) {
    if (button)
        app.ui.SetCtrlAttribute(app.shell.setuppanel, SETUP_CAPTURE, ui::ATTR_DIMMED, dimmed);
    if (second)
        app.ui.SetCtrlAttribute(app.shell.setuppanel, SETUP_CAPTURE2, ui::ATTR_DIMMED, dimmed);
    if (menu)
        app.ui.SetMenuBarAttribute(app.shell.menu, MENUBAR_BOARD_CAPTURE, ui::ATTR_DIMMED, dimmed);
}
}  // namespace

void enable_capture(App& app) {
    app.capture.armed = true;
    set(app, true, true, true, 0);
}
void lock_capture(App& app) {
    app.capture.armed = false;
    set(app, true, true, true, 1);
}

int Turn_Capture_off(App& app) {
    set(app, false, true, true, 1);
    return 0;
}

void permission_callbacks(App& app) {
    ui::on_commit(app.callbacks, "Turn_Capture_off", [&app] { Turn_Capture_off(app); });
}

}  // namespace capture

// Qt tests: one QApplication on the offscreen platform for the whole binary, a fully wired
// system with the Qt front-end, and ways to answer dialogs as a person would.
#pragma once

#include <QApplication>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/ui/qt/qt_frontend.h"
#include "platform/usb/sim_bus.h"
#include "shell/app.h"

namespace qt_support {

// The application (built on first use; offscreen, with a 1920 x 1080 screen).
QApplication& qt_app();

// Lets queued work (deferred redraws, layouts, paints) run.
void settle(int ms = 0);

// True when narrow and wide glyphs advance alike in the font, so text columns line up (what
// matters on screen, whatever fontconfig says of the family).
bool columns_line_up(const QFont& font);

// Runs fn on the next modal dialog as soon as it shows, from inside its own loop.
void when_dialog_shown(std::function<void(QWidget*)> fn);
// Clicks the dialog's button with the given text (e.g. "&Yes", "OK").
void press_button(QWidget* dialog, const QString& text);

struct QtApp {
    explicit QtApp(std::string resource_dir = SEISBENCH_TEST_RESOURCE_DIR);
    ~QtApp();

    QApplication& qapp = qt_app();  // first: the widgets need it
    platform::VirtualClock clock;
    ui::qt::QtFrontend frontend;
    usb::SimBus bus{clock};
    std::unique_ptr<App> app;

    App* operator->() { return app.get(); }
    // Start-up up to the event loop, then every panel's widgets; fails the test on failure.
    void start();
    QWidget* panel(int handle) { return frontend.panel_widget(handle); }
    template <class T = QWidget>
    T* find(int panel_handle, const char* name) {
        QWidget* p = panel(panel_handle);
        return p ? p->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    }
};

// A resource folder with the program's resources and a test panel "alltypes.uir" holding one
// control of every type; its callbacks are named "record" (controls) and "all_panel".
std::string resources_with_all_types();

// What the "record" and "all_panel" callbacks saw: (control, event); control 0 for the panel.
struct Recorded {
    int ctrl;
    int event;
    bool operator==(const Recorded&) const = default;
};
void record_events(App& app, std::vector<Recorded>& into);

}  // namespace qt_support

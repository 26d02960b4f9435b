// What a test shows on the analysis panel before it runs: statistics displays, graph names,
// cursor read-outs and their units.
#pragma once

class App;

namespace analysis {

inline constexpr int kDisplays = 5;

struct PanelSetup {
    int displays;  // displays 1..displays shown, the rest hidden
    const char* labels[kDisplays];
    int precision[kDisplays];
    const char* title;
    const char* xname;
    const char* yname;
    const char* cursor_x;
    const char* cursor_y;
    int cursor_precision;
    const char* xunit;
    const char* yunit;
};

void apply_panel_setup(App& app, const PanelSetup& s);
// The statistics display controls 1 to 5.
int stat_display(int index);
// Displays' text back to white.
void whiten_displays(App& app);

}  // namespace analysis

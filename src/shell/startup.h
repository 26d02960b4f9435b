// Program start-up: loads the panels, trims the development items, initialises the
// subsystems in their fixed order and runs the event loop.
#pragma once

class App;

namespace shell {

// Steps up to the event loop: 0 when the program is ready, -1 when a panel cannot be loaded.
int startup(App& app);
// The whole program: start-up, then the event loop; returns the loop's result, or 1 (the
// programs' exit status) when a panel cannot be loaded.
int seisbench_main(App& app);

void DeleteDevelopmentInfo(App& app);
void initHelp(App& app);

}  // namespace shell

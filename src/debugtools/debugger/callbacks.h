// Binds the two debugger panels' callbacks and the "Debug" entry of the Panels menu.
#pragma once

class App;

namespace debugger {

void debugger_callbacks(App& app);

}  // namespace debugger

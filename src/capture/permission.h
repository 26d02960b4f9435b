// Who may start a capture: the setup panel's capture button, its second capture control and
// the capture menu item.
#pragma once

class App;

namespace capture {

// After a configuration whose steps all succeeded: all three usable.
void enable_capture(App& app);
// After a capture failure, a lost or reset board: all three locked.
void lock_capture(App& app);
// A configuration input changed: the second control and the menu item are locked.
int Turn_Capture_off(App& app);

void permission_callbacks(App& app);

}  // namespace capture

// The main window's own commands: panel switching, printing, clipboard, help, about, quit.
#pragma once

class App;

namespace shell {

void register_callbacks(App& app);

// Asks for confirmation and ends the event loop with 0 when given.
void QuitProgram(App& app);

}  // namespace shell

// The main window's own commands: panel switching, printing, clipboard, help, about, quit.
#pragma once

#include <string>

class App;

namespace shell {

void register_callbacks(App& app);

// Asks for confirmation and ends the event loop with 0 when given.
void QuitProgram(App& app);
// 1 (after telling the person) when the file does not exist, else 0.
int CheckFileExists(App& app, const std::string& path);

}  // namespace shell

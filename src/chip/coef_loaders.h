// Sending FIR, IIR and TBS word files to the filter chip.
#pragma once

#include <string>

#include "chip/files/word_file.h"
#include "core/status.h"

class App;

namespace chip {

// Reads the word file and sends it two words per command. A file that cannot be read or holds
// a bad line is BadInput ("File Error" and why) and nothing is sent. Otherwise every command
// is sent and the status carries the completion message; a command the board did not
// acknowledge makes it a failure whose step names the command and the pair it carried.
core::Status send_word_file(App& app, WordFileKind kind, const std::string& path);
// Asks for the file first; a cancelled dialog is Cancelled, with nothing sent or shown.
core::Status load_word_file(App& app, WordFileKind kind);

// The loaders of the panels: load_word_file, then its message. Return 0.
int load_fir_coef(App& app);
int load_iir_coef(App& app);
int load_tbs_data(App& app);

void coef_loader_callbacks(App& app);

}  // namespace chip

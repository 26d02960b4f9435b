// Sending FIR, IIR and TBS word files to the filter chip.
#pragma once

#include <string>

#include "chip/files/word_file.h"

class App;

namespace chip {

// Reads the word file and sends it two words per command; a file that cannot be read or
// holds a bad line is reported and nothing is sent. Returns 1 when the words were sent.
int send_word_file(App& app, WordFileKind kind, const std::string& path);

// Ask for a file, then send it; cancelling sends nothing. Return 0.
int load_fir_coef(App& app);
int load_iir_coef(App& app);
int load_tbs_data(App& app);

void coef_loader_callbacks(App& app);

}  // namespace chip

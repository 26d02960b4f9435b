// What the system showed a person: the popups and the standard-output lines, in order. The
// command table reads it to tell how an operation went on screen and what it printed.
#pragma once

#include <string>
#include <vector>

namespace ui {

struct Popup {
    enum Kind { Message, Confirm, Prompt, FileSelect };
    Kind kind;
    std::string title;
    std::string text;
};

struct Record {
    std::vector<Popup> popups;
    std::vector<std::string> stdout_lines;
};

}  // namespace ui

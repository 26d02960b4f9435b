// What a command gets and how it reports: one JSON object per command with --json, short
// aligned text without.
#pragma once

#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "core/status.h"

class App;

namespace ui {
struct Record;
}
namespace simboard {
class SimBoard;
}

namespace cli {

struct Context {
    App& app;
    // What the front-end showed: the popups and the standard-output lines.
    const ui::Record& record;
    bool json = false;
    std::ostream& out;
    std::ostream& err;
    // The simulated board with --simulate, else null.
    simboard::SimBoard* sim = nullptr;
    // Tone frequencies asked for in Hz, turned into cycles per word at each capture's rate.
    double tone_hz[4] = {-1, -1, -1, -1};
    // Figures that failed their limit so far in this run (--limits).
    int failed_verdicts = 0;
    // Standard error is a terminal: long operations show a progress line updated in place.
    bool progress_line = false;
    // The standard-output lines reached out as they were written (a long operation's lines
    // show while it runs), so the text form does not print them again.
    bool output_streamed = false;
};

struct Result {
    int status = 0;                                          // kOk, kFailed or kUsage
    nlohmann::ordered_json data;                             // printed as one line with --json
    std::vector<std::pair<std::string, std::string>> lines;  // label, value for people
    std::string error;              // usage or failure text for standard error
    std::vector<std::string> text;  // lines printed as they are, before the labelled ones

    void add(const std::string& key, const nlohmann::ordered_json& value, const std::string& text) {
        data[key] = value;
        lines.emplace_back(key, text);
    }
};

using Handler = std::function<Result(Context&, const std::vector<std::string>& args)>;

struct CommandInfo {
    std::string usage;  // "reg read ADDR"
    std::string help;
    Handler handler;
};

// Commands by their first word.
std::map<std::string, CommandInfo>& commands();

Result usage_error(const std::string& text);
// "unknown WHAT 'NAME'", with the names close to it, else with otherwise (" (a hint)").
Result unknown_name(const std::string& what, const std::string& name,
                    const std::vector<std::string>& names, const std::string& otherwise = {});
// "unknown option X", with the command's options close to it.
Result unknown_option(const std::string& option, const std::vector<std::string>& options);
Result failure(const std::string& text);
// A failed operation: "TEXT at STEP (FAULT)", and its fault and step go into the result.
Result failure(const core::Status& s, const std::string& text);
// Shows the outcome's message to the person, as the panel callback would.
void show(Context& c, const core::Status& s);
// Board commands connect first when no board is connected; false (with the failure) when no
// board could be connected.
bool ensure_connected(Context& c, Result* failure);

// A file a command reads must exist, be a regular file and open for reading. Checked before
// any confirmation or board exchange, so a mistyped path costs no question; false (with the
// failure, which names the file) when it cannot be read.
bool input_file_ok(const std::string& path, Result* failure);

// Numbers on the command line: 0x hex or decimal, whole, within [lo, hi].
using core::parse_number;
std::string hex_word(int value);  // "0x" and six upper-case hex digits
// "a,b,c" as its items, empty ones kept (so "a,,b" and "a," can be refused).
std::vector<std::string> split_list(const std::string& text);

}  // namespace cli

#include "cli/command_line.h"

#include <algorithm>
#include <iomanip>

#include "boardlink/discovery.h"
#include "cli/analysis_commands.h"
#include "cli/board_commands.h"
#include "cli/capture_commands.h"
#include "cli/cli.h"
#include "cli/config_commands.h"
#include "cli/debug_commands.h"
#include "cli/device_commands.h"
#include "cli/firmware_commands.h"
#include "cli/help.h"
#include "cli/history_commands.h"
#include "cli/line_words.h"
#include "cli/macro_commands.h"
#include "cli/record_commands.h"
#include "cli/report_commands.h"
#include "cli/sim_commands.h"
#include "cli/tool_commands.h"
#include "cli/trace_commands.h"
#include "core/input_file.h"
#include "platform/ui/record.h"

namespace cli {

namespace {

// output: the lines the command wrote to the standard-output window.
void print_result(const Context& c, const std::string& name, const Result& r,
                  const std::vector<std::string>& output) {
    if (c.json) {
        nlohmann::ordered_json j;
        j["command"] = name;
        j["ok"] = r.status == kOk;
        for (auto& [k, v] : r.data.items()) j[k] = v;
        if (!output.empty()) j["output"] = output;
        if (r.status != kOk) j["error"] = r.error;
        // A script line may hold bytes that are not UTF-8; they print as U+FFFD rather than
        // failing the whole run.
        c.out << j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
              << std::endl;
        return;
    }
    if (!c.output_streamed)
        for (const std::string& line : output) c.out << line << "\n";
    if (r.status != kOk) {
        c.out.flush();
        return;
    }
    for (const std::string& line : r.text) c.out << line << "\n";
    size_t width = 0;
    for (const auto& [label, value] : r.lines) width = std::max(width, label.size());
    for (const auto& [label, value] : r.lines)
        c.out << std::left << std::setw(static_cast<int>(width) + 2) << label + ":" << value
              << "\n";
    c.out.flush();
}

// Between two commands the desktop program's timer looks for the board; lines of a script
// follow each other at once, so the look comes first here. A board pulled out is then named
// as lost straight away instead of after the next exchange's time-outs. The simulated board's
// own commands (plugging it back in among them) need no board, nor does help.
Result run_on_present_board(Context& ctx, const CommandInfo& command,
                            const std::vector<std::string>& words) {
    if (words[0] == "connect") {
        // A board lost since the last command is let go of quietly: connecting is the cure.
        (void)boardlink::check_board_present(ctx.app);
        return command.handler(ctx, words);
    }
    if (words[0] == "sim" || words[0] == "help") return command.handler(ctx, words);
    if (const core::Status s = boardlink::check_board_present(ctx.app); !s) {
        show(ctx, s);
        return failure(s, "board lost");
    }
    Result r = command.handler(ctx, words);
    // A board pulled out in the middle of a command makes it fail on a time-out; saying that
    // the board is gone, as the desktop program's next look does, tells why.
    if (r.status == kFailed) {
        if (const core::Status s = boardlink::check_board_present(ctx.app); !s) {
            show(ctx, s);
            r.error += "; " + failure(s, "board lost").error;
            r.data["board_lost"] = true;
        }
    }
    return r;
}

}  // namespace

void add_all_commands() {
    if (!commands().empty()) return;
    add_board_commands();
    add_config_commands();
    add_analysis_commands();
    add_sim_commands();
    add_capture_commands();
    add_record_commands();
    add_history_commands();
    add_macro_commands();
    add_trace_commands();
    add_tool_commands();
    add_firmware_commands();
    add_device_commands();
    add_debug_commands();
    add_report_commands();
    add_help_command();
}

std::vector<std::string> command_names() {
    add_all_commands();
    std::vector<std::string> names;
    for (const auto& [name, info] : commands()) names.push_back(name);
    return names;
}

Result run_line(Context& ctx, const std::string& line) {
    add_all_commands();
    std::vector<std::string> words;
    std::string unsplit;
    const bool split = line_words(line, &words, &unsplit);
    if (split && words.empty()) return {};
    // A line that cannot be split is named by its first word as typed.
    const std::size_t first = std::min(line.find_first_not_of(" \t"), line.size());
    const std::string name =
        split ? words[0] : line.substr(first, line.find_first_of(" \t", first) - first);
    const auto it = commands().find(name);
    const std::size_t lines_before = ctx.record.stdout_lines.size();
    Result r = !split                   ? usage_error(unsplit)
               : it == commands().end() ? unknown_command(name)
               : asks_for_help(words)   ? command_help(name)
                                        : run_on_present_board(ctx, it->second, words);
    const auto& all = ctx.record.stdout_lines;
    print_result(
        ctx, name, r,
        {all.begin() + static_cast<std::ptrdiff_t>(std::min(lines_before, all.size())), all.end()});
    return r;
}

bool read_script(const std::string& path, std::vector<std::string>& lines, std::string* why) {
    core::InputFile file(path, kMaxScriptBytes);
    if (!file.ok()) {
        *why = file.reason();
        return false;
    }
    std::istream& f = file.stream();
    for (std::string line; std::getline(f, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        lines.push_back(line);
    }
    return true;
}

}  // namespace cli

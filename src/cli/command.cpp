#include "cli/command.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "cli/board_commands.h"
#include "cli/cli.h"
#include "core/close_names.h"
#include "platform/ui/record.h"
#include "shell/app.h"
#include "shell/show_outcome.h"

namespace cli {

std::map<std::string, CommandInfo>& commands() {
    static std::map<std::string, CommandInfo> m;
    return m;
}

std::vector<std::string> split_list(const std::string& text) {
    std::vector<std::string> items(1);
    for (char ch : text) {
        if (ch == ',')
            items.emplace_back();
        else
            items.back() += ch;
    }
    return items;
}

Result usage_error(const std::string& text) {
    Result r;
    r.status = kUsage;
    r.error = text;
    return r;
}

Result unknown_name(const std::string& what, const std::string& name,
                    const std::vector<std::string>& names, const std::string& otherwise) {
    const std::string hint = core::did_you_mean(name, names);
    return usage_error("unknown " + what + " '" + name + "'" +
                       (hint.empty() ? otherwise : "; " + hint));
}

Result unknown_option(const std::string& option, const std::vector<std::string>& options) {
    const std::string hint = core::did_you_mean(option, options);
    return usage_error("unknown option " + option + (hint.empty() ? "" : "; " + hint));
}

Result failure(const std::string& text) {
    Result r;
    r.status = kFailed;
    r.error = text;
    return r;
}

Result failure(const core::Status& s, const std::string& text) {
    // People read what went wrong in the board's words; scripts read "fault" and "step".
    std::string why = s.text;
    for (char& ch : why)
        if (ch == '\n') ch = ' ';
    while (why.find("  ") != std::string::npos) why.erase(why.find("  "), 1);
    while (!why.empty() && why.back() == ' ') why.pop_back();
    Result r = failure(why.empty() ? text : text + ": " + why);
    r.data["fault"] = core::fault_name(s.fault);
    r.data["step"] = s.step;
    return r;
}

void show(Context& c, const core::Status& s) {
    shell::show_outcome(c.app.ui, s);
}

bool ensure_connected(Context& c, Result* failure_out) {
    if (c.app.link.usb_opened == 1) return true;
    Result r = connect(c);
    if (r.status == kOk) return true;
    *failure_out = r;
    return false;
}

bool input_file_ok(const std::string& path, Result* failure_out) {
    std::error_code ec;
    const auto st = std::filesystem::status(path, ec);
    const char* why = nullptr;
    if (!std::filesystem::exists(st))
        why = "no such file";
    else if (std::filesystem::is_directory(st))
        why = "it is a folder";
    else if (!std::filesystem::is_regular_file(st))
        why = "it is not a regular file";
    else if (!std::ifstream(path))
        why = "permission denied";
    if (!why) return true;
    *failure_out = failure("cannot read " + path + ": " + why);
    failure_out->data["fault"] = core::fault_name(core::Fault::BadInput);
    failure_out->data["file"] = path;
    return false;
}

std::string hex_word(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(value) & 0xFFFFFFu);
    return buf;
}

}  // namespace cli

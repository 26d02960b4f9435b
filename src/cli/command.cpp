#include "cli/command.h"

#include <cstdio>

#include "cli/board_commands.h"
#include "cli/cli.h"
#include "platform/ui/record.h"
#include "shell/app.h"
#include "shell/show_outcome.h"

namespace cli {

std::map<std::string, CommandInfo>& commands() {
    static std::map<std::string, CommandInfo> m;
    return m;
}

Result usage_error(const std::string& text) {
    Result r;
    r.status = kUsage;
    r.error = text;
    return r;
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

std::string hex_word(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(value) & 0xFFFFFFu);
    return buf;
}

}  // namespace cli

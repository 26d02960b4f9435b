#include "cli/debug_commands.h"

#include <cctype>
#include <cstdio>
#include <optional>

#include "cli/cli.h"
#include "cli/command.h"
#include "debugtools/debugger/operations.h"
#include "debugtools/debugger/register_dump.h"
#include "shell/app.h"

namespace cli {

namespace {

using namespace debugger;

const char* const kUsage =
    "usage: debug halt|continue|step|reset | debug send NAME|CODE [--address A] [--words N] "
    "[DATA...] | debug regs | debug dump pmem|dmem START END [FILE] | debug load pmg|dmg FILE | "
    "debug pc VALUE | debug run-to ADDRESS [--timeout S] | debug write REGISTER VALUE...";

// Each poll of a running core costs some seconds of board exchanges.
constexpr double kDefaultRunTimeout = 60.0;

std::string hex(const char* fmt, int v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, fmt, static_cast<unsigned>(v));
    return buf;
}

// A failed operation: its message shown first when it carries one.
Result failed(Context& c, const core::Status& s, const std::string& what) {
    show(c, s);
    return failure(s, what);
}

bool address_arg(const std::string& text, int* v) {
    long long n = 0;
    if (!parse_number(text, 0, kMaxAddress, &n)) return false;
    *v = static_cast<int>(n);
    return true;
}

bool word_arg(const std::string& text, int* v) {
    long long n = 0;
    if (!parse_number(text, 0, 0xFFFFFF, &n)) return false;
    *v = static_cast<int>(n);
    return true;
}

Result run_control(Context& c, const std::string& what) {
    const int code = what == "halt"       ? HALT
                     : what == "continue" ? CONTINUE
                     : what == "step"     ? SINGLE_STEP
                                          : RESET;
    if (code == RESET && !c.app.ui.ConfirmPopup("Reset DSP", "Are you sure you want to RESET?"))
        return failure("not confirmed (answer with --yes)");
    if (core::Status s = simple_command(c.app, code); !s) return failed(c, s, "debug " + what);
    Result r;
    r.add("command", command_info(code).name, command_info(code).name);
    return r;
}

std::vector<std::string> debugger_command_names() {
    std::vector<std::string> names;
    for (int code = 0; code <= kLastCode; ++code)
        if (*command_info(code).name != '\0') names.emplace_back(command_info(code).name);
    return names;
}

// A command or register name the debugger does not know, found before the board is touched.
std::optional<Result> unknown_names(const std::vector<std::string>& a) {
    if (a.size() < 3) return std::nullopt;
    const bool number = std::isdigit(static_cast<unsigned char>(a[2][0])) != 0;
    if (a[1] == "send" && !number && !code_by_name(a[2]))
        return unknown_name("debugger command", a[2], debugger_command_names());
    if (a[1] == "write" && !selector_by_name(a[2]))
        return unknown_name("register", a[2], register_names());
    return std::nullopt;
}

Result send(Context& c, const std::vector<std::string>& a) {
    const std::optional<int> code = a.size() >= 3 ? code_by_name(a[2]) : std::nullopt;
    if (!code) return usage_error(kUsage);
    std::optional<int> address, count;
    std::vector<int> data;
    for (std::size_t i = 3; i < a.size(); ++i) {
        int v = 0;
        if ((a[i] == "--address" || a[i] == "--words") && i + 1 < a.size()) {
            long long n = 0;
            const bool words = a[i] == "--words";
            if (!parse_number(a[++i], 0, words ? 0x4000 : kMaxAddress, &n))
                return usage_error(kUsage);
            (words ? count : address) = static_cast<int>(n);
        } else if (word_arg(a[i], &v)) {
            data.push_back(v);
        } else {
            return usage_error(kUsage);
        }
    }
    const Fields f = command_info(*code).fields;
    if ((count && f != Fields::Memory) ||
        (address && (f == Fields::Fixed || f == Fields::Unchanged)))
        return usage_error(std::string(command_info(*code).name) + " takes no " +
                           (count ? "--words" : "--address"));
    CommandPanelState s;
    if (!apply_selection(s, *code, count.value_or(1), address.value_or(0))) s.code = *code;
    if (static_cast<int>(data.size()) > std::max(s.count, s.shown))
        return usage_error("more data words than the command moves");
    std::vector<int> words = data;
    std::vector<std::string> log;
    if (core::Status st = send_command(c.app, s, words, &log); !st)
        return failed(c, st, "debug send");
    Result r;
    r.text = log;
    r.data["log"] = log;
    nlohmann::ordered_json shown = nlohmann::ordered_json::array();
    for (int i = 0; i < s.shown; ++i) shown.push_back(hex_word(words[static_cast<std::size_t>(i)]));
    r.data["words"] = shown;
    return r;
}

Result regs(Context& c) {
    CoreRegisters regs;
    if (core::Status s = read_registers(c.app, &regs); !s) return failed(c, s, "debug regs");
    Result r;
    r.text = dump_lines(regs);
    r.data["lines"] = r.text;
    const std::optional<int> pc = current_pc(regs);
    r.data["pc"] = pc ? nlohmann::ordered_json(hex("0x%04X", *pc)) : nlohmann::ordered_json();
    r.data["sp"] = stack_pointer(regs.io[kStatusIo]);
    return r;
}

Result dump(Context& c, const std::vector<std::string>& a) {
    int start = 0, end = 0;
    if (a.size() < 5 || a.size() > 6 || (a[2] != "pmem" && a[2] != "dmem") ||
        !address_arg(a[3], &start) || !address_arg(a[4], &end))
        return usage_error(kUsage);
    const Memory m = a[2] == "pmem" ? Memory::Program : Memory::Data;
    std::vector<std::string> lines;
    const core::Status s = dump_memory(
        c.app, m, start, end,
        [&](const std::vector<std::string>& l) { lines.insert(lines.end(), l.begin(), l.end()); });
    const bool to_file = a.size() == 6;
    const core::Status saved =
        to_file ? save_dump(a[5], m, start, lines, s) : core::Status::success();
    if (!s) {
        if (to_file) show(c, saved);
        return failed(c, s, "debug dump");
    }
    Result r;
    r.data["lines"] = lines;
    if (to_file) {
        if (!saved) return failure(saved, "cannot write " + a[5]);
        r.add("file", a[5], a[5]);
        r.add("words", static_cast<int>(lines.size()), std::to_string(lines.size()));
    } else {
        r.text = lines;
    }
    return r;
}

Result load(Context& c, const std::vector<std::string>& a) {
    if (a.size() != 4 || (a[2] != "pmg" && a[2] != "dmg")) return usage_error(kUsage);
    const bool program = a[2] == "pmg";
    const core::Status s = download_image(c.app, program ? Memory::Program : Memory::Data, a[3]);
    if (!s) return failed(c, s, "debug load");
    show(c, download_done(program, !program));
    Result r;
    r.add("file", a[3], a[3]);
    return r;
}

Result run_to(Context& c, const std::vector<std::string>& a) {
    int b = 0;
    double timeout = kDefaultRunTimeout;
    if (a.size() != 3 && !(a.size() == 5 && a[3] == "--timeout")) return usage_error(kUsage);
    if (!address_arg(a[2], &b)) return usage_error(kUsage);
    if (a.size() == 5) {
        long long n = 0;
        if (!parse_number(a[4], 1, 3600, &n)) return usage_error(kUsage);
        timeout = static_cast<double>(n);
    }
    auto& ui = c.app.ui;
    const double t0 = ui.Timer();
    std::optional<int> last;
    bool reached = false;
    const core::Status s = run_to_break(
        c.app, b, [&] { return ui.Timer() - t0 < timeout; },
        [&](std::optional<int> pc) { last = pc; }, &reached);
    if (!s) return failed(c, s, "debug run-to");
    if (!reached)
        return failure("breakpoint not reached within " +
                       std::to_string(static_cast<int>(timeout)) + " s (the word at " +
                       hex("0x%04X", b) + " is restored)");
    Result r;
    r.add("breakpoint", hex("0x%04X", b), hex("0x%04X", b));
    r.add("pc", hex("0x%04X", b), hex("0x%04X", b));
    return r;
}

Result write(Context& c, const std::vector<std::string>& a) {
    const std::optional<int> v = a.size() >= 4 ? selector_by_name(a[2]) : std::nullopt;
    if (!v) return usage_error(kUsage);
    const bool acc = *v == WR_ACC0 || *v == WR_ACC1;
    int values[3] = {0, 0, 0};
    if (a.size() != (acc ? 6u : 4u))
        return usage_error(acc ? "usage: debug write ACCn S HI LO" : kUsage);
    for (std::size_t i = 3; i < a.size(); ++i)
        if (!word_arg(a[i], &values[acc ? i - 3 : 1])) return usage_error(kUsage);
    if (core::Status s = write_register(c.app, *v, values[0], values[1], values[2]); !s)
        return failed(c, s, "debug write");
    Result r;
    r.add("register", a[2], a[2]);
    r.add("value", hex_word(values[1]), hex_word(values[1]));
    return r;
}

Result debug(Context& c, const std::vector<std::string>& a) {
    if (a.size() < 2) return usage_error(kUsage);
    const std::string& what = a[1];
    const bool control = what == "halt" || what == "continue" || what == "step" || what == "reset";
    const bool known = control || what == "send" || what == "regs" || what == "dump" ||
                       what == "load" || what == "pc" || what == "run-to" || what == "write";
    if (!known || (control && a.size() != 2) || (what == "regs" && a.size() != 2))
        return usage_error(kUsage);
    int pc = 0;
    if (what == "pc" && (a.size() != 3 || !address_arg(a[2], &pc))) return usage_error(kUsage);
    if (std::optional<Result> unknown = unknown_names(a)) return *unknown;
    Result f;
    if (!ensure_connected(c, &f)) return f;
    if (control) return run_control(c, what);
    if (what == "send") return send(c, a);
    if (what == "regs") return regs(c);
    if (what == "dump") return dump(c, a);
    if (what == "load") return load(c, a);
    if (what == "run-to") return run_to(c, a);
    if (what == "write") return write(c, a);
    if (core::Status s = write_pc(c.app, pc); !s) return failed(c, s, "debug pc");
    Result r;
    r.add("pc", hex("0x%04X", pc), hex("0x%04X", pc));
    return r;
}

}  // namespace

void add_debug_commands() {
    commands()["debug"] = {"debug halt|continue|step|reset|send|regs|dump|load|pc|run-to|write ...",
                           "drive the DSP core's debugger (see the README)", debug};
}

}  // namespace cli

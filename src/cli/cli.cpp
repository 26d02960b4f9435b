#include "cli/cli.h"

#include <unistd.h>

#include <iostream>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string_view>

#include "analysis/readouts.h"
#include "cli/command.h"
#include "cli/command_line.h"
#include "cli/help.h"
#include "cli/interrupts.h"
#include "core/close_names.h"
#include "core/number_text.h"
#include "platform/clock/clock.h"
#include "platform/ui/headless_frontend.h"
#include "platform/usb/serial_filter.h"
#include "platform/usb/sim_bus.h"
#include "platform/usb/trace.h"
#include "recording/virtual_time_option.h"
#include "shell/app.h"
#include "shell/globals.h"
#include "shell/startup.h"

namespace cli {

namespace {

const char* const kUsageText =
    "usage: seisbench-cli [--simulate[=CODE]] [--device SERIAL] [--usb-id VID:PID] [--yes]\n"
    "                     [--json] [--script FILE] [--trace FILE]\n"
    "                     [--limits FILE] [--records URL | --no-records] COMMAND...\n"
    "       seisbench-cli --help | --version\n"
    "\n"
    "Drives the evaluation board without a window. Each COMMAND is one argument (quote it)\n"
    "or one line of the script file; they run in order and the first failure ends the run.\n"
    "Inside a command, quote a word that holds spaces ('data save \"my file.dat\"') or escape\n"
    "the space with a backslash. 'COMMAND --help' or 'help COMMAND' shows how it is called.\n"
    "\n"
    "  --simulate[=CODE]  use a simulated board (board code 0-255, default 4) instead of USB;\n"
    "                     codes other than 1-10 show as an unknown target\n"
    "  --device SERIAL    use the board with this serial number (see 'devices'); otherwise\n"
    "                     connect opens the last board listed\n"
    "  --usb-id VID:PID   also take USB devices with these hexadecimal ids for boards (the\n"
    "                     bridge's own 10c4:ea61 always counts); may be given more than once\n"
    "  --yes              answer yes to confirmations (otherwise they are answered no)\n"
    "  --json             print one JSON object per command on one line\n"
    "  --script FILE      read commands from FILE, one per line ('#' starts a comment)\n"
    "  --virtual-time[=UTC]\n"
    "                     with --simulate: run the simulated board on a virtual clock, so\n"
    "                     waits and captures take no real time (for scripts and tests); with\n"
    "                     UTC (e.g. 2026-12-08T10:00:00) the clock starts then, so recordings\n"
    "                     carry the same times every run\n"
    "  --trace FILE       append every USB call (open, close, flush, write, read) to FILE as\n"
    "                     JSON lines; 'trace show FILE' decodes it\n"
    "  --limits FILE      pass/fail limits (JSON) for the figures of 'analyze' and 'report'\n"
    "  --records URL      keep each judged run (analyze, report) in postgresql://HOST/DB\n"
    "                     (credentials from the libpq service or password file, or PG*\n"
    "                     variables; unreachable: kept locally and sent later) or in\n"
    "                     sqlite:FILE; default $XDG_DATA_HOME/seisbench/records.sqlite\n"
    "  --no-records       keep no record of the runs\n"
    "\n"
    "Numbers are decimal or 0x hexadecimal. Messages the system shows are printed on\n"
    "standard error as 'TITLE: TEXT'; lines for the standard-output window go to standard\n"
    "output (with --json into the command's \"output\" array).\n"
    "Exit status: 0 all commands succeeded, 1 one failed, 2 usage error (a limits file that does\n"
    "not parse or names an unknown figure too), 3 all commands succeeded but a figure failed its\n"
    "limit, 130 Ctrl-C (143 SIGTERM) stopped the run: a capture ends its stream and keeps the\n"
    "block held before; a second Ctrl-C ends the program at once.\n"
    "\n"
    "Commands:\n";

const std::string kOptionNames[] = {
    "--simulate", "--device", "--usb-id",  "--yes",          "--json",    "--script",    "--trace",
    "--limits",   "--help",   "--version", "--virtual-time", "--records", "--no-records"};

struct Options {
    int simulate = -1;  // board code of the simulated board, -1 for real USB
    bool yes = false;
    bool json = false;
    bool help = false;
    bool version = false;
    bool script = false;  // --script given, even if its file holds no command
    bool virtual_time = false;
    std::optional<std::int64_t> virtual_utc_us;  // when the virtual clock starts
    std::string trace;
    std::string device;
    std::vector<usb::UsbId> usb_ids;
    analysis::Limits limits;
    std::string records;
    bool no_records = false;
    std::vector<std::string> commands;
};

int parse_options(const std::vector<std::string>& args, Options* o, std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o->help = true;
        } else if (a == "--version") {
            o->version = true;
        } else if (a == "--yes") {
            o->yes = true;
        } else if (recording::is_virtual_time_option(a)) {
            if (!recording::virtual_time_start(a, &o->virtual_utc_us)) {
                err << "seisbench-cli: " << recording::kVirtualTimeRefused << "\n";
                return kUsage;
            }
            o->virtual_time = true;
        } else if (a == "--json") {
            o->json = true;
        } else if (core::is_simulate_option(a)) {
            const std::optional<int> code = core::simulated_board_code(a);
            if (!code) {
                err << "seisbench-cli: --simulate takes a board code 0..255\n";
                return kUsage;
            }
            o->simulate = *code;
        } else if (a == "--device") {
            if (++i == args.size() || args[i].empty()) {
                err << "seisbench-cli: --device needs a serial number\n";
                return kUsage;
            }
            o->device = args[i];
        } else if (a == "--usb-id") {
            const auto id = ++i < args.size() ? usb::parse_usb_id(args[i]) : std::nullopt;
            if (!id) {
                err << "seisbench-cli: --usb-id takes VID:PID in hexadecimal, e.g. 10c4:ea61\n";
                return kUsage;
            }
            o->usb_ids.push_back(*id);
        } else if (a == "--trace") {
            if (++i == args.size()) {
                err << "seisbench-cli: --trace needs a file\n";
                return kUsage;
            }
            o->trace = args[i];
        } else if (a == "--records") {
            if (++i == args.size() || args[i].empty()) {
                err << "seisbench-cli: --records needs a URL (postgresql://HOST/DB or "
                       "sqlite:FILE)\n";
                return kUsage;
            }
            o->records = args[i];
            if (!records::is_records_url(o->records)) {
                err << "seisbench-cli: --records takes postgresql://HOST/DB, sqlite:FILE or a "
                       "file ending in .sqlite\n";
                return kUsage;
            }
        } else if (a == "--no-records") {
            o->no_records = true;
        } else if (a == "--limits") {
            if (++i == args.size()) {
                err << "seisbench-cli: --limits needs a file\n";
                return kUsage;
            }
            const core::Status s =
                analysis::load_limits(args[i], analysis::known_figure, &o->limits);
            if (!s) {
                err << "seisbench-cli: " << s.text << "\n";
                return kUsage;
            }
        } else if (a == "--script") {
            if (++i == args.size()) {
                err << "seisbench-cli: --script needs a file\n";
                return kUsage;
            }
            o->script = true;
            if (std::string why; !read_script(args[i], o->commands, &why)) {
                err << "seisbench-cli: cannot open script " << args[i] << ": " << why << "\n";
                return kUsage;
            }
        } else if (a.rfind("--", 0) == 0) {
            const std::string hint = core::did_you_mean(a, kOptionNames);
            err << "seisbench-cli: unknown option " << a << (hint.empty() ? "" : "; " + hint)
                << "\n";
            return kUsage;
        } else {
            o->commands.push_back(a);
        }
    }
    return kOk;
}

}  // namespace

int run(const std::vector<std::string>& args, const std::string& resource_dir, std::ostream& out,
        std::ostream& err, const RealBus& real_bus, const std::string& user_dir) {
    add_all_commands();
    Options o;
    if (const int s = parse_options(args, &o, err); s != kOk) return s;
    if (o.help) {
        out << kUsageText;
        print_command_list(out);
        return kOk;
    }
    if (o.version) {
        out << "seisbench-cli " << shell::kVersion << "\n";
        return kOk;
    }
    if (o.commands.empty() && !o.script) {
        const std::string_view usage = kUsageText;
        err << usage.substr(0, usage.find("\n\n")) << "\n"
            << "seisbench-cli: no command given; 'seisbench-cli --help' lists them\n";
        return kUsage;
    }

    if (o.virtual_time && o.simulate < 0) {
        err << "seisbench-cli: --virtual-time needs --simulate\n";
        return kUsage;
    }
    platform::RealClock real_clock;
    platform::VirtualClock virtual_clock;
    if (o.virtual_utc_us) virtual_clock.set_utc(*o.virtual_utc_us);
    platform::Clock& clock = o.virtual_time ? static_cast<platform::Clock&>(virtual_clock)
                                            : static_cast<platform::Clock&>(real_clock);
    ui::HeadlessFrontend frontend;
    frontend.echo = &err;
    frontend.echo_output = false;  // printed with each command's result instead
    frontend.default_confirm = o.yes ? 1 : 0;
    usb::SimBus sim_bus(clock);
    simboard::SimBoard* sim = nullptr;
    if (o.simulate >= 0) {
        simboard::BoardConfig cfg;
        cfg.board_code = static_cast<std::uint8_t>(o.simulate);
        sim = &sim_bus.add_board(cfg);
    }
    std::unique_ptr<usb::Bus> real;
    if (o.simulate < 0 && real_bus) {
        real = real_bus(usb::board_ids(o.usb_ids), [&err](const std::string& text) {
            err << "seisbench-cli: " << text << "\n";
        });
    }
    usb::Bus* bus = real ? real.get() : &sim_bus;
    std::unique_ptr<usb::SerialFilter> chosen;
    if (!o.device.empty()) {
        chosen = std::make_unique<usb::SerialFilter>(*bus, o.device);
        bus = chosen.get();
    }
    std::unique_ptr<usb::Trace> trace;
    if (!o.trace.empty()) {
        trace = std::make_unique<usb::Trace>(o.trace, clock);
        if (!trace->good()) {
            err << "seisbench-cli: cannot write the trace " << o.trace << "\n";
            return kUsage;
        }
    }
    App app({clock, frontend, *bus, resource_dir});
    app.usb.set_trace(trace.get());
    app.analysis.limits = std::move(o.limits);
    app.records.set(o.records, o.no_records, records::records_dir());
    app.shell.userDir = user_dir;
    if (shell::startup(app) != 0) {
        err << "seisbench-cli: the panel resources in " << resource_dir << " cannot be loaded\n";
        return kFailed;
    }

    const InterruptGuard interrupts;
    app.port.stop_requested = [] { return interrupt_signal() != 0; };
    Context ctx{app, frontend, o.json, out, err, sim};
    ctx.progress_line = &err == &std::cerr && isatty(STDERR_FILENO);
    if (!o.json) {
        frontend.output = &out;
        ctx.output_streamed = true;
    }
    // A run whose trace was cut short failed, whatever its commands did: the trace is what
    // it was asked to leave.
    const auto trace_status = [&](int status) {
        if (!trace || trace->lost().empty()) return status;
        err << "seisbench-cli: the trace " << o.trace << " is incomplete: " << trace->lost()
            << "\n";
        return status == kOk || status == kLimitsFailed ? kFailed : status;
    };
    for (const std::string& line : o.commands) {
        const Result r = run_line(ctx, line);
        if (r.status != kOk) err << "seisbench-cli: " << line << ": " << r.error << "\n";
        if (const int signal = interrupt_signal()) {
            err << "seisbench-cli: interrupted\n";
            return trace_status(kInterrupted + signal);
        }
        if (r.status != kOk) return trace_status(r.status);
    }
    return trace_status(ctx.failed_verdicts > 0 ? kLimitsFailed : kOk);
}

}  // namespace cli

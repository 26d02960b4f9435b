// The desktop program: the whole system with the Qt front-end, its console, and scripted runs.
#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <iostream>
#include <memory>

#include "analysis/readouts.h"
#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/interrupts.h"
#include "core/user_files.h"
#include "platform/clock/clock.h"
#include "platform/ui/qt/console.h"
#include "platform/ui/qt/main_window.h"
#include "platform/ui/qt/qt_frontend.h"
#include "platform/ui/recording_frontend.h"
#include "platform/usb/libusb_host.h"
#include "platform/usb/serial_filter.h"
#include "platform/usb/sim_bus.h"
#include "platform/usb/trace.h"
#include "records/judged_run.h"
#include "seisbench/console_session.h"
#include "seisbench/launch.h"
#include "shell/app.h"
#include "shell/globals.h"
#include "shell/startup.h"

namespace {

const QSize kScreenshotSize(1280, 800);
// How often the program looks for a SIGINT or SIGTERM caught.
constexpr int kSignalPollMs = 100;

// 0 to go on; 1 to end with success (help, version printed); otherwise the exit status, after
// the usage or the error is printed.
int read_options(const std::vector<std::string>& args, seisbench::LaunchOptions& options) {
    std::string error;
    if (!seisbench::parse_launch_options(args, options, error)) {
        std::cerr << "seisbench: " << error << "\n" << seisbench::launch_usage();
        return 2;
    }
    if (options.show_help) {
        std::cout << seisbench::launch_usage();
        return 1;
    }
    if (options.show_version) {
        std::cout << "seisbench " << shell::kVersion << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Our own options are checked before the display is opened, so a typing error or --help
    // works without one; the rest is checked once Qt has taken out its own arguments.
    seisbench::LaunchOptions options;
    std::vector<std::string> ours;
    for (int i = 1; i < argc; ++i) {
        if (!seisbench::is_launch_option(argv[i])) continue;
        ours.emplace_back(argv[i]);
        if (seisbench::takes_value(argv[i]) && i + 1 < argc) ours.emplace_back(argv[++i]);
    }
    if (const int r = read_options(ours, options)) return r == 1 ? 0 : r;
    analysis::Limits limits;
    if (!options.limits.empty()) {
        const core::Status s =
            analysis::load_limits(options.limits, analysis::known_figure, &limits);
        if (!s) {
            std::cerr << "seisbench: " << s.text << "\n";
            return 2;
        }
    }
    std::vector<std::string> script;
    std::string why;
    if (!options.script.empty() && !cli::read_script(options.script, script, &why)) {
        std::cerr << "seisbench: cannot open script " << options.script << ": " << why << "\n";
        return cli::kUsage;
    }

    // Without any display Qt would abort; say so and where to turn instead.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM")) {
        std::cerr << "seisbench: no display to open (DISPLAY is not set); seisbench-cli does the "
                     "same work without one\n";
        return 1;
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("seisbench"));
    if (const int r = read_options({argv + 1, argv + argc}, options)) return r == 1 ? 0 : r;

    const std::string exe_dir = QCoreApplication::applicationDirPath().toStdString();
    const std::string resources = seisbench::find_resource_dir(exe_dir);
    if (resources.empty()) {
        std::cerr << "seisbench: the panel resources (main.uir) are neither beside the program "
                     "nor in its share/seisbench folder\n";
        return 1;
    }

    platform::RealClock real_clock;
    platform::VirtualClock virtual_clock;
    if (options.virtual_utc_us) virtual_clock.set_utc(*options.virtual_utc_us);
    platform::Clock& clock = options.virtual_time ? static_cast<platform::Clock&>(virtual_clock)
                                                  : static_cast<platform::Clock&>(real_clock);
    ui::qt::QtFrontend window;
    ui::RecordingFrontend frontend(window);
    usb::SimBus sim_bus(clock);
    simboard::SimBoard* sim = nullptr;
    std::unique_ptr<usb::Bus> real;
    if (options.simulate) {
        simboard::BoardConfig cfg;
        cfg.board_code = static_cast<std::uint8_t>(options.board_code);
        sim = &sim_bus.add_board(cfg);
    } else {
        // A problem the person can mend (a missing permission) is shown as it is met, before
        // the connection's own message.
        real = usb::make_libusb_bus(usb::board_ids(options.usb_ids),
                                    [&frontend](const std::string& text) {
                                        std::cerr << "seisbench: " << text << "\n";
                                        frontend.message("USB", text);
                                    });
    }
    usb::Bus* bus = real ? real.get() : &sim_bus;
    std::unique_ptr<usb::SerialFilter> chosen;
    if (!options.device.empty()) {
        chosen = std::make_unique<usb::SerialFilter>(*bus, options.device);
        bus = chosen.get();
    }
    std::unique_ptr<usb::Trace> trace;
    if (!options.trace.empty()) {
        trace = std::make_unique<usb::Trace>(options.trace, clock);
        if (!trace->good()) {
            std::cerr << "seisbench: cannot write the trace " << options.trace << "\n";
            return 1;
        }
    }
    App app({clock, frontend, *bus, resources});
    // SIGINT and SIGTERM end the program as closing the window and saying yes does: a capture
    // or a firmware update ends at its next step, then the loop ends.
    const cli::InterruptGuard interrupts;
    app.port.stop_requested = [&window] { return window.stop_asked(); };
    QTimer signal_watch;
    QObject::connect(&signal_watch, &QTimer::timeout, [&window] {
        if (cli::interrupt_signal() != 0) window.stop_and_quit();
    });
    signal_watch.start(kSignalPollMs);
    app.usb.set_trace(trace.get());
    app.analysis.limits = std::move(limits);
    const std::filesystem::path records_dir = records::records_dir();
    app.records.set(options.records.empty() ? records::saved_url(records_dir) : options.records,
                    options.no_records, records_dir);
    // Each test the panel shows on new data is a judged run.
    app.analysis.on_judged = [&app](int test) {
        const int channels = app.capture.NumberOfChannels;
        if (channels < 1 || channels > analysis::kChannels) return;
        app.records.keep(records::judged_run(app, {test}, channels, "panel"));
    };
    app.shell.userDir = core::user_dir_for(resources, exe_dir).string();
    if (shell::startup(app) < 0) return 1;

    seisbench::ConsoleSession session(app, frontend, sim);
    auto* main_window = static_cast<ui::qt::MainWindow*>(window.main_window());
    auto* console = new ui::qt::Console(
        [&session](const std::string& line, bool json) { return session.run(line, json); },
        cli::command_names());
    main_window->add_console(console);

    int script_status = cli::kOk;
    if (!options.script.empty() || !options.screenshot.empty() || options.quit) {
        // Once the loop runs, so the window is up and laid out.
        QTimer::singleShot(0, main_window, [&] {
            window.build_views();
            // Pictures for the documentation are taken at a common desktop size.
            if (!options.screenshot.empty()) {
                main_window->showNormal();
                main_window->resize(kScreenshotSize);
            }
            script_status = session.run_script(*console, script, options.yes);
            if (!options.screenshot.empty()) {
                QCoreApplication::processEvents();
                if (!main_window->save_screenshots(QString::fromStdString(options.screenshot))) {
                    std::cerr << "seisbench: cannot write the screenshots to " << options.screenshot
                              << "\n";
                    if (script_status == cli::kOk) script_status = cli::kFailed;
                }
            }
            if (options.quit) app.ui.QuitUserInterface(0);
        });
    }
    const int loop = app.ui.RunUserInterface();
    if (trace && !trace->lost().empty()) {
        std::cerr << "seisbench: the trace " << options.trace << " is incomplete: " << trace->lost()
                  << "\n";
        return cli::kFailed;
    }
    // As a shell reports a program a signal ended: 128 + its number.
    if (const int signal = cli::interrupt_signal()) return 128 + signal;
    return options.quit ? script_status : loop;
}

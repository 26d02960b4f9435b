// Command lines and scripts: read_script keeps every line that is not blank or a comment; a
// line run on a started system with a simulated board on the virtual clock returns
// a status (a usage error or a failure with its text, never an exception), prints one JSON
// object that agrees with it, and leaves the system able to run the next valid line.
//
// Lines run in a private working folder that is emptied for every input and is the user's
// data folder too; a line with a '/' in it is skipped, so no file is read or written outside
// that folder. Lines that break the
// simulated board on purpose (faults, power cycles, flashing) are skipped too.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/command.h"
#include "cli/command_line.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/clock/clock.h"
#include "platform/simboard/sim_board.h"
#include "platform/ui/headless_frontend.h"
#include "platform/usb/sim_bus.h"
#include "shell/app.h"
#include "shell/startup.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxLines = 8;
const char* const kValidLine = "reg read 0x21";

// A fresh, empty working folder of this process for one input. Leaving it goes back to the
// folder before, where libFuzzer reads and writes its corpus by relative paths.
class WorkFolder {
  public:
    WorkFolder() : before_(fs::current_path()) {
        std::error_code ec;
        fs::remove_all(path_, ec);
        fs::create_directories(path_);
        fs::current_path(path_);
    }
    ~WorkFolder() {
        fs::current_path(before_);
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const fs::path& path() const { return path_; }

  private:
    fs::path before_;
    fs::path path_ =
        fs::temp_directory_path() / ("seisbench-fuzz-cli-" + std::to_string(::getpid()));
};

std::vector<std::string> words_of(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

bool runnable(const std::string& line) {
    if (line.find('/') != std::string::npos) return false;
    const std::vector<std::string> w = words_of(line);
    if (w.size() >= 2 && w[0] == "sim" &&
        (w[1] == "fault" || w[1] == "power-cycle" || w[1] == "flash"))
        return false;
    return w.empty() || w[0] != "firmware";
}

// ctx.out is the stream `out`, which gathers the results of every line.
cli::Result run_checked(cli::Context& ctx, std::ostringstream& out, const std::string& line) {
    const std::size_t before = out.str().size();
    cli::Result r;
    try {
        r = cli::run_line(ctx, line);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "'%s' threw: %s\n", line.c_str(), e.what());
        FUZZ_CHECK(!"no exception escapes a command");
    }
    FUZZ_CHECK(r.status == cli::kOk || r.status == cli::kFailed || r.status == cli::kUsage);
    if (r.status != cli::kOk) FUZZ_CHECK(!r.error.empty());
    if (ctx.json && !words_of(line).empty()) {
        // One object on the result's last line, saying what the status says.
        const std::string text = out.str().substr(before);
        std::string last;
        std::istringstream lines(text);
        for (std::string l; std::getline(lines, l);) last = l;
        const auto j = nlohmann::json::parse(last, nullptr, false);
        FUZZ_CHECK(j.is_object());
        FUZZ_CHECK(j.value("ok", false) == (r.status == cli::kOk));
    }
    return r;
}

// One started system for the process: starting one costs a fifth of a second under the
// sanitizers, a hundred times a line's run. Lines that break the board are skipped, so every
// input finds it working.
struct System {
    explicit System(const WorkFolder& work) {
        FUZZ_CHECK(shell::startup(app) == 0);
        app.shell.userDir = (work.path() / "user").string();
    }
    platform::VirtualClock clock;
    ui::HeadlessFrontend frontend;
    usb::SimBus bus{clock};
    simboard::SimBoard& board = bus.add_board({});
    App app{{clock, frontend, bus, SEISBENCH_FUZZ_RESOURCE_DIR}};
    std::ostringstream out;
    cli::Context ctx{app, frontend, false, out, out, &board};
};

System& system_of(const WorkFolder& work) {
    static System system(work);
    return system;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const WorkFolder work;
    const fuzz::InputFile input(data, size, ".script");
    std::vector<std::string> lines;
    std::string why;
    FUZZ_CHECK(cli::read_script(input.path().string(), lines, &why));
    std::string text(fuzz::as_text(data, size));
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find('\n') == std::string::npos);
        const auto first = line.find_first_not_of(" \t");
        FUZZ_CHECK(first != std::string::npos && line[first] != '#');
        FUZZ_CHECK(text.find(line) != std::string::npos);
    }

    System& sys = system_of(work);
    cli::Context& ctx = sys.ctx;
    std::ostringstream& out = sys.out;
    // What earlier inputs printed or showed is not kept.
    out.str("");
    sys.frontend.popups.clear();
    sys.frontend.stdout_lines.clear();

    std::size_t ran = 0;
    for (const std::string& line : lines) {
        if (ran == kMaxLines) break;
        if (!runnable(line)) continue;
        ctx.json = ran % 2 == 1;
        run_checked(ctx, out, line);
        ++ran;
        FUZZ_CHECK(run_checked(ctx, out, kValidLine).status == cli::kOk);
    }
    return 0;
}

// Every file a person can hand the system, given as something that is not such a file: a
// folder, a FIFO nobody writes, an endless device, a file one byte past its format's bound and a
// cut copy of a good one. Each is refused with its name in the message, and nothing reaches the
// board. A reader that blocked or looped would hang this test.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "analysis/data_file.h"
#include "analysis/limits.h"
#include "boardlink/firmware/firmware_file.h"
#include "chip/files/mkboot_inputs.h"
#include "chip/files/read_items.h"
#include "chip/files/word_file.h"
#include "chipfiles/temp_dir.h"
#include "cli/command_line.h"
#include "debugtools/debugger/image_file.h"
#include "debugtools/eeprom_file.h"
#include "debugtools/ram_download.h"
#include "macros/files.h"
#include "mkboot/mkboot.h"
#include "support/cli_run.h"
#include "test_image.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;

enum class Bad { Folder, Fifo, Endless, OverBound, Cut };
constexpr Bad kAllBad[] = {Bad::Folder, Bad::Fifo, Bad::Endless, Bad::OverBound, Bad::Cut};

const char* bad_name(Bad b) {
    constexpr const char* names[] = {"folder", "FIFO", "/dev/zero", "over its bound", "cut"};
    return names[static_cast<int>(b)];
}

struct Reader {
    const char* name;
    // The arguments that hand it the file; the status a refusal ends the run with.
    std::function<std::vector<std::string>(const std::string& file)> args;
    int status;
    std::uintmax_t bound;
    std::string good;  // a good file whose cut copy must be refused; empty: a cut copy may pass
};

int writes_in(const std::string& trace) {
    std::ifstream in(trace);
    int n = 0;
    for (std::string line; std::getline(in, line);)
        n += line.find("\"op\":\"write\"") != std::string::npos;
    return n;
}

class BadInputs : public testing::Test {
  protected:
    // The file of the given kind for a reader, made in the test's folder.
    std::string make(Bad bad, const Reader& r) {
        const fs::path p = dir_.path(std::string("in-") + bad_name(bad)[0] + r.name);
        switch (bad) {
            case Bad::Folder:
                fs::create_directory(p);
                break;
            case Bad::Fifo:
                EXPECT_EQ(::mkfifo(p.c_str(), 0600), 0);
                break;
            case Bad::Endless:
                return "/dev/zero";
            case Bad::OverBound:
                dir_.write(p.filename().string(), "");
                fs::resize_file(p, r.bound + 1);
                break;
            case Bad::Cut: {
                // Cut inside a line halfway down, so the cut cannot fall between two records.
                const std::size_t half = r.good.rfind('\n', r.good.size() / 2);
                const std::size_t line = half == std::string::npos ? 0 : half + 1;
                dir_.write(p.filename().string(), r.good.substr(0, line + 5));
                break;
            }
        }
        return p.string();
    }

    std::string board_trace(const std::string& name) { return dir_.path(name + ".trace").string(); }

    // The writes a bare connect makes: all a refused command's run may make.
    int connect_writes() {
        const std::string trace = board_trace("connect");
        EXPECT_EQ(
            cli_run::run({"--simulate", "--virtual-time", "--trace", trace, "connect"}).status,
            cli::kOk);
        return writes_in(trace);
    }

    TempDir dir_;
};

// A board command run on the simulated board after a connect, its USB calls traced.
std::function<std::vector<std::string>(const std::string&)> on_board(
    const std::string& command, const std::string& trace, const std::string& after = "") {
    return [=](const std::string& file) {
        return std::vector<std::string>{"--simulate",
                                        "--virtual-time",
                                        "--yes",
                                        "--trace",
                                        trace,
                                        "connect",
                                        command + " " + file + after};
    };
}

TEST_F(BadInputs, EveryReaderRefusesWhatIsNoFileOfItsKindAndSendsNothing) {
    const std::string good_trace = board_trace("good");
    ASSERT_EQ(cli_run::run({"--simulate", "--virtual-time", "--trace", good_trace, "connect",
                            "configure --channels 1", "capture --samples 64",
                            "data save " + dir_.path("good.dat").string()})
                  .status,
              cli::kOk);
    const std::string data = dir_.read("good.dat");
    std::string trace_text = dir_.read("good.trace");
    const std::string firmware =
        test_firmware::firmware_text(test_firmware::image_bytes(4, boardlink::firmware::kImageEnd));
    const std::string pmg = dir_.write("good.pmg", "@ 3000 000001\n@ 3001 000002\n");
    const std::string limits = R"({"signal": {"S/N": {"min": 110}}})";
    const int connect_only = connect_writes();

    const std::string t = board_trace("reader");
    const std::uintmax_t word_bound =
        chip::detail::max_file_bytes(chip::word_capacity(chip::WordFileKind::Tbs));
    const Reader readers[] = {
        {"data", on_board("data load", t), cli::kFailed, analysis::kMaxDataFileBytes, data},
        {"fir", on_board("load fir", t), cli::kFailed,
         chip::detail::max_file_bytes(chip::word_capacity(chip::WordFileKind::Fir)), ""},
        {"tbs", on_board("load tbs", t), cli::kFailed, word_bound, ""},
        {"eeprom", on_board("eeprom write", t), cli::kFailed, debugtools::kMaxEepromFileBytes, ""},
        {"verify", on_board("eeprom verify", t), cli::kFailed, debugtools::kMaxEepromFileBytes, ""},
        {"firmware", on_board("firmware flash --file", t), cli::kFailed,
         boardlink::firmware::kMaxFileBytes, firmware},
        {"pmg", on_board("debug load pmg", t), cli::kFailed, debugger::kMaxImageBytes, ""},
        {"ram", on_board("ram load", t, " " + pmg), cli::kFailed, debugtools::kMaxMemoryImageBytes,
         ""},
        {"macro", on_board("macro run", t), cli::kFailed, macros::kMaxMacroFileBytes, ""},
        {"limits",
         [](const std::string& f) {
             return std::vector<std::string>{"--limits", f, "devices"};
         },
         cli::kUsage, analysis::kMaxLimitsFileBytes, limits},
        {"script",
         [](const std::string& f) {
             return std::vector<std::string>{"--script", f};
         },
         cli::kUsage, cli::kMaxScriptBytes, ""},
        {"trace", [](const std::string& f) { return std::vector<std::string>{"trace show " + f}; },
         cli::kFailed, 0, trace_text},
    };
    for (const Reader& r : readers) {
        for (Bad bad : kAllBad) {
            if ((bad == Bad::OverBound && r.bound == 0) || (bad == Bad::Cut && r.good.empty()))
                continue;
            const std::string file = make(bad, r);
            fs::remove(t);
            const cli_run::Outcome o = cli_run::run(r.args(file));
            const std::string what = std::string(r.name) + " given " + bad_name(bad);
            EXPECT_EQ(o.status, r.status) << what << ": " << o.err;
            EXPECT_NE(o.err.find(file), std::string::npos) << what << ": " << o.err;
            if (fs::exists(t)) EXPECT_EQ(writes_in(t), connect_only) << what << ": sent";
        }
    }
}

TEST_F(BadInputs, MkbootAndTheNamesFileRefuseThemAndWriteNothing) {
    const Reader ioreg{"ioreg", {}, 1, chip::detail::max_file_bytes(chip::kRegisterCapacity), ""};
    const Reader fir{"fir1", {}, 1, chip::detail::max_file_bytes(chip::kFirValueLimit), ""};
    const std::string good_ioreg = dir_.write("good.ioreg", "20 000431\n");
    const std::string good_fir = dir_.write("good.fir", "0.5\n");
    for (Bad bad : kAllBad) {
        if (bad == Bad::Cut) continue;
        for (int slot = 0; slot < 2; ++slot) {
            const std::string file = make(bad, slot == 0 ? ioreg : fir);
            const std::vector<std::string> args =
                slot == 0 ? std::vector<std::string>{file}
                          : std::vector<std::string>{good_ioreg, good_fir, file};
            std::ostringstream out;
            EXPECT_EQ(mkboot::run(args, dir_.path(), out), 1) << bad_name(bad);
            EXPECT_NE(out.str().find(file), std::string::npos) << out.str();
            EXPECT_FALSE(fs::exists(dir_.path(mkboot::kOutputName))) << bad_name(bad);
        }
        std::vector<std::string> names{"kept"};
        const Reader names_file{"names", {}, 0, macros::kMaxMacroFileBytes, ""};
        EXPECT_FALSE(macros::read_names(make(bad, names_file), &names)) << bad_name(bad);
        EXPECT_EQ(names, std::vector<std::string>{"kept"});
    }
}

TEST_F(BadInputs, FilesPastWhatTheTargetHoldsOrWithoutARecordAreRefusedBeforeSending) {
    std::string eeprom;
    for (int i = 0; i < debugtools::kEepromBytes + 1; ++i) eeprom += "5a\n";
    const std::string long_file = dir_.write("long.txt", eeprom);
    const std::string junk = dir_.write("junk.pmg", "\n\n");
    const std::string pmg = dir_.write("good.pmg", "@ 3000 000001\n");
    const struct {
        std::string command;
        const char* said;
    } cases[] = {
        {"eeprom write " + long_file, "line 65537 holds byte 65537, past the EEPROM's last"},
        {"ram load " + junk + " " + pmg, "holds no memory record"},
        {"ram load " + pmg + " " + junk, "holds no memory record"},
        {"debug load pmg " + junk, "holds no record"},
    };
    const int connect_only = connect_writes();
    const std::string t = board_trace("long");
    for (const auto& c : cases) {
        fs::remove(t);
        const cli_run::Outcome o = cli_run::run(on_board(c.command, t)(""));
        EXPECT_EQ(o.status, cli::kFailed) << c.command;
        EXPECT_NE(o.err.find(c.said), std::string::npos) << c.command << ": " << o.err;
        EXPECT_EQ(writes_in(t), connect_only) << c.command << ": sent";
    }
}

}  // namespace

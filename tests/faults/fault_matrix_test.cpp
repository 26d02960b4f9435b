// Every operation against every board fault that can hit it, on the simulated board and the
// virtual clock: the named message shows, the time spent stays within the limit, the next
// run without the fault succeeds, and nothing the program held is lost. The matrix is
// printed to the test log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "chipfiles/temp_dir.h"
#include "cli/cli.h"
#include "cli/command.h"
#include "cli/command_line.h"
#include "support/test_app.h"
#include "test_image.h"

namespace {

// The files operations read; they must come through every fault byte for byte.
struct Files {
    testing_support::TempDir dir;
    std::string eeprom = dir.write("boot.txt", "#\n7e\n01\n02\nff\n");
    std::string macro = dir.write("m.mac", "1 0 21 400000\n0 1 2E 000000\n");
    std::string firmware =
        dir.write("fw.thx", test_firmware::firmware_text(test_firmware::image_bytes(4, 0x400)));
    std::string program = dir.write("p.pmg", " 10 123456\n 11 654321\n");

    std::string expand(std::string line) const {
        for (const auto& [key, path] : {std::pair<std::string, std::string>{"EEPROM", eeprom},
                                        {"MACRO", macro},
                                        {"FIRMWARE", firmware},
                                        {"PMG", program}}) {
            if (const auto at = line.find(key); at != std::string::npos)
                line.replace(at, key.size(), path);
        }
        return line;
    }
    std::vector<std::string> contents() const {
        return {dir.read("boot.txt"), dir.read("m.mac"), dir.read("fw.thx")};
    }
};

// A connected system holding a captured block and a macro in the store.
struct Rig {
    Rig() : board(t.add_board(4)) {
        t.start();
        t.frontend.default_confirm = 1;
        for (const char* line :
             {"connect", "configure --rate 500 --channels 4", "capture --samples 1024"}) {
            EXPECT_EQ(run(line).status, cli::kOk) << line << ": " << err.str();
        }
        t->macros.store[1][0] = {1, 0, 0x21, 0x400000};
    }

    cli::Result run(const std::string& line) { return cli::run_line(context, files.expand(line)); }

    // What the program held, to be found unchanged after a fault.
    struct Held {
        std::vector<std::int32_t> block;
        int channels;
        std::array<macros::Table, macros::kInternalMacros> store;
        std::vector<std::string> files;
        bool operator==(const Held&) const = default;
    };
    Held held() {
        const auto& c = t->capture;
        return {std::vector<std::int32_t>(c.iarr.begin(), c.iarr.begin() + 4096),
                c.NumberOfChannels, t->macros.store, files.contents()};
    }

    testing_support::TestApp t;
    simboard::SimBoard& board;
    Files files;
    std::ostringstream out, err;
    cli::Context context{*t, t.frontend, false, out, err, &board};
};

struct Row {
    const char* operation;
    const char* command;
    const char* fault;    // ARGS of sim fault
    const char* message;  // in a popup or the failure; empty: the operation must succeed
    double limit_s;       // virtual time the faulty run may take
    // What the person does before trying again, as the message asks ("" for nothing).
    const char* recovery = "";
    // How the faulty run ends when it shows a message: a notice may come with success.
    int status = cli::kFailed;
};

const char* const kReconfigure = "configure --rate 500 --channels 4";

const Row kRows[] = {
    {"connect", "connect", "unplug", "Can't find a target board", 1},
    {"connect", "connect", "silent board-id", "Can't find a target board", 5},
    {"connect", "connect", "silent version", "Can't find a target board", 5},
    // The connection stays up so the person can look.
    {"connect", "connect", "chip-select", "Can't access registers", 1, "", cli::kOk},
    {"register read", "reg read 0x2E", "silent spi-read", "Time Out!", 5},
    {"register read", "reg read 0x2E", "wrong spi-read", "Incorrect Response!", 1},
    {"register read", "reg read 0x2E", "chip-select", "", 1},  // reads FFFFFF, as the bus does
    // The look for the board before each command finds it gone before any exchange.
    {"register read", "reg read 0x2E", "unplug", "any more", 0.1, "connect"},
    {"register write", "reg write 0x21 0x400000", "silent spi-write", "not acknowledged", 6},
    {"register write", "reg write 0x21 0x400000", "chip-select", "", 1},
    {"configure", kReconfigure, "silent spi-write", "No Response!", 6},
    {"capture", "capture --samples 4096", "stall 1000", "No Response!", 6, kReconfigure},
    {"capture", "capture --samples 4096", "silent capture", "Command out of Sync", 1, kReconfigure},
    {"capture", "capture --samples 4096", "rx-overrun", "doesn't respond to Capture", 6,
     kReconfigure},
    {"capture", "capture --samples 4096", "burst 333", "", 3},
    {"capture", "capture --samples 4096", "split", "", 3},
    {"capture", "capture --samples 4096", "unplug", "any more", 0.1,
     "connect; configure --rate 500 --channels 4"},
    {"EEPROM write", "eeprom write EEPROM", "eeprom-write", "Error Programming", 40},
    {"EEPROM write", "eeprom write EEPROM", "eeprom-unanswered wren", "Error enabling EEPROM", 6},
    {"EEPROM write", "eeprom write EEPROM", "eeprom-unanswered write", "Error programming", 6},
    {"EEPROM verify", "eeprom verify EEPROM", "eeprom-misread 1", "", 1},  // read twice
    {"EEPROM verify", "eeprom verify EEPROM", "eeprom-unanswered read", "Time Out!", 5},
    {"firmware update", "firmware flash --file FIRMWARE", "flash", "Error while erasing a page", 1},
    {"firmware update", "firmware flash --file FIRMWARE", "flash-data-silent",
     "No return from target board", 21},
    // The stray failure reply is not taken for the answer: programming succeeds.
    {"firmware update", "firmware flash --file FIRMWARE", "flash-data-stray-reply", "", 3,
     "sim power-cycle"},
    {"firmware update", "firmware flash --file FIRMWARE", "silent update",
     "Incorrect response from target board", 6},
    {"macro run", "macro run MACRO", "silent spi-read", "Time Out!", 5},
    {"macro run", "macro run MACRO", "chip-select", "", 1},
    {"debugger command", "debug halt", "debug-err 1", "Debugger set ERR bit in CMD word.", 1},
    {"debugger command", "debug halt", "debug-stuck", "Debugger failed to clear e2dreq bit.", 3},
    {"debugger command", "debug regs", "debug-echo", "Error reading back debugger command.", 1},
    {"debugger command", "debug regs", "silent spi-read", "Time Out!", 5},
    {"debugger download", "debug load pmg PMG", "silent spi-read", "Time Out!", 5},
    {"debugger download", "debug load pmg PMG", "debug-err 10", "ERR bit", 1},
    {"debugger run-to", "debug run-to 0x20", "silent spi-read", "Time Out!", 5, "debug reset"},
};

TEST(FaultMatrix, EveryFaultIsNamedBoundedRecoveredAndLosesNothing) {
    std::ostringstream table;
    table
        << "operation        | fault                    | shown                                    "
           "| time s | next run | held\n";
    for (const Row& row : kRows) {
        SCOPED_TRACE(std::string(row.operation) + " x " + row.fault);
        Rig rig;
        // The EEPROM verify rows compare against what a clean write left.
        if (std::string(row.command).rfind("eeprom verify", 0) == 0) {
            ASSERT_EQ(rig.run("eeprom write EEPROM").status, cli::kOk);
        }
        // A connect is tried from the toggle switched off.
        if (std::string(row.command) == "connect") rig.run("disconnect");
        const Rig::Held before = rig.held();
        ASSERT_EQ(rig.run(std::string("sim fault ") + row.fault).status, cli::kOk);
        const std::size_t popups = rig.t.frontend.popups.size();
        const double t0 = rig.t.clock.now();
        const cli::Result faulty = rig.run(row.command);
        // A failed operation leaves everything as it was, the captured block included.
        const bool kept_through_fault = faulty.status == cli::kOk || rig.held() == before;
        const double spent = rig.t.clock.now() - t0;
        std::string shown;
        int shown_with_message = 0;  // every failure is shown once
        for (std::size_t i = popups; i < rig.t.frontend.popups.size(); ++i) {
            const auto& p = rig.t.frontend.popups[i];
            if (p.title == "Confirm") continue;
            shown += p.title + ": " + p.text + " | ";
            shown_with_message +=
                *row.message && (p.title + p.text).find(row.message) != std::string::npos;
        }
        EXPECT_LE(shown_with_message, 1) << shown;
        shown += faulty.error;
        const bool named = *row.message ? faulty.status == row.status &&
                                              shown.find(row.message) != std::string::npos
                                        : faulty.status == cli::kOk;
        EXPECT_TRUE(named) << "status " << faulty.status << ", shown: " << shown;
        EXPECT_LE(spent, row.limit_s);
        ASSERT_EQ(rig.run("sim fault clear").status, cli::kOk);
        std::istringstream recovery(row.recovery);
        for (std::string step; std::getline(recovery, step, ';');) {
            if (!step.empty()) {
                ASSERT_EQ(rig.run(step.substr(step[0] == ' ')).status, cli::kOk);
            }
        }
        const cli::Result next = rig.run(row.command);
        EXPECT_EQ(next.status, cli::kOk) << next.error;
        // A capture that succeeds replaces the block; files and macros survive everything.
        const Rig::Held after = rig.held();
        const bool kept =
            kept_through_fault && after.files == before.files && after.store == before.store;
        EXPECT_TRUE(kept);
        std::replace(shown.begin(), shown.end(), '\n', ' ');
        char line[400];
        std::snprintf(line, sizeof line, "%-16s | %-24s | %-60.60s | %6.2f | %-8s | %s\n",
                      row.operation, row.fault, shown.empty() ? "-" : shown.c_str(), spent,
                      next.status == cli::kOk ? "ok" : "FAILED", kept ? "kept" : "LOST");
        table << line;
    }
    std::printf("%s", table.str().c_str());
}

}  // namespace

// What a person typing commands expects: help for each command, hints for near misses, quoted
// paths, files checked before questions, and where a cancelled capture stopped.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "chipfiles/temp_dir.h"
#include "cli/cli.h"
#include "cli/command.h"
#include "cli/command_line.h"
#include "platform/simboard/sim_board.h"
#include "support/cli_run.h"
#include "support/test_app.h"

using cli_run::Outcome;
using cli_run::run;

TEST(CliHabits, EveryCommandAnswersHelpWithoutRunning) {
    cli::add_all_commands();
    // No board is attached: a command that ran would fail to connect.
    for (const auto& [name, info] : cli::commands()) {
        for (const char* flag : {"--help", "-h"}) {
            const Outcome r = run({name + " " + flag});
            EXPECT_EQ(r.status, cli::kOk) << name << " " << flag << ": " << r.err;
            EXPECT_EQ(r.out, "usage: " + info.usage + "\n" + info.help + "\n") << name;
            EXPECT_EQ(r.err, "") << name;
        }
    }
    const Outcome deep = run({"--json", "reg read --help"});
    ASSERT_EQ(deep.status, cli::kOk) << deep.err;
    EXPECT_EQ(nlohmann::json::parse(deep.out)["usage"], cli::commands().at("reg").usage);
    EXPECT_EQ(run({"help configure"}).out, run({"configure --help"}).out);
    EXPECT_NE(run({"help"}).out.find("  " + cli::commands().at("capture").usage),
              std::string::npos);
}

TEST(CliHabits, MistakesAreNamedWithTheNamesCloseToThem) {
    const struct {
        std::vector<std::string> args;
        const char* said;  // a part of standard error
    } cases[] = {
        {{"conect"}, "unknown command 'conect'; did you mean 'connect'?"},
        {{"conect --help"}, "did you mean 'connect'?"},
        {{"frobnicate"}, "unknown command 'frobnicate' ('help' lists them)"},
        {{"help frobnicate"}, "unknown command 'frobnicate'"},
        {{"--simulat"}, "unknown option --simulat; did you mean '--simulate'?"},
        {{"configure --rat 500"}, "unknown option --rat; did you mean '--rate'?"},
        {{"gainoffset write --gain 1"}, "did you mean '--gain1', '--gain2', '--gain3' or"},
        {{"capture --sample 64"}, "unknown option --sample; did you mean '--samples'?"},
        {{"analyze --tset signal"}, "unknown option --tset; did you mean '--test'?"},
        {{"reg read FOO"}, "unknown register 'FOO' (ADDR 0..0x2F or a name such as VERSION)"},
        {{"reg read VERSON"}, "unknown register 'VERSON'; did you mean 'VERSION'?"},
        {{"reg write GAIN 1"}, "did you mean 'GAIN1', 'GAIN2', 'GAIN3' or 'GAIN4'?"},
        {{"reg read 0x30"}, "usage: reg read ADDR"},
        {{"debug write ACC2 0 0 0"}, "unknown register 'ACC2'; did you mean 'ACC0' or 'ACC1'?"},
        {{"debug send HLAT"}, "unknown debugger command 'HLAT'; did you mean 'HALT'?"},
        {{"--simulate", "sim fault unplugd"}, "unknown fault 'unplugd'; did you mean 'unplug'?"},
        {{"data save \"my file.dat"}, "the quote \" is not closed"},
        {{"data save my\\"}, "the line ends in a backslash"},
    };
    for (const auto& c : cases) {
        const Outcome r = run(c.args);
        EXPECT_EQ(r.status, cli::kUsage) << c.args.back();
        EXPECT_NE(r.err.find(c.said), std::string::npos) << c.args.back() << "\n" << r.err;
        EXPECT_EQ(r.err.find("Notice:"), std::string::npos) << "board touched: " << c.args.back();
    }
}

TEST(CliHabits, AQuotedPathWithSpacesIsOneWord) {
    testing_support::TempDir dir;
    const std::string base = dir.path().string();
    for (const std::string& line :
         {"sim flash '" + base + "/my file.bin'", "sim flash \"" + base + "/my file.bin\"",
          "sim flash " + base + "/my\\ file.bin"}) {
        std::filesystem::remove(dir.path("my file.bin"));
        const Outcome r = run({"--simulate", "--virtual-time", line});
        EXPECT_EQ(r.status, cli::kOk) << line << "\n" << r.err;
        EXPECT_TRUE(std::filesystem::exists(dir.path("my file.bin"))) << line;
    }
}

TEST(CliHabits, AnInputFileIsCheckedBeforeTheQuestion) {
    testing_support::TempDir dir;
    std::filesystem::create_directory(dir.path("folder"));
    const std::string missing = dir.path("missing.bin").string();
    const std::string folder = dir.path("folder").string();
    const struct {
        std::string command;
        std::string said;
    } cases[] = {
        {"firmware flash --file " + missing, "cannot read " + missing + ": no such file"},
        {"firmware flash --file " + folder, "cannot read " + folder + ": it is a folder"},
        {"firmware flash --file /dev/null", "cannot read /dev/null: it is not a regular file"},
    };
    for (const auto& c : cases) {
        const Outcome r = run({"--simulate", "--virtual-time", "--yes", "--json", c.command});
        EXPECT_EQ(r.status, cli::kFailed) << c.command;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << c.command << "\n" << r.err;
        EXPECT_EQ(r.err.find("Confirm"), std::string::npos) << "asked first: " << c.command;
        EXPECT_EQ(nlohmann::json::parse(r.out)["fault"], "bad_input") << r.out;
    }
    // The external macro's own file is checked the same way.
    const std::string res = testing_support::copy_resources_to_temp();
    std::filesystem::remove(std::filesystem::path(res) / "macros" / "M3.mac");
    const Outcome r = run({"--simulate", "--virtual-time", "--yes", "macro ext 3"}, res);
    EXPECT_EQ(r.status, cli::kFailed);
    EXPECT_NE(r.err.find("M3.mac: no such file"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Run External Macro"), std::string::npos) << r.err;
    std::filesystem::remove_all(res);
}

namespace {

// A simulated board driven line by line, as the desktop program's console drives it.
struct Console {
    Console() : board(t.add_board(4)) { t.start(); }
    cli::Result run(const std::string& line) { return cli::run_line(ctx, line); }

    testing_support::TestApp t;
    simboard::SimBoard& board;
    std::ostringstream out, err;
    cli::Context ctx{*t, t.frontend, true, out, err, &board};
};

}  // namespace

TEST(CliHabits, EachQuestionIsAskedOnce) {
    Console c;
    testing_support::TempDir dir;
    const std::string firmware = dir.write("fw.thx", "any");
    for (const std::string& line :
         {std::string("macro ext 1"), std::string("reset"), std::string("debug reset"),
          "firmware flash --file " + firmware}) {
        c.t.frontend.popups.clear();
        EXPECT_EQ(c.run(line).status, cli::kFailed) << line;  // answered no
        ASSERT_EQ(c.t.frontend.popups.size(), 1u) << line;
        EXPECT_EQ(c.t.frontend.popups[0].kind, ui::Popup::Confirm) << line;
    }
}

TEST(CliHabits, ACancelledAverageSaysAtWhichBlockItStopped) {
    Console console;
    testing_support::TestApp& t = console.t;
    ASSERT_EQ(console.run("configure --rate 500 --channels 1").status, cli::kOk);
    const struct {
        int average, stop_in_block;
        const char* error;
    } cases[] = {
        {4, 2, "capture failed: Capture cancelled at block 2 of 4."},
        {4, 4, "capture failed: Capture cancelled at block 4 of 4."},
        {0, 1, "capture failed: Capture cancelled."},
        {1, 1, "capture failed: Capture cancelled."},
    };
    for (const auto& c : cases) {
        t->port.stop_requested = [&] { return t->capture.progress.block == c.stop_in_block; };
        const cli::Result r =
            console.run("capture --samples 256 --average " + std::to_string(c.average));
        t->port.stop_requested = nullptr;
        EXPECT_EQ(r.status, cli::kFailed) << c.error;
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.data["fault"], "cancelled") << c.error;
        EXPECT_EQ(r.data["step"], "block " + std::to_string(c.stop_in_block) + ": stream");
    }
}

// seisbench-cli as a script or a person drives it: exit statuses, output formats, scripts.
// Runs that reach a simulated board pay its real settle delays, so they are few and batched.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "cli/cli.h"
#include "cli/command.h"
#include "support/cli_run.h"

namespace {

using cli_run::Outcome;
using cli_run::run;

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// A script file that disappears with the test.
struct ScriptFile {
    explicit ScriptFile(const std::string& text) {
        std::random_device rd;
        path = std::filesystem::temp_directory_path() /
               ("seisbench-cli-" + std::to_string(rd()) + ".txt");
        std::ofstream(path) << text;
    }
    ~ScriptFile() { std::filesystem::remove(path); }
    std::filesystem::path path;
};

const char* const kNoBoardLine =
    "Notice: Can't find a target board. Please check connection \n If connection is good, "
    "Please cycle the power to the board\n";

}  // namespace

TEST(Cli, UsageErrorsExitWithTwoBeforeTouchingTheBoard) {
    // No board is attached: a usage error must be found before any attempt to connect.
    const std::vector<std::vector<std::string>> cases = {
        {"--frobnicate"},
        {"--virtual-time", "connect"},
        {"--simulate", "--virtual-time=2026-13-01T00:00:00", "connect"},
        {"--simulate=x"},
        {"--script"},
        {"--script", "/nonexistent/seisbench-script"},
        {"frobnicate"},
        {"reg"},
        {"reg read"},
        {"reg read 0x3G"},
        {"reg read 0x30"},
        {"reg read 0x+5"},
        {"reg read -1"},
        {"reg read NOSUCHREG"},
        {"reg write 0x21"},
        {"reg write 0x21 0x1000000"},
        {"reg write 0x21 12abc"},
        {"cmd"},
        {"cmd 0x1000000"},
        {"cmd 1 2 3 4"},
        {"port read 3 2"},
        {"port read 0x20"},
        {"port write 3 1 2"},
        {"connect now"},
    };
    for (const auto& args : cases) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, cli::kUsage) << args.back() << "\n" << r.err;
        EXPECT_FALSE(r.err.empty()) << args.back();
        EXPECT_EQ(r.err.find("Notice:"), std::string::npos) << args.back();
        EXPECT_TRUE(r.out.empty()) << args.back();
    }
    EXPECT_NE(run({"--frobnicate"}).err.find("unknown option --frobnicate"), std::string::npos);
    EXPECT_NE(run({"frobnicate"}).err.find("unknown command 'frobnicate'"), std::string::npos);

    // With --json an unknown command gets its object like any failed one, and ends the run.
    const Outcome unknown = run({"--json", "frobnicate", "connect"});
    EXPECT_EQ(unknown.status, cli::kUsage);
    ASSERT_EQ(lines_of(unknown.out).size(), 1u) << unknown.out;
    EXPECT_EQ(nlohmann::json::parse(unknown.out)["command"], "frobnicate");
    EXPECT_EQ(nlohmann::json::parse(unknown.out)["ok"], false);
    EXPECT_EQ(unknown.err.find("Notice:"), std::string::npos);

    // A byte that is not UTF-8 still gives an object, with U+FFFD in its place.
    const Outcome odd = run({"--json", "frob\xFF"});
    EXPECT_EQ(odd.status, cli::kUsage);
    EXPECT_EQ(nlohmann::json::parse(odd.out)["command"], "frob\xEF\xBF\xBD");
}

TEST(Cli, HelpAndVersionSucceedAndNoCommandIsAUsageError) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, cli::kOk);
    EXPECT_NE(help.out.find("usage: seisbench-cli"), std::string::npos);
    EXPECT_NE(help.out.find("reg read ADDR"), std::string::npos);
    // Every synopsis stands apart from its description: two spaces or a line of its own.
    for (const auto& [name, info] : cli::commands()) {
        const auto at = help.out.find("\n  " + info.usage);
        ASSERT_NE(at, std::string::npos) << name;
        const std::string after = help.out.substr(at + 3 + info.usage.size(), 2);
        EXPECT_TRUE(after == "  " || after[0] == '\n') << name << ": '" << after << "'";
    }
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.status, cli::kOk);
    EXPECT_EQ(version.out.rfind("seisbench-cli ", 0), 0u) << version.out;
    // Nothing to do is a mistake to say, not a silent success; an empty script is not.
    for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"--json"}}) {
        const Outcome none = run(args);
        EXPECT_EQ(none.status, cli::kUsage);
        EXPECT_NE(none.err.find("usage: seisbench-cli"), std::string::npos) << none.err;
        EXPECT_NE(none.err.find("--help"), std::string::npos) << none.err;
    }
    const ScriptFile empty("# nothing\n");
    EXPECT_EQ(run({"--script", empty.path.string()}).status, cli::kOk);
}

TEST(Cli, FailedConnectExitsWithOneAndPrintsThePopup) {
    const Outcome r = run({"connect"});
    EXPECT_EQ(r.status, cli::kFailed);
    EXPECT_NE(r.err.find(kNoBoardLine), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());

    // Board commands connect first, and fail the same way.
    const Outcome reg = run({"reg read 0x2E"});
    EXPECT_EQ(reg.status, cli::kFailed);
    EXPECT_NE(reg.err.find(kNoBoardLine), std::string::npos) << reg.err;

    const Outcome json = run({"--json", "connect"});
    EXPECT_EQ(json.status, cli::kFailed);
    const auto lines = lines_of(json.out);
    ASSERT_EQ(lines.size(), 1u);
    const auto j = nlohmann::json::parse(lines[0]);
    EXPECT_EQ(j["command"], "connect");
    EXPECT_EQ(j["ok"], false);
    EXPECT_TRUE(j.contains("error"));
}

TEST(Cli, ABoardThatBrownedOutIsLostAndConnectsAgainAtOnce) {
    // The power cycle leaves the board listed, but as a new device the old handle cannot reach.
    const std::vector<std::string> sim = {"--simulate", "--virtual-time"};
    auto with = [&](std::vector<std::string> commands) {
        commands.insert(commands.begin(), sim.begin(), sim.end());
        return run(commands);
    };
    const Outcome lost = with({"connect", "sim power-cycle", "reg read VERSION"});
    EXPECT_EQ(lost.status, cli::kFailed);
    EXPECT_NE(lost.err.find("Can't find the target board any more"), std::string::npos) << lost.err;
    const Outcome again =
        with({"--json", "connect", "sim power-cycle", "connect", "reg read VERSION"});
    EXPECT_EQ(again.status, cli::kOk) << again.err;
    const auto lines = lines_of(again.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(nlohmann::json::parse(lines[3])["ok"], true);
}

TEST(Cli, JsonPrintsOneObjectPerCommandOnOneLine) {
    const Outcome r = run({"--simulate", "--virtual-time", "--json", "connect", "reg read VERSION",
                           "reg write GAIN2 0xabcdef", "port read 3 3", "cmd 2 0x2E"});
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    const auto lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 5u) << r.out;
    std::vector<nlohmann::json> js;
    for (const auto& line : lines) {
        js.push_back(nlohmann::json::parse(line));
        ASSERT_TRUE(js.back().is_object()) << line;
        EXPECT_EQ(js.back()["ok"], true) << line;
    }
    EXPECT_EQ(js[0]["command"], "connect");
    EXPECT_EQ(js[0]["board"], "EVK4810 RevC");
    EXPECT_EQ(js[0]["code"], 4);
    EXPECT_EQ(js[0]["firmware"], "V2.4");
    EXPECT_EQ(js[1]["command"], "reg");
    EXPECT_EQ(js[1]["address"], "0x2E");
    EXPECT_EQ(js[1]["value"], "0x760110");
    EXPECT_EQ(js[2]["address"], "0x22");
    EXPECT_EQ(js[2]["value"], "0xABCDEF");
    EXPECT_EQ(js[3]["command"], "port");
    // The register write left WR_DFREG, the address and the value in the port.
    EXPECT_EQ(js[3]["words"], (nlohmann::json{"0x000001", "0x000022", "0xABCDEF"}));
    EXPECT_EQ(js[4]["command"], "cmd");
    EXPECT_EQ(js[4]["result1"], "0x760110");
    EXPECT_EQ(js[4]["result2"], "0x000000");
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST(Cli, ScriptRunsItsLinesSkipsCommentsAndConnectsByItself) {
    ScriptFile script(
        "# bring-up of a single-channel board\n"
        "\n"
        "   # an indented comment\n"
        "reg write GAIN1 0xabcdef\r\n"
        "reg read GAIN1\n"
        "port read 0x06\n");
    const Outcome r = run({"--simulate=2", "--virtual-time", "--script", script.path.string()});
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    const auto lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 6u) << r.out;
    // Upper-case hexadecimal words of six digits, labels aligned.
    EXPECT_EQ(lines, (std::vector<std::string>{"address: 0x21", "value:   0xABCDEF",
                                               "address: 0x21", "value:   0xABCDEF",
                                               "address: 0x06", "words:   0xABCDEF"}));

    // The first failing line ends the run; what follows never runs.
    ScriptFile bad("reg read 0x2E0\nconnect\n");
    const Outcome b = run({"--simulate", "--virtual-time", "--script", bad.path.string()});
    EXPECT_EQ(b.status, cli::kUsage);
    EXPECT_TRUE(b.out.empty());
}

TEST(Cli, ResetIsConfirmedOnlyWithYes) {
    const Outcome no = run({"--simulate", "--virtual-time", "reset"});
    EXPECT_EQ(no.status, cli::kFailed);
    EXPECT_NE(no.err.find("Confirm: Do you want to reset the target board?\n"), std::string::npos)
        << no.err;
    EXPECT_TRUE(no.out.empty());

    const Outcome yes =
        run({"--simulate", "--virtual-time", "--yes", "--json", "reset", "disconnect"});
    ASSERT_EQ(yes.status, cli::kOk) << yes.err;
    const auto lines = lines_of(yes.out);
    ASSERT_EQ(lines.size(), 2u) << yes.out;
    EXPECT_EQ(nlohmann::json::parse(lines[0]),
              (nlohmann::json{{"command", "reset"}, {"ok", true}, {"reset", true}}));
    EXPECT_EQ(nlohmann::json::parse(lines[1]),
              (nlohmann::json{{"command", "disconnect"}, {"ok", true}, {"connected", false}}));
}

TEST(Cli, DevicesListsBoardsAndDeviceChoosesOne) {
    const struct {
        std::vector<std::string> args;
        int status;
        const char* out;  // a part of standard output
        bool no_board;    // the Part's message on standard error
    } cases[] = {
        {{"devices"}, 0, "devices: none\n", false},
        {{"--json", "devices"}, 0, "{\"command\":\"devices\",\"ok\":true,\"devices\":[]}", false},
        {{"--simulate", "--virtual-time", "devices"}, 0, "0: SB0000001  10c4:ea61\n", false},
        {{"--simulate", "--virtual-time", "--json", "devices"},
         0,
         "\"devices\":[{\"index\":0,\"serial\":\"SB0000001\",\"id\":\"10c4:ea61\"}]",
         false},
        {{"--simulate", "--virtual-time", "--device", "SB0000001", "connect"},
         0,
         "board:    EVK4810 RevC",
         false},
        {{"--simulate", "--virtual-time", "--device", "OTHER", "devices"}, 0, "none", false},
        {{"--simulate", "--virtual-time", "--device", "OTHER", "connect"}, 1, "", true},
        {{"connect"}, 1, "", true},
    };
    for (const auto& c : cases) {
        const Outcome r = run(c.args);
        const std::string what = ::testing::PrintToString(c.args);
        EXPECT_EQ(r.status, c.status) << what << r.err;
        EXPECT_NE(r.out.find(c.out), std::string::npos) << what << r.out;
        EXPECT_EQ(r.err.find(kNoBoardLine) != std::string::npos, c.no_board) << what << r.err;
    }
    for (const auto& bad :
         std::vector<std::vector<std::string>>{{"--device"}, {"--usb-id", "10c4"}, {"--usb-id"}})
        EXPECT_EQ(run(bad).status, cli::kUsage) << bad[0];
}

TEST(Cli, RealBusGetsTheBridgeIdAndTheAddedOnes) {
    std::vector<usb::UsbId> asked;
    bool made = false;
    const cli::RealBus maker = [&](const std::vector<usb::UsbId>& ids, usb::Notice notice) {
        asked = ids;
        made = true;
        notice("No permission to open the USB device");
        return std::unique_ptr<usb::Bus>();
    };
    std::ostringstream out, err;
    EXPECT_EQ(cli::run({"--usb-id", "1234:5678", "devices"}, SEISBENCH_TEST_RESOURCE_DIR, out, err,
                       maker),
              cli::kOk);
    EXPECT_EQ(asked, (std::vector<usb::UsbId>{usb::kBridgeId, {0x1234, 0x5678}}));
    EXPECT_EQ(err.str(), "seisbench-cli: No permission to open the USB device\n");
    made = false;
    EXPECT_EQ(cli::run({"--simulate", "--virtual-time", "devices"}, SEISBENCH_TEST_RESOURCE_DIR,
                       out, err, maker),
              cli::kOk);
    EXPECT_FALSE(made);  // a simulated run never touches USB
}

// An infinite figure (S/D with no harmonic counted, S/N of a channel without signal) is no
// number a script can use: null in JSON, "-" for people, never a string in a number's place.
TEST(Cli, FiguresThatAreNoNumberPrintAsMissing) {
    const std::vector<std::string> job = {"--simulate", "--virtual-time",
                                          "configure --rate 4000 --channels 4",
                                          "capture --samples 16384", "analyze --test signal"};
    std::vector<std::string> json_job = job;
    json_job.insert(json_job.begin() + 2, "--json");
    const Outcome j = run(json_job);
    ASSERT_EQ(j.status, cli::kOk) << j.err;
    const auto analyzed = nlohmann::json::parse(lines_of(j.out).back());
    int missing = 0;
    for (const auto& ch : analyzed["channels"]) {
        for (const auto& [name, value] : ch["stats"].items()) {
            EXPECT_TRUE(value.is_number() || value.is_null()) << name << ": " << value;
            missing += value.is_null();
        }
    }
    EXPECT_TRUE(analyzed["channels"][0]["stats"]["S/D"].is_null());
    EXPECT_TRUE(analyzed["channels"][2]["stats"]["S/N"].is_null());
    EXPECT_GT(missing, 0);

    const Outcome t = run(job);
    ASSERT_EQ(t.status, cli::kOk) << t.err;
    bool sd_missing = false;
    for (const std::string& line : lines_of(t.out)) {
        EXPECT_EQ(line.find("inf"), std::string::npos) << line;
        if (line.rfind("channel 1 S/D:", 0) == 0) sd_missing = line.back() == '-';
    }
    EXPECT_TRUE(sd_missing) << t.out;
}

// A trace that cannot be written whole fails the run, even when every command succeeded.
TEST(Cli, ATraceCutShortByAFullDiskFailsTheRun) {
    const Outcome r = run({"--simulate", "--virtual-time", "--trace", "/dev/full", "connect"});
    EXPECT_EQ(r.status, cli::kFailed);
    EXPECT_NE(r.err.find("the trace /dev/full is incomplete: No space left on device"),
              std::string::npos)
        << r.err;
}

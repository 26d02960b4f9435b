// The command line's configure and gainoffset commands.
#include <gtest/gtest.h>

#include <sstream>

#include "chip/registers.h"
#include "cli/analysis_commands.h"
#include "cli/board_commands.h"
#include "cli/capture_commands.h"
#include "cli/cli.h"
#include "cli/command.h"
#include "cli/config_commands.h"
#include "cli/sim_commands.h"
#include "config_rig.h"

namespace config_test {
namespace {

using Ops = std::vector<std::string>;

const char* const kRates =
    "1, 5, 10, 20, 25, 40, 50, 100, 125, 200, 250, 333, 500, 1000, 2000, 4000";

// A command run against the rig's board on the virtual clock, as seisbench-cli runs it.
struct CliOnRig {
    Rig& rig;
    std::ostringstream out, err;
    cli::Context ctx{*rig.app, rig.frontend, false, out, err, rig.board};

    explicit CliOnRig(Rig& r) : rig(r) {
        if (cli::commands().empty()) {
            cli::add_board_commands();
            cli::add_config_commands();
            cli::add_sim_commands();
            cli::add_capture_commands();
            cli::add_analysis_commands();
        }
    }
    cli::Result run(const std::string& line) {
        std::istringstream in(line);
        std::vector<std::string> words;
        for (std::string w; in >> w;) words.push_back(w);
        return cli::commands().at(words[0]).handler(ctx, words);
    }
};

// Real clock: about a tenth of a second per exchange.
TEST(ConfigCli, ConfigureOnBoard10PrintsTheDoneMessage) {
    std::ostringstream out, err;
    const int rc =
        cli::run({"--simulate=10", "--virtual-time", "configure --rate 500 --channels 4"},
                 SEISBENCH_TEST_RESOURCE_DIR, out, err);
    EXPECT_EQ(rc, cli::kOk) << err.str();
    EXPECT_NE(err.str().find("Done: Digital Filter configuration is completed.\n"),
              std::string::npos)
        << err.str();
    EXPECT_NE(out.str().find("rate:"), std::string::npos);
    EXPECT_NE(out.str().find("500 samples/s"), std::string::npos) << out.str();
}

TEST(ConfigCli, ValueOutsideTheSetIsAUsageErrorNamingTheAllowedValues) {
    const std::pair<const char*, std::string> cases[] = {
        {"configure --rate 300", std::string("--rate takes one of ") + kRates},
        {"configure --channels 5", "--channels takes one of 1, 2, 3, 4"},
        {"configure --tbs-level 4", "--tbs-level takes one of 0, 1, 2, 3, 6, 20"},
        {"configure --c16 32", "--c16 takes one of 0 to 31"},
        {"configure --tbs-f7 2", "--tbs-f7 takes one of 0, 1"},
    };
    for (const auto& [line, message] : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(cli::run({"--simulate=10", line}, SEISBENCH_TEST_RESOURCE_DIR, out, err),
                  cli::kUsage)
            << line;
        EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
        EXPECT_EQ(err.str().find("Done"), std::string::npos);
    }
}

TEST(ConfigCli, RejectedOptionsSendAndSetNothing) {
    Rig r(10);
    CliOnRig c(r);
    r.board->clear_log();
    const int rate_before = r.get(SETUP_RATE);
    const cli::Result res = c.run("configure --rate 1000 --mux 2 --gain 9");
    EXPECT_EQ(res.status, cli::kUsage);
    EXPECT_NE(res.error.find("--gain takes one of 0, 1, 2, 3, 4, 5, 6, 7"), std::string::npos)
        << res.error;
    EXPECT_TRUE(r.board->log().empty());
    EXPECT_EQ(r.get(SETUP_RATE), rate_before);  // the valid options before it are not set
    EXPECT_EQ(r.get(SETUP_MUX), 0);
    EXPECT_TRUE(r.messages().empty());
}

TEST(ConfigCli, PresetsRunAsTheInputsChange) {
    Rig r(4);
    CliOnRig c(r);
    r.board->clear_log();
    const cli::Result res = c.run("configure --tbs-mode 1 --rate 2000");
    ASSERT_EQ(res.status, cli::kOk) << res.error;
    const Ops ops = operations(*r.board);
    ASSERT_GE(ops.size(), 3u);
    EXPECT_EQ(ops[ops.size() - 3], W(0x2A, 0xFFC000));
    EXPECT_EQ(ops[ops.size() - 2], W(0x2B, 30949));
    EXPECT_EQ(r.app->capture.fs, 2000.0);
    EXPECT_EQ(r.messages().back(), std::string(kDoneTitle) + "|" + kDoneText);
}

TEST(ConfigCli, GainoffsetReadPrintsTheNineValues) {
    Rig r(4);
    CliOnRig c(r);
    ASSERT_EQ(chip::REG_write(r.app->port, chip::REG_FILTCFG, 0x1F3040), 1);
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(chip::REG_write(r.app->port, 0x21 + i, 0x101010 * (i + 1)), 1);
    r.board->clear_log();
    const cli::Result res = c.run("gainoffset read");
    ASSERT_EQ(res.status, cli::kOk) << res.error;
    using Line = std::pair<std::string, std::string>;
    const std::vector<Line> expected = {{"c12", "1"},
                                        {"c13", "1"},
                                        {"c14", "0"},
                                        {"c16", "31"},
                                        {"gain1", "0x101010"},
                                        {"gain2", "0x202020"},
                                        {"gain3", "0x303030"},
                                        {"gain4", "0x404040"},
                                        {"offset1", "0x505050"},
                                        {"offset2", "0x606060"},
                                        {"offset3", "0x707070"},
                                        {"offset4", "0x808080"}};
    EXPECT_EQ(res.lines, expected);
    EXPECT_EQ(operations(*r.board).size(), 9u);
}

// A failed operation ends the command with status 1 and names its fault and step; the
// person still sees the operation's message. Nothing is decided from what was shown.
TEST(ConfigCli, FailuresReportFaultAndStep) {
    using simboard::Faults;
    const struct {
        const char* name;
        std::vector<std::string> before;  // commands that must succeed first
        const char* line;
        std::function<void(Rig&)> fault;
        const char* fault_name;
        const char* step;
        const char* message;  // the message shown last, "" for none of its own
    } cases[] = {
        {"configure, board silent",
         {},
         "configure",
         [](Rig& r) { r.board->faults().silent_types = Faults::kAllTypes; },
         "no_reply",
         "FL_STOP",
         "No Response!"},
        {"configure, TBS step refused",
         {},
         "configure",
         [](Rig& r) {
             const int start = r.bus.requests;
             r.bus.before_request = [&r, start](int n) {
                 if (n - start == 24) r.board->faults().wrong_types = Faults::type_bit(0x01);
             };
         },
         "wrong_reply",
         "set_tbs_parameters",
         "No Response!"},
        {"gainoffset write",
         {},
         "gainoffset write --gain1 5",
         [](Rig& r) { r.board->faults().silent_types = Faults::type_bit(0x01); },
         "no_reply",
         "set_gainoffset_parameters",
         ""},
        {"gainoffset read",
         {},
         "gainoffset read",
         [](Rig& r) { r.board->faults().silent_types = Faults::type_bit(0x02); },
         "no_reply",
         "read_gainoffset_parameters",
         "        Time Out!"},
        {"capture, stream stalls",
         {"configure"},
         "capture --samples 2000",
         [](Rig& r) { r.board->faults().stall_after_records = 100; },
         "no_reply",
         "block 1: stream",
         "        No Response!"},
        {"capture, second block stalls",
         {"configure"},
         "capture --samples 400 --average 3",
         [](Rig& r) {
             r.bus.before_request = [&r](int) {
                 int starts = 0;
                 for (const auto& e : r.board->log())
                     starts += e.kind == simboard::LogEntry::Kind::CaptureStart;
                 if (starts == 1) r.board->faults().stall_after_records = 0;
             };
         },
         "no_reply",
         "block 2: stream",
         "        No Response!"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Rig r(4);
        CliOnRig c(r);
        for (const auto& line : k.before) ASSERT_EQ(c.run(line).status, cli::kOk) << line;
        const size_t shown = r.messages().size();
        k.fault(r);
        const cli::Result res = c.run(k.line);
        EXPECT_EQ(res.status, cli::kFailed);
        EXPECT_EQ(res.data.value("fault", ""), k.fault_name);
        EXPECT_EQ(res.data.value("step", ""), k.step);
        // The step and fault are for scripts; people read the board's words.
        EXPECT_EQ(res.error.find("(" + std::string(k.fault_name) + ")"), std::string::npos)
            << res.error;
        const Ops msgs = r.messages();
        if (*k.message) {
            ASSERT_GT(msgs.size(), shown);
            EXPECT_EQ(msgs.back().substr(0, msgs.back().find('|')), k.message);
        } else {
            EXPECT_EQ(msgs.size(), shown);
        }
    }
}

// The whole program: one JSON object for the failed command, exit status 1, the message on
// standard error.
TEST(ConfigCli, UnknownBoardFailsTheModulatorStepInJson) {
    std::ostringstream out, err;
    const int rc = cli::run({"--simulate=11", "--virtual-time", "--json", "configure"},
                            SEISBENCH_TEST_RESOURCE_DIR, out, err);
    EXPECT_EQ(rc, cli::kFailed);
    const auto j = nlohmann::json::parse(out.str());
    EXPECT_EQ(j["ok"], false);
    EXPECT_EQ(j["fault"], "no_board");
    EXPECT_EQ(j["step"], "set_modulator_parameters");
    EXPECT_NE(err.str().find(std::string(kNoResponseTitle) + ": " + kNoResponseText),
              std::string::npos)
        << err.str();
}

}  // namespace
}  // namespace config_test

// The debug commands of seisbench-cli on the simulated board.
#include <nlohmann/json.hpp>

#include "chipfiles/temp_dir.h"
#include "cli/cli.h"
#include "support/cli_run.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

namespace {

using cli_run::Outcome;

Outcome run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--simulate", "--virtual-time"});
    return cli_run::run(args);
}

}  // namespace

TEST(DebugCli, LoadDumpRunToABreakpointAndShowTheRegisters) {
    testing_support::TempDir dir;
    std::string image = " ";
    for (int a = 0; a < 32; ++a) {
        char line[32];
        std::snprintf(line, sizeof line, "%04X %06X\n", a, 0x100000 + a * 0x111);
        image += line;
    }
    const std::string pmg = dir.write("prog.pmg", image);
    const std::string out = dir.path("out.txt").string();
    Outcome r = run({"--json", "debug halt", "debug load pmg " + pmg,
                     "debug dump pmem 0 0x1F " + out, "debug run-to 0x10", "debug regs"});
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    std::vector<nlohmann::json> results;
    std::istringstream lines(r.out);
    for (std::string l; std::getline(lines, l);) results.push_back(nlohmann::json::parse(l));
    ASSERT_EQ(results.size(), 5u);
    std::ifstream dumped(out);
    std::string first;
    std::getline(dumped, first);
    EXPECT_EQ(first, "0x0000 0x100000");
    EXPECT_EQ(results[2]["lines"][0x1F], "0x001F 0x10210F");
    EXPECT_EQ(results[4]["pc"], "0x0010");
    EXPECT_EQ(results[4]["lines"].size(), 19u);
    EXPECT_NE(r.err.find("Done: Debugger PMG download complete."), std::string::npos);
}

TEST(DebugCli, SendLogsAsThePanelAndRefusalsAreClear) {
    Outcome r = run({"debug send WR_AR3 0x1234", "debug send rd_ar3", "debug write MAR5 0x123456"});
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    EXPECT_NE(r.out.find("WR_AR3                  0x160000\n    0x001234\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("RD_AR3                  0x170000\n    0x001234\n"), std::string::npos);

    struct Bad {
        const char* command;
        int status;
        const char* says;
    };
    for (Bad b :
         {Bad{"debug send NOPE", cli::kUsage, "unknown debugger command 'NOPE'"},
          Bad{"debug send HALT --words 4", cli::kUsage, "takes no --words"},
          Bad{"debug write AR9 1", cli::kUsage, "unknown register 'AR9'; did you mean 'AR0'"},
          Bad{"debug write AR3", cli::kUsage, "usage"},
          Bad{"debug dump pmem 5 4", cli::kFailed, "Address Error: Address range is invalid."},
          Bad{"debug reset", cli::kFailed, "answer with --yes"}}) {
        r = run({b.command});
        EXPECT_EQ(r.status, b.status) << b.command;
        EXPECT_NE(r.err.find(b.says), std::string::npos) << b.command << ": " << r.err;
    }
}

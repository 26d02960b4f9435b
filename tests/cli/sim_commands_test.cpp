// The simulated board's input commands: what each accepts and answers, and that words that do
// not fit are a usage error.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli.h"
#include "support/cli_run.h"

namespace {

TEST(SimCommands, InputsAnswerWithTheirValues) {
    const struct {
        const char* line;
        const char* key;
        nlohmann::json value;
    } cases[] = {
        {"sim 1 flicker 2", "flicker_hz", 2.0},
        {"sim 4 flicker 0", "flicker_hz", 0.0},
        {"sim 2 gain -2500.5", "gain_ppm", -2500.5},
        {"sim 2 gain 999999", "gain_ppm", 999999.0},
        {"sim 3 crosstalk 1 -110", "crosstalk_db", -110.0},
        {"sim 3 crosstalk 4 -400", "crosstalk_from", 4},
        {"sim common tone 12.5 -20", "common_tone_hz", 12.5},
        {"sim common noise 100", "common_noise_nv", 100.0},
        {"sim common off", "common", "off"},
    };
    std::vector<std::string> args = {"--simulate", "--json"};
    for (const auto& c : cases) args.emplace_back(c.line);
    const cli_run::Outcome o = cli_run::run(args);
    ASSERT_EQ(o.status, cli::kOk) << o.err;
    std::istringstream lines(o.out);
    for (const auto& c : cases) {
        std::string line;
        ASSERT_TRUE(std::getline(lines, line)) << c.line;
        EXPECT_EQ(nlohmann::json::parse(line)[c.key], c.value) << c.line;
    }
}

TEST(SimCommands, WordsThatDoNotFitAreAUsageError) {
    for (const char* line : {
             "sim 1 flicker -1",       "sim 1 flicker 2Hz",
             "sim 1 flicker",          "sim 1 flicker 2 3",
             "sim 5 flicker 2",        "sim 2 gain 1e6",
             "sim 2 gain -1e6",        "sim 2 gain inf",
             "sim 3 crosstalk 3 -110",  // from itself
             "sim 3 crosstalk 0 -110", "sim 3 crosstalk 5 -110",
             "sim 3 crosstalk 1 0.5",  "sim 3 crosstalk 1",
             "sim common tone -1 -20", "sim common tone 12.5",
             "sim common noise -1",    "sim common off now",
             "sim common flicker 2",   "sim common",
         }) {
        const cli_run::Outcome o = cli_run::run({"--simulate", line});
        EXPECT_EQ(o.status, cli::kUsage) << line;
        EXPECT_NE(o.err.find("usage: sim CHANNEL"), std::string::npos) << line;
    }
}

}  // namespace

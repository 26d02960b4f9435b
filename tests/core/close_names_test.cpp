#include "core/close_names.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> kCommands = {"capture", "configure", "connect", "data", "reg"};
const std::vector<std::string> kRegisters = {"GAIN1",   "GAIN2", "GAIN3", "GAIN4",
                                             "VERSION", "PC",    "LC"};

}  // namespace

TEST(CloseNames, NearMissesOnlyAndTheNearestFirst) {
    const struct {
        const char* word;
        const std::vector<std::string>& names;
        std::vector<std::string> expected;
    } cases[] = {
        {"conect", kCommands, {"connect"}},            // a letter left out
        {"cnonect", kCommands, {"connect"}},           // two letters swapped
        {"confgiure", kCommands, {"configure"}},       // a swap in a long word
        {"Connect", kCommands, {"connect"}},           // case does not count
        {"con", kCommands, {"configure", "connect"}},  // a beginning
        {"co", kCommands, {}},                         // too short to be a beginning
        {"rag", kCommands, {"reg"}},
        {"version", kRegisters, {"VERSION"}},
        {"GAIN", kRegisters, {"GAIN1", "GAIN2", "GAIN3", "GAIN4"}},
        {"GAIN5", kRegisters, {"GAIN1", "GAIN2", "GAIN3", "GAIN4"}},
        {"PX", kRegisters, {"PC"}},
        {"X", kRegisters, {}},  // one edit would be the whole word
        {"FOO", kRegisters, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(core::close_names(c.word, c.names), c.expected) << c.word;
}

// The whole choice, or a cut that says so; the single cases read in the command tests.
TEST(CloseNames, ALongListIsCutAndSaysSo) {
    const std::vector<std::string> ar = {"AR0", "AR1", "AR2", "AR3", "AR4", "AR5", "AR6", "AR7"};
    EXPECT_EQ(core::did_you_mean("AR9", ar),
              "did you mean 'AR0', 'AR1', 'AR2', 'AR3', 'AR4', ...?");
    EXPECT_EQ(core::did_you_mean("GAIN", kRegisters),
              "did you mean 'GAIN1', 'GAIN2', 'GAIN3' or 'GAIN4'?");
    EXPECT_EQ(core::did_you_mean("xyz", kCommands), "");
}

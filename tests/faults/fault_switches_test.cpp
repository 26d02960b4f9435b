// The fault table from the command line: names, arguments and clearing reach the board.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"

namespace {

int run(std::vector<std::string> args, std::string* out = nullptr) {
    args.insert(args.begin(), {"--simulate", "--virtual-time"});
    std::ostringstream o, e;
    const int status = cli::run(args, SEISBENCH_TEST_RESOURCE_DIR, o, e);
    if (out) *out = o.str();
    return status;
}

TEST(FaultSwitches, ArgumentsAreCheckedBeforeTheBoardIsTouched) {
    const struct {
        const char* line;
        int status;
    } cases[] = {
        {"sim fault stall 1000", cli::kOk},
        {"sim fault stall", cli::kUsage},
        {"sim fault stall -1", cli::kUsage},
        {"sim fault stall 10 20", cli::kUsage},
        {"sim fault split now", cli::kUsage},
        {"sim fault silent all", cli::kOk},
        {"sim fault silent 0x0B", cli::kOk},
        {"sim fault silent 32", cli::kUsage},
        {"sim fault silent spi-reed", cli::kUsage},
        {"sim fault eeprom-unanswered wren", cli::kOk},
        {"sim fault eeprom-unanswered erase", cli::kUsage},
        {"sim fault eeprom-misread 0x10000", cli::kUsage},
        {"sim fault pm-write-loss 0x10 2", cli::kOk},
        {"sim fault pm-write-loss 0x10", cli::kUsage},
        {"sim fault", cli::kUsage},
        {"sim fault nosuch", cli::kUsage},
        {"sim fault clear now", cli::kUsage},
        {"sim fault clear", cli::kOk},
    };
    for (const auto& c : cases) EXPECT_EQ(run({c.line}), c.status) << c.line;
}

TEST(FaultSwitches, ListNamesEveryFaultAndClearUndoesThem) {
    std::string listed;
    ASSERT_EQ(run({"sim faults"}, &listed), cli::kOk);
    for (const char* name :
         {"silent TYPE", "wrong TYPE", "chip-select", "unplug", "plug", "power-cycle", "stall N",
          "burst N", "split", "rx-overrun", "eeprom-write", "eeprom-unanswered INSTR",
          "eeprom-misread ADDR", "flash", "flash-data-silent", "flash-data-stray-reply",
          "pm-write-loss ADDR N", "dm-write-loss ADDR N", "clear"}) {
        EXPECT_NE(listed.find(std::string("sim fault ") + name + ":"), std::string::npos) << name;
    }
    // Each fault that stops an operation is undone by clear, in the same run.
    for (const char* fault : {"silent spi-read", "wrong spi-read", "rx-overrun"}) {
        EXPECT_EQ(run({std::string("sim fault ") + fault, "reg read 0x2E"}), cli::kFailed) << fault;
        EXPECT_EQ(run({std::string("sim fault ") + fault, "sim fault clear", "reg read 0x2E"}),
                  cli::kOk)
            << fault;
    }
}

}  // namespace

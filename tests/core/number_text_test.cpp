#include "core/number_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(ParseNumber, WholeDecimalOrHexWithinRange) {
    struct Case {
        const char* text;
        long long lo, hi;
        bool ok;
        long long value;
    };
    const Case cases[] = {
        {"0", 0, 10, true, 0},
        {"10", 0, 10, true, 10},
        {"-7", -10, 10, true, -7},
        {"0x1F", 0, 0x1F, true, 0x1F},
        {"0XfFfFfF", 0, 0xFFFFFF, true, 0xFFFFFF},
        {"011", 0, 100, true, 11},  // decimal, not octal
        {"11", 0, 10, false, 0},    // above the range
        {"-1", 0, 10, false, 0},    // below it
        {"0x20", 0, 0x1F, false, 0},
        {"", 0, 10, false, 0},
        {"-", -10, 10, false, 0},
        {"0x", 0, 10, false, 0},
        {"+5", 0, 10, false, 0},
        {" 5", 0, 10, false, 0},
        {"5 ", 0, 10, false, 0},
        {"5k", 0, 10, false, 0},
        {"0x+5", 0, 10, false, 0},
        {"0x-5", -10, 10, false, 0},
        {"-0x5", -10, 10, false, 0},
        {"1.5", 0, 10, false, 0},
        {"99999999999999999999", 0, LLONG_MAX, false, 0},  // beyond long long
        {"0x10000000000000000", 0, LLONG_MAX, false, 0},
    };
    for (const Case& c : cases) {
        long long v = 12345;
        EXPECT_EQ(core::parse_number(c.text, c.lo, c.hi, &v), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.value : 12345) << c.text;
    }
}

TEST(SimulateOption, SameCodesForBothPrograms) {
    struct Case {
        const char* arg;
        bool option;
        std::optional<int> code;
    };
    const Case cases[] = {
        {"--simulate", true, 4},       {"--simulate=0", true, 0},     {"--simulate=10", true, 10},
        {"--simulate=255", true, 255}, {"--simulate=0x1b", true, 27}, {"--simulate=256", true, {}},
        {"--simulate=-1", true, {}},   {"--simulate=", true, {}},     {"--simulate=3x", true, {}},
        {"--simulated", false, {}},    {"--sim", false, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(core::is_simulate_option(c.arg), c.option) << c.arg;
        EXPECT_EQ(core::simulated_board_code(c.arg), c.code) << c.arg;
    }
}

}  // namespace

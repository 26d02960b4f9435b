// The separate read and write of the gain and offset correction registers.
#include <gtest/gtest.h>

#include "chip/registers.h"
#include "config_rig.h"

namespace config_test {
namespace {

using Ops = std::vector<std::string>;

constexpr int kWordInputs[8] = {SETUP_GAIN1,   SETUP_GAIN2,   SETUP_GAIN3,   SETUP_GAIN4,
                                SETUP_OFFSET1, SETUP_OFFSET2, SETUP_OFFSET3, SETUP_OFFSET4};
constexpr int kWords[8] = {0x3FFFFF, 0x400001, 0x7FFFFF, 0x000001,
                           0xFFFFFF, 0x800000, 0x012345, 0x00FF00};

void preset_chip(Rig& r) {
    // C16 = 21, C14 = 1, C13 = 0, C12 = 1 over rate and channel fields.
    ASSERT_EQ(chip::REG_write(r.app->port, chip::REG_FILTCFG, 0x1550A3), 1);
    for (int i = 0; i < 8; ++i) ASSERT_EQ(chip::REG_write(r.app->port, 0x21 + i, kWords[i]), 1);
    r.board->clear_log();
}

TEST(GainOffset, ReadTakesNineRegistersInAddressOrderIntoTheInputs) {
    Rig r(4);
    preset_chip(r);
    ASSERT_EQ(r.app->ui.UserCommit(r.sp(), SETUP_GOREAD), 0);
    Ops expected;
    for (int a = 0x20; a <= 0x28; ++a) expected.push_back(R(a));
    EXPECT_EQ(operations(*r.board), expected);  // no FL_STOP, nothing written
    EXPECT_EQ(r.get(SETUP_C12), 1);
    EXPECT_EQ(r.get(SETUP_C13), 0);
    EXPECT_EQ(r.get(SETUP_C14), 1);
    EXPECT_EQ(r.get(SETUP_C16), 21);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(r.get(kWordInputs[i]), kWords[i]) << i;
    EXPECT_TRUE(r.messages().empty());
}

// A read that fails part-way leaves every input as it was: the values the user had are not
// replaced by the zeros of failed reads.
TEST(GainOffset, FailedReadChangesNoInput) {
    Rig r(4);
    preset_chip(r);
    r.set(SETUP_C16, 3);
    const int start = r.bus.requests;
    r.bus.before_request = [&](int n) {
        if (n - start == 9) r.board->faults().silent_types = simboard::Faults::kAllTypes;
    };
    ASSERT_EQ(r.app->ui.UserCommit(r.sp(), SETUP_GOREAD), 0);
    EXPECT_EQ(r.messages(), (Ops{"        Time Out!|No return within 4 seconds"}));
    EXPECT_EQ(r.get(SETUP_C16), 3);
    EXPECT_EQ(r.get(SETUP_C12), 0);
    EXPECT_EQ(r.get(SETUP_GAIN1), 0x400000);
    EXPECT_EQ(r.get(SETUP_OFFSET4), 0);
}

TEST(GainOffset, WriteSendsTheEightWordsInOrder) {
    for (int code : {4, 8}) {
        Rig r(code);
        for (int i = 0; i < 8; ++i) r.set(kWordInputs[i], kWords[i]);
        r.board->clear_log();
        ASSERT_EQ(r.app->ui.UserCommit(r.sp(), SETUP_GOWRITE), 0);
        Ops expected;
        for (int i = 0; i < 8; ++i) expected.push_back(W(0x21 + i, kWords[i]));
        EXPECT_EQ(operations(*r.board), expected) << "board " << code;
        EXPECT_EQ(r.board->chip().reg(0x21), 0x3FFFFFu);
        EXPECT_EQ(r.board->chip().reg(0x25), 0xFFFFFFu);
        EXPECT_TRUE(r.messages().empty());
    }
}

TEST(GainOffset, FailedWriteShowsNoMessageOfItsOwn) {
    Rig r(4);
    r.board->faults().silent_types = simboard::Faults::kAllTypes;
    r.board->clear_log();
    ASSERT_EQ(r.app->ui.UserCommit(r.sp(), SETUP_GOWRITE), 0);
    EXPECT_EQ(operations(*r.board), (Ops{W(0x21, 0x400000)}));  // stops at the first
    EXPECT_TRUE(r.messages().empty());
}

}  // namespace
}  // namespace config_test

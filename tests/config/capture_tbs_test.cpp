// Capture permission around a configuration, and the test-bit-stream presets.
#include <gtest/gtest.h>

#include "capture/permission.h"
#include "chip/setup_config.h"
#include "config_rig.h"

namespace config_test {
namespace {

using Ops = std::vector<std::string>;

TEST(CapturePermission, OnlyASuccessfulConfigurationEnablesCapture) {
    Rig r(4);
    EXPECT_TRUE(r.dimmed(SETUP_CAPTURE));
    EXPECT_TRUE(r.dimmed(SETUP_CAPTURE2));
    EXPECT_TRUE(r.capture_menu_dimmed());
    EXPECT_FALSE(r.dimmed(SETUP_CONFIGURE));
    r.press_configure();
    EXPECT_EQ(r.messages(), (Ops{std::string(kDoneTitle) + "|" + kDoneText}));
    EXPECT_FALSE(r.dimmed(SETUP_CAPTURE));
    EXPECT_FALSE(r.dimmed(SETUP_CAPTURE2));
    EXPECT_FALSE(r.capture_menu_dimmed());
    EXPECT_FALSE(r.app->ui.timers_suspended());
}

// Disconnecting greys capture; connecting again does not bring it back without a new
// configuration.
TEST(CapturePermission, ReconnectionNeedsANewConfiguration) {
    Rig r(7);
    r.press_configure();
    ASSERT_FALSE(r.dimmed(SETUP_CAPTURE));
    ASSERT_EQ(r.app->ui.UserSetValue(r.sp(), SETUP_CONNECT, 0), 0);
    ASSERT_EQ(r.app->link.usb_opened, 0);
    EXPECT_TRUE(r.dimmed(SETUP_CONFIGURE));
    ASSERT_EQ(r.app->ui.UserSetValue(r.sp(), SETUP_CONNECT, 1), 0);
    ASSERT_EQ(r.app->link.usb_opened, 1);
    EXPECT_FALSE(r.dimmed(SETUP_CONFIGURE));
    EXPECT_TRUE(r.dimmed(SETUP_CAPTURE));
    EXPECT_TRUE(r.dimmed(SETUP_CAPTURE2));
    EXPECT_TRUE(r.capture_menu_dimmed());
    r.press_configure();
    EXPECT_FALSE(r.dimmed(SETUP_CAPTURE));
    EXPECT_FALSE(r.capture_menu_dimmed());
}

// Every input that carries Turn_Capture_off locks the second capture control and the menu
// item, and leaves the capture button as it was.
TEST(CapturePermission, ChangingAConfigurationInputLocksTheSecondControlAndMenu) {
    Rig r(1);  // a reference board: the power-down input is editable too
    r.press_configure();
    int inputs = 0;
    for (const auto& c : r.app->ui.panel(r.sp())->controls) {
        if (c.callback != "Turn_Capture_off") continue;
        SCOPED_TRACE(c.name);
        ++inputs;
        capture::enable_capture(*r.app);
        int value = 0;
        if (!c.items.empty()) {
            value = c.items.back().value;
            if (value == r.get(c.id)) value = c.items.front().value;
        } else {
            value = r.get(c.id) == 1 ? 0 : 1;
        }
        r.set(c.id, value);
        EXPECT_FALSE(r.dimmed(SETUP_CAPTURE));
        EXPECT_TRUE(r.dimmed(SETUP_CAPTURE2));
        EXPECT_TRUE(r.capture_menu_dimmed());
    }
    EXPECT_EQ(inputs, 29);
}

void apply(chip::TbsInputs& in) {
    chip::apply_tbs_presets(in);
}

TEST(TbsPresets, FrequencySelectsRateFieldAndFieldB) {
    Rig r(4);
    const std::pair<int, int> table[] = {{2, 4}, {3, 1}, {1, 7}};
    for (auto [freq, rate] : table) {
        r.set(SETUP_TBSB, 0);
        r.set(SETUP_TBSRATE, 100);
        r.set(SETUP_TBSFREQ, freq);
        EXPECT_EQ(r.get(SETUP_TBSRATE), rate) << freq;
        EXPECT_EQ(r.get(SETUP_TBSB), 4) << freq;
    }
    chip::TbsInputs in;
    in.freq = 4;
    in.rate = 100;
    in.field_b = 0;
    apply(in);
    EXPECT_EQ(in.rate, 100);
    EXPECT_EQ(in.field_b, 0);
}

TEST(TbsPresets, LevelSelectsGain) {
    Rig r(4);
    const std::pair<int, int> table[] = {
        {1, 275833}, {2, 245836}, {3, 219102}, {6, 155112}, {0, 309490}};
    for (auto [level, gain] : table) {
        r.set(SETUP_TBSGAIN, 12345);
        r.set(SETUP_TBSLEVEL, level);
        EXPECT_EQ(r.get(SETUP_TBSGAIN), gain) << level;
    }
    // 20 is the level mode 1 shows; chosen by hand it changes nothing.
    r.set(SETUP_TBSGAIN, 12345);
    r.set(SETUP_TBSLEVEL, 20);
    EXPECT_EQ(r.get(SETUP_TBSGAIN), 12345);
    // The input does not offer 4 and 5; the presets leave the gain alone for them.
    for (int level : {4, 5}) {
        chip::TbsInputs in;
        in.level = level;
        in.gain = 12345;
        apply(in);
        EXPECT_EQ(in.gain, 12345) << level;
        EXPECT_EQ(in.level, level);
    }
}

TEST(TbsPresets, ModeOneFixesTheInputsAndConfigurationWritesThem) {
    Rig r(4);
    r.press_configure();
    r.set(SETUP_TBSFREQ, 3);
    r.set(SETUP_TBSLEVEL, 6);
    r.board->clear_log();
    r.set(SETUP_TBSMODE, 1);
    EXPECT_TRUE(r.board->log().empty());  // presets only fill the inputs
    EXPECT_EQ(r.get(SETUP_TBSRATE), 255);
    EXPECT_EQ(r.get(SETUP_TBSB), 4);
    EXPECT_EQ(r.get(SETUP_TBSGAIN), 30949);
    EXPECT_EQ(r.get(SETUP_TBSLEVEL), 20);
    EXPECT_TRUE(r.dimmed(SETUP_TBSFREQ));
    EXPECT_TRUE(r.dimmed(SETUP_TBSLEVEL));
    EXPECT_FALSE(r.dimmed(SETUP_CAPTURE));
    EXPECT_TRUE(r.dimmed(SETUP_CAPTURE2));
    EXPECT_TRUE(r.capture_menu_dimmed());

    r.press_configure();
    const Ops ops = operations(*r.board);
    // TBSCFG: rate field 0xFF, mode bit 15, field B 4; then TBSGAIN, then FL_STOP.
    ASSERT_GE(ops.size(), 3u);
    EXPECT_EQ(ops[ops.size() - 3], W(0x2A, 0xFFC000));
    EXPECT_EQ(ops[ops.size() - 2], W(0x2B, 30949));
    EXPECT_EQ(r.board->chip().reg(0x2A), 0xFFC000u);
    EXPECT_EQ(r.board->chip().reg(0x2B), 30949u);

    r.set(SETUP_TBSMODE, 0);
    EXPECT_FALSE(r.dimmed(SETUP_TBSFREQ));
    EXPECT_FALSE(r.dimmed(SETUP_TBSLEVEL));
    EXPECT_EQ(r.get(SETUP_TBSRATE), 1);  // frequency 3 applies again
}

// Frequency and level presets apply first; mode 1 then overrides them and locks the inputs.
TEST(TbsPresets, ModeStepComesLast) {
    const struct {
        int mode, rate, field_b, gain, level, lock;
    } cases[] = {
        {0, 4, 4, 219102, 3, 0},
        {1, 255, 4, 30949, 20, 1},
    };
    for (const auto& c : cases) {
        chip::TbsInputs in;
        in.mode = c.mode;
        in.freq = 2;
        in.level = 3;
        in.field_b = 0;
        apply(in);
        EXPECT_EQ(in.rate, c.rate) << c.mode;
        EXPECT_EQ(in.field_b, c.field_b) << c.mode;
        EXPECT_EQ(in.gain, c.gain) << c.mode;
        EXPECT_EQ(in.level, c.level) << c.mode;
        EXPECT_EQ(in.lock, c.lock) << c.mode;
    }
}

TEST(TbsPresets, OtherModeValuesChangeNothingInTheModeStep) {
    for (int mode : {2, 999, 1000}) {
        chip::TbsInputs in;
        in.mode = mode;
        in.freq = 0;
        in.level = 9;
        in.rate = 100;
        in.field_b = 2;
        in.gain = 12345;
        apply(in);
        EXPECT_EQ(in.rate, 100) << mode;
        EXPECT_EQ(in.field_b, 2) << mode;
        EXPECT_EQ(in.gain, 12345) << mode;
        EXPECT_EQ(in.level, 9) << mode;
        EXPECT_EQ(in.lock, -1) << mode;
    }
}

}  // namespace
}  // namespace config_test

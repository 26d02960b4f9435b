// What a whole configuration writes to the board, in order, for each group of boards.
#include <gtest/gtest.h>

#include <cmath>

#include "chip/registers.h"
#include "chip/setup_config.h"
#include "config_rig.h"

namespace config_test {
namespace {

using Ops = std::vector<std::string>;

// Distinct values in every field so a misplaced or lost field shows.
void fill_inputs(Rig& r, bool four_channel) {
    if (four_channel) r.set(SETUP_CHANNELS, 2);
    r.set(SETUP_RATE, 333);
    r.set(SETUP_FILTER, 5);
    r.set(SETUP_CONFIGA, 32);
    r.set(SETUP_CONFIGB, 512);
    r.set(SETUP_FIRROM, 1);
    r.set(SETUP_IIRROM, 16);
    r.set(SETUP_MUX, 2);
    r.set(SETUP_MODE, 5);
    r.set(SETUP_GAIN, 3);
    r.set(SETUP_C12, 1);
    r.set(SETUP_C14, 1);
    r.set(SETUP_C16, 21);
    const int words[8] = {0x111111, 0x222222, 0x333333, 0x444444,
                          0x000011, 0x000022, 0x000033, 0xFFFFF0};
    const int ctrls[8] = {SETUP_GAIN1,   SETUP_GAIN2,   SETUP_GAIN3,   SETUP_GAIN4,
                          SETUP_OFFSET1, SETUP_OFFSET2, SETUP_OFFSET3, SETUP_OFFSET4};
    for (int i = 0; i < 8; ++i) r.set(ctrls[i], words[i]);
    r.set(SETUP_TBSB, 3);
    r.set(SETUP_F11, 1);
    r.set(SETUP_F6, 1);
    r.set(SETUP_TBSGAIN, 0x012345);
}

// Every bit set in CONFIG and FILTCFG, so the masks decide what is kept.
void preset_registers(Rig& r) {
    ASSERT_EQ(chip::REG_write(r.app->port, chip::REG_CONFIG, 0xFFFFFF), 1);
    ASSERT_EQ(chip::REG_write(r.app->port, chip::REG_FILTCFG, 0xFFFFFF), 1);
    r.board->clear_log();
}

// Everything before the modulator step: FILTCFG gets filter 5, rate code 3, channel code.
Ops head(int channel_code) {
    return {C(0x09), C(0x05, 0x11),
            C(0x07), C(0x09),
            R(0x00), W(0x00, 0xF8F8CF | 32 | 512),
            R(0x20), W(0x20, 0xFFF000 | 0x530 | channel_code)};
}

// Everything after the modulator step. The correction step keeps FILTCFG bits 11..0 from
// the filter step and puts C16 = 21, C14 = 1, C12 = 1 above them.
Ops tail(int channel_code) {
    return {C(0x09),
            R(0x20),
            W(0x20, 0x155530 | channel_code),
            W(0x21, 0x111111),
            W(0x22, 0x222222),
            W(0x23, 0x333333),
            W(0x24, 0x444444),
            W(0x25, 0x000011),
            W(0x26, 0x000022),
            W(0x27, 0x000033),
            W(0x28, 0xFFFFF0),
            W(0x2A, 0x073840),  // rate 7, mode 0, field B 3, F11, F6
            W(0x2B, 0x012345),
            C(0x09)};
}

Ops join(Ops a, const Ops& middle, const Ops& b) {
    a.insert(a.end(), middle.begin(), middle.end());
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ConfigSequence, ReferenceBoardsWriteBothPinRegistersWithThePowerDownBits) {
    for (int code : {1, 7}) {
        Rig r(code);
        fill_inputs(r, true);
        r.set(SETUP_PWDN, 9);
        preset_registers(r);
        r.press_configure();
        // GPCFG0: MODE 5 x 32 + GAIN 3 x 4 + MUX 2.
        EXPECT_EQ(operations(*r.board),
                  join(head(2), {W(0x0E, 0xFF00AE), W(0x0F, 0x0F0009)}, tail(2)))
            << "board " << code;
        EXPECT_EQ(r.messages(), (Ops{std::string(kDoneTitle) + "|" + kDoneText}));
        EXPECT_EQ(r.board->chip().reg(0x20), 0x155532u);
        EXPECT_EQ(r.board->chip().rom_coef_selection(), 0x11u);
        EXPECT_FALSE(r.board->chip().converting());  // left stopped
    }
}

TEST(ConfigSequence, EvaluationBoardsFixTheSwitchPins) {
    for (int code : {4, 9}) {
        Rig r(code);
        EXPECT_TRUE(r.dimmed(SETUP_PWDN));
        fill_inputs(r, true);
        preset_registers(r);
        r.press_configure();
        EXPECT_EQ(operations(*r.board),
                  join(head(2), {W(0x0E, 0xFF00AE), W(0x0F, 0x0F0008)}, tail(2)))
            << "board " << code;
        EXPECT_EQ(r.messages().back(), std::string(kDoneTitle) + "|" + kDoneText);
    }
}

TEST(ConfigSequence, Board10DrivesBothMuxPinsAndSendsFiveModulatorWords) {
    Rig r(10);
    fill_inputs(r, true);
    preset_registers(r);
    r.press_configure();
    const int w = 2 << 20 | 3 << 16;  // MUX 2, GAIN 3
    Ops modulator = {W(0x0E, 0xFF00AF), W(0x0F, 0x0F0008)};
    const int data[5] = {w, w, 0x400000, 0x8F0000, 0};
    for (int n = 1; n <= 5; ++n) {
        for (const auto& op : {W(0x12, data[n - 1]), W(0x11, 0x200 + n), W(0x10, 0x3F0161),
                               W(0x10, 0x3F4162), M(0x200 + n, data[n - 1])})
            modulator.push_back(op);
    }
    const Ops ops = operations(*r.board);
    EXPECT_EQ(ops, join(head(2), modulator, tail(2)));
    // 22 register writes between the filter step and the correction step's FL_STOP.
    const Ops h = head(2);
    int writes = 0;
    for (size_t i = h.size(); i < ops.size() && ops[i] != C(0x09); ++i) writes += ops[i][0] == 'W';
    EXPECT_EQ(writes, 22);
    const auto& words = r.board->chip().modulator_words();
    ASSERT_EQ(words.size(), 5u);
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(words[n - 1].command, static_cast<std::uint32_t>(0x200 + n));
        EXPECT_EQ(words[n - 1].data, static_cast<std::uint32_t>(data[n - 1]));
    }
    EXPECT_EQ(r.messages().back(), std::string(kDoneTitle) + "|" + kDoneText);
}

TEST(ConfigSequence, SingleChannelBoardsWriteGpcfg0Only) {
    for (int code : {2, 3, 5, 6, 8}) {
        Rig r(code);
        EXPECT_EQ(r.get(SETUP_CHANNELS), 1);
        EXPECT_TRUE(r.dimmed(SETUP_CHANNELS));
        fill_inputs(r, false);
        preset_registers(r);
        r.press_configure();
        // MUX 2: bit 1 goes to pin 7; MODE 5 x 2 + GAIN 3 x 16.
        EXPECT_EQ(operations(*r.board), join(head(1), {W(0x0E, 0xFF00BA)}, tail(1)))
            << "board " << code;
        EXPECT_EQ(r.messages().back(), std::string(kDoneTitle) + "|" + kDoneText);
    }
}

TEST(ConfigSequence, SingleChannelMuxBitsLandOnPins0And7) {
    Rig r(5);
    const int expected[4] = {0xFF0000, 0xFF0001, 0xFF0080, 0xFF0081};
    for (int mux = 0; mux < 4; ++mux) {
        r.set(SETUP_MUX, mux);
        r.board->clear_log();
        EXPECT_TRUE(chip::set_modulator_parameters(chip::target(*r.app)).ok());
        EXPECT_EQ(operations(*r.board), (Ops{W(0x0E, expected[mux])})) << mux;
    }
}

TEST(ConfigSequence, NoBoardCodeFailsTheModulatorStepWithoutWriting) {
    for (int code : {0, 11}) {
        Rig r(code);
        r.board->clear_log();
        const core::Status s = chip::set_modulator_parameters(chip::target(*r.app));
        EXPECT_EQ(s.fault, core::Fault::NoBoard);
        EXPECT_EQ(s.step, "set_modulator_parameters");
        EXPECT_TRUE(r.board->log().empty()) << "board " << code;
        // The whole sequence stops there: the filter step is the last thing written.
        r.press_configure();
        const Ops ops = operations(*r.board);
        ASSERT_FALSE(ops.empty());
        EXPECT_EQ(ops.back().substr(0, 4), "W 20") << "board " << code;
        EXPECT_EQ(ops.size(), 8u);
        EXPECT_EQ(r.messages().back(), std::string(kNoResponseTitle) + "|" + kNoResponseText);
        EXPECT_TRUE(r.dimmed(SETUP_CAPTURE));
    }
}

// The modulator step follows the board's wiring: one board of each kind, the same inputs.
TEST(ConfigSequence, ModulatorStepFollowsTheBoardsWiring) {
    const int w = 1 << 20 | 2 << 16;  // MUX 1, GAIN 2 as the serial modulator's word
    Ops serial = {W(0x0E, 0xFF00CB), W(0x0F, 0x0F0008)};
    const int words[5] = {w, w, 0x400000, 0x8F0000, 0};
    for (int n = 1; n <= 5; ++n)
        for (const auto& op : {W(0x12, words[n - 1]), W(0x11, 0x200 + n), W(0x10, 0x3F0161),
                               W(0x10, 0x3F4162), M(0x200 + n, words[n - 1])})
            serial.push_back(op);
    const struct {
        int code;
        Ops ops;
    } kinds[] = {
        // MODE 6 x 32 + GAIN 2 x 4 + MUX 1; the power-down input 5 drives GPCFG1.
        {7, {W(0x0E, 0xFF00C9), W(0x0F, 0x0F0005)}},
        {4, {W(0x0E, 0xFF00C9), W(0x0F, 0x0F0008)}},
        {10, serial},
        // MUX bit 0 on pin 0, MODE 6 x 2, GAIN 2 x 16.
        {6, {W(0x0E, 0xFF002D)}},
    };
    for (const auto& k : kinds) {
        Rig r(k.code);
        r.set(SETUP_MUX, 1);
        r.set(SETUP_MODE, 6);
        r.set(SETUP_GAIN, 2);
        if (k.code == 7) r.set(SETUP_PWDN, 5);
        r.board->clear_log();
        EXPECT_TRUE(chip::set_modulator_parameters(chip::target(*r.app)).ok()) << k.code;
        EXPECT_EQ(operations(*r.board), k.ops) << "board " << k.code;
    }
}

TEST(ConfigSequence, ConfigMaskClearsOnlyTheSelectionFields) {
    Rig r(4);
    preset_registers(r);
    EXPECT_TRUE(chip::set_filter_parameters(chip::target(*r.app)).ok());
    EXPECT_EQ(r.board->chip().reg(0x00), 0xF8F8CFu);
    r.set(SETUP_CONFIGA, 48);
    r.set(SETUP_CONFIGB, 131072);
    EXPECT_TRUE(chip::set_filter_parameters(chip::target(*r.app)).ok());
    EXPECT_EQ(r.board->chip().reg(0x00), 0xFAF8FFu);
}

TEST(ConfigSequence, RateCodesFollowTheBoardsRateTable) {
    Rig r(4);
    EXPECT_EQ(chip::rate_code(333), 3);
    EXPECT_EQ(chip::rate_code(1), 8);
    EXPECT_EQ(chip::rate_code(4000), 7);
    // Every rate the input offers reaches the chip as the code the chip runs at that rate.
    for (const auto& item : r.app->ui.control(r.sp(), SETUP_RATE)->items) {
        const int rate = static_cast<int>(item.value);
        r.set(SETUP_RATE, rate);
        chip::StreamSetup stream;
        chip::Target t = chip::target(*r.app);
        t.stream = &stream;
        ASSERT_TRUE(chip::set_filter_parameters(t).ok());
        EXPECT_NEAR(r.board->chip().conversion_setup().word_rate, rate, 0.5) << rate;
        EXPECT_TRUE(stream.set);
        EXPECT_EQ(stream.fs, rate);
    }
}

TEST(ConfigSequence, FilterAndCorrectionStepsKeepEachOthersFields) {
    Rig r(4);
    preset_registers(r);
    r.set(SETUP_RATE, 4000);
    r.set(SETUP_CHANNELS, 3);
    r.set(SETUP_C13, 1);
    r.set(SETUP_C16, 31);
    ASSERT_TRUE(chip::set_filter_parameters(chip::target(*r.app)).ok());
    EXPECT_EQ(r.board->chip().reg(0x20), 0xFFF073u);  // bits 23..12 kept
    ASSERT_TRUE(chip::set_correction_parameters(chip::target(*r.app)).ok());
    EXPECT_EQ(r.board->chip().reg(0x20), 0x1F2073u);  // bits 11..0 kept
    ASSERT_TRUE(chip::set_filter_parameters(chip::target(*r.app)).ok());
    EXPECT_EQ(r.board->chip().reg(0x20), 0x1F2073u);
}

}  // namespace
}  // namespace config_test

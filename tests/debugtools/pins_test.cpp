// The pin grid: bit placement in GPCFG0/GPCFG1, the bytes written, and captions and greying
// per board family.
#include <gtest/gtest.h>

#include "chip/registers.h"
#include "debugtools/pins.h"
#include "tools_rig.h"
#include "uir_ids.h"

using namespace debugtools;
using testing_support::block;
using testing_support::ToolsRig;

TEST(Pins, FieldsLandInTheirRegisterBits) {
    const struct {
        int pin;
        std::array<bool, 3> fields;
        int gpcfg0, gpcfg1;
    } cases[] = {
        {0, {true, false, false}, 0x010000, 0},  {0, {false, false, true}, 0x000001, 0},
        {7, {true, true, true}, 0x808080, 0},    {8, {true, true, true}, 0, 0x010101},
        {11, {false, true, false}, 0, 0x000800}, {5, {false, false, false}, 0, 0},
    };
    for (const auto& c : cases) {
        PinGrid grid{};
        grid[c.pin] = c.fields;
        const PinWords w = compose(grid);
        EXPECT_EQ(w.gpcfg0, c.gpcfg0) << c.pin;
        EXPECT_EQ(w.gpcfg1, c.gpcfg1) << c.pin;
        EXPECT_EQ(decompose(w), grid) << c.pin;
    }
}

TEST(Pins, AllOffWritesZeroToBothRegistersWithoutReadingFirst) {
    ToolsRig r;
    r.t.bus.clear();
    gpio_write(r.app());  // the grid starts all off
    EXPECT_EQ(r.t.bus.writes(),
              (std::vector<testing_support::Bytes>{
                  block({0xFE, 0x01, 0x0F, 0x02, 0x03, 0, 0, 0x01, 0, 0, 0x0E, 0, 0, 0, 0xFD}),
                  block({0xFE, 0x01, 0x0F, 0x02, 0x03, 0, 0, 0x01, 0, 0, 0x0F, 0, 0, 0, 0xFD})}));
}

TEST(Pins, ReadIgnoresTheUnusedGpcfg1Bits) {
    ToolsRig r;
    chip::reg_write(r.app().port, chip::REG_GPCFG0, 0x000081);
    chip::reg_write(r.app().port, chip::REG_GPCFG1, 0xF4F2F1);  // pin 10 high, 9 middle, 8 low
    PinGrid grid{};
    ASSERT_TRUE(read_pins(r.app(), &grid));
    EXPECT_EQ(grid_of_panel(r.app()), grid);
    PinGrid expected{};
    expected[0][Low] = expected[7][Low] = true;
    expected[8][Low] = expected[9][Middle] = expected[10][High] = true;
    EXPECT_EQ(grid, expected);
    // Written back, the bits without a control are 0.
    write_pins(r.app(), grid);
    EXPECT_EQ(r.board.chip().reg(0x0F), 0x040201u);
}

TEST(Pins, CaptionsAndGreyingFollowTheBoard) {
    const struct {
        int code;
        const char* pin3;
        const char* pin8;
        int upper_dimmed, reference_dimmed;
    } cases[] = {
        {4, "GAIN1", "PWDN", 0, 0},
        {1, "GAIN1", "PWDN", 0, 1},
        {2, "MODE3", "NC", 1, 0},
        {6, "MODE3", "NC", 1, 1},
    };
    for (const auto& c : cases) {
        ToolsRig r(c.code);
        EXPECT_EQ(pin_caption(r.app(), 3), c.pin3) << c.code;
        EXPECT_EQ(pin_caption(r.app(), 8), c.pin8) << c.code;
        for (int ctrl : {CONTROL_GPIOCAP11, CONTROL_GPIOH8, CONTROL_GPIOM10, CONTROL_GPIOL11})
            EXPECT_EQ(r.control_dimmed(ctrl), c.upper_dimmed) << c.code;
        EXPECT_EQ(r.control_dimmed(CONTROL_GPIOL7), 0) << c.code;
        EXPECT_EQ(r.control_dimmed(CONTROL_EEPROG), c.reference_dimmed) << c.code;
        EXPECT_EQ(r.control_dimmed(CONTROL_LOADRAM), c.reference_dimmed) << c.code;
    }
}

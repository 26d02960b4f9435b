#include "debugtools/pins.h"

#include "chip/registers.h"
#include "debugtools/context.h"
#include "uir_ids.h"

namespace debugtools {

namespace {

// Grid controls by pin: caption, then the high, middle and low field.
constexpr int kCaption[kPins] = {CONTROL_GPIOCAP0, CONTROL_GPIOCAP1,  CONTROL_GPIOCAP2,
                                 CONTROL_GPIOCAP3, CONTROL_GPIOCAP4,  CONTROL_GPIOCAP5,
                                 CONTROL_GPIOCAP6, CONTROL_GPIOCAP7,  CONTROL_GPIOCAP8,
                                 CONTROL_GPIOCAP9, CONTROL_GPIOCAP10, CONTROL_GPIOCAP11};
constexpr int kField[kPins][3] = {{CONTROL_GPIOH0, CONTROL_GPIOM0, CONTROL_GPIOL0},
                                  {CONTROL_GPIOH1, CONTROL_GPIOM1, CONTROL_GPIOL1},
                                  {CONTROL_GPIOH2, CONTROL_GPIOM2, CONTROL_GPIOL2},
                                  {CONTROL_GPIOH3, CONTROL_GPIOM3, CONTROL_GPIOL3},
                                  {CONTROL_GPIOH4, CONTROL_GPIOM4, CONTROL_GPIOL4},
                                  {CONTROL_GPIOH5, CONTROL_GPIOM5, CONTROL_GPIOL5},
                                  {CONTROL_GPIOH6, CONTROL_GPIOM6, CONTROL_GPIOL6},
                                  {CONTROL_GPIOH7, CONTROL_GPIOM7, CONTROL_GPIOL7},
                                  {CONTROL_GPIOH8, CONTROL_GPIOM8, CONTROL_GPIOL8},
                                  {CONTROL_GPIOH9, CONTROL_GPIOM9, CONTROL_GPIOL9},
                                  {CONTROL_GPIOH10, CONTROL_GPIOM10, CONTROL_GPIOL10},
                                  {CONTROL_GPIOH11, CONTROL_GPIOM11, CONTROL_GPIOL11}};

// Field f of pin p sits at bit 16, 8 or 0 plus the pin's place in its register.
constexpr int kFieldShift[3] = {16, 8, 0};
constexpr int kPinsInGpcfg0 = 8;

int bit_of(int pin, int field) {
    return kFieldShift[field] + pin % kPinsInGpcfg0;
}

// What a reference design has no use for: it boots its own program, which these replace.
constexpr int kEvaluationOnly[] = {CONTROL_EEPROG, CONTROL_LOADRAM};

void show_grid(const Context& cx, const PinGrid& grid) {
    for (int p = 0; p < kPins; ++p)
        for (int f = 0; f < 3; ++f)
            cx.ui.SetCtrlVal(cx.shell.controlpanel, kField[p][f], grid[p][f] ? 1 : 0);
}

}  // namespace

PinWords compose(const PinGrid& grid) {
    PinWords w;
    for (int p = 0; p < kPins; ++p)
        for (int f = 0; f < 3; ++f)
            if (grid[p][f]) (p < kPinsInGpcfg0 ? w.gpcfg0 : w.gpcfg1) |= 1 << bit_of(p, f);
    return w;
}

PinGrid decompose(const PinWords& words) {
    PinGrid grid{};
    for (int p = 0; p < kPins; ++p)
        for (int f = 0; f < 3; ++f)
            grid[p][f] = ((p < kPinsInGpcfg0 ? words.gpcfg0 : words.gpcfg1) >> bit_of(p, f)) & 1;
    return grid;
}

core::Status read_pins(const Context& cx, PinGrid* grid) {
    PinWords w;
    if (core::Status s = chip::reg_read(cx.port, chip::REG_GPCFG0, &w.gpcfg0); !s) return s;
    if (core::Status s = chip::reg_read(cx.port, chip::REG_GPCFG1, &w.gpcfg1); !s) return s;
    *grid = decompose(w);
    show_grid(cx, *grid);
    return core::Status::success();
}

core::Status write_pins(const Context& cx, const PinGrid& grid) {
    show_grid(cx, grid);
    const PinWords w = compose(grid);
    const core::Status first = chip::reg_write(cx.port, chip::REG_GPCFG0, w.gpcfg0);
    const core::Status second = chip::reg_write(cx.port, chip::REG_GPCFG1, w.gpcfg1);
    return first ? second : first;
}

PinGrid grid_of_panel(const Context& cx) {
    PinGrid grid{};
    for (int p = 0; p < kPins; ++p)
        for (int f = 0; f < 3; ++f) {
            int on = 0;
            cx.ui.GetCtrlVal(cx.shell.controlpanel, kField[p][f], &on);
            grid[p][f] = on != 0;
        }
    return grid;
}

std::string pin_caption(const Context& cx, int pin) {
    std::string caption;
    cx.ui.GetCtrlVal(cx.shell.controlpanel, kCaption[pin], &caption);
    return caption;
}

void apply_board_pins(const Context& cx, std::span<const char* const, 12> captions,
                      bool upper_pins_enabled, bool reference_design) {
    auto& ui = cx.ui;
    const int cp = cx.shell.controlpanel;
    for (int p = 0; p < kPins; ++p) {
        ui.SetCtrlVal(cp, kCaption[p], captions[p]);
        const int dimmed = p >= kPinsInGpcfg0 && !upper_pins_enabled ? 1 : 0;
        ui.SetCtrlAttribute(cp, kCaption[p], ui::ATTR_DIMMED, dimmed);
        for (int f = 0; f < 3; ++f) ui.SetCtrlAttribute(cp, kField[p][f], ui::ATTR_DIMMED, dimmed);
    }
    for (int c : kEvaluationOnly) ui.SetCtrlAttribute(cp, c, ui::ATTR_DIMMED, reference_design);
}

int gpio_read(const Context& cx) {
    PinGrid grid{};
    read_pins(cx, &grid);
    return 0;
}

int gpio_write(const Context& cx) {
    // The outcome of the register writes is not shown: the grid keeps what the person set.
    write_pins(cx, grid_of_panel(cx));
    return 0;
}

}  // namespace debugtools

// The filter chip's twelve general-purpose pins as the control panel's grid shows them: per pin
// a caption and three on/off bit fields, held in GPCFG0 (pins 0-7) and GPCFG1 (pins 8-11).
#pragma once

#include <span>

#include <array>
#include <string>

#include "core/status.h"

namespace debugtools {

struct Context;

inline constexpr int kPins = 12;
// Bit fields of a pin, in grid order.
enum Field { High, Middle, Low };

// On/off of the three fields of every pin.
using PinGrid = std::array<std::array<bool, 3>, kPins>;

struct PinWords {
    int gpcfg0 = 0;
    int gpcfg1 = 0;
};

// Bits without a control (GPCFG1 bits 7-4, 15-12, 23-20) are written as 0 and ignored on read.
PinWords compose(const PinGrid& grid);
PinGrid decompose(const PinWords& words);

// Reads both registers into the grid controls (left as they were when a read fails).
core::Status read_pins(const Context& cx, PinGrid* grid);
// Sets the grid controls and writes both registers, GPCFG0 first; the grid is the whole
// truth, the registers are not read first.
core::Status write_pins(const Context& cx, const PinGrid& grid);
// The grid as its controls hold it now.
PinGrid grid_of_panel(const Context& cx);
// A pin's caption as the grid shows it.
std::string pin_caption(const Context& cx, int pin);

// Captions and greying of the pin grid for the board's chip family, and the two tool controls
// that reference-design boards grey out.
void apply_board_pins(const Context& cx, std::span<const char* const, 12> captions,
                      bool upper_pins_enabled, bool reference_design);

int gpio_read(const Context& cx);
int gpio_write(const Context& cx);

}  // namespace debugtools

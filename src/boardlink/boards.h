// The board models the program knows, by the code the board reports, and what each one sets
// on the panels and on the modulator pins. Plain data; standard library only.
#pragma once

#include <array>

namespace boardlink {

// The filter chip's variant: which register, command and macro lists the control panel gets.
enum class ChipFamily { FourChannel, SingleChannel };

// How the modulators hang off the chip's general-purpose pins and second serial port.
enum class ModulatorWiring {
    PinsWithPowerDown,  // GPCFG0 pins, GPCFG1 from the power-down/switch input
    PinsFixedSwitches,  // GPCFG0 pins, GPCFG1 fixed
    SerialModulator,    // both MUX pins high, five words through the second serial port
    SingleChannelPins,  // the single-channel pin order, GPCFG0 only
};

// The names of general-purpose pins 0 to 11 and whether pins 8 to 11 can be driven.
struct PinLabelSet {
    std::array<const char*, 12> labels;
    bool upper_pins_enabled;
};

// What the channel controls of the setup and analysis panels offer.
struct ChannelFamily {
    int channel_code;    // the channel-count selector's value after identification
    bool code_editable;  // false: the selector is greyed
    bool all_channels;   // the analysis panel offers channels 2 to 4
};

struct BoardInfo {
    int code;
    const char* name;
    ChipFamily chip;
    ModulatorWiring wiring;
    bool power_down;        // the power-down/switch input is editable
    bool reference_design;  // two control-panel controls are greyed on these boards
    const PinLabelSet* pins;
    const ChannelFamily* channels;
};

// What the filter chip's VERSION register (0x2E) tells of the chip. Bits 23..20 are 7 on every
// chip that answers; bits 23..16 are 0x76 on the four-channel variant, whose capture stream
// begins with one stale word left from the last conversion.
inline constexpr int kVersionFamilyMask = 0xF00000;
inline constexpr int kVersionFamily = 0x700000;
inline constexpr int kFourChannelVersion = 0x76;
inline constexpr bool chip_answers(int version) {
    return (version & kVersionFamilyMask) == kVersionFamily;
}
inline constexpr bool sends_stale_first_word(int version) {
    return ((version >> 16) & 0xFF) == kFourChannelVersion;
}

// nullptr for a code outside 1..10.
const BoardInfo* find_board(int code);

inline constexpr const char* kUnknownTarget = "Unknown target";

}  // namespace boardlink

// Names of the chip's registers and commands, and the pick-lists of each chip variant.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace chip {

struct PickItem {
    const char* label;
    int value;
};

// 9-character names padded with spaces, by address; addresses that start no register hold
// blanks.
extern const char* const kRegisterNames[48];
extern const char* const kPortNames[32];
extern const char* const kMiscNames[16];

std::span<const PickItem> four_channel_registers();
std::span<const PickItem> single_channel_registers();
std::span<const PickItem> four_channel_commands();
std::span<const PickItem> single_channel_commands();
std::span<const PickItem> single_channel_macro_registers();

// The register address of a name as the lists spell it ("FILTCFG" or "FILT_CFG"), or -1.
int register_address(const std::string& name);
// The registers' names in address order, as the lists spell them.
std::vector<std::string> register_names();

}  // namespace chip

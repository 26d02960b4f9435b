// The firmware file delivered for each board model, by the code the board reports. The files
// lie in the program's directory; an installed program takes the user's own copy first.
#pragma once

#include <array>

namespace boardlink::firmware {

inline constexpr std::array<const char*, 10> kFirmwareFiles = {
    "rdk4810C_mcu.thx", "evk4820A_mcu.thx", "evk4820B_mcu.thx", "evk4810C_mcu.thx",
    "evk4820C_mcu.thx", "rdk4820A_mcu.thx", "rdk4810D_mcu.thx", "evk4820D_mcu.thx",
    "evk4810D_mcu.thx", "evk4830A_mcu.thx",
};

// nullptr for a code outside 1..10.
constexpr const char* firmware_file_name(int code) {
    return code >= 1 && code <= static_cast<int>(kFirmwareFiles.size()) ? kFirmwareFiles[code - 1]
                                                                        : nullptr;
}

}  // namespace boardlink::firmware

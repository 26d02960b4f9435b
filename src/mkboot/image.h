// The boot-EEPROM image: the bytes the filter chip's boot loader reads, and their text form
// (one byte per line, two upper-case hex digits and the platform's line end).
//
// Layout: 16 zero bytes; per register pair 01, the address word (00 00 addr&FF) and the
// value word; with FIR stages 02, both counts, the FIR1 then FIR2 words; with IIR stages 03,
// 3 IIR1 and 5 IIR2 words; with no FIR, IIR or TBS data 04 00 22 00 (ROM coefficients);
// with TBS data 05, the count and the words, else 06 (ROM TBS); then closing blocks A and B.
// Words are three bytes, most significant first.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "chip/files/mkboot_inputs.h"

namespace mkboot {

#ifdef _WIN32
inline constexpr std::string_view kLineEnd = "\r\n";
#else
inline constexpr std::string_view kLineEnd = "\n";
#endif

// Both FIR stages travel together, as do both IIR stages.
struct FirStages {
    std::span<const double> first;
    std::span<const double> second;
};

struct IirStages {
    std::span<const double, chip::kIir1ValuesUsed> first;
    std::span<const double, chip::kIir2ValuesUsed> second;
};

struct BootImageInputs {
    std::span<const chip::RegisterPair> registers;
    std::optional<FirStages> fir;
    std::optional<IirStages> iir;
    std::optional<std::span<const double>> tbs;
};

std::vector<std::uint8_t> build_image(const BootImageInputs& inputs);
std::string image_text(std::span<const std::uint8_t> bytes);

}  // namespace mkboot

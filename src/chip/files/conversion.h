// Conversion of normalised floating-point values to 24-bit chip words for the boot image.
// v = x * scale in double precision; the word is the integer part of v + 0.5 (toward zero)
// AND 0xFFFFFF, negative integers as two's complement. So halves round up for v >= -0.5,
// and below that the result is ceil(v + 0.5): -1.0 gives -8388606, the word 0x800002.
// Values outside +-1.0 wrap within 24 bits; nothing is range-checked. A non-finite x gives 0.
#pragma once

#include <cstdint>

namespace chip {

inline constexpr double kCoefficientScale = 8388607.0;
inline constexpr double kTbsScale = 327679.0;

std::uint32_t scaled_word(double x, double scale);
inline std::uint32_t coefficient_word(double x) {
    return scaled_word(x, kCoefficientScale);
}
inline std::uint32_t tbs_word(double x) {
    return scaled_word(x, kTbsScale);
}

}  // namespace chip

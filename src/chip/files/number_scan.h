// Scanning of the numbers on an item line. A number may follow white space and must end at
// white space or at the end of the line; whatever follows it after white space is left for
// the caller (and ignored by the readers, so a note may follow the data). "0,5" or "12G" are
// therefore rejected rather than read as 0 or 0x12.
#pragma once

#include <cstdint>
#include <string_view>

namespace chip {

// Hexadecimal: optional sign, optional 0x/0X, at least one digit, no more than 8 after the
// leading zeros (a wider number is rejected, not cut); a minus sign gives the two's
// complement. On success text is advanced past the number.
bool scan_hex(std::string_view& text, std::uint32_t& value);

// Decimal floating point (123, -0.5, 1e-3, .25), optional sign. Infinities, NaNs and values
// outside the range of double are rejected. On success text is advanced past the number.
bool scan_decimal(std::string_view& text, double& value);

}  // namespace chip

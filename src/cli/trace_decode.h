// Reads a bus trace back as a protocol analyser would: one line per exchange, with the request
// decoded, the port registers and command words named, and the reply bytes the host checks.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace cli {

struct DecodedExchange {
    double t = 0.0;    // when the request (or the event) was recorded
    std::string text;  // "SPI write 0x03 SPICMD=000002 RD_DFREG SPIDAT1=00002E  reply 01 ok"
};

// The longest line a trace holds: one read of the largest receive queue, in hexadecimal.
inline constexpr std::size_t kMaxTraceLine = 16u << 20;

// False (with the line number in *bad_line) at the first line that is not a trace record.
bool decode_trace(std::istream& in, std::vector<DecodedExchange>* out, int* bad_line);

}  // namespace cli

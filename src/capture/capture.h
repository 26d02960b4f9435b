// Capturing blocks of conversion data from the board into the capture buffer.
#pragma once

#include <cstdint>

class App;

namespace capture {

inline constexpr int kChunkBytes = 1000;
inline constexpr int kRecordBytes = 4;

// The capture request and its reply; 1 on the correct reply, 0 after a reported failure.
int USB_Write_CaptureStart(App& app, int records, int channels, int skip);
// One capture into the buffer: 0 on success, 1 after a failure it has reported.
int capture_data(App& app);

// Sample of a record: 24-bit two's complement, most significant byte first.
inline std::int32_t decode_sample(const std::uint8_t* b) {
    const std::int32_t v = (b[0] << 16) | (b[1] << 8) | b[2];
    return v <= 0x7FFFFF ? v : v - 16777216;
}

}  // namespace capture

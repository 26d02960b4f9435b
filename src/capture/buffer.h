// The capture buffer: every record of the last capture, all channels interleaved.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/system_types.h"

namespace capture {

// Where a capture stands: block `block` (from 1) of `blocks`, `records` of `total` stored;
// the run began at clock time `started`.
struct CaptureProgress {
    int block = 0, blocks = 0;
    long long records = 0, total = 0;
    double started = 0.0;
};

struct Buffer {
    // Allocated once for the life of the program.
    std::vector<std::int32_t> iarr = std::vector<std::int32_t>(core::kBufferEntries);
    std::vector<std::int32_t> jarr = std::vector<std::int32_t>(core::kBufferEntries);
    // The block held before a capture, kept until the capture has succeeded so a failed one
    // loses nothing; swapped, never copied.
    std::vector<std::int32_t> held_iarr = std::vector<std::int32_t>(core::kBufferEntries);
    std::vector<std::int32_t> held_jarr = std::vector<std::int32_t>(core::kBufferEntries);
    int num_samples = 0;
    int NumberOfChannels = 0;  // 1 to 4 once a block was captured or loaded
    double fs = 500.0;         // output word rate, samples per second
    // Channels the chip was last configured to deliver, in turn; 0 before any configuration.
    // The stream's tags follow this count, not the selector, which may have changed since.
    int configured_channels = 0;
    long long dropped = 0;  // records of the last capture beyond the buffer's capacity
    // A capture may start: the board was configured since it was connected, and nothing
    // since has left the chip part-configured.
    bool armed = false;
    // The capture running now, and who is told as its records arrive (a terminal's progress
    // line); may be empty.
    CaptureProgress progress;
    std::function<void(const CaptureProgress&)> on_progress;
};

}  // namespace capture

// Capturing blocks of conversion data from the board into the capture buffer.
#pragma once

#include <cstdint>

#include "boardlink/transport/record_stream.h"
#include "core/status.h"
#include "core/system_types.h"

class App;

namespace capture {

using boardlink::kChunkBytes;
using boardlink::kRecordBytes;

// The progress window's title while records arrive; the window stays up across the averaging
// loop's blocks and is ended by whoever began the run.
inline constexpr const char* kCaptureProgressTitle = "Capturing Data";

// The capture request and its reply; 1 on the correct reply, 0 after a reported failure.
int USB_Write_CaptureStart(App& app, int records, int channels, int skip);
// One capture into the buffer. A failure names its step ("record count",
// "USB_Write_CaptureStart", "wait_capture_reply", "stream"), has set the caption back and,
// except for an over-run, locked capture; the status carries the message for the person.
core::Status capture_block(App& app);
// capture_block, then its message: 0 on success, 1 after a failure it has reported.
int capture_data(App& app);

// Sample of a record: 24-bit two's complement, most significant byte first.
inline std::int32_t decode_sample(const std::uint8_t* b) {
    return core::sign_extend24(core::word_from_bytes(b[0], b[1], b[2]));
}

struct Buffer;

// Stores the whole records of a chunk of the stream at record index m onward and returns how many
// it held; records past the buffer's capacity are counted in buf.dropped, not stored.
int store_records(const std::uint8_t* chunk, int bytes, long long m, Buffer& buf);

}  // namespace capture

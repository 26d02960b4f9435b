#include "chip/acquisition.h"

#include "boardlink/boards.h"
#include "boardlink/transport/protocol.h"
#include "boardlink/transport/transport.h"
#include "chip/registers.h"

namespace chip {

namespace {
// The stream's read and write time-outs, ms: the only place the program sets them.
constexpr int kStreamTimeoutMs = 1000;
// After FL_STOP, records already on their way still arrive for a moment.
constexpr double kStopSettleSeconds = 0.05;

// FL_STOP without a read-back: the filter stops streaming.
void stop_filter(boardlink::Port& port) {
    int zero = 0;
    dsp_command(port, FL_STOP, &zero, &zero, false);
}

}  // namespace

StartEnd start_capture(boardlink::Port& port, int records, int channels, int skip) {
    boardlink::send(port, boardlink::capture_start_request(static_cast<std::uint32_t>(records),
                                                           static_cast<std::uint8_t>(channels),
                                                           static_cast<std::uint16_t>(skip)));
    port.usb.SI_SetTimeouts(kStreamTimeoutMs, kStreamTimeoutMs);
    if (!boardlink::wait_ready(port, boardlink::kCaptureStartLimit)) return StartEnd::NoAnswer;
    if (boardlink::answers(boardlink::receive_reply(port), usb::wire::kCaptureStart))
        return StartEnd::Started;
    return StartEnd::OutOfSync;
}

bool stop_capture(boardlink::Port& port, int skip) {
    stop_filter(port);
    return skip == 0 && boardlink::sends_stale_first_word(REG_read(port, REG_VERSION));
}

void cancel_capture(boardlink::Port& port) {
    stop_filter(port);
    port.delay(kStopSettleSeconds);
    boardlink::flush(port);
}

}  // namespace chip

#include "boardlink/transport/record_stream.h"

#include <algorithm>
#include <cstring>

#include "boardlink/transport/protocol.h"
#include "boardlink/transport/transport.h"

namespace boardlink {

StreamEnd read_records(Port& port, long long count, const RecordSink& sink) {
    std::uint8_t chunk[kChunkBytes + kRecordBytes];
    int carried = 0;
    long long m = 0;
    do {
        bool lost = false;
        const auto ready = wait_ready(port, kStreamChunkLimit, &lost);
        if (!ready) return StreamEnd::Silent;
        if (lost) return StreamEnd::Lost;
        std::uint32_t got = 0;
        port.usb.SI_Read(port.link.cyHandle, chunk + carried,
                         std::min<std::uint32_t>(*ready, kChunkBytes), &got);
        const int bytes = carried + static_cast<int>(got);
        const int k = bytes / kRecordBytes;
        if (!sink(chunk, k)) return StreamEnd::Refused;
        if (port.stop_requested && port.stop_requested()) return StreamEnd::Stopped;
        m += k;
        carried = bytes - k * kRecordBytes;
        std::memmove(chunk, chunk + k * kRecordBytes, carried);
    } while (m < count);
    return StreamEnd::Complete;
}

}  // namespace boardlink

// The board's record stream as a driver hands it out: once a capture has started, records
// leave in chunks, as they arrive, to a consumer the caller gives. The consumer decides what
// a record means and where it goes; the stream only knows how they come off the wire.
#pragma once

#include <cstdint>
#include <functional>

#include "boardlink/transport/port.h"

namespace boardlink {

// At most this many bytes are read at a time, whatever is queued.
inline constexpr int kChunkBytes = 1000;
// A record: the tag byte, then a 24-bit sample, most significant byte first.
inline constexpr int kRecordBytes = 4;

enum class StreamEnd {
    Complete,  // every record asked for went to the consumer
    Silent,    // nothing arrived within the chunk limit
    Lost,      // the device library reports bytes lost on the way
    Refused,   // the consumer refused a chunk
    Stopped,   // the person asked to stop (Port::stop_requested); the board still streams
};

// The whole records of one read, in the order they arrived; count is 0 when a read ended
// inside a record. Returns false to refuse the chunk, which ends the stream.
using RecordSink = std::function<bool(const std::uint8_t* records, int count)>;

// Reads whatever is queued, in chunks of at most kChunkBytes, until `count` records have gone
// to the sink. A queue holding more than one chunk is no loss: the library keeps queuing while
// the program is busy. Bytes past a chunk's last whole record are kept for the next one, so a
// record split across two reads reaches the sink whole. A stop asked for is seen after each
// chunk, so it ends the stream within one chunk's time.
StreamEnd read_records(Port& port, long long count, const RecordSink& sink);

}  // namespace boardlink

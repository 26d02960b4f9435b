// Starting and stopping the board's record stream, as a driver offers them: a start request
// with its answer, then the records (boardlink::read_records), then a stop that ends the
// filter's output and tells whether the first record is the four-channel variant's stale
// word. What the caller shows of a failure is its own affair.
#pragma once

#include "boardlink/transport/port.h"

namespace chip {

enum class StartEnd {
    Started,
    NoAnswer,   // no answer within the start limit
    OutOfSync,  // an answer that is not the start command's
};

// Asks for `records` records of `channels` channels after `skip` skipped samples, sets the
// device library's time-outs for the stream, and waits for the board's answer.
StartEnd start_capture(boardlink::Port& port, int records, int channels, int skip);

// Ends the filter's stream (FL_STOP). True when the records begin with the stale word the
// four-channel variant sends first; skipped samples carry it away, so only with skip 0.
bool stop_capture(boardlink::Port& port, int skip);

// Ends a stream cut short: FL_STOP while records still arrive (its answer may be lost among them),
// then the queue emptied of what was in flight.
void cancel_capture(boardlink::Port& port);

}  // namespace chip

// How far a capture has come, told the same way in the progress window and on a terminal.
#pragma once

#include <string>

#include "capture/buffer.h"

namespace capture {

// The share of the whole run done, across the averaging loop's blocks: 0 to 1.
double fraction_done(const CaptureProgress& p);
// "block 2/4, 8192/16384 records, 12 s left"; the time left once anything has arrived,
// estimated from the seconds elapsed since the run began.
std::string describe(const CaptureProgress& p, double elapsed);

}  // namespace capture

// What the next capture asks for, as the setup panel's inputs hold it.
#pragma once

namespace capture {

struct CaptureSettings {
    int samples = 0;  // records per channel
    int skip = 0;     // records the board drops before the first one sent
    int average = 0;  // captures averaged into one spectrum; 0 and 1 both mean one
};

}  // namespace capture

// A recording of the connected, configured board as the command line and the desktop program
// start it: the names completed with the defaults for the board and its rate, the host's UTC
// clock read at the start, the stream recorded, and StationXML written beside the archive.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "boardlink/transport/port.h"
#include "platform/clock/clock.h"
#include "recording/recorder.h"

namespace recording {

struct RecordJob {
    std::string out;
    double seconds = 0.0;  // 0: until stopped
    // Empty: the default ("XX", the serial's last five characters, the band-code channels).
    std::string network, station;
    std::optional<std::string> location;
    std::vector<std::string> channel_codes;
};

struct RecordedJob {
    RecordOutcome outcome;
    StreamNames names;
    std::string station_xml;  // the file written beside the archive
    double cpu_seconds = 0.0;
};

// What a recording needs of the connected board and the analysis settings.
struct JobBoard {
    std::string serial;  // the board's serial string, for the default station
    double rate = 0.0;   // words per second per channel
    int channels = 1;
    bool armed = false;  // configured for a capture
    int fs_code = 0;     // full-scale code and volts, for the counts per volt
    double fs_volt = 0.0;
};

// The names the job would record under; a one-line reason in *why when they cannot be used.
StreamNames job_names(const JobBoard& board, const RecordJob& job, std::string* why);

// NotAllowed when the board is not configured for a capture; BadInput for names that cannot
// be used (nothing written then). The first sample is dated by the clock's UTC.
RecordedJob record_job(boardlink::Port& port, const platform::Clock& clock, const JobBoard& board,
                       const RecordJob& job, const ProgressSink& progress);

}  // namespace recording

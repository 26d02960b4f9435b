// FDSN StationXML 1.1 beside the archive: each channel's sample rate and its sensitivity in
// counts per volt, so seismology tools turn counts into volts without help.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "recording/seed_names.h"

namespace recording {

// counts_per_volt: the full-scale code over half the full-scale span in volts. start_us dates
// the channels' epoch. Written to a temporary file and renamed into place.
core::Status write_station_xml(const std::string& path, const StreamNames& names, double rate,
                               double counts_per_volt, std::int64_t start_us);

}  // namespace recording

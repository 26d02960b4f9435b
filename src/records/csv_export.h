// The records as a spreadsheet: one row per figure of each record.
#pragma once

#include <string>
#include <vector>

#include "core/status.h"
#include "records/run_record.h"

namespace records {

// Writes the records to path as RFC 4180 CSV, atomically: a header, then per figure utc, id,
// serial, board code, firmware, kind, test, channel, figure, unit, value, upper bound ("yes" or
// empty), the figure's verdict when it was judged, and the record's verdict.
core::Status export_csv(const std::vector<RunRecord>& records, const std::string& path);

}  // namespace records

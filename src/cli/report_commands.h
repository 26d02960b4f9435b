#pragma once

namespace cli {

// spectrum export, report: the averaged spectra as CSV and the report file.
void add_report_commands();

}  // namespace cli

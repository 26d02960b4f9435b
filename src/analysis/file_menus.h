// The main window's File items for exports and the report: each asks for a file, then calls
// the inner operation and shows its message when it fails.
#pragma once

namespace analysis {

struct Context;

void exportDataMenu(const Context& cx);
void exportSpectrumMenu(const Context& cx);
// HTML, or PDF when the chosen name ends in ".pdf".
void saveReportMenu(const Context& cx);

}  // namespace analysis

// The main window's File items for exports and the report: each asks for a file, then calls
// the inner operation and shows its message when it fails.
#pragma once

class App;

namespace analysis {

void exportDataMenu(App& app);
void exportSpectrumMenu(App& app);
// HTML, or PDF when the chosen name ends in ".pdf".
void saveReportMenu(App& app);

}  // namespace analysis

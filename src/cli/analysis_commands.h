#pragma once

namespace cli {

// data load, data save, analyze: analysis data files and the tests of the analysis panel.
void add_analysis_commands();

}  // namespace cli

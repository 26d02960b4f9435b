// What each test shows: its read-outs (the test's own, then the converter figures), graph names
// and cursor read-outs. One table, by test selector value.
#include "analysis/panel_setup.h"
#include "analysis/state.h"
#include "core/system_types.h"

namespace analysis {

using namespace spectrum;

namespace {

constexpr PanelSetup kSetups[] = {
    {2,
     {core::kStatMaximum, core::kStatMinimum},
     {0, 0},
     "TIME DOMAIN",
     "Count",
     "Magnitude",
     "COUNT",
     "MAGNITUDE",
     0,
     "",
     ""},
    {7,
     {core::kStatMaximum, core::kStatMinimum, core::kStatMean, core::kStatStdDev,
      core::kStatVariance, "Effective resolution", "Noise-free resolution"},
     {0, 0, 2, 2, 2, 2, 2},
     "HISTOGRAM",
     "Bin",
     "Magnitude",
     "BIN",
     "MAGNITUDE",
     0,
     "",
     ""},
    {12,
     {"S/N", "S/PN", "S/D", "S/N+D", "# of bins", "Signal dBFS", "THD", "SINAD", "ENOB", "ENOB FS",
      "SFDR", "DR"},
     {2, 2, 2, 2, 0, 2, 2, 2, 2, 2, 2, 2},
     "FREQUENCY DOMAIN",
     "Frequency",
     "Magnitude",
     "FREQUENCY",
     "MAGNITUDE",
     3,
     "Hz",
     "dB"},
    {5,
     {"S/N", "S/PN", "Spot Noise dB", "Spot Noise nV", "# of bins"},
     {2, 2, 2, 2, 0},
     "FREQUENCY DOMAIN",
     "Frequency",
     "Magnitude",
     "FREQUENCY",
     "MAGNITUDE",
     3,
     "Hz",
     "dB"},
    {0, {}, {}, "PHASE", "Frequency", "Phase", "FREQUENCY", "PHASE", 3, "Hz", "D"},
};

}  // namespace

const PanelSetup* panel_setup_of(int test) {
    if (test < 0 || test >= static_cast<int>(std::size(kSetups))) return nullptr;
    return &kSetups[test];
}

}  // namespace analysis

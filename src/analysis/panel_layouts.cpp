// What each test shows: its read-outs (the test's own, then the converter figures), graph names
// and cursor read-outs. One table, by test selector value.
#include "analysis/panel_setup.h"
#include "analysis/state.h"

namespace analysis {

using namespace spectrum;
using namespace spectrum::figures;

namespace {

constexpr PanelSetup kSetups[] = {
    {2, {kMaximum, kMinimum}, "TIME DOMAIN", "Sample", "Code", "COUNT", "MAGNITUDE", 0, "", ""},
    {7,
     {kMaximum, kMinimum, kMean, kStdDev, kVariance, kEffectiveResolution, kNoiseFreeResolution},
     "HISTOGRAM",
     "Code",
     "Count",
     "BIN",
     "MAGNITUDE",
     0,
     "",
     ""},
    {12,
     {kSn, kSpn, kSd, kSnd, kBins, kSignalDbfs, kThd, kSinad, kEnob, kEnobFs, kSfdr, kDr},
     "FREQUENCY DOMAIN",
     "Frequency (Hz)",
     "Magnitude (dBFS)",
     "FREQUENCY",
     "MAGNITUDE",
     3,
     "Hz",
     "dB"},
    {5,
     {kSn, kSpn, kSpotNoiseDb, kSpotNoiseNv, kBins},
     "FREQUENCY DOMAIN",
     "Frequency (Hz)",
     "Magnitude (dB)",
     "FREQUENCY",
     "MAGNITUDE",
     3,
     "Hz",
     "dB"},
    {0, {}, "PHASE", "Frequency (Hz)", "Phase (degrees)", "FREQUENCY", "PHASE", 3, "Hz", "D"},
};

}  // namespace

const PanelSetup* panel_setup_of(int test) {
    if (test < 0 || test >= static_cast<int>(std::size(kSetups))) return nullptr;
    return &kSetups[test];
}

}  // namespace analysis

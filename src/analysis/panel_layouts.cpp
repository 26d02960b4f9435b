// What each test shows: its read-outs (the test's own, then the converter figures), graph names
// and cursor read-outs. One table, by test selector value.
#include "analysis/panel_setup.h"
#include "analysis/state.h"

#include <initializer_list>

namespace analysis {

using namespace spectrum;
using namespace spectrum::figures;

namespace {

// The digitizer tests that plot noise densities over a logarithmic frequency axis.
constexpr PanelSetup noise_plot(int displays, std::initializer_list<Figure> figures,
                                const char* title) {
    PanelSetup s{
        displays, {},   title, "Frequency (Hz)", "PSD (dB re 1 V²/Hz)", "FREQUENCY", "PSD", 3,
        "Hz",     "dB", true};
    int i = 0;
    for (const Figure& f : figures) s.figures[i++] = f;
    return s;
}

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
    noise_plot(6, {kNoiseDensity, kNoiseDbfs, kNoiseRms, kCorner, kDr, kNlnmMargin}, "NOISE PSD"),
    noise_plot(6,
               {kSelfNoiseDensity, kNoiseDensity, kRelativeGain, kRelativePhase, kDr, kNlnmMargin},
               "SELF-NOISE"),
    noise_plot(1, {kCrosstalkLevel}, "CROSSTALK"),
    {5,
     {kSinadFit, kEnobFit, kFitFrequency, kFitAmplitude, kSnd},
     "SINE FIT RESIDUAL",
     "Sample",
     "Residual (codes)",
     "SAMPLE",
     "RESIDUAL",
     2,
     "",
     "code"},
};

}  // namespace

const PanelSetup* panel_setup_of(int test) {
    if (test < 0 || test >= static_cast<int>(std::size(kSetups))) return nullptr;
    return &kSetups[test];
}

}  // namespace analysis

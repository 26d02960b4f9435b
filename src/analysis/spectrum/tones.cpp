#include "analysis/spectrum/tones.h"

#include <algorithm>
#include <cmath>

namespace analysis::spectrum {

namespace {

// The power-weighted centre of the fundamental band, in bins: a tone between two bins reads
// between them, not at the nearer one.
double centre_bin(const SpectrumState& state, const double* p) {
    double weighted = 0.0, total = 0.0;
    for (int k = state.fund_first; k <= state.fund_last; ++k) {
        weighted += k * p[k];
        total += p[k];
    }
    return total > 0.0 ? weighted / total : state.fund_bin;
}

double folded(double frequency, double fs) {
    const double f = std::fmod(frequency, fs);
    return f > fs / 2.0 ? fs - f : f;
}

}  // namespace

std::vector<Tone> tone_table(const SpectrumState& state, int n, double fs) {
    std::vector<Tone> out;
    if (state.fund_bin < 0 || n <= 0 || fs <= 0.0 || state.fund_power <= 0.0) return out;
    if (state.fund_first > state.fund_last || state.ref_power <= 0.0) return out;
    const int channel = state.fund_channel;
    if (channel < 0 || channel >= kSpectrumChannels) return out;
    const double* p = state.avg_buff[static_cast<size_t>(channel)].data();
    const double fundamental = centre_bin(state, p) * fs / n;
    out.push_back({1, fundamental, 10.0 * std::log10(state.fund_power / state.ref_power)});
    const int last = std::min(state.n_harmonics + 1, kTableMaxOrder);
    for (int order = 2; order <= last; ++order) {
        const HarmonicEntry& h = state.harmonics[static_cast<size_t>(order - 2)];
        Tone t{order, folded(order * fundamental, fs), std::nullopt};
        if (h.status == kHarmonicCounted && h.power > 0.0)
            t.level = 10.0 * std::log10(h.power / state.fund_power);
        out.push_back(t);
    }
    return out;
}

}  // namespace analysis::spectrum

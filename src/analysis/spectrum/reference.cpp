#include "analysis/spectrum/reference.h"

#include <algorithm>
#include <cmath>

#include "analysis/spectrum/windows.h"
#include "dsp/dsp.h"

namespace analysis::spectrum {

namespace {

constexpr int kReferencePeriods = 16;
// A period of one or two samples puts the sine on its zero crossings only: the reference would
// be silent.
constexpr int kMinReferencePeriod = 3;

}  // namespace

int getReferenceFFT(SpectrumState& state, int count, int32_t fs_code, int window_index) {
    state.ref_power = 0.0;
    const int period = count / kReferencePeriods;
    if (period < kMinReferencePeriod || count > core::kBufferEntries) return dsp::kInvalidCount;
    const double two_pi = std::atan(1.0) * 8.0;
    int32_t* samples = state.ref_samples.data();
    double* re = state.fft_re.data();
    double* im = state.fft_im.data();
    double* power = state.fft_power.data();
    for (int i = 0; i < count; ++i) {
        samples[i] = static_cast<int32_t>(std::sin(two_pi * i / period) * fs_code - 0.5);
        re[i] = samples[i];
    }
    window(state, window_index, count);
    const int status = dsp::ReFFT(re, im, count);
    if (status != 0) return status;
    for (int i = 0; i < count; ++i) power[i] = re[i] * re[i] + im[i] * im[i];

    double max = 0.0, min = 0.0;
    int peak = 0, lowest = 0;
    dsp::MaxMin1D(power, count / 2, &max, &peak, &min, &lowest);
    // Bins of the main lobe that fall outside the record are not summed.
    const int first = std::max(0, peak - state.tone_bins);
    const int last = std::min(count - 1, peak + state.tone_bins);
    double sum = 0.0;
    for (int j = first; j <= last; ++j) sum += power[j];
    state.ref_power = sum;
    return 0;
}

}  // namespace analysis::spectrum

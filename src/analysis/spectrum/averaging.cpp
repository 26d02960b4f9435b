#include "analysis/spectrum/averaging.h"

#include <algorithm>

#include "analysis/spectrum/windows.h"
#include "dsp/dsp.h"

namespace analysis::spectrum {

namespace {

// Floor of a bin's power, so that every logarithm of an averaged spectrum is finite.
constexpr double kPowerFloor = 1e-20;

bool valid_channel(int channel) {
    return channel >= 0 && channel < kSpectrumChannels;
}

}  // namespace

void clean_average_buff(SpectrumState& state) {
    for (auto& channel : state.avg_buff) std::fill(channel.begin(), channel.end(), 0.0);
}

int windowed_transform(SpectrumState& state, const int32_t* samples, int count, int window_index,
                       const double** spectrum) {
    if (count < 1 || count > core::kBufferEntries || samples == nullptr) return dsp::kInvalidCount;
    const double* w = select_window(state, window_index, count);
    double* h = nullptr;
    const int status = dsp::WindowedHalfComplexReFFT(samples, w, state.fft_re.data(),
                                                     state.fft_im.data(), count, &h);
    *spectrum = h;
    return status;
}

int ChannelFFT(SpectrumState& state, int averages, int channel, const int32_t* samples, int count,
               int window_index) {
    if (averages < 1 || !valid_channel(channel) || count < 0 || count > core::kBufferEntries)
        return dsp::kInvalidCount;
    if (count == 0) return 0;
    const double* spectrum = nullptr;
    const int status = windowed_transform(state, samples, count, window_index, &spectrum);
    if (status != 0) return status;
    return add_to_average(state, averages, channel, spectrum, count);
}

int add_to_average(SpectrumState& state, int averages, int channel, const double* spectrum,
                   int count) {
    if (averages < 1 || !valid_channel(channel) || count < 0 || count > core::kBufferEntries ||
        (count > 0 && spectrum == nullptr))
        return dsp::kInvalidCount;
    double* avg = state.avg_buff[channel].data();
    const double* h = spectrum;
    // One pass for the power and the average, straight from the half-complex bins; the power
    // itself is not kept.
    const auto accumulate = [&](auto share) {
        const auto add = [&](int i, double p) {
            if (p < kPowerFloor) p = kPowerFloor;
            avg[i] += share(p);
        };
        if (count == 0) return;
        add(0, h[0] * h[0]);
        int k = 1;
        for (; k < count - k; ++k) add(k, h[k] * h[k] + h[count - k] * h[count - k]);
        if (k == count - k) add(k, h[k] * h[k]);  // X[n/2] of an even count
    };
    if (averages == 1) {
        accumulate([](double p) { return p; });  // x / 1 is x: spare the division
    } else {
        accumulate([averages](double p) { return p / averages; });
    }
    return 0;
}

}  // namespace analysis::spectrum

#include "analysis/spectrum/averaging.h"

#include <algorithm>

#include "analysis/spectrum/windows.h"
#include "dsp/dsp.h"

namespace analysis {

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

int windowed_transform(SpectrumState& state, const int32_t* samples, int count, int window_index) {
    if (count < 1 || count > kSpectrumMaxSamples || samples == nullptr) return dsp::kInvalidCount;
    const double* w = select_window(state, window_index, count);
    return dsp::WindowedHalfReFFT(samples, w, state.fft_re.data(), state.fft_im.data(), count);
}

int ChannelFFT(SpectrumState& state, int averages, int channel, const int32_t* samples, int count,
               int window_index) {
    if (averages < 1 || !valid_channel(channel) || count < 0 || count > kSpectrumMaxSamples)
        return dsp::kInvalidCount;
    if (count == 0) return 0;
    const int status = windowed_transform(state, samples, count, window_index);
    if (status != 0) return status;
    return add_to_average(state, averages, channel, count);
}

int add_to_average(SpectrumState& state, int averages, int channel, int count) {
    if (averages < 1 || !valid_channel(channel) || count < 0 || count > kSpectrumMaxSamples)
        return dsp::kInvalidCount;
    const double* re = state.fft_re.data();
    const double* im = state.fft_im.data();
    double* avg = state.avg_buff[channel].data();
    const int bins = count / 2 + 1;
    // One pass for the power and the average; the power itself is not kept, which spares a
    // trip through memory per channel.
    const auto accumulate = [&](auto share) {
        for (int i = 0; i < bins; ++i) {
            double p = re[i] * re[i] + im[i] * im[i];
            if (p < kPowerFloor) p = kPowerFloor;
            avg[i] += share(p);
        }
    };
    if (averages == 1) {
        accumulate([](double p) { return p; });  // x / 1 is x: spare the division
    } else {
        accumulate([averages](double p) { return p / averages; });
    }
    return 0;
}

}  // namespace analysis

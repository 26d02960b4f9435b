#include "analysis/spectrum/fft_errors.h"

#include <utility>

namespace analysis::spectrum {

FftErrorReporter::FftErrorReporter(Sink plot_error, std::array<int, kSpectrumChannels> plot_enabled)
    : plot_error_(std::move(plot_error)), plot_enabled_(plot_enabled) {}

bool FftErrorReporter::enabled(int channel) const {
    return channel >= 0 && channel < kSpectrumChannels && plot_enabled_[channel] != 0;
}

void FftErrorReporter::raise(int code, int channel) const {
    if (enabled(channel) && plot_error_) plot_error_(code * 10, channel);
}

}  // namespace analysis::spectrum

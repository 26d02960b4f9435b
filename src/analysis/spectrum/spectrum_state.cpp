#include "analysis/spectrum/spectrum_state.h"

#include <cstddef>

namespace analysis::spectrum {

namespace {

// The widest main lobe of the window family is 2 * 6 + 1 bins.
constexpr int kMaxMarkerLinesPerTone = 13;

}  // namespace

SpectrumState::SpectrumState()
    : fft_re(core::kBufferEntries),
      fft_im(core::kBufferEntries),
      fft_power(core::kBufferEntries),
      ref_samples(core::kBufferEntries),
      window_coefs(core::kBufferEntries),
      plot_x(kSpectrumMaxBins),
      plot_y(kSpectrumMaxBins) {
    for (auto& channel : avg_buff) channel.assign(kSpectrumMaxBins, 0.0);
    marker_texts.reserve(kMaxHarmonics + 1);
    marker_lines.reserve(static_cast<std::size_t>(kMaxMarkerLinesPerTone) * (kMaxHarmonics + 1));
}

}  // namespace analysis::spectrum

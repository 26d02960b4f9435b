// Error codes of the frequency-domain tests and the gate that passes them to the error list:
// an error reaches plot_error (as code x 10 and the channel index) only while that channel's
// plot button is on. The computation goes on either way.
#pragma once

#include <array>
#include <functional>

#include "analysis/spectrum/spectrum_state.h"

namespace analysis::spectrum::fft_error {

inline constexpr int kSampleSizeTooSmall = 20;
inline constexpr int kFundamentalTooLow = 21;
inline constexpr int kFundamentalInDc = 22;
inline constexpr int kFundamentalAboveLimit = 23;
// The strongest band stands no higher above the noise than noise bands do: there is no tone.
inline constexpr int kNoFundamental = 24;
inline constexpr int kPeakNoiseInDc = 25;
inline constexpr int kPeakNoiseInFundamental = 26;
inline constexpr int kPeakNoiseAboveLimit = 27;
// The bandwidth limit ends inside the DC bins: no noise bin is left, so the noise figures
// that need one are not produced.
inline constexpr int kNoNoiseBins = 28;
inline constexpr int kHarmonicOverlap = 31;
inline constexpr int kHarmonicInDc = 32;
inline constexpr int kHarmonicInFundamental = 33;
inline constexpr int kHarmonicAliased = 34;
// More harmonics fall below the limit than the table holds; only the first kMaxHarmonics
// are analysed.
inline constexpr int kTooManyHarmonics = 35;
inline constexpr int kPhaseSampleSize = 50;

}  // namespace analysis::spectrum::fft_error

namespace analysis::spectrum {

class FftErrorReporter {
  public:
    using Sink = std::function<void(int code_times_ten, int channel_index)>;

    // plot_enabled: the four channel buttons as last read (non-zero = on).
    FftErrorReporter(Sink plot_error, std::array<int, kSpectrumChannels> plot_enabled);

    bool enabled(int channel) const;
    void raise(int code, int channel) const;

  private:
    Sink plot_error_;
    std::array<int, kSpectrumChannels> plot_enabled_;
};

}  // namespace analysis::spectrum

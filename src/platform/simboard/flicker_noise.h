// 1/f (flicker) noise of one modulator input, tied to that input's white noise level: its
// one-sided PSD is white * corner / f, so the two meet at the corner frequency.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/simboard/rng.h"

namespace simboard {

// A bank of independent first-order noise sections, two poles per decade from far below any
// capture's lowest bin to near Nyquist. Each section adds a Lorentzian; their weights are
// fitted once so the bank's exact discrete-time PSD follows 1/f within a few thousandths of a
// dB from 1e-6 to 0.1 cycles per word, and the bank is scaled so it meets the white level at
// the corner exactly.
class FlickerNoise {
  public:
    static constexpr std::size_t kSections = 14;

    explicit FlickerNoise(std::uint64_t seed);

    // Corner in cycles per word (0: off), white noise sigma in codes at the word rate. Each
    // section's state is drawn from its stationary distribution, so there is no start-up
    // transient.
    void set(double corner, double white_sigma);
    bool on() const { return on_; }

    // Adds the next count samples, in codes.
    void add(double* out, std::size_t count);

    // The flicker-to-white PSD ratio the bank as set produces at freq (cycles per word): the
    // truth a measurement of it is held to, corner / freq within the fit.
    double ratio(double freq) const;

  private:
    Rng rng_;
    bool on_ = false;
    double scale_ = 0.0;                 // squared: bank PSD -> flicker-to-white ratio
    std::array<double, kSections> b_{};  // input amplitude of each section, codes
    std::array<double, kSections> y_{};  // section states, codes
};

}  // namespace simboard

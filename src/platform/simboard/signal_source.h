// The analogue side of one modulator channel: a tone with harmonics, white and 1/f noise and
// DC, produced in blocks, deterministic for a given seed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/simboard/board_config.h"
#include "platform/simboard/flicker_noise.h"
#include "platform/simboard/rng.h"

namespace simboard {

constexpr double kFullScaleCode = 8388607.0;

// Amplitude ratio of a level in dB.
double db_to_ratio(double db);

// A sine and its harmonics, phase-locked to the sample index.
struct Tone {
    double amplitude = 0.0;                      // peak, codes
    double freq = 0.0;                           // cycles per sample
    double phase = 0.0;                          // radians at sample 0
    std::array<double, 4> harmonic_amplitude{};  // orders 2..5, peak codes
};

// Adds the tone's samples n0 .. n0 + count - 1 to out.
void add_tone(const Tone& tone, std::uint64_t n0, double* out, std::size_t count);

// Standard deviation in codes of white noise of the given density (nV/sqrt(Hz)) seen at the
// given word rate, when fs_volt peak to peak spans the full-scale code.
double noise_sigma_codes(double density_nv, double word_rate, double fs_volt);

// Whether fill would add anything at all: DC, noise, or a tone or harmonic above a code's
// billionth.
bool carries_signal(const ChannelSignal& signal, double noise_sigma);

class SignalSource {
  public:
    // Streams 0..3 are the channels; others serve inputs shared by them. Each stream's white
    // noise, tone phase and flicker are independent of every other stream's.
    SignalSource(std::uint64_t seed, int stream);

    // The 1/f corner in cycles per word (0: none) and the white noise sigma it is relative
    // to. Flicker has random numbers of its own: with it off the samples are exactly those
    // of a source that never had it.
    void set_flicker(double corner, double noise_sigma);

    // Fills out with samples n0 .. n0 + count - 1 in codes, before quantisation. Consecutive
    // calls continue the noise sequence.
    void fill(const ChannelSignal& signal, double noise_sigma, std::uint64_t n0, double* out,
              std::size_t count);

  private:
    Rng rng_;
    double phase_;
    FlickerNoise flicker_;
};

}  // namespace simboard

// The analogue side of one modulator channel: a tone with harmonics, white noise and DC,
// produced in blocks, deterministic for a given seed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/simboard/board_config.h"

namespace simboard {

constexpr double kFullScaleCode = 8388607.0;

// xoshiro256** seeded through splitmix64: fast, and the same sequence on every platform.
class Rng {
  public:
    explicit Rng(std::uint64_t seed);
    std::uint64_t next();
    double uniform();   // (0, 1]
    double gaussian();  // zero mean, unit variance (Box-Muller)

  private:
    std::array<std::uint64_t, 4> s_{};
    bool has_spare_ = false;
    double spare_ = 0.0;
};

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

class SignalSource {
  public:
    SignalSource(std::uint64_t seed, int channel);

    // Fills out with samples n0 .. n0 + count - 1 in codes, before quantisation. Consecutive
    // calls continue the noise sequence.
    void fill(const ChannelSignal& signal, double noise_sigma, std::uint64_t n0, double* out,
              std::size_t count);

  private:
    Rng rng_;
    double phase_;
};

}  // namespace simboard

#include "platform/simboard/signal_source.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace simboard {

namespace {

std::uint64_t splitmix64(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t rotl(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

// Amplitudes below this are no signal at all, and are skipped.
constexpr double kNegligible = 1e-9;

// The phasor is recomputed exactly at this stride so rounding cannot accumulate.
constexpr std::size_t kResync = 4096;

double db_to_ratio(double db) {
    return std::pow(10.0, db / 20.0);
}

}  // namespace

Rng::Rng(std::uint64_t seed) {
    for (auto& word : s_) word = splitmix64(seed);
}

std::uint64_t Rng::next() {
    const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
}

double Rng::uniform() {
    return (static_cast<double>(next() >> 11) + 1.0) * 0x1.0p-53;
}

double Rng::gaussian() {
    if (has_spare_) {
        has_spare_ = false;
        return spare_;
    }
    const double r = std::sqrt(-2.0 * std::log(uniform()));
    const double a = 2.0 * std::numbers::pi * uniform();
    spare_ = r * std::sin(a);
    has_spare_ = true;
    return r * std::cos(a);
}

void add_tone(const Tone& tone, std::uint64_t n0, double* out, std::size_t count) {
    bool any_harmonic = false;
    for (double h : tone.harmonic_amplitude) any_harmonic |= h > kNegligible;
    if (tone.amplitude <= kNegligible && !any_harmonic) return;
    const double two_pi = 2.0 * std::numbers::pi;
    const std::complex<double> step = std::polar(1.0, two_pi * tone.freq);
    for (std::size_t start = 0; start < count; start += kResync) {
        const std::size_t end = std::min(count, start + kResync);
        const double cycles = tone.freq * static_cast<double>(n0 + start);
        std::complex<double> z =
            std::polar(1.0, two_pi * (cycles - std::floor(cycles)) + tone.phase);
        for (std::size_t i = start; i < end; ++i) {
            double x = tone.amplitude * z.imag();
            if (any_harmonic) {
                std::complex<double> p = z;
                for (double h : tone.harmonic_amplitude) {
                    p *= z;
                    x += h * p.imag();
                }
            }
            out[i] += x;
            z *= step;
        }
    }
}

double noise_sigma_codes(double density_nv, double word_rate, double fs_volt) {
    const double volts_rms = density_nv * 1e-9 * std::sqrt(word_rate / 2.0);
    return volts_rms * kFullScaleCode / (fs_volt / 2.0);
}

SignalSource::SignalSource(std::uint64_t seed, int channel)
    : rng_(seed * 0x100000001B3ull + static_cast<std::uint64_t>(channel) + 1),
      phase_(2.0 * std::numbers::pi * rng_.uniform()) {}

void SignalSource::fill(const ChannelSignal& signal, double noise_sigma, std::uint64_t n0,
                        double* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = signal.dc_codes;
    if (noise_sigma > 0.0) {
        for (std::size_t i = 0; i < count; ++i) out[i] += noise_sigma * rng_.gaussian();
    }
    Tone tone;
    tone.amplitude = kFullScaleCode * db_to_ratio(signal.tone_dbfs);
    tone.freq = signal.tone_freq;
    tone.phase = phase_;
    for (std::size_t k = 0; k < tone.harmonic_amplitude.size(); ++k) {
        tone.harmonic_amplitude[k] = tone.amplitude * db_to_ratio(signal.harmonics_dbc[k]);
    }
    add_tone(tone, n0, out, count);
}

}  // namespace simboard

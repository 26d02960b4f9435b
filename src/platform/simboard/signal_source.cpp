#include "platform/simboard/signal_source.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace simboard {

namespace {

// Amplitudes below this are no signal at all, and are skipped.
constexpr double kNegligible = 1e-9;

// The phasor is recomputed exactly at this stride so rounding cannot accumulate.
constexpr std::size_t kResync = 4096;

Tone make_tone(const ChannelSignal& signal, double phase) {
    Tone tone;
    tone.amplitude = kFullScaleCode * db_to_ratio(signal.tone_dbfs);
    tone.freq = signal.tone_freq;
    tone.phase = phase;
    for (std::size_t k = 0; k < tone.harmonic_amplitude.size(); ++k) {
        tone.harmonic_amplitude[k] = tone.amplitude * db_to_ratio(signal.harmonics_dbc[k]);
    }
    return tone;
}

std::uint64_t stream_seed(std::uint64_t seed, int stream) {
    return seed * 0x100000001B3ull + static_cast<std::uint64_t>(stream) + 1;
}

// Flicker streams sit this far from the white ones; the multiplier above is larger, so no
// other seed's streams land on them.
constexpr std::uint64_t kFlickerSeedOffset = 1ull << 32;

}  // namespace

double db_to_ratio(double db) {
    return std::pow(10.0, db / 20.0);
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

bool carries_signal(const ChannelSignal& signal, double noise_sigma) {
    const Tone tone = make_tone(signal, 0.0);
    bool any = signal.dc_codes != 0.0 || noise_sigma > 0.0 || tone.amplitude > kNegligible;
    for (double h : tone.harmonic_amplitude) any |= h > kNegligible;
    return any;
}

SignalSource::SignalSource(std::uint64_t seed, int stream)
    : rng_(stream_seed(seed, stream)),
      phase_(2.0 * std::numbers::pi * rng_.uniform()),
      flicker_(stream_seed(seed, stream) + kFlickerSeedOffset) {}

void SignalSource::set_flicker(double corner, double noise_sigma) {
    flicker_.set(corner, noise_sigma);
}

void SignalSource::fill(const ChannelSignal& signal, double noise_sigma, std::uint64_t n0,
                        double* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = signal.dc_codes;
    if (noise_sigma > 0.0) {
        for (std::size_t i = 0; i < count; ++i) out[i] += noise_sigma * rng_.gaussian();
    }
    flicker_.add(out, count);
    add_tone(make_tone(signal, phase_), n0, out, count);
}

}  // namespace simboard

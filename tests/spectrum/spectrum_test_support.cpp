#include "spectrum_test_support.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace spectrum_test {

analysis::spectrum::FftErrorReporter ErrorLog::reporter(std::array<int, 4> enabled) {
    return {[this](int code_times_ten, int channel) {
                entries_.push_back(code_times_ten + channel + 1);
            },
            enabled};
}

int ErrorLog::count(int code) const {
    return static_cast<int>(
        std::count_if(entries_.begin(), entries_.end(), [code](int v) { return v / 10 == code; }));
}

void flat_spectrum(analysis::spectrum::SpectrumState& state, int channel, int n, double level) {
    std::fill(state.avg_buff[channel].begin(), state.avg_buff[channel].begin() + n / 2 + 1, level);
}

void set_window_parameters(analysis::spectrum::SpectrumState& state, int tone_bins, int dc_bins) {
    state.tone_bins = tone_bins;
    state.dc_bins = dc_bins;
}

double db(double power) {
    return 10.0 * std::log10(power);
}

Gaussian::Gaussian(unsigned seed) : state_(seed ? seed : 1u) {}

// xorshift32: tiny, fully specified, good enough for test noise.
uint32_t Gaussian::next_word() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

double Gaussian::next() {
    if (has_spare_) {
        has_spare_ = false;
        return spare_;
    }
    const double u1 = (next_word() + 1.0) / 4294967297.0;
    const double u2 = next_word() / 4294967296.0;
    const double r = std::sqrt(-2.0 * std::log(u1));
    spare_ = r * std::sin(2.0 * std::numbers::pi * u2);
    has_spare_ = true;
    return r * std::cos(2.0 * std::numbers::pi * u2);
}

std::vector<int32_t> to_codes(const std::vector<double>& signal) {
    std::vector<int32_t> codes(signal.size());
    std::transform(signal.begin(), signal.end(), codes.begin(),
                   [](double v) { return static_cast<int32_t>(std::lround(v)); });
    return codes;
}

}  // namespace spectrum_test

#include "platform/simboard/rng.h"

#include <cmath>
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

}  // namespace simboard

// The simulated board's random numbers: fast, and the same sequence on every platform.
#pragma once

#include <array>
#include <cstdint>

namespace simboard {

// xoshiro256** seeded through splitmix64.
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

}  // namespace simboard

#include "platform/clock/clock.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace platform {

namespace {
std::int64_t steady_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
std::int64_t system_utc_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}
std::int64_t micros(double seconds) {
    return std::llround(seconds * 1e6);
}
}  // namespace

RealClock::RealClock() : start_ns_(steady_ns()) {}

double RealClock::now() const {
    return static_cast<double>(steady_ns() - start_ns_) * 1e-9;
}

void RealClock::sleep(double seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// A four-channel 4000 samples/s stream fills a 1000-byte chunk in 15.6 ms: polling every
// 0.5 ms drains it with a wide margin while leaving the core almost idle.
void RealClock::poll_pause() {
    std::this_thread::sleep_for(std::chrono::microseconds(500));
}

std::int64_t RealClock::utc_us() const {
    return system_utc_us();
}

VirtualClock::VirtualClock(double start)
    : t_(start), utc_at_zero_us_(system_utc_us() - micros(start)) {}

std::int64_t VirtualClock::utc_us() const {
    return utc_at_zero_us_ + micros(t_.load());
}

void VirtualClock::set_utc(std::int64_t utc_now_us) {
    utc_at_zero_us_ = utc_now_us - micros(t_.load());
}

}  // namespace platform

// Time source shared by the panel run-time, the device library and the simulated board.
// Programs use the steady real clock; tests use the virtual clock, on which waiting costs
// nothing and every run is deterministic.
#pragma once

#include <atomic>
#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since the clock was created (monotonic).
    virtual double now() const = 0;
    // Blocks for the given time (real) or advances time by it (virtual).
    virtual void sleep(double seconds) = 0;
    // One step of a polling loop that found nothing to do: gives the processor away briefly
    // on the real clock, advances a small fixed step on the virtual clock so time-outs end.
    virtual void poll_pause() = 0;
    virtual bool is_virtual() const = 0;
};

class RealClock final : public Clock {
public:
    RealClock();
    double now() const override;
    void sleep(double seconds) override;
    void poll_pause() override;
    bool is_virtual() const override { return false; }

private:
    std::int64_t start_ns_;
};

class VirtualClock final : public Clock {
public:
    // Virtual time advanced by one empty poll.
    static constexpr double kPollStep = 0.001;

    explicit VirtualClock(double start = 0.0) : t_(start) {}
    double now() const override { return t_.load(); }
    void sleep(double seconds) override { advance(seconds); }
    void poll_pause() override { advance(kPollStep); }
    bool is_virtual() const override { return true; }
    void advance(double seconds) {
        if (seconds > 0) t_.store(t_.load() + seconds);
    }

private:
    std::atomic<double> t_;
};

}  // namespace platform

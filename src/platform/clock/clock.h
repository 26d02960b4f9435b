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
    // Microseconds of UTC since 1970: the system's on the real clock; on the virtual clock the
    // UTC it was set to plus its seconds, so recordings made on it carry the same times each run.
    virtual std::int64_t utc_us() const = 0;
};

class RealClock final : public Clock {
  public:
    RealClock();
    double now() const override;
    void sleep(double seconds) override;
    void poll_pause() override;
    bool is_virtual() const override { return false; }
    std::int64_t utc_us() const override;

  private:
    std::int64_t start_ns_;
};

class VirtualClock final : public Clock {
  public:
    // Virtual time advanced by one empty poll.
    static constexpr double kPollStep = 0.001;

    // Its UTC starts at the system's, until set_utc names another moment.
    explicit VirtualClock(double start = 0.0);
    double now() const override { return t_.load(); }
    void sleep(double seconds) override { advance(seconds); }
    void poll_pause() override { advance(kPollStep); }
    bool is_virtual() const override { return true; }
    std::int64_t utc_us() const override;
    // From now on utc_us() reads `utc_now_us` plus the seconds that pass.
    void set_utc(std::int64_t utc_now_us);
    void advance(double seconds) {
        if (seconds > 0) t_.store(t_.load() + seconds);
    }

  private:
    std::atomic<double> t_;
    std::int64_t utc_at_zero_us_;  // UTC when now() read 0
};

}  // namespace platform

// The record stream of one capture: which records are due at a given time, and their bytes.
// Nothing runs between host touches; the stream catches up with the clock when asked.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/simboard/board_config.h"
#include "platform/simboard/byte_fifo.h"
#include "platform/simboard/filter_chip.h"
#include "platform/simboard/signal_source.h"

namespace simboard {

class CaptureStream {
  public:
    static constexpr std::size_t kRecordBytes = 4;

    explicit CaptureStream(const BoardConfig& config);

    // Power-on: sources reseeded, sample index 0, no stream.
    void power_up();

    // Starts at `now`: `skip` samples pass first, then `count` records follow at the word
    // rate, channels interleaved, preceded by one stale record when `lead_in` is set.
    void start(double now, const ConversionSetup& setup, std::uint32_t count, std::uint16_t skip,
               bool lead_in);
    void stop();

    bool active() const { return active_; }
    // Time at which the skipped samples have passed.
    double skip_done_at() const { return t_begin_; }
    std::uint64_t records_out() const { return out_; }

    // Appends to the pipe every record due at `now` that the faults let out.
    void produce(double now, const Faults& faults, ByteFifo& pipe);

  private:
    static constexpr std::size_t kBlockFrames = 1024;
    static constexpr int kCommon = 4;  // the source of the input all channels share

    std::uint64_t due_records(double now, const Faults& faults) const;
    void encode(std::uint64_t record, std::uint8_t* out);
    void plan_inputs();
    void generate_block(std::uint64_t first_frame);
    const double* with_crosstalk(int ch);

    const BoardConfig& config_;
    std::array<SignalSource, 5> sources_;  // the four channels, then the common input
    std::array<ChannelSignal, 5> signals_{};
    std::array<double, 5> sigma_{};
    bool common_on_ = false;
    std::array<double, 4> analog_gain_{};
    std::array<std::array<double, 4>, 4> crosstalk_{};  // amplitude, [into][from]; 0: none
    std::array<bool, 4> picks_up_{};                    // any crosstalk into the channel
    std::array<bool, 4> generated_{};  // inputs made each block: captured or leaking into one
    ConversionSetup setup_;
    bool active_ = false;
    double t_begin_ = 0.0;
    std::uint64_t count_ = 0;
    std::uint64_t lead_ = 0;
    std::uint64_t out_ = 0;
    std::uint64_t next_sample_ = 0;  // sample index of the next capture's first conversion
    std::uint64_t sample_base_ = 0;  // sample index of this capture's frame 0
    std::uint64_t block_first_ = 0;
    std::uint64_t block_frames_ = 0;  // frames held in block_ (0: none yet)
    std::array<std::array<std::int32_t, kBlockFrames>, 4> block_{};
    std::array<std::array<double, kBlockFrames>, 5> input_{};
    std::array<double, kBlockFrames> scratch_{};
};

}  // namespace simboard

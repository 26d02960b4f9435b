#include "platform/simboard/capture_stream.h"

#include <algorithm>
#include <cmath>

namespace simboard {

namespace {

std::array<SignalSource, 4> make_sources(std::uint64_t seed) {
    return {SignalSource(seed, 0), SignalSource(seed, 1), SignalSource(seed, 2),
            SignalSource(seed, 3)};
}

double sign_extend24(std::uint32_t w) {
    const std::int32_t v = static_cast<std::int32_t>(w & 0xFFFFFF);
    return v >= 0x800000 ? v - 0x1000000 : v;
}

std::int32_t quantise(double x) {
    const double r = std::nearbyint(x);
    if (r > 8388607.0) return 8388607;
    if (r < -8388608.0) return -8388608;
    return static_cast<std::int32_t>(r);
}

}  // namespace

CaptureStream::CaptureStream(const BoardConfig& config)
    : config_(config), sources_(make_sources(config.seed)) {}

void CaptureStream::power_up() {
    sources_ = make_sources(config_.seed);
    active_ = false;
    out_ = count_ = lead_ = 0;
    next_sample_ = sample_base_ = 0;
    block_frames_ = 0;
}

void CaptureStream::start(double now, const ConversionSetup& setup, std::uint32_t count,
                          std::uint16_t skip, bool lead_in) {
    setup_ = setup;
    signals_ = config_.channels;
    for (int ch = 0; ch < 4; ++ch) {
        sigma_[ch] = noise_sigma_codes(signals_[ch].noise_nv, setup.word_rate, config_.fs_volt);
    }
    t_begin_ = now + skip / setup.word_rate;
    count_ = count;
    lead_ = lead_in ? 1 : 0;
    out_ = 0;
    sample_base_ = next_sample_ + skip;
    block_first_ = 0;
    block_frames_ = 0;
    active_ = true;
}

void CaptureStream::stop() {
    if (!active_) return;
    active_ = false;
    next_sample_ = sample_base_ + block_first_ + block_frames_;
}

std::uint64_t CaptureStream::due_records(double now, const Faults& faults) const {
    const std::uint64_t total = lead_ + count_;
    std::uint64_t due = 0;
    // A nanosecond of slack keeps rounding in the clock sums from holding back a due frame.
    if (now + 1e-9 >= t_begin_) {
        const auto k = static_cast<std::uint64_t>(setup_.channels);
        const double frames = std::max(0.0, std::floor((now - t_begin_ + 1e-9) * setup_.word_rate));
        const double max_frames = static_cast<double>(count_ / k + 1);
        due =
            lead_ + std::min(count_, static_cast<std::uint64_t>(std::min(frames, max_frames)) * k);
    }
    if (faults.stall_after_records >= 0) {
        due = std::min(due, static_cast<std::uint64_t>(faults.stall_after_records));
    }
    if (faults.burst_records > 0 && due < total) due -= due % faults.burst_records;
    return std::max(due, out_);
}

void CaptureStream::produce(double now, const Faults& faults, ByteFifo& pipe) {
    if (!active_) return;
    const std::uint64_t due = due_records(now, faults);
    std::array<std::uint8_t, 4096> bytes;
    std::size_t used = 0;
    while (out_ < due) {
        encode(out_++, bytes.data() + used);
        used += kRecordBytes;
        if (used == bytes.size()) {
            pipe.push(bytes.data(), used);
            used = 0;
        }
    }
    pipe.push(bytes.data(), used);
    if (out_ == lead_ + count_) stop();
}

void CaptureStream::encode(std::uint64_t record, std::uint8_t* out) {
    const auto k = static_cast<std::uint64_t>(setup_.channels);
    std::int32_t sample = 0;
    std::uint64_t channel = k - 1;  // the stale word is left over from the last channel
    if (record >= lead_) {
        const std::uint64_t index = record - lead_;
        const std::uint64_t frame = index / k;
        channel = index % k;
        if (block_frames_ == 0 || frame >= block_first_ + block_frames_) {
            generate_block(block_frames_ == 0 ? 0 : block_first_ + block_frames_);
        }
        sample = block_[channel][frame - block_first_];
    }
    const auto u = static_cast<std::uint32_t>(sample);
    out[0] = static_cast<std::uint8_t>(channel << 4);
    out[1] = static_cast<std::uint8_t>(u >> 16);
    out[2] = static_cast<std::uint8_t>(u >> 8);
    out[3] = static_cast<std::uint8_t>(u);
}

void CaptureStream::generate_block(std::uint64_t first_frame) {
    block_first_ = first_frame;
    block_frames_ = kBlockFrames;
    const std::uint64_t n0 = sample_base_ + first_frame;
    double* x = scratch_.data();
    for (int ch = 0; ch < setup_.channels; ++ch) {
        if (setup_.tbs_on) {
            std::fill(scratch_.begin(), scratch_.end(), 0.0);
            add_tone(Tone{.amplitude = setup_.tbs_amplitude, .freq = setup_.tbs_freq}, n0, x,
                     kBlockFrames);
        } else {
            sources_[ch].fill(signals_[ch], sigma_[ch], n0, x, kBlockFrames);
        }
        const double gain = setup_.gain_on ? setup_.gain[ch] / double(kUnityGain) : 1.0;
        const double offset = setup_.offset_on ? sign_extend24(setup_.offset[ch]) : 0.0;
        for (std::size_t i = 0; i < kBlockFrames; ++i)
            block_[ch][i] = quantise(x[i] * gain + offset);
    }
}

}  // namespace simboard

#include "platform/simboard/capture_stream.h"

#include <algorithm>
#include <cmath>

namespace simboard {

namespace {

std::array<SignalSource, 5> make_sources(std::uint64_t seed) {
    return {SignalSource(seed, 0), SignalSource(seed, 1), SignalSource(seed, 2),
            SignalSource(seed, 3), SignalSource(seed, 4)};
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
    plan_inputs();
    t_begin_ = now + skip / setup.word_rate;
    count_ = count;
    lead_ = lead_in ? 1 : 0;
    out_ = 0;
    sample_base_ = next_sample_ + skip;
    block_first_ = 0;
    block_frames_ = 0;
    active_ = true;
}

// What each block needs, fixed for the capture: the rates turned into cycles per word, and
// which inputs are generated and mixed. The test bit stream replaces every input.
void CaptureStream::plan_inputs() {
    const double rate = setup_.word_rate;
    std::copy(config_.channels.begin(), config_.channels.end(), signals_.begin());
    const CommonSignal& common = config_.common;
    signals_[kCommon] = ChannelSignal{.tone_freq = common.tone_hz / rate,
                                      .tone_dbfs = common.tone_dbfs,
                                      .harmonics_dbc = {-400.0, -400.0, -400.0, -400.0},
                                      .noise_nv = common.noise_nv};
    for (int s = 0; s <= kCommon; ++s) {
        sigma_[s] = noise_sigma_codes(signals_[s].noise_nv, rate, config_.fs_volt);
        sources_[s].set_flicker(signals_[s].flicker_hz / rate, sigma_[s]);
    }
    const bool analogue = !setup_.tbs_on;
    common_on_ = analogue && carries_signal(signals_[kCommon], sigma_[kCommon]);
    for (int ch = 0; ch < 4; ++ch) {
        generated_[ch] = ch < setup_.channels;
        analog_gain_[ch] = analogue ? 1.0 + signals_[ch].gain_ppm * 1e-6 : 1.0;
    }
    for (int ch = 0; ch < 4; ++ch) {
        picks_up_[ch] = false;
        for (int from = 0; from < 4; ++from) {
            const double db = signals_[ch].crosstalk_db[from];
            const bool leaks =
                analogue && from != ch && ch < setup_.channels && db > kNoCrosstalkDb;
            crosstalk_[ch][from] = leaks ? db_to_ratio(db) : 0.0;
            picks_up_[ch] |= leaks;
        }
    }
    for (int ch = 0; ch < setup_.channels; ++ch)
        for (int from = 0; from < 4; ++from) generated_[from] |= crosstalk_[ch][from] != 0.0;
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
    const double* common = input_[kCommon].data();
    if (common_on_)
        sources_[kCommon].fill(signals_[kCommon], sigma_[kCommon], n0, input_[kCommon].data(),
                               kBlockFrames);
    for (int ch = 0; ch < 4; ++ch) {
        if (!generated_[ch]) continue;
        double* x = input_[ch].data();
        if (setup_.tbs_on) {
            std::fill(x, x + kBlockFrames, 0.0);
            add_tone(Tone{.amplitude = setup_.tbs_amplitude, .freq = setup_.tbs_freq}, n0, x,
                     kBlockFrames);
            continue;
        }
        sources_[ch].fill(signals_[ch], sigma_[ch], n0, x, kBlockFrames);
        if (common_on_)
            for (std::size_t i = 0; i < kBlockFrames; ++i) x[i] += common[i];
    }
    for (int ch = 0; ch < setup_.channels; ++ch) {
        const double* x = with_crosstalk(ch);
        // The modulator's gain error comes first; the chip's calibration acts on its output.
        const double calibration = setup_.gain_on ? setup_.gain[ch] / double(kUnityGain) : 1.0;
        const double gain = analog_gain_[ch] * calibration;
        const double offset = setup_.offset_on ? sign_extend24(setup_.offset[ch]) : 0.0;
        for (std::size_t i = 0; i < kBlockFrames; ++i)
            block_[ch][i] = quantise(x[i] * gain + offset);
    }
}

// The channel's input plus the copies of other channels' inputs that leak into it.
const double* CaptureStream::with_crosstalk(int ch) {
    if (!picks_up_[ch]) return input_[ch].data();
    scratch_ = input_[ch];
    for (int from = 0; from < 4; ++from) {
        const double c = crosstalk_[ch][from];
        if (c == 0.0) continue;
        for (std::size_t i = 0; i < kBlockFrames; ++i) scratch_[i] += c * input_[from][i];
    }
    return scratch_.data();
}

}  // namespace simboard

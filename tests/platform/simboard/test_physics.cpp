// The physics behind the simulated inputs, each figure held to the truth it was given: 1/f
// noise, the input all channels share, gain errors and crosstalk, and that none of them
// disturbs a channel's own samples.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "frames.h"
#include "measure.h"
#include "platform/simboard/flicker_noise.h"
#include "platform/simboard/signal_source.h"

namespace simboard::test {
namespace {

constexpr double kRate = 500.0;  // words/s of board 4 after power-on
constexpr std::size_t kFrames = 32768;

double db(double power_ratio) {
    return 10.0 * std::log10(power_ratio);
}

// Mean of psd over the bins within 20 % of freq, and of truth(f) over the same bins.
std::pair<double, double> band(const std::vector<double>& psd, int n, double freq,
                               const std::function<double(double)>& truth) {
    double measured = 0, expected = 0;
    int bins = 0;
    for (int k = static_cast<int>(std::ceil(freq / 1.2 * n)); k <= freq * 1.2 * n; ++k, ++bins) {
        measured += psd[k];
        expected += truth(static_cast<double>(k) / n);
    }
    return {measured / bins, expected / bins};
}

// The default board with headroom: tones at -6 dBFS, so added inputs and gains cannot clip.
BoardConfig board() {
    BoardConfig c;
    c.lead_in_record = false;
    for (ChannelSignal& s : c.channels) s.tone_dbfs = -6.0;
    return c;
}

TEST(Physics, FlickerBankFollowsOneOverFAndMeetsWhiteAtTheCorner) {
    for (const double corner : {2e-5, 0.004, 0.1, 0.4}) {
        FlickerNoise f(1);
        f.set(corner, 3.0);
        for (double decade = -6.0; decade <= -1.0; decade += 0.05) {
            const double freq = std::pow(10.0, decade);
            ASSERT_NEAR(db(f.ratio(freq) / (corner / freq)), 0.0, 0.03) << corner << " " << freq;
        }
        if (corner <= 0.25) {
            EXPECT_NEAR(f.ratio(corner), 1.0, 1e-12) << corner;
        }
    }
    FlickerNoise off(1);
    for (const auto& [corner, sigma] : {std::pair{0.0, 3.0}, {0.01, 0.0}}) {
        off.set(corner, sigma);
        EXPECT_FALSE(off.on());
        EXPECT_EQ(off.ratio(0.01), 0.0);
    }
}

TEST(Physics, FlickerSpectrumIsTheBanksAndLeavesTheWhiteNoiseAlone) {
    ChannelSignal s;
    s.tone_dbfs = -400;
    s.harmonics_dbc = {-400, -400, -400, -400};
    const double sigma = 3.0, corner = 0.004;
    const std::size_t total = 1 << 21;
    std::vector<double> white(total), both(total);
    SignalSource plain(9, 2), flicker(9, 2);
    flicker.set_flicker(corner, sigma);
    for (std::size_t i = 0; i < total; i += 4096) {
        plain.fill(s, sigma, i, white.data() + i, 4096);
        flicker.fill(s, sigma, i, both.data() + i, 4096);
    }
    std::vector<double> only(total);  // the white noise cancels exactly: its stream is the same
    for (std::size_t i = 0; i < total; ++i) only[i] = both[i] - white[i];
    const int n = 1 << 16;
    const std::vector<double> psd = averaged_psd(only, n);
    const double white_psd = 2 * sigma * sigma;
    const auto truth = [&](double f) { return white_psd * corner / f; };
    for (const auto& [freq, tolerance_db] :
         {std::pair{3e-4, 0.6}, {1e-3, 0.35}, {corner, 0.2}, {0.03, 0.1}, {0.1, 0.1}}) {
        const auto [measured, expected] = band(psd, n, freq, truth);
        EXPECT_NEAR(db(measured / expected), 0.0, tolerance_db) << freq;
    }
    // White plus flicker: twice the white level at the corner.
    const auto [total_psd, unused] = band(averaged_psd(both, n), n, corner, truth);
    EXPECT_NEAR(db(total_psd / white_psd), db(2.0), 0.2);
}

TEST(Physics, CommonInputIsTheSameSamplesOnEveryChannel) {
    BoardConfig c = board();
    c.common = {.tone_hz = 17.3, .tone_dbfs = -20.0, .noise_nv = 1000.0};
    BoardConfig silent = c;
    for (ChannelSignal& s : silent.channels) {
        s.tone_dbfs = -400;
        s.harmonics_dbc = {-400, -400, -400, -400};
        s.noise_nv = 0;
    }
    Harness quiet(silent), on(c), off(board());
    const auto q = quiet.capture_frames(kFrames, 4);
    EXPECT_NEAR(dbfs(amplitude_at(q[0], 17.3 / kRate)), -20.0, 0.01);
    for (int ch = 1; ch < 4; ++ch) EXPECT_EQ(q[ch], q[0]) << ch;
    // Over each channel's own input the common input adds the same sequence, to within the
    // rounding of the two samples.
    const auto x = on.capture_frames(kFrames, 4), y = off.capture_frames(kFrames, 4);
    for (int ch = 0; ch < 4; ++ch) {
        for (std::size_t i = 0; i < kFrames; ++i) {
            ASSERT_LE(std::abs((x[ch][i] - y[ch][i]) - (x[0][i] - y[0][i])), 2.0) << ch << i;
        }
    }
    EXPECT_NEAR(dbfs(amplitude_at(x[2], 17.3 / kRate)), -20.0, 0.01);
}

TEST(Physics, GainErrorScalesEverythingTheChannelSees) {
    const double ppm[4] = {1000.0, -2500.5, 0.0, 123456.0};
    BoardConfig c = board();
    c.common = {.tone_hz = 23.0, .tone_dbfs = -30.0};
    BoardConfig with_gain = c;
    for (int ch = 0; ch < 4; ++ch) with_gain.channels[ch].gain_ppm = ppm[ch];
    Harness plain(c), gained(with_gain);
    const auto x = plain.capture_frames(kFrames, 4), y = gained.capture_frames(kFrames, 4);
    for (int ch = 0; ch < 4; ++ch) {
        for (const double freq : {c.channels[ch].tone_freq, 23.0 / kRate}) {
            EXPECT_NEAR(amplitude_at(y[ch], freq) / amplitude_at(x[ch], freq), 1 + ppm[ch] * 1e-6,
                        1e-6)
                << ch << " " << freq;
        }
    }
}

TEST(Physics, CrosstalkCopiesAnotherChannelsInputAtItsLevel) {
    const struct {
        int into, from;
        double db;
        std::uint8_t captured;
    } cases[] = {
        {1, 0, -110.0, 4},
        {0, 3, -60.0, 2},   // the source channel is not captured, its modulator still runs
        {2, 1, -300.0, 4},  // none
    };
    for (const auto& k : cases) {
        BoardConfig c = board();
        c.channels[k.into].crosstalk_db[k.from] = k.db;
        Harness h(c);
        const auto x = h.capture_frames(kFrames, k.captured);
        const ChannelSignal& from = c.channels[k.from];
        const double level = dbfs(amplitude_at(x[k.into], from.tone_freq)) - from.tone_dbfs;
        if (k.db > kNoCrosstalkDb)
            EXPECT_NEAR(level, k.db, 0.1) << k.into << " " << k.from;
        else
            EXPECT_LT(level, -140.0);
    }
}

TEST(Physics, FeaturesSwitchedOffLeaveTheStreamOfAFreshBoard) {
    const std::function<void(BoardConfig&)> switched[] = {
        [](BoardConfig& c) { c.common = {.tone_hz = 10.0, .tone_dbfs = -6.0, .noise_nv = 500}; },
        [](BoardConfig& c) { c.channels[0].flicker_hz = 5.0; },
        [](BoardConfig& c) { c.channels[1].crosstalk_db[3] = -20.0; },
        [](BoardConfig& c) { c.channels[2].gain_ppm = 5000.0; },
    };
    Harness fresh(board());
    const auto first = fresh.capture_frames(4096, 4), second = fresh.capture_frames(4096, 4);
    for (std::size_t row = 0; row < std::size(switched); ++row) {
        Harness h(board());
        switched[row](h.board.config());
        EXPECT_NE(h.capture_frames(4096, 4), first) << row;
        h.board.config() = board();
        EXPECT_EQ(h.capture_frames(4096, 4), second) << row;
    }
    // Explicit zeros are no change at all.
    Harness zeros(board());
    for (ChannelSignal& s : zeros.board.config().channels) {
        s.gain_ppm = 0;
        s.flicker_hz = 0;
        s.crosstalk_db = {-300, -300, -300, -300};
    }
    EXPECT_EQ(zeros.capture_frames(4096, 4), first);
}

}  // namespace
}  // namespace simboard::test

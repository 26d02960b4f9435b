// The digitizer estimators on synthetic data whose answer is known: white noise of a given
// variance, a common input under independent noises, sines of known power, exact 1/f shapes.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/digitizer/cross_spectra.h"
#include "analysis/digitizer/crosstalk.h"
#include "analysis/digitizer/noise_figures.h"
#include "analysis/digitizer/noise_models.h"
#include "analysis/digitizer/octave_smoothing.h"
#include "analysis/digitizer/ppsd.h"
#include "analysis/digitizer/self_noise.h"
#include "analysis/digitizer/stream_spectra.h"

namespace analysis::digitizer {
namespace {

constexpr double kFs = 500.0;

double db(double ratio) {
    return 10.0 * std::log10(ratio);
}

// Channels of n samples: a common white input of sigma_common plus each channel's own white
// noise, scaled by its gain, rounded to codes.
std::vector<std::vector<std::int32_t>> channels(std::size_t n, double sigma_common,
                                                std::vector<double> sigma_own,
                                                std::vector<double> gain, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> g(0.0, 1.0);
    std::vector<std::vector<std::int32_t>> out(sigma_own.size(), std::vector<std::int32_t>(n));
    for (std::size_t i = 0; i < n; ++i) {
        const double s = sigma_common * g(rng);
        for (std::size_t c = 0; c < out.size(); ++c)
            out[c][i] =
                static_cast<std::int32_t>(std::lround(gain[c] * (s + sigma_own[c] * g(rng))));
    }
    return out;
}

CrossSpectra welch(const std::vector<std::vector<std::int32_t>>& data, int segment, int window,
                   int blocks = 1) {
    CrossSpectra p({segment, 50.0, window, kFs}, static_cast<int>(data.size()));
    const std::size_t len = data[0].size() / blocks;
    for (int b = 0; b < blocks; ++b) {
        std::vector<std::span<const std::int32_t>> block;
        for (const auto& c : data) block.emplace_back(c.data() + b * len, len);
        EXPECT_TRUE(p.add_block(block));
    }
    return p;
}

TEST(Welch, WhiteNoiseReadsItsVarianceThroughEveryWindowAndLength) {
    const auto data = channels(1 << 18, 0.0, {1000.0}, {1.0}, 1);
    for (int window : {0, 1, 2, 3}) {
        for (int segment : {4096, 1000}) {
            const CrossSpectra p = welch(data, segment, window, 4);
            const auto psd = p.psd(0);
            const BinRange r = band_bins(1.0, 200.0, p.bin_width(), p.bins(), p.first_clean_bin());
            // Median of a chi-square average sits a little below its mean; many segments make
            // that small.
            EXPECT_NEAR(db(median_density(psd, r) / (2.0 * 1000.0 * 1000.0 / kFs)), 0.0, 0.15)
                << "window " << window << " segment " << segment;
            EXPECT_EQ(p.segment_length(), segment);
            EXPECT_EQ(p.segments(), 4 * (1 + ((1 << 16) - segment) / (segment / 2)));
        }
    }
}

TEST(Welch, ASinesPowerSumsToHalfItsSquaredAmplitudeAndSegmentsStayInTheirBlock) {
    const double amplitude = 1e6, f = 31.0 * kFs / 4096;  // on a bin
    std::vector<std::vector<std::int32_t>> data(1, std::vector<std::int32_t>(3 * 4096 + 100));
    for (std::size_t i = 0; i < data[0].size(); ++i)
        data[0][i] = static_cast<std::int32_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * f * i / kFs)));
    for (int window : {0, 1, 3}) {
        const CrossSpectra p = welch(data, 4096, window);
        EXPECT_EQ(p.segments(), 5);  // 100 samples left over make no segment
        const auto psd = p.psd(0);
        double power = 0;
        for (int k = 20; k <= 42; ++k) power += psd[k] * p.bin_width();
        EXPECT_NEAR(db(power / (amplitude * amplitude / 2)), 0.0, 1e-3) << window;
    }
    // A block shorter than the segment fixed by the first adds nothing.
    CrossSpectra p({4096, 50.0, 1, kFs}, 1);
    const std::vector<std::int32_t> shorter(2000);
    const std::span<const std::int32_t> one[] = {data[0]}, two[] = {shorter};
    EXPECT_TRUE(p.add_block(one));
    EXPECT_FALSE(p.add_block(two));
    EXPECT_EQ(p.segments(), 5);
}

// Pieces of any size, interleaved frames or arrays, tile the segments as the stream held whole:
// the same segments, the same spectra; a gap starts them afresh.
TEST(Welch, AStreamInPiecesGivesTheSpectraOfTheWholeStream) {
    const auto data = channels(50000, 300.0, {100.0, 200.0}, {1.0, 1.0}, 7);
    const CrossSpectra whole = welch(data, 4096, 1);
    StreamSpectra arrays({4096, 50.0, 1, kFs}, 2), frames({4096, 50.0, 1, kFs}, 2);
    std::mt19937 rng(3);
    for (std::size_t at = 0; at < data[0].size();) {
        const std::size_t n = std::min<std::size_t>(1 + rng() % 3000, data[0].size() - at);
        const std::span<const std::int32_t> piece[] = {{data[0].data() + at, n},
                                                       {data[1].data() + at, n}};
        arrays.add(piece);
        std::vector<std::int32_t> interleaved;
        for (std::size_t i = at; i < at + n; ++i)
            interleaved.insert(interleaved.end(), {data[0][i], data[1][i]});
        frames.add_frames(interleaved);
        at += n;
    }
    for (const StreamSpectra* s : {&arrays, &frames}) {
        ASSERT_EQ(s->spectra().segments(), whole.segments());
        const auto a = s->spectra().psd(1), b = whole.psd(1);
        for (std::size_t k = 0; k < a.size(); ++k) EXPECT_NEAR(a[k], b[k], 1e-9 * b[k]) << k;
        EXPECT_NEAR(std::abs(s->spectra().cross(0, 1, 40) - whole.cross(0, 1, 40)), 0.0,
                    1e-9 * std::abs(whole.cross(0, 1, 40)));
    }
    // 3000 + gap + 3000 samples: no whole segment either side, and none across.
    StreamSpectra broken({4096, 50.0, 1, kFs}, 1);
    const std::span<const std::int32_t> first[] = {{data[0].data(), 3000}};
    broken.add(first);
    broken.gap();
    broken.add(first);
    EXPECT_EQ(broken.spectra().segments(), 0);
    broken.finish();
    EXPECT_EQ(broken.spectra().segment_length(), 3000);
}

// Three channels of own noise 200, 300, 500 under a common input of 1000 (code units).
TEST(SelfNoise, ThreeChannelsSeparateEachOwnNoiseFromACommonInputFarAboveIt) {
    const std::vector<double> own = {200.0, 300.0, 500.0};
    const auto data = channels(1 << 19, 1000.0, own, {1.0, 1.001, 0.999}, 2);
    const CrossSpectra p = welch(data, 4096, 1);
    const BinRange r = band_bins(1.0, 200.0, p.bin_width(), p.bins(), p.first_clean_bin());
    for (int a = 0; a < 3; ++a) {
        const int b = (a + 1) % 3, c = (a + 2) % 3;
        const double truth = 2.0 * own[a] * own[a] / kFs;
        const auto noise = three_channel_noise(p, a, b, c);
        EXPECT_NEAR(db(median_density(noise, r) / truth), 0.0, 0.5) << a;
        EXPECT_GT(db(median_density(p.psd(a), r) / truth), 5.0) << a;
        EXPECT_EQ(non_positive_bins(noise, r.first, r.last), 0);
    }
    // A common input of noise alone has no tone to compare the responses at.
    EXPECT_EQ(tone_response(p, 0, 1, 2, r.first, r.last, 3).bin, -1);
    // Two channels assume equal responses: own noises 200 and 300 under 1000 read between.
    const double two = median_density(two_channel_noise(p, 0, 1), r);
    EXPECT_GT(two, 2.0 * 200 * 200 / kFs * 0.8);
    EXPECT_LT(two, 2.0 * 300 * 300 / kFs * 1.2);
}

TEST(SelfNoise, RelativeResponseAtTheCommonToneIsTheGainRatioWithItsSign) {
    const std::size_t n = 1 << 16;
    std::mt19937_64 rng(3);
    std::normal_distribution<double> g(0.0, 30.0);
    std::vector<std::vector<std::int32_t>> data(3, std::vector<std::int32_t>(n));
    const double gain[] = {1.0, 1.001, -0.5};
    for (std::size_t i = 0; i < n; ++i) {
        const double s = 4e6 * std::sin(2 * std::numbers::pi * 7.3 * i / kFs);
        for (int c = 0; c < 3; ++c)
            data[c][i] = static_cast<std::int32_t>(std::lround(gain[c] * s + g(rng)));
    }
    const CrossSpectra p = welch(data, 4096, 3);
    for (const auto& [b, c] : {std::pair{1, 2}, {2, 1}, {1, -1}}) {
        const ToneResponse t = tone_response(p, 0, b, c, p.first_clean_bin(), p.bins() - 1, 6);
        EXPECT_NEAR(t.bin * p.bin_width(), 7.3, p.bin_width());
        EXPECT_NEAR(std::abs(t.ratio), std::abs(gain[b]), 2e-6) << b << " via " << c;
        EXPECT_NEAR(std::cos(std::arg(t.ratio)), gain[b] > 0 ? 1.0 : -1.0, 1e-9);
    }
}

TEST(Smoothing, KeepsFlatAndPowerLawSpectraAndDoesNothingWhenOff) {
    std::vector<double> flat(4097, 3.0), pink(4097);
    for (std::size_t k = 1; k < pink.size(); ++k) pink[k] = 1.0 / k;
    for (int fraction : {3, 6}) {
        for (double v : smooth_octave(flat, fraction)) EXPECT_DOUBLE_EQ(v, 3.0);
        const auto s = smooth_octave(pink, fraction);
        for (int k : {50, 500, 3000}) EXPECT_NEAR(db(s[k] * k), 0.0, 0.2) << k;
    }
    EXPECT_EQ(smooth_octave(pink, 0), pink);
    // A full-scale tone 160 dB above the floor leaves the floor untouched an octave away.
    std::vector<double> tone(4097, 1.0);
    tone[100] = 1e16;
    const auto s = smooth_octave(tone, 3);
    for (int k : {300, 1000, 4000}) EXPECT_DOUBLE_EQ(s[k], 1.0) << k;
}

TEST(Ppsd, WindowsOfWhiteNoiseReadItsDensityAtEveryPercentile) {
    const auto data = channels(1 << 20, 0.0, {1000.0}, {1.0}, 9);
    PpsdSettings settings;
    settings.rate = kFs;
    settings.window_seconds = 600.0;  // 300,000 samples, half overlapped
    settings.segment = 4096;
    const Ppsd p = probabilistic_psd(data[0], settings);
    EXPECT_EQ(p.window_starts.size(), (std::size_t{1} << 20) / 150000 - 1);
    ASSERT_FALSE(p.frequencies.empty());
    const double truth = 1e9 * std::sqrt(2.0 * 1000.0 * 1000.0 / kFs);  // 1 V per code
    for (std::size_t k = 0; k < p.frequencies.size(); k += 8) {
        EXPECT_NEAR(db(p.p50[k] * p.p50[k] / (truth * truth)), 0.0, 0.3) << p.frequencies[k];
        EXPECT_LE(p.p5[k], p.p50[k]);
        EXPECT_LE(p.p50[k], p.p95[k]);
    }
    EXPECT_TRUE(probabilistic_psd(std::vector<std::int32_t>(1000), settings).frequencies.empty());
}

// White level 1 with a 1/f rise meeting it at the corner: the PSD is 2 (3 dB) there.
std::vector<double> flicker(double corner, double df, int bins) {
    std::vector<double> p(static_cast<std::size_t>(bins), 1.0);
    for (int k = 1; k < bins; ++k) p[k] += corner / (k * df);
    return p;
}

TEST(NoiseFigures, CornerBandRmsAndDynamicRangeOnExactSpectra) {
    const double df = kFs / 16384;
    const int bins = 8193;
    const BinRange band = band_bins(0.1, 0.4 * kFs, df, bins, 4);
    EXPECT_EQ(band.first, 4);  // 0.1 Hz is bin 3.3, rounded up
    EXPECT_EQ(band.last, static_cast<int>(200.0 / df));
    for (double corner : {0.5, 2.0, 20.0}) {
        const auto c = corner_frequency(flicker(corner, df, bins), band, df, 1.0);
        ASSERT_TRUE(c.has_value()) << corner;
        EXPECT_NEAR(*c / corner, 1.0, 0.01) << corner;
    }
    // No rise, or a rise that does not reach 3 dB at the band's foot: none.
    EXPECT_FALSE(corner_frequency(flicker(0.0, df, bins), band, df, 1.0).has_value());
    EXPECT_FALSE(corner_frequency(flicker(0.05, df, bins), band, df, 1.0).has_value());
    // White 1e-12 V²/Hz over 0.1 ... 200 Hz: RMS sqrt(1e-12 · 199.9 Hz).
    const std::vector<double> white(bins, 1e-12);
    const double rms = band_rms(white, band, df);
    EXPECT_NEAR(rms, std::sqrt(1e-12 * (band.count() * df)), 1e-18);
    EXPECT_NEAR(dynamic_range_db(rms * 1e6, rms), 120.0, 1e-9);
    // Octaves of white noise: each holds twice the power of the one below, so its dynamic
    // range is 3 dB lower; together they cover the band once.
    const auto octaves = octave_dynamic_range(white, band, df, 1.0);
    ASSERT_GE(octaves.size(), 10u);
    double power = 0.0;
    for (std::size_t i = 0; i < octaves.size(); ++i) {
        power += std::pow(10.0, -octaves[i].dr_db / 10.0);
        if (i > 0 && i + 1 < octaves.size())
            EXPECT_NEAR(octaves[i - 1].dr_db - octaves[i].dr_db, 3.01, 0.2) << i;
    }
    EXPECT_NEAR(db(power), db(rms * rms), 1e-6);
    EXPECT_TRUE(octave_dynamic_range(white, BinRange{}, df, 1.0).empty());
}

TEST(Crosstalk, FindsTheDrivenChannelAndBoundsALevelInsideTheNoise) {
    const int bins = 2049, tone = 300, w = 3;
    const BinRange band{4, bins - 1};
    // Floors differ per channel; the tone is in channel 2 (index 1).
    std::vector<std::vector<double>> psd = {std::vector<double>(bins, 1.0),
                                            std::vector<double>(bins, 4.0),
                                            std::vector<double>(bins, 1.0)};
    // A main lobe peaked at the tone's bin, summing to 4 times its peak.
    double lobe = 0.0;
    for (int k = tone - w; k <= tone + w; ++k) {
        const double shape = (w + 1.0 - std::abs(k - tone)) / (w + 1.0);
        lobe += shape;
        psd[1][k] += 1e12 * shape;
        psd[0][k] += 1e12 * 1e-9 * shape;   // -90 dB, far above its floor
        psd[2][k] += 1e12 * 1e-13 * shape;  // -130 dB, inside its floor
    }
    const CrosstalkResult r = crosstalk(psd, band, 0.1, w);
    ASSERT_EQ(r.driven, 1);
    EXPECT_DOUBLE_EQ(r.frequency, tone * 0.1);
    EXPECT_NEAR(r.levels[0].db, -90.0, 1e-6);
    EXPECT_FALSE(r.levels[0].upper_bound);
    EXPECT_TRUE(r.levels[2].upper_bound);
    // Twice the floor over the lobe's 7 bins, against the driven tone.
    EXPECT_NEAR(r.levels[2].db, db(2.0 * 7 / (1e12 * lobe)), 1e-6);
    // Noise alone drives nothing.
    psd[1].assign(bins, 4.0);
    psd[0].assign(bins, 1.0);
    psd[2].assign(bins, 1.0);
    EXPECT_EQ(crosstalk(psd, band, 0.1, w).driven, -1);
}

// The models are continuous: each row of the tables starts where the previous row ends, so a
// mistyped coefficient shows as a step.
TEST(NoiseModels, AreContinuousOverTheirPeriodsAndUndefinedOutside) {
    for (auto model : {low_noise_model_db, high_noise_model_db}) {
        double previous = model(0.1);
        for (double t = 0.1; t <= 1e5; t *= 1.0005) {
            const double v = model(t);
            ASSERT_TRUE(std::isfinite(v)) << t;
            ASSERT_NEAR(v, previous, 0.15) << "step at " << t << " s";
            previous = v;
        }
        EXPECT_TRUE(std::isnan(model(0.05)));
        EXPECT_TRUE(std::isnan(model(2e5)));
    }
    // The low model lies below the high one everywhere.
    for (double t = 0.1; t <= 1e5; t *= 1.1)
        EXPECT_LT(low_noise_model_db(t), high_noise_model_db(t));
    // 1 V/(m/s): 1e-12 V²/Hz at 1/(2π) Hz is 1e-12 (m/s²)²/Hz.
    EXPECT_NEAR(acceleration_db(1e-12, 1.0 / (2 * std::numbers::pi), 1.0), -120.0, 1e-9);
}

}  // namespace
}  // namespace analysis::digitizer

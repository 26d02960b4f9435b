// Random spectra, lengths, window parameters and limits through the statistics and the plot.
// The spectrum and the plot arrays are cut to exactly n/2 + 1 entries, so that the sanitizer
// build catches any access outside the bins of the record.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "analysis/spectrum/spectrum.h"
#include "spectrum_test_support.h"

namespace {

TEST(Robustness, RandomLayoutsStayInsideTheSpectrum) {
    auto state = std::make_unique<analysis::spectrum::SpectrumState>();
    std::mt19937 gen(2024);
    const int windows[4][2] = {{2, 2}, {3, 10}, {4, 11}, {6, 13}};
    for (int round = 0; round < 300; ++round) {
        const int w = windows[round % 4][0];
        const int d = std::uniform_int_distribution<int>(0, windows[round % 4][1])(gen);
        const int minimum = analysis::spectrum::minimum_fft_samples(d, w);
        const int n = std::uniform_int_distribution<int>(minimum - 2, 3000)(gen);
        const size_t bins = static_cast<size_t>(n / 2 + 1);
        spectrum_test::set_window_parameters(*state, w, d);
        std::uniform_real_distribution<double> level(1e-9, 1e-6);
        std::vector<double> spectrum(bins);
        for (double& p : spectrum) p = level(gen);
        // A few strong bins anywhere, DC included.
        for (int k = 0; k < 3; ++k)
            spectrum[std::uniform_int_distribution<size_t>(0, bins - 1)(gen)] = 1.0 + k;
        // Moved in, so the arrays hold their own allocation of exactly that size.
        state->avg_buff[0] = std::move(spectrum);
        state->plot_x = std::vector<double>(bins);
        state->plot_y = std::vector<double>(bins);
        analysis::spectrum::SpectrumSettings settings{1000.0, 8388607, 5.0, 0, 3};
        settings.limit_bw = std::uniform_int_distribution<int>(-10, 700)(gen);
        state->ref_power = round % 7 == 0 ? 0.0 : 1e3;

        spectrum_test::ErrorLog log;
        const auto signal =
            analysis::spectrum::signal_FFT_stats(*state, 0, n, settings, log.reporter());
        ASSERT_LE(state->n_harmonics, analysis::spectrum::kMaxHarmonics);
        if (n < minimum) {
            EXPECT_TRUE(log.has(analysis::spectrum::fft_error::kSampleSizeTooSmall)) << round;
            EXPECT_FALSE(signal.displays[analysis::spectrum::kStatSPN].value.has_value()) << round;
        } else if (log.has(analysis::spectrum::fft_error::kNoFundamental)) {
            EXPECT_EQ(state->fund_bin, -1) << round;
            EXPECT_FALSE(signal.figures[analysis::spectrum::kFigSinad].value) << round;
        } else {
            EXPECT_GT(state->fund_bin, 0) << round;
            EXPECT_LT(state->fund_bin, n / 2) << round;
        }
        analysis::spectrum::noise_FFT_stats(*state, 0, n, settings, log.reporter());
        analysis::spectrum::FftGraphRequest request{
            analysis::spectrum::kFftKindSignal, 0, n, true, false, -20.0};
        const auto graph = analysis::spectrum::graph_fft(*state, request, settings, log.reporter());
        EXPECT_EQ(graph.plotted, state->ref_power > 0.0) << round;
    }
}

}  // namespace

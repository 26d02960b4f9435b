// The converter figures on spectra written straight into the average: n = 4096 (M = 2048), a
// flat floor of 1e-6 per bin, w = 6, d = 13, no bandwidth limit (E = 2047). The band sums in
// each case are counted by hand from the bins set.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "analysis/spectrum/spectrum.h"
#include "spectrum_test_support.h"

namespace {

using analysis::spectrum::SignalFigures;
using spectrum_test::db;

constexpr int kN = 4096;
constexpr double kFloor = 1e-6;

struct Rig {
    std::unique_ptr<analysis::spectrum::SpectrumState> state =
        std::make_unique<analysis::spectrum::SpectrumState>();
    analysis::spectrum::SpectrumSettings settings{4096.0, 8388607, 5.0, 0,
                                                  analysis::spectrum::kWindowQuellan};
    spectrum_test::ErrorLog log;

    explicit Rig(double floor = kFloor) {
        spectrum_test::flat_spectrum(*state, 0, kN, floor);
        spectrum_test::set_window_parameters(*state, 6, 13);
    }
    double& bin(int i) { return state->avg_buff[0][i]; }
    analysis::spectrum::FftStats run(int n = kN) {
        return analysis::spectrum::signal_FFT_stats(*state, 0, n, settings, log.reporter());
    }
};

// The figures as defined, from hand-counted sums: S the fundamental band, HD the counted
// harmonic bands (Nh bins), ND everything between DC and E outside the fundamental band.
struct Sums {
    double s, hd, nd;
    int nh;
    double peak, spur;
};

std::array<double, 7> expected(const Sums& x, double ref) {
    const double sn = db(x.s) - db((x.nd - x.hd) * 2048.0 / (2048 - x.nh));
    const double sd = db(x.s) - db(x.hd);
    const double snd = db(x.s) - db(x.nd);
    const double dbfs = db(x.s / ref);
    return {
        dbfs,     -sd, snd, (snd - 1.76) / 6.02, (snd - dbfs - 1.76) / 6.02, db(x.peak / x.spur),
        sn - dbfs};
}

struct ToneCase {
    const char* name;
    std::function<void(Rig&)> bins;
    Sums sums;
    double sfdr;  // by hand: fundamental peak over the largest other bin
};

// The tone 999 ... 1001 = 0.25, 1.0, 0.25 (band 993 ... 1006, S = 1.5 + 11 floors); the
// reference is ten times S, so the signal lies at exactly -10 dBFS. One harmonic (order 2,
// band 1993 ... 2006).
const double kS = 1.5 + 11 * kFloor;

void tone(Rig& r) {
    r.bin(999) = 0.25;
    r.bin(1000) = 1.0;
    r.bin(1001) = 0.25;
}

const ToneCase kToneCases[] = {
    {"pure tone", tone, {kS, 14 * kFloor, 2020 * kFloor, 14, 1.0, kFloor}, 60.0},
    {"tone with a spur at 1500",
     [](Rig& r) {
         tone(r);
         r.bin(1500) = 1e-3;
     },
     {kS, 14 * kFloor, 2019 * kFloor + 1e-3, 14, 1.0, 1e-3},
     30.0},
    {"tone with its second harmonic",
     [](Rig& r) {
         tone(r);
         r.bin(2000) = 1e-2;
     },
     {kS, 13 * kFloor + 1e-2, 2019 * kFloor + 1e-2, 14, 1.0, 1e-2},
     20.0},
};

TEST(ConverterFigures, TonesAgainstHandDerivedSums) {
    for (const ToneCase& c : kToneCases) {
        SCOPED_TRACE(c.name);
        Rig r;
        c.bins(r);
        r.state->ref_power = 10.0 * kS;
        const analysis::spectrum::FftStats s = r.run();
        ASSERT_EQ(s.figure_count, analysis::spectrum::kSignalFigures);
        const std::array<double, 7> want = expected(c.sums, r.state->ref_power);
        for (int i = 0; i < analysis::spectrum::kSignalFigures; ++i) {
            ASSERT_TRUE(s.figures[i].value.has_value()) << s.figures[i].label;
            EXPECT_NEAR(*s.figures[i].value, want[i], 1e-9) << s.figures[i].label;
        }
        EXPECT_NEAR(*s.figures[analysis::spectrum::kFigSignalDbfs].value, -10.0, 1e-12);
        EXPECT_NEAR(*s.figures[analysis::spectrum::kFigSfdr].value, c.sfdr, 1e-12);
        // The figures restate the test's own where they are the same quantity.
        EXPECT_EQ(s.figures[analysis::spectrum::kFigSinad].value,
                  s.displays[analysis::spectrum::kStatSND].value);
        EXPECT_EQ(*s.figures[analysis::spectrum::kFigThd].value,
                  -*s.displays[analysis::spectrum::kStatSD].value);
    }
}

// What is left when a quantity the figure rests on is missing: true = the figure has a value.
struct UndefinedCase {
    const char* name;
    std::function<void(Rig&)> setup;
    std::array<bool, 7> present;  // dBFS, THD, SINAD, ENOB, ENOB FS, SFDR, DR
    int n = kN;
    double floor = kFloor;
};

const UndefinedCase kUndefinedCases[] = {
    {"DC-only block (floored bins)",
     [](Rig& r) {
         r.bin(0) = 1.0;
         r.bin(1) = 0.5;
     },
     {false, false, false, false, false, false, false},
     kN,
     1e-20},
    {"flat spectrum: no tone rises above the rest", [](Rig&) {}, {}},
    {"no full-scale reference",
     [](Rig& r) {
         tone(r);
         r.state->ref_power = 0.0;
     },
     {false, true, true, true, false, true, false}},
    {"no harmonic counted: THD would be minus infinity",
     [](Rig& r) { r.bin(1500) = 1.0; },
     {true, false, true, true, true, true, true}},
    {"record too short for the bin layout", [](Rig& r) { r.bin(20) = 1.0; }, {}, 40},
    {"all-zero spectrum", [](Rig& r) { r.bin(1000) = 0.0; }, {}, kN, 0.0},
};

TEST(ConverterFigures, UndefinedCasesShowNothing) {
    for (const UndefinedCase& c : kUndefinedCases) {
        SCOPED_TRACE(c.name);
        Rig r(c.floor);
        r.state->ref_power = 4.0;
        c.setup(r);
        const analysis::spectrum::FftStats s = r.run(c.n);
        for (int i = 0; i < analysis::spectrum::kSignalFigures; ++i) {
            EXPECT_EQ(s.figures[i].value.has_value(), c.present[i]) << s.figures[i].label;
            if (s.figures[i].value) {
                EXPECT_TRUE(std::isfinite(*s.figures[i].value));
            }
        }
    }
}

TEST(ConverterFigures, LabelsFollowTheTestsOwnReadouts) {
    const char* labels[] = {"Signal dBFS", "THD", "SINAD", "ENOB", "ENOB FS", "SFDR", "DR"};
    const analysis::spectrum::FftStats signal = analysis::spectrum::signal_stats_layout();
    ASSERT_EQ(signal.figure_count, 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(signal.figures[i].label, labels[i]);
    EXPECT_EQ(analysis::spectrum::noise_stats_layout().figure_count, 0);
}

// Effective resolution log2(2 fs / sd), noise-free log2(2 fs / (6.6 sd)), by hand:
// fs 4096, sd 1: 13 bits and 13 - log2(6.6) = 10.2775 bits.
TEST(ConverterFigures, CodeFiguresFromTheDeviation) {
    const struct {
        double sd;
        int32_t fs_code;
        std::optional<double> effective, noise_free;
    } cases[] = {
        {1.0, 4096, 13.0, 13.0 - std::log2(6.6)},
        {8.0, 4096, 10.0, 10.0 - std::log2(6.6)},
        {4.0 / 6.6, 8192, 12.0 + std::log2(6.6), 12.0},
        {0.0, 4096, {}, {}},
        {1.0, 0, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("sd " + std::to_string(c.sd) + " fs " + std::to_string(c.fs_code));
        const analysis::spectrum::CodeFigures f = analysis::spectrum::code_figures(c.sd, c.fs_code);
        EXPECT_EQ(f[0].label, "Effective resolution");
        EXPECT_EQ(f[1].label, "Noise-free resolution");
        ASSERT_EQ(f[0].value.has_value(), c.effective.has_value());
        ASSERT_EQ(f[1].value.has_value(), c.noise_free.has_value());
        if (c.effective) {
            EXPECT_NEAR(*f[0].value, *c.effective, 1e-12);
            EXPECT_NEAR(*f[1].value, *c.noise_free, 1e-12);
        }
    }
}

}  // namespace

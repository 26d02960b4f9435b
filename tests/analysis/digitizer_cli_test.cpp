// The digitizer battery end to end: the simulated board is given a truth (noise densities, a
// 1/f corner, a common input, a gain error, crosstalk), captured at 500 samples/s on four
// channels in four blocks of 65,536 records per channel, and each figure must read that truth.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "chipfiles/temp_dir.h"
#include "cli_run.h"

using namespace cli_run;

namespace {

using Json = nlohmann::ordered_json;

// Every channel's own tone off: inputs shorted unless a case drives one.
const std::vector<std::string> kQuiet = {"sim 1 off", "sim 2 off", "sim 3 off", "sim 4 off"};

// The analyze result of a simulated capture after the given sim commands.
Json analyze(const std::vector<std::string>& sims, const std::string& analysis) {
    std::vector<std::string> args = {"--json", "--simulate", "--virtual-time"};
    args.insert(args.end(), kQuiet.begin(), kQuiet.end());
    args.insert(args.end(), sims.begin(), sims.end());
    args.insert(args.end(), {"connect", "configure --rate 500 --channels 4",
                             "capture --samples 262144 --average 4", analysis});
    const CliRun r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    const auto lines = r.json();
    return lines.empty() ? Json() : lines.back();
}

double stat(const Json& a, int channel, const char* key) {
    const Json& v = a["channels"][channel - 1]["stats"][key];
    return v.is_number() ? v.get<double>() : NAN;
}

double db(double ratio) {
    return 20.0 * std::log10(ratio);
}

// The PSD value (V²/Hz) of the bin nearest f.
double psd_at(const Json& a, int channel, double f) {
    double best = 1e300, value = NAN;
    for (const auto& point : a["channels"][channel - 1]["psd"]) {
        const double d = std::abs(point[0].get<double>() - f);
        if (d < best) best = d, value = point[1].get<double>();
    }
    return value;
}

TEST(DigitizerBattery, NoiseDensityAndTheFlickerCornerReadTheirTruth) {
    const Json white = analyze({"sim 1 noise 300"}, "analyze --test psd");
    ASSERT_EQ(white["test"], "psd");
    EXPECT_NEAR(db(stat(white, 1, "Noise density") / 300.0), 0.0, 0.5);
    EXPECT_EQ(white["welch"]["segments"], 4 * 31);  // 65,536 in 4096 with half overlap

    const Json pink = analyze({"sim 1 flicker 2"}, "analyze --test psd --segment 16384 --smooth 3");
    const double default_white = stat(pink, 2, "Noise density") * 1e-9;  // channel 2: no flicker
    const double rise = 10.0 * std::log10(psd_at(pink, 1, 0.2) / (default_white * default_white));
    EXPECT_GT(rise, 8.5);
    EXPECT_LT(rise, 12.5);
    const double corner = stat(pink, 1, "1/f corner");
    EXPECT_GT(corner, 1.4);
    EXPECT_LT(corner, 2.8);
    EXPECT_EQ(pink["channels"][1]["notes"]["1/f corner"], "none");
}

TEST(DigitizerBattery, SelfNoiseComesOutFromUnderACommonInput) {
    const Json a =
        analyze({"sim 1 noise 200", "sim 2 noise 300", "sim 3 noise 500", "sim common noise 1000"},
                "analyze --test selfnoise --channels 1,2,3");
    ASSERT_EQ(a["test"], "selfnoise");
    const double truth[] = {200.0, 300.0, 500.0};
    for (int c = 1; c <= 3; ++c) {
        EXPECT_NEAR(db(stat(a, c, "Self-noise density") / truth[c - 1]), 0.0, 1.0) << c;
        EXPECT_GT(stat(a, c, "Noise density"), 1000.0) << c;
    }
    EXPECT_EQ(a["welch"]["method"], "three-channel correlation");
    EXPECT_TRUE(a["channels"][3]["stats"]["Self-noise density"].is_null());  // not listed
}

TEST(DigitizerBattery, RelativeGainReadsAThousandPpmToAThousandthOfADecibel) {
    const Json a = analyze({"sim 2 gain 1000", "sim common tone 7.3 -6"},
                           "analyze --test selfnoise --channels 1,2,3");
    EXPECT_NEAR(stat(a, 2, "Relative gain"), db(1.001), 0.001);
    EXPECT_NEAR(stat(a, 3, "Relative gain"), 0.0, 0.001);
    EXPECT_NEAR(stat(a, 2, "Relative phase"), 0.0, 0.01);
    EXPECT_EQ(a["channels"][0]["notes"]["Relative gain"], "reference");
}

TEST(DigitizerBattery, CrosstalkIsFoundFromTheDrivenChannelAndBoundedInTheNoise) {
    const Json a =
        analyze({"sim 1 tone 7.3 -1", "sim 2 crosstalk 1 -110"}, "analyze --test crosstalk");
    EXPECT_EQ(a["welch"]["driven"], 1);
    EXPECT_NEAR(a["welch"]["frequency"].get<double>(), 7.3, 0.2);
    EXPECT_NEAR(stat(a, 2, "Crosstalk"), -110.0, 1.0);
    EXPECT_FALSE(a["channels"][1].contains("notes"));
    EXPECT_EQ(a["channels"][0]["notes"]["Crosstalk"], "driven");
    // Channels 3 and 4 see nothing: an upper bound below the noise, not a number.
    for (int c : {3, 4}) {
        EXPECT_EQ(a["channels"][c - 1]["notes"]["Crosstalk"], "upper bound") << c;
        EXPECT_LT(stat(a, c, "Crosstalk"), -110.0) << c;
    }
}

TEST(DigitizerBattery, TheSineFitAgreesWithTheSpectrumsSinad) {
    const Json a = analyze({"sim 1 tone 7.3 -1"}, "analyze --test sinefit --limit-bw 250");
    ASSERT_EQ(a["test"], "sinefit");
    EXPECT_NEAR(stat(a, 1, "SINAD fit"), stat(a, 1, "S/N+D"), 0.5);
    EXPECT_NEAR(stat(a, 1, "Fit frequency"), 7.3, 1e-4);
    EXPECT_NEAR(stat(a, 1, "Fit amplitude"), -1.0, 0.01);
    // Both from the residual: ENOB = (SINAD - amplitude in dBFS - 1.76) / 6.02.
    EXPECT_NEAR(stat(a, 1, "ENOB fit"),
                (stat(a, 1, "SINAD fit") - stat(a, 1, "Fit amplitude") - 1.7609) / 6.0206, 0.001);
}

TEST(DigitizerBattery, OptionsRefuseWhatTheyCannotTake) {
    for (const char* bad :
         {"--segment 8", "--segment x", "--overlap 99", "--band 5-1", "--band 1", "--smooth 4",
          "--channels 1,1", "--channels 5", "--channels 1,", "--sensor -1"}) {
        const CliRun r =
            run({"--simulate", "--virtual-time", "connect", "configure --rate 500 --channels 4",
                 "capture --samples 4096", std::string("analyze --test psd ") + bad});
        EXPECT_EQ(r.status, 2) << bad << ": " << r.err;
    }
}

}  // namespace

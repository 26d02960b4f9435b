// The frequency-domain tests end to end: a data file of a known tone and known noise, loaded
// and analysed, against figures computed here from the noise actually written.
#include <cmath>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "analysis/data_menu.h"
#include "chipfiles/temp_dir.h"
#include "cli/cli.h"
#include "fixture.h"

using testing_support::AnalysisTest;
using testing_support::TempDir;

namespace {

constexpr int kN = 65536;
constexpr int kToneBin = 1000;
constexpr double kAmplitude = 4.0e6;
constexpr double kFullScale = 0x7FFFFF;
constexpr double kPi = 3.14159265358979323846;

// One channel of samples, and the window sums that predict the figures: sum w^2 and
// sum (w e)^2 with e the samples minus the tone.
struct Record {
    std::vector<std::int32_t> samples;
    double window_power = 0.0;
    double windowed_noise = 0.0;
};

// The four-term Blackman-Harris window (window 1) computed independently of the library.
double blackman_harris(int i, int n) {
    const double a[] = {0.35875, -0.48829, 0.14128, -0.01168};
    const double t = 2.0 * kPi * i / n;
    double w = 0.0;
    for (int k = 0; k < 4; ++k) w += a[k] * std::cos(k * t);
    return w;
}

Record make_record(int n, double amplitude, double sigma) {
    Record r;
    std::mt19937 gen(12345);
    std::normal_distribution<double> noise(0.0, sigma);
    for (int i = 0; i < n; ++i) {
        const double tone = amplitude * std::sin(2.0 * kPi * kToneBin * i / n);
        const auto s = static_cast<std::int32_t>(std::lround(tone + noise(gen)));
        const double w = blackman_harris(i, n);
        r.samples.push_back(s);
        r.window_power += w * w;
        r.windowed_noise += (w * (s - tone)) * (w * (s - tone));
    }
    return r;
}

// A one-channel file at 500 samples/s, window 1, full scale 0x7FFFFF, no bandwidth limit.
std::string file_text(const std::vector<std::int32_t>& samples) {
    std::ostringstream out;
    out << samples.size() << ",0,500,1,7fffff,5,0,0,1,0\n \n";
    for (size_t i = 0; i <= samples.size(); ++i)
        out << "0, " << (i < samples.size() ? samples[i] : 0) << ", 0, 0, 0, 0, 0, 0\n";
    return out.str();
}

std::vector<nlohmann::ordered_json> run_json(const std::vector<std::string>& commands,
                                             int* status) {
    std::vector<std::string> args = {"--json"};
    args.insert(args.end(), commands.begin(), commands.end());
    std::ostringstream out, err;
    *status = cli::run(args, SEISBENCH_TEST_RESOURCE_DIR, out, err);
    std::vector<nlohmann::ordered_json> v;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);)
        v.push_back(nlohmann::ordered_json::parse(line));
    return v;
}

double db(double x) {
    return 10.0 * std::log10(x);
}

double last_field(const std::string& text) {
    const std::string first = text.substr(0, text.find('\n'));
    return std::stod(first.substr(first.rfind(',') + 1));
}

TEST(SpectrumEndToEnd, SignalAndNoiseFiguresMatchTheWrittenNoise) {
    TempDir dir;
    const Record tone = make_record(kN, kAmplitude, 1000.0);
    const Record quiet = make_record(kN, 0.0, 1000.0);
    const std::string tone_file = dir.write("tone.dat", file_text(tone.samples));
    const std::string quiet_file = dir.write("quiet.dat", file_text(quiet.samples));
    int status = 0;
    const auto j = run_json(
        {"data load " + tone_file, "analyze --test signal --harmonics", "data load " + quiet_file,
         "analyze --test noise", "data save " + dir.path("saved.dat").string()},
        &status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(j.size(), 5u);

    // The tone's one-sided power is n A^2/4 sum w^2; the noise over the half band is
    // n/2 sum (w e)^2.
    const auto& signal = j[1]["channels"][0];
    const double expected_sn =
        db(kAmplitude * kAmplitude * tone.window_power / (2.0 * tone.windowed_noise));
    EXPECT_NEAR(signal["stats"]["S/N"].get<double>(), expected_sn, 0.1) << signal.dump();
    // Nothing but noise beside the tone: the harmonics hold noise only, far below the tone.
    EXPECT_GT(signal["stats"]["S/D"].get<double>(), expected_sn);
    EXPECT_NEAR(signal["stats"]["S/N+D"].get<double>(), expected_sn, 0.1);
    EXPECT_EQ(signal["stats"]["# of bins"], kN / 2);
    EXPECT_TRUE(signal["errors"].empty()) << signal.dump();

    // Noise against the full-scale reference, n fs_code^2/4 sum w^2, over bins d+1 ... M-1.
    const double reference = kN * kFullScale * kFullScale / 4.0 * quiet.window_power;
    const int noise_bins = (kN / 2 - 1) - 10;
    const auto& noise = j[3]["channels"][0];
    EXPECT_NEAR(noise["stats"]["S/N"].get<double>(),
                db(reference / (noise_bins * quiet.windowed_noise)), 0.1)
        << noise.dump();
    EXPECT_GT(noise["stats"]["S/PN"].get<double>(), noise["stats"]["S/N"].get<double>());
    std::vector<std::string> keys;
    for (auto& [k, v] : noise["stats"].items()) keys.push_back(k);
    EXPECT_EQ(keys, (std::vector<std::string>{"S/N", "S/PN", "Spot Noise dB", "Spot Noise nV",
                                              "# of bins"}));

    // Saving writes the reference power of channel 0 as field 10.
    EXPECT_NEAR(db(last_field(dir.read("saved.dat"))), db(reference), 0.01);
}

TEST(SpectrumEndToEnd, ATooShortRecordIsErrorTwenty) {
    TempDir dir;
    const std::string file = dir.write("short.dat", file_text(std::vector<std::int32_t>(40, 5)));
    int status = 0;
    const auto j = run_json({"data load " + file, "analyze --test signal"}, &status);
    ASSERT_EQ(status, 0);
    const auto& errors = j[1]["channels"][0]["errors"];
    EXPECT_NE(std::find(errors.begin(), errors.end(), 201), errors.end()) << errors.dump();
}

class SpectrumPanel : public AnalysisTest {
  protected:
    void load_tone() {
        const Record tone = make_record(4096, kAmplitude, 1000.0);
        ASSERT_EQ(analysis::load_data_file(app(), dir.write("tone.dat", file_text(tone.samples))),
                  0);
        set_buttons(1, 0, 0, 0);
    }
    int count(ui::PlotKind kind, const std::string& text = "") {
        int c = 0;
        for (const auto& p : graph().plots)
            if (p.kind == kind && (text.empty() || p.text == text)) ++c;
        return c;
    }
    int red_segments() {
        int c = 0;
        for (const auto& p : graph().plots)
            if (p.kind == ui::PlotKind::Segment && p.colour == 0xFF0000) ++c;
        return c;
    }
    TempDir dir;
};

TEST_F(SpectrumPanel, HarmonicMarkersOnlyWhenAskedAndOnlyInTheSignalTest) {
    load_tone();
    app().analysis.harmonic_marks = 1;
    run_test(analysis::kSignalFft);
    EXPECT_EQ(count(ui::PlotKind::Line), 1);
    EXPECT_EQ(count(ui::PlotKind::Text, "F"), 1);
    EXPECT_EQ(count(ui::PlotKind::Text, "2"), 1);
    EXPECT_GT(red_segments(), 0);
    EXPECT_EQ(graph().y.mode, ui::VAL_MANUAL);
    EXPECT_LE(graph().y.min, -20.0);

    run_test(analysis::kNoiseFft);
    EXPECT_EQ(count(ui::PlotKind::Line), 1);
    EXPECT_EQ(count(ui::PlotKind::Text), 0);
    EXPECT_EQ(count(ui::PlotKind::Segment), 0);

    app().analysis.harmonic_marks = 0;
    run_test(analysis::kSignalFft);
    EXPECT_EQ(count(ui::PlotKind::Text), 0);
    EXPECT_EQ(count(ui::PlotKind::Segment), 0);
}

TEST_F(SpectrumPanel, NanovoltModeAutoscalesAndPhaseStopsAtAShortChannel) {
    load_tone();
    app().analysis.noise_units = 1;
    run_test(analysis::kNoiseFft);
    EXPECT_EQ(graph().y.mode, ui::VAL_AUTOSCALE);
    ASSERT_EQ(count(ui::PlotKind::Line), 1);
    EXPECT_EQ(graph().plots[0].y.size(), 4096u / 2 + 1);
    EXPECT_GT(graph().plots[0].y[kToneBin], 0.0);

    set_buttons(1, 1, 0, 0);  // channel 2 holds no samples
    run_test(analysis::kPhase);
    ASSERT_EQ(count(ui::PlotKind::Line), 1);
    EXPECT_EQ(graph().plots[0].x.size(), 4096u / 2);
    EXPECT_EQ(errors(), std::vector<int>{502});
}

}  // namespace

// What the panel gives the engineer beside the figures: the tones list with the fundamental's
// frequency and level, a legend name per trace, and Peak / Next Peak walking the trace.
TEST_F(SpectrumPanel, TonesListLegendAndPeakSearchFollowTheSignalTest) {
    load_tone();
    run_test(analysis::kSignalFft);
    const auto& tones = ctrl(ANALYSIS_TONES);
    EXPECT_TRUE(tones.visible);
    ASSERT_GE(tones.items.size(), 2u);
    // Bin 1000 of 4096 at 500 samples/s.
    EXPECT_NE(tones.items[0].label.find("122.070 Hz"), std::string::npos) << tones.items[0].label;
    EXPECT_NE(tones.items[0].label.find("dBFS"), std::string::npos);
    EXPECT_EQ(tones.items[1].label.rfind("2 ", 0), 0u) << tones.items[1].label;
    EXPECT_EQ(graph().plots.front().name, "CH 1");

    ui().UserCommit(ap(), ANALYSIS_PEAK);
    EXPECT_NEAR(shell::get_double(ui(), ap(), ANALYSIS_CURSORX), 1000 * 500.0 / 4096, 1e-9);
    const double top = shell::get_double(ui(), ap(), ANALYSIS_CURSORY);
    ui().UserCommit(ap(), ANALYSIS_NEXTPEAK);
    EXPECT_LT(shell::get_double(ui(), ap(), ANALYSIS_CURSORY), top);

    run_test(analysis::kNoiseFft);
    EXPECT_FALSE(ctrl(ANALYSIS_TONES).visible);
}

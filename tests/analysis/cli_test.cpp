// seisbench-cli: data files and the analysis tests from the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "chipfiles/temp_dir.h"
#include "cli/cli.h"
#include "cli_run.h"

using testing_support::TempDir;
using namespace cli_run;

namespace {

// Two channels: 1, 2, 3, 4 and 0, 0, 0, 8 (8 codes spanned by 4 samples).
const char* const kSmallFile =
    "8,0,1000,3,7fffff,5,250,0,2,0\n \n"
    "0, 1, 10, 0, 0, 0, 0, 0\n"
    "0, 2, 10, 0, 0, 0, 0, 0\n"
    "0, 3, 10, 0, 0, 0, 0, 0\n"
    "0, 4, 10, 8, 0, 0, 0, 0\n"
    "0, 0, 0, 0, 0, 0, 0, 0\n";

TEST(CliAnalysis, HistogramOfASmallFile) {
    TempDir dir;
    const std::string file = dir.write("small.dat", kSmallFile);
    const CliRun r = run({"--json", "data load " + file, "analyze --test hist"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = r.json();
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0]["command"], "data");
    EXPECT_EQ(j[0]["samples"], 8);
    EXPECT_EQ(j[0]["channels"], 2);
    EXPECT_EQ(j[0]["fs"], 1000.0);
    EXPECT_EQ(j[0]["window"], 3);
    EXPECT_EQ(j[0]["full_scale_code"], "0x7FFFFF");
    EXPECT_EQ(j[0]["limit_bw"], 250);

    const auto& a = j[1];
    EXPECT_EQ(a["command"], "analyze");
    EXPECT_EQ(a["ok"], true);
    EXPECT_EQ(a["test"], "hist");
    ASSERT_EQ(a["channels"].size(), 2u);
    const auto& ch1 = a["channels"][0];
    EXPECT_EQ(ch1["channel"], 1);
    EXPECT_EQ(ch1["samples"], 4);
    std::vector<std::string> keys;
    for (auto& [k, v] : ch1["stats"].items()) keys.push_back(k);
    EXPECT_EQ(keys, (std::vector<std::string>{"MAXIMUM", "MINIMUM", "MEAN", "STD_DEV", "VARIANCE",
                                              "Effective resolution", "Noise-free resolution"}));
    // log2(2 x 0x7FFFFF / sqrt(1.25)) and the same over 6.6.
    EXPECT_NEAR(ch1["stats"]["Effective resolution"].get<double>(), 23.83904, 1e-5);
    EXPECT_NEAR(ch1["stats"]["Noise-free resolution"].get<double>(), 21.11657, 1e-5);
    EXPECT_EQ(ch1["stats"]["MAXIMUM"], 4.0);
    EXPECT_EQ(ch1["stats"]["MINIMUM"], 1.0);
    EXPECT_EQ(ch1["stats"]["MEAN"], 2.5);
    EXPECT_DOUBLE_EQ(ch1["stats"]["STD_DEV"].get<double>(), std::sqrt(1.25));
    EXPECT_EQ(ch1["stats"]["VARIANCE"], 1.25);
    // Every figure with units names them beside the numbers.
    EXPECT_EQ(ch1["units"].size(), ch1["stats"].size());
    EXPECT_EQ(ch1["units"]["Effective resolution"], "bits");
    EXPECT_EQ(ch1["units"]["VARIANCE"], "code²");
    // Channel 2 spans more codes than it has samples: its histogram is binned, not refused.
    EXPECT_EQ(ch1["errors"], nlohmann::ordered_json::array());
    const auto& ch2 = a["channels"][1];
    EXPECT_EQ(ch2["stats"]["MAXIMUM"], 8.0);
    EXPECT_EQ(ch2["stats"]["MEAN"], 2.0);
    EXPECT_DOUBLE_EQ(ch2["stats"]["STD_DEV"].get<double>(), std::sqrt(12.0));
    EXPECT_EQ(ch2["stats"]["VARIANCE"], 12.0);
    EXPECT_EQ(ch2["errors"], nlohmann::ordered_json::array());
    EXPECT_NE(r.out.find("\"STD_DEV\":1.118033988749895"), std::string::npos) << r.out;
}

TEST(CliAnalysis, TextFormRoundsAsTheDisplays) {
    TempDir dir;
    const std::string file = dir.write("small.dat", kSmallFile);
    const CliRun r = run({"data load " + file, "analyze --test hist"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(value(r.out, "channel 1 STD_DEV"), "1.12 code");
    EXPECT_EQ(value(r.out, "channel 1 MAXIMUM"), "4 code");
    EXPECT_EQ(value(r.out, "channel 2 VARIANCE"), "12.00 code²");
    EXPECT_EQ(value(r.out, "channel 1 Effective resolution").substr(5), " bits");
    EXPECT_EQ(r.out.find("error"), std::string::npos) << r.out;
}

TEST(CliAnalysis, OptionsGoThroughTheSetupFields) {
    TempDir dir;
    const std::string file = dir.write("small.dat", kSmallFile);
    const std::string saved = dir.path("saved.dat").string();
    const CliRun r = run({"--json", "data load " + file,
                          "analyze --test time --limit-bw 600 --window 1 --full-scale-code 400000 "
                          "--full-scale-volts 2.5",
                          "data save " + saved});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = r.json();
    EXPECT_EQ(j[1]["channels"][0]["stats"].size(), 2u);  // MAXIMUM, MINIMUM
    EXPECT_EQ(j[2]["limit_bw"], 500);                    // cut to half of 1000 samples/s
    EXPECT_EQ(j[2]["window"], 1);
    EXPECT_EQ(j[2]["full_scale_code"], "0x400000");
    EXPECT_EQ(j[2]["full_scale_volts"], 2.5);
    EXPECT_EQ(dir.read("saved.dat").substr(0, 31), "8,0,1000,1,400000,2.5,500,0,2,0");
}

TEST(CliAnalysis, RefusalsAndFailures) {
    TempDir dir;
    EXPECT_EQ(run({"analyze --test hist"}).status, 1);  // nothing loaded
    EXPECT_EQ(run({"analyze --test fft"}).status, 2);
    EXPECT_EQ(run({"analyze --window 9"}).status, 2);
    EXPECT_EQ(run({"analyze --full-scale-code 800000"}).status, 2);
    EXPECT_EQ(run({"data load"}).status, 2);
    const CliRun bad = run({"--json", "data load " + dir.write("bad.dat", "x\n")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("Load Data Error: File "), std::string::npos) << bad.err;
    EXPECT_EQ(bad.json()[0]["ok"], false);
}

TEST(CliAnalysis, SpectrumTestsShowTheirPanelSetUp) {
    TempDir dir;
    const std::string file = dir.write("small.dat", kSmallFile);
    const CliRun r =
        run({"--json", "data load " + file, "analyze --test phase", "analyze --test noise"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = r.json();
    EXPECT_TRUE(j[1]["channels"][0]["stats"].empty());
    std::vector<std::string> keys;
    for (auto& [k, v] : j[2]["channels"][0]["stats"].items()) keys.push_back(k);
    EXPECT_EQ(keys, (std::vector<std::string>{"S/N", "S/PN", "Spot Noise dB", "Spot Noise nV",
                                              "# of bins"}));
}

}  // namespace

// Recording to miniSEED and reading it back: an hour of four channels decoded whole by an
// independent reader (mseed2sac), a broken stream written as gaps, recorded data analysed
// like a capture, noise over time, and names and options refused before anything is written.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "chipfiles/temp_dir.h"
#include "cli_run.h"
#include "recording/archive_stream.h"
#include "recording/utc_time.h"

using namespace cli_run;
namespace fs = std::filesystem;

namespace {

using Json = nlohmann::ordered_json;

// Recordings start at a fixed moment, so a day's end never falls inside one by chance.
const char* const kMorning = "--virtual-time=2026-12-08T10:00:00";

struct SacFile {
    float delta = 0;
    std::int32_t npts = 0;
    double begin = 0;  // seconds of the day of its first sample
};

// The files mseed2sac writes for miniSEED files read together: one per contiguous stretch.
std::vector<SacFile> decode(const std::vector<std::string>& mseed, const fs::path& dir) {
    fs::create_directories(dir);
    std::string command = "cd '" + dir.string() + "' && mseed2sac";
    for (const auto& f : mseed) command += " '" + f + "'";
    command += " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<SacFile> out;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir)) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const auto& p : files) {
        std::ifstream in(p, std::ios::binary);
        std::vector<char> h(632);
        in.read(h.data(), 632);
        SacFile s;
        std::memcpy(&s.delta, h.data(), 4);
        std::memcpy(&s.npts, h.data() + 316, 4);
        float b = 0;
        std::int32_t hour = 0, minute = 0, second = 0, msec = 0;
        std::memcpy(&b, h.data() + 20, 4);
        std::memcpy(&hour, h.data() + 288, 4);
        std::memcpy(&minute, h.data() + 292, 4);
        std::memcpy(&second, h.data() + 296, 4);
        std::memcpy(&msec, h.data() + 300, 4);
        s.begin = hour * 3600.0 + minute * 60.0 + second + msec / 1000.0 + b;
        out.push_back(s);
    }
    return out;
}

Json last(const CliRun& r) {
    const auto lines = r.json();
    return lines.empty() ? Json() : lines.back();
}

// One hour of four channels, channel 1's tone off, recorded once for the suite.
class Recorded : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new testing_support::TempDir;
        result_ = new Json(last(
            run({"--json", "--simulate", kMorning, "sim 1 off", "configure --rate 500 --channels 4",
                 "record --seconds 3600 --out " + archive()})));
    }
    static void TearDownTestSuite() {
        delete result_;
        delete dir_;
    }
    static std::string archive() { return dir_->path("sds").string(); }
    static testing_support::TempDir* dir_;
    static Json* result_;
};

testing_support::TempDir* Recorded::dir_ = nullptr;
Json* Recorded::result_ = nullptr;

TEST_F(Recorded, AnHourDecodesWholeInAnIndependentReaderWithItsStationXml) {
    const Json& r = *result_;
    ASSERT_EQ(r["ok"], true) << r.dump();
    EXPECT_EQ(r["samples"], 1800000);
    EXPECT_TRUE(r["gaps"].empty());
    ASSERT_EQ(r["files"].size(), 4u);
    for (std::size_t c = 0; c < 4; ++c) {
        const std::string file = r["files"][c];
        // SDS: YEAR/XX/STA/CHn.D/XX.STA..CHn.D.YEAR.DAY, channel codes C (250-1000/s), H, n.
        const std::string code = "CH" + std::to_string(c + 1);
        EXPECT_NE(file.find("/XX/"), std::string::npos) << file;
        EXPECT_NE(file.find("/" + code + ".D/XX."), std::string::npos) << file;
        EXPECT_NE(file.find(".." + code + ".D."), std::string::npos) << file;
        EXPECT_EQ(fs::file_size(file) % 4096, 0u);
        const auto sac = decode({file}, dir_->path("sac" + std::to_string(c)));
        ASSERT_EQ(sac.size(), 1u) << file << ": a gap or an overlap";
        EXPECT_EQ(sac[0].npts, 1800000);
        EXPECT_FLOAT_EQ(sac[0].delta, 0.002f);
    }
    std::ifstream xml(r["stationxml"].get<std::string>());
    const std::string text((std::istreambuf_iterator<char>(xml)), {});
    EXPECT_NE(text.find("<SampleRate>500</SampleRate>"), std::string::npos);
    // 0x7FFFFF counts over half of 5 V.
    EXPECT_NE(text.find("<Value>3355442.8</Value>"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n') > 20, true);
}

TEST_F(Recorded, ReadBackAnalysesLikeACaptureOfTheSameSource) {
    const std::string start = (*result_)["start"];
    // 512 s of four channels: 1,024,000 records.
    std::tm tm{};
    strptime(start.c_str(), "%Y-%m-%dT%H:%M:%S", &tm);
    const std::time_t t = timegm(&tm) + 512;
    char end[40];
    std::strftime(end, sizeof end, "%Y-%m-%dT%H:%M:%S", std::gmtime(&t));
    const std::string frac = start.substr(19);  // ".ffffffZ"
    const Json loaded =
        last(run({"--json", "data load " + archive() + " --start " + start + " --end " + end + frac,
                  "analyze --test signal"}));
    const Json captured = last(run({"--json", "--simulate", "--virtual-time", "sim 1 off",
                                    "configure --rate 500 --channels 4",
                                    "capture --samples 1024000", "analyze --test signal"}));
    ASSERT_EQ(loaded["channels"].size(), 4u) << loaded.dump().substr(0, 400);
    EXPECT_EQ(loaded["channels"][0]["samples"], 256000);
    for (int c = 1; c < 4; ++c)
        for (const char* key : {"S/N", "S/D", "S/N+D"})
            EXPECT_NEAR(loaded["channels"][c]["stats"][key].get<double>(),
                        captured["channels"][c]["stats"][key].get<double>(), 0.2)
                << c << " " << key;
}

TEST_F(Recorded, NoiseOverTimeGivesThreeOrderedPercentilesPerFrequency) {
    const Json p = last(run({"--json", "evaluate ppsd " + archive() + " --window 600"}));
    ASSERT_EQ(p["channels"].size(), 4u);
    const Json& ch1 = p["channels"][0];
    EXPECT_EQ(ch1["code"], "CH1");
    EXPECT_EQ(ch1["windows"], 11);  // 10-minute windows every 5 minutes in an hour
    ASSERT_FALSE(ch1["frequencies"].empty());
    for (std::size_t k = 0; k < ch1["frequencies"].size(); ++k) {
        EXPECT_LE(ch1["p5"][k].get<double>(), ch1["p50"][k].get<double>());
        EXPECT_LE(ch1["p50"][k].get<double>(), ch1["p95"][k].get<double>());
    }
    // Channel 1 carries only the board's white noise, 62.9 nV/√Hz.
    EXPECT_NEAR(20 * std::log10(ch1["p50"][0].get<double>() / 62.9), 0.0, 0.5);
    EXPECT_EQ(ch1["spectrogram"]["starts"].size(), 11u);
    // The report of a later capture carries the archive's noise over time, a plot a channel.
    const std::string html = dir_->path("report.html").string();
    const CliRun r = run({"--simulate", "--virtual-time", "configure --rate 500 --channels 4",
                          "capture --samples 4096", "evaluate ppsd " + archive() + " --window 600",
                          "report " + html});
    ASSERT_EQ(r.status, 0) << r.err;
    std::ifstream in(html);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("<h2>Noise over time</h2>"), std::string::npos);
    EXPECT_NE(text.find("ppsd-4"), std::string::npos);
    EXPECT_EQ(text.find("ppsd-5"), std::string::npos);
}

// The archive read in odd chunks gives the samples the whole-window reader gives.
TEST_F(Recorded, ChunksOfTheArchiveJoinToTheWindowReadWhole) {
    recording::ReadRequest window;
    ASSERT_TRUE(recording::parse_utc((*result_)["start"], &window.start_us));
    window.start_us += 100'000'000;
    window.end_us = window.start_us + 100'000'000;
    recording::ReadStreams whole;
    ASSERT_TRUE(recording::read_streams(archive(), window, &whole));
    recording::ArchiveStream stream;
    ASSERT_TRUE(stream.open(archive(), window));
    std::vector<std::vector<std::int32_t>> joined(4);
    recording::Chunk chunk;
    for (bool first = true; stream.next(7777, &chunk) && chunk.length() > 0; first = false) {
        if (first) {
            EXPECT_EQ(chunk.start_us, whole.start_us);
        }
        EXPECT_FALSE(chunk.after_gap);
        for (int c = 0; c < 4; ++c)
            joined[c].insert(joined[c].end(), chunk.samples[c].begin(), chunk.samples[c].end());
    }
    ASSERT_EQ(joined[0].size(), 50000u);
    EXPECT_EQ(joined, whole.samples);
}

// The whole hour through the Welch estimates a chunk at a time: its segments tile the stretch
// exactly as they would tile it in memory, and the white noise comes out as captured.
TEST_F(Recorded, ThePsdOfTheWholeArchiveIsReadSegmentBySegment) {
    const Json p =
        last(run({"--json", "analyze --test psd --archive " + archive() + " --segment 16384"}));
    ASSERT_EQ(p["ok"], true) << p.dump().substr(0, 400);
    EXPECT_EQ(p["archive"]["samples"], 1800000);
    EXPECT_EQ(p["archive"]["stretches"], 1);
    EXPECT_TRUE(p["archive"]["gaps"].empty());
    EXPECT_EQ(p["welch"]["segments"], (1800000 - 16384) / 8192 + 1);
    ASSERT_EQ(p["channels"].size(), 4u);
    EXPECT_NEAR(20 * std::log10(p["channels"][0]["stats"]["Noise density"].get<double>() / 62.9),
                0.0, 0.2);
    // A window of the archive, and a test that needs the samples in memory.
    const Json w = last(run({"--json", "analyze --test psd --archive " + archive() + " --start " +
                                           (*result_)["start"].get<std::string>().substr(0, 19) +
                                           " --end 2100-01-01T00:00:00 --codes CH2,CH3"}));
    EXPECT_EQ(w["channels"].size(), 2u) << w.dump().substr(0, 300);
    EXPECT_EQ(w["archive"]["codes"], Json::array({"CH2", "CH3"}));
    EXPECT_EQ(run({"analyze --test sinefit --archive " + archive()}).status, 2);
    EXPECT_EQ(run({"analyze --test psd --start 2026-01-01T00:00:00"}).status, 2);
}

TEST(Recording, ABrokenStreamIsWrittenAsGapsNeverAsShiftedSamples) {
    testing_support::TempDir dir;
    const std::string out = dir.path("sds").string();
    // The stream stalls after each 10,000 frames (and its stale lead-in word); the recording
    // starts it again each time.
    const Json r = last(run({"--json", "--simulate", kMorning, "configure --rate 500 --channels 4",
                             "sim fault stall 40001", "record --seconds 100 --out " + out}));
    ASSERT_EQ(r["ok"], true) << r.dump();
    EXPECT_EQ(r["samples"], 50000);
    ASSERT_EQ(r["gaps"].size(), 4u);
    const auto sac = decode({r["files"][2]}, dir.path("sac"));
    ASSERT_EQ(sac.size(), 5u);
    for (std::size_t k = 0; k < sac.size(); ++k) {
        EXPECT_EQ(sac[k].npts, 10000);
        if (k > 0) {
            EXPECT_GT(sac[k].begin, sac[k - 1].begin + 10000 * 0.002 - 1e-3) << k;
        }
    }
    // Read back, the block ends at the first gap; the archive read in chunks goes on after it,
    // and no Welch segment spans one.
    const Json loaded = last(run({"--json", "data load " + out}));
    EXPECT_EQ(loaded["samples"], 40000);
    EXPECT_TRUE(loaded.contains("gap_at_us"));
    const Json psd = last(run({"--json", "analyze --test psd --archive " + out}));
    EXPECT_EQ(psd["archive"]["samples"], 50000);
    EXPECT_EQ(psd["archive"]["gaps"].size(), 4u);
    EXPECT_EQ(psd["welch"]["segments"], 5 * ((10000 - 4096) / 2048 + 1));
}

// Noise over time read a chunk at a time goes on past a break, and no window spans one.
TEST(Recording, NoiseOverTimeWindowsStayWithinTheStretchesBetweenGaps) {
    testing_support::TempDir dir;
    const std::string out = dir.path("sds").string();
    // Stretches of 35,000 frames (70 s): one 60-second window each.
    const Json r = last(run({"--json", "--simulate", kMorning, "configure --rate 500 --channels 4",
                             "sim fault stall 140001", "record --seconds 300 --out " + out}));
    ASSERT_EQ(r["gaps"].size(), 4u) << r.dump().substr(0, 300);
    const Json p = last(run({"--json", "evaluate ppsd " + out + " --window 60 --channels CH2"}));
    ASSERT_EQ(p["channels"].size(), 1u) << p.dump().substr(0, 300);
    EXPECT_EQ(p["channels"][0]["windows"], 4);
    EXPECT_EQ(p["channels"][0]["gaps"].size(), 4u);
}

// A recording over the year's end goes on in the next day's file of every channel, with no
// sample lost or doubled where the files meet, and reads back as one stretch.
TEST(Recording, TheYearsEndStartsNewDayFilesWithoutABreak) {
    testing_support::TempDir dir;
    const std::string out = dir.path("sds").string();
    const Json r =
        last(run({"--json", "--simulate", "--virtual-time=2026-12-31T23:59:30",
                  "configure --rate 500 --channels 4", "record --seconds 60 --out " + out}));
    ASSERT_EQ(r["ok"], true) << r.dump();
    ASSERT_EQ(r["files"].size(), 8u) << r.dump();
    std::map<std::string, std::vector<std::string>> by_code;
    for (const std::string f : r["files"])
        by_code[fs::path(f).parent_path().filename().string()].push_back(f);
    ASSERT_EQ(by_code.size(), 4u);
    for (auto& [code, files] : by_code) {
        std::sort(files.begin(), files.end());
        EXPECT_NE(files[0].find("/2026/XX/"), std::string::npos) << files[0];
        EXPECT_EQ(files[0].substr(files[0].size() - 9), ".2026.365");
        EXPECT_EQ(files[1].substr(files[1].size() - 9), ".2027.001");
        const auto sac = decode(files, dir.path("sac-" + code));
        ASSERT_EQ(sac.size(), 1u) << code << ": a gap or an overlap at midnight";
        EXPECT_EQ(sac[0].npts, 30000) << code;
    }
    const Json loaded = last(run({"--json", "data load " + out +
                                                " --start 2026-12-31T23:59:50 --end "
                                                "2027-01-01T00:00:10 --channels CH2"}));
    EXPECT_EQ(loaded["samples"], 10000) << loaded.dump().substr(0, 300);
    EXPECT_FALSE(loaded.contains("gap_at_us"));
    const Json psd = last(run({"--json", "analyze --test psd --archive " + out}));
    EXPECT_EQ(psd["archive"]["samples"], 30000);
    EXPECT_EQ(psd["archive"]["stretches"], 1);
}

TEST(Recording, BadNamesAndOptionsAreRefusedBeforeAnythingIsWritten) {
    testing_support::TempDir dir;
    const std::string out = dir.path("sds").string();
    for (const std::string bad :
         {"--network XYZ", "--station abc", "--location LOC", "--channel-codes CH1,CH1,CH3,CH4",
          "--channel-codes CH1", "--seconds 0", "--seconds x", "--frobnicate 1"}) {
        const CliRun r = run({"--simulate", "--virtual-time", "configure --rate 500 --channels 4",
                              "record --out " + out + " " + bad});
        EXPECT_EQ(r.status, 2) << bad << ": " << r.err;
        EXPECT_FALSE(fs::exists(out)) << bad;
    }
    EXPECT_EQ(run({"--simulate", "--virtual-time", "record --seconds 1"}).status, 2);
    const std::string junk = dir.write("junk.mseed", "this is no miniSEED");
    const CliRun r = run({"data load " + junk});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("junk.mseed"), std::string::npos) << r.err;
}

}  // namespace

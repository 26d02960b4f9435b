// A data file that cannot be loaded is reported once, with its line, and changes nothing.
#include <algorithm>

#include "analysis/data_menu.h"
#include "chipfiles/temp_dir.h"
#include "fixture.h"

using testing_support::AnalysisTest;
using testing_support::TempDir;

namespace {

// Everything a load could change.
struct Snapshot {
    int num_samples, channels, window, fs_code, limit_bw;
    double fs, fs_volt;
    std::array<int, 4> counts;
    std::vector<std::int32_t> data, tags;
    std::vector<int> fields;
    double volts_field;

    bool operator==(const Snapshot&) const = default;
};

class BadFile : public AnalysisTest {
  protected:
    void SetUp() override {
        AnalysisTest::SetUp();
        auto& st = t->analysis;
        t->capture.NumberOfChannels = 3;
        t->capture.num_samples = 9;
        st.ch_count = {3, 3, 3, 0};
        for (int i = 0; i < 12; ++i) st.ch_data[i * 1000] = i, st.ch_tag[i * 1000] = 0x30;
        before = snapshot();
    }
    Snapshot snapshot() {
        const auto& st = t->analysis;
        std::vector<int> fields;
        for (int c :
             {SETUP_SAMPLES, SETUP_RATE, SETUP_WINDOW, SETUP_FSCODE, SETUP_LIMITBW, SETUP_CHANNELS})
            fields.push_back(shell::get_int(ui(), sp(), c));
        return {t->capture.num_samples,
                t->capture.NumberOfChannels,
                st.window_index,
                st.fs_code,
                st.limit_bw,
                t->capture.fs,
                st.fs_volt,
                st.ch_count,
                st.ch_data,
                st.ch_tag,
                fields,
                shell::get_double(ui(), sp(), SETUP_FSVOLTS)};
    }
    // Loads a file with this content; expects exactly one message naming the file and the
    // line, and no change.
    void refused(const std::string& content, int line, const std::string& about) {
        const std::string path = dir.write("bad.dat", content);
        t.frontend.popups.clear();
        EXPECT_EQ(analysis::load_data_file(app(), path), -1);
        const auto m = t.frontend.messages();
        ASSERT_EQ(m.size(), 1u) << content.substr(0, 60);
        const std::string expected_start =
            "Load Data Error|File " + path + ", line " + std::to_string(line) + ": ";
        EXPECT_EQ(m[0].substr(0, expected_start.size()), expected_start) << m[0];
        EXPECT_NE(m[0].find(about), std::string::npos) << m[0];
        EXPECT_TRUE(snapshot() == before) << m[0];
        EXPECT_FALSE(ui().panel(ap())->visible);
    }

    TempDir dir;
    Snapshot before;
};

const std::string kGoodRows =
    " \n1, 1, 11, 2, 21, 3, 31, 4\n1, 1, 11, 2, 21, 3, 31, 4\n1, 1, 11, 2, 21, 3, 31, 4\n";

TEST_F(BadFile, AFileThatCannotBeOpened) {
    const std::string path = dir.path("missing.dat").string();
    EXPECT_EQ(analysis::load_data_file(app(), path), -1);
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{"Load Data Error|File " + path + " cannot be opened."}));
    EXPECT_TRUE(snapshot() == before);
    t.frontend.popups.clear();
    EXPECT_EQ(analysis::load_data_file(app(), dir.path().string()), -1);
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{"Load Data Error|File " + dir.path().string() +
                                        " cannot be opened: it is a folder."}));
}

TEST_F(BadFile, AMalformedFirstLine) {
    refused("", 1, "empty");
    refused("8,0,500,3,7fffff,5,250,0,4\n" + kGoodRows, 1, "ten comma-separated");
    refused("8,0,500,3,7fffff,5,250,0,4,0,\n" + kGoodRows, 1, "ten comma-separated");
    refused("8,0,fast,3,7fffff,5,250,0,4,0\n" + kGoodRows, 1, "sample rate \"fast\"");
    refused("8,0,500,3,7fffzz,5,250,0,4,0\n" + kGoodRows, 1, "full-scale code");
    refused("8.5,0,500,3,7fffff,5,250,0,4,0\n" + kGoodRows, 1, "sample count");
    refused("99999999999,0,500,3,7fffff,5,250,0,4,0\n" + kGoodRows, 1, "sample count");
}

TEST_F(BadFile, AChannelCountOutsideOneToFour) {
    refused("8,0,500,3,7fffff,5,250,0,0,0\n" + kGoodRows, 1, "channel count 0 is not 1 to 4");
    refused("8,0,500,3,7fffff,5,250,0,5,0\n" + kGoodRows, 1, "channel count 5 is not 1 to 4");
}

TEST_F(BadFile, SettingsTheSetupPanelCannotHold) {
    refused("8,0,777,3,7fffff,5,250,0,4,0\n" + kGoodRows, 1, "sample rate 777");
    refused("8,0,500,7,7fffff,5,250,0,4,0\n" + kGoodRows, 1, "window 7");
    refused("8,0,500,3,ffffff,5,250,0,4,0\n" + kGoodRows, 1, "full-scale code");
    refused("-4,0,500,3,7fffff,5,250,0,4,0\n" + kGoodRows, 1, "negative");
}

TEST_F(BadFile, ARowThatDoesNotScan) {
    const std::string head = "8,0,500,3,7fffff,5,250,0,4,0\n \n";
    const std::string good = "1, 1, 11, 2, 21, 3, 31, 4\n";
    refused(head + good + "1, 1, 11, 2, 21, 3, 31\n" + good, 4, "data row 1");
    refused(head + good + good + "1, 1, 11, 2, 21, 3, 31, x\n", 5, "data row 2");
    refused(head + "1 1 11 2 21 3 31 4\n" + good + good, 3, "data row 0");
    refused(head + good + "1, 1, 11, 2, 21, 3, 31, 4, 5\n" + good, 4, "data row 1");
    refused(head + good + "g, 1, 11, 2, 21, 3, 31, 4\n" + good, 4, "data row 1");
    refused(head + good + "1, 9999999999, 11, 2, 21, 3, 31, 4\n" + good, 4, "data row 1");
    refused(head + good + good, 5, "ends after 2 of 3 data rows");
}

TEST_F(BadFile, RowsThatWouldNotFitAreRefusedBeforeAnyIsRead) {
    std::fill(t->analysis.load_rows.begin(), t->analysis.load_rows.begin() + 64, 0x5A5A);
    std::string content = "1048577,0,500,3,7fffff,5,250,0,1,0\n \n";
    for (int i = 0; i < 8; ++i) content += "1, 1, 11, 2, 21, 3, 31, 4\n";
    refused(content, 1, "need 1048578 rows");
    // The largest count on one channel: its row count does not fit an int.
    refused("2147483647,0,500,3,7fffff,5,250,0,1,0\n" + kGoodRows, 1, "need 2147483648 rows");
    EXPECT_TRUE(std::all_of(t->analysis.load_rows.begin(), t->analysis.load_rows.begin() + 64,
                            [](std::int32_t v) { return v == 0x5A5A; }));
    // The largest block that fits loads.
    std::string largest = "1048576,0,500,3,7fffff,5,250,0,1,0\n \n";
    largest.reserve(largest.size() + 1048577 * 25);
    for (int i = 0; i <= 1048576; ++i) largest += "1, 1, 0, 0, 0, 0, 0, 0\n";
    ASSERT_EQ(analysis::load_data_file(app(), dir.write("largest.dat", largest)), 0);
    EXPECT_EQ(t->analysis.ch_count[0], 1048576);
}

}  // namespace

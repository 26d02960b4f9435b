// Analysis data files: what saving writes, and that loading brings all of it back.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/data_menu.h"
#include "chipfiles/temp_dir.h"
#include "fixture.h"

using testing_support::AnalysisTest;
using testing_support::TempDir;

namespace {

class DataFile : public AnalysisTest {
  protected:
    // A four-channel block of 4096 samples whose tags run through the hex digits a to f.
    void four_channel_block() {
        auto& cap = t->capture;
        cap.NumberOfChannels = 4;
        cap.num_samples = 4096;
        for (int c = 0; c < 4; ++c) {
            std::vector<std::int32_t> v(1024);
            for (int i = 0; i < 1024; ++i) v[i] = (i * 7919 + c * 104729) % 16777216 - 8388608;
            set_channel(c, v);
            for (int i = 0; i < 1024; ++i) t->analysis.tag(c)[i] = (c << 4) | (0x0a + i % 6);
        }
    }
    std::vector<std::string> lines(const std::string& name) {
        std::istringstream in(dir.read(name));
        std::vector<std::string> out;
        for (std::string l; std::getline(in, l);) out.push_back(l);
        return out;
    }
    // The settings line up to field 9, and field 10 (the full-scale reference power).
    static std::string first_nine(const std::string& l) { return l.substr(0, l.rfind(',')); }
    static double reference_field(const std::string& l) {
        return std::stod(l.substr(l.rfind(',') + 1));
    }
    std::string save(const std::string& name) {
        EXPECT_EQ(analysis::save_data_file(app(), dir.path(name).string()), 0);
        return dir.path(name).string();
    }

    TempDir dir;
};

TEST_F(DataFile, SavingWritesTheSettingsLineTheSpaceLineAndNPlusOneRows) {
    four_channel_block();
    save("block.dat");
    const auto l = lines("block.dat");
    ASSERT_EQ(l.size(), 2u + 1025u);
    EXPECT_EQ(first_nine(l[0]), "4096,0,500,3,7fffff,5,250,0,4");
    EXPECT_GT(reference_field(l[0]), 0.0);
    EXPECT_EQ(l[1], " ");
    EXPECT_EQ(l[2].substr(0, 4), "a, -");
    EXPECT_NE(l[2].find(", 1a, "), std::string::npos);
    EXPECT_NE(l[2].find(", 3a, "), std::string::npos);
    EXPECT_EQ(l[7].substr(0, 3), "f, ");
    EXPECT_NE(l[6].find(", 2e, "), std::string::npos);
    // Row n carries what lies just past the last sample.
    EXPECT_EQ(l.back(), "0, 0, 0, 0, 0, 0, 0, 0");
    EXPECT_EQ(t->capture.num_samples, 4096);
    EXPECT_TRUE(t.frontend.popups.empty());
    // No temporary file is left beside the target.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(DataFile, SavingTwiceGivesIdenticalFiles) {
    four_channel_block();
    save("a.dat");
    save("b.dat");
    EXPECT_EQ(dir.read("a.dat"), dir.read("b.dat"));
}

TEST_F(DataFile, SavingUsesTheBlocksOwnChannelCount) {
    four_channel_block();
    ui().SetCtrlVal(sp(), SETUP_CHANNELS, 1);  // changed after the capture
    save("block.dat");
    EXPECT_EQ(first_nine(lines("block.dat")[0]), "4096,0,500,3,7fffff,5,250,0,4");
    t->capture.NumberOfChannels = 0;  // nothing captured: the field decides
    t->capture.num_samples = 3;
    save("none.dat");
    EXPECT_EQ(lines("none.dat").size(), 2u + 4u);
    ui().SetCtrlVal(sp(), SETUP_CHANNELS, 0);  // the field's 0 means four channels
    t->capture.num_samples = 8;
    save("four.dat");
    EXPECT_EQ(first_nine(lines("four.dat")[0]), "8,0,500,3,7fffff,5,250,0,4");
    EXPECT_EQ(lines("four.dat").size(), 2u + 3u);
}

TEST_F(DataFile, SaveAndLoadRestoreEverySettingFieldAndSample) {
    four_channel_block();
    auto& st = t->analysis;
    t->capture.fs = 1000;
    st.window_index = 1;
    st.fs_code = 0x4000A0;
    st.fs_volt = 2.5;
    st.limit_bw = 400;
    const auto data = st.ch_data;
    const auto tags = st.ch_tag;
    const std::string path = save("round.dat");

    // Everything different before loading.
    t->capture = {};
    st.window_index = 0, st.fs_code = 1, st.fs_volt = 1, st.limit_bw = 0;
    std::fill(st.ch_data.begin(), st.ch_data.end(), 5);
    std::fill(st.ch_tag.begin(), st.ch_tag.end(), 5);
    ui().SetCtrlVal(sp(), SETUP_CHANNELS, 2);

    ASSERT_EQ(analysis::load_data_file(app(), path), 0);
    EXPECT_TRUE(t.frontend.popups.empty());
    EXPECT_EQ(t->capture.num_samples, 4096);
    EXPECT_DOUBLE_EQ(t->capture.fs, 1000);
    EXPECT_EQ(t->capture.NumberOfChannels, 4);
    EXPECT_EQ(st.window_index, 1);
    EXPECT_EQ(st.fs_code, 0x4000A0);
    EXPECT_DOUBLE_EQ(st.fs_volt, 2.5);
    EXPECT_EQ(st.limit_bw, 400);
    EXPECT_EQ(st.ch_count, (std::array<int, 4>{1024, 1024, 1024, 1024}));
    EXPECT_EQ(shell::get_int(ui(), sp(), SETUP_SAMPLES), 4096);
    EXPECT_EQ(shell::get_int(ui(), sp(), SETUP_RATE), 1000);
    EXPECT_EQ(shell::get_int(ui(), sp(), SETUP_WINDOW), 1);
    EXPECT_EQ(shell::get_int(ui(), sp(), SETUP_FSCODE), 0x4000A0);
    EXPECT_DOUBLE_EQ(shell::get_double(ui(), sp(), SETUP_FSVOLTS), 2.5);
    EXPECT_EQ(shell::get_int(ui(), sp(), SETUP_LIMITBW), 400);
    EXPECT_EQ(shell::get_int(ui(), sp(), SETUP_CHANNELS), 0);  // four channels
    // The settings hold what the inputs show.
    const shell::Settings& set = t->settings;
    EXPECT_EQ(set.capture.samples, 4096);
    EXPECT_EQ(set.setup.rate, 1000);
    EXPECT_EQ(set.setup.channels, 0);
    EXPECT_EQ(set.analysis.window, 1);
    EXPECT_EQ(set.analysis.fs_code, 0x4000A0);
    EXPECT_DOUBLE_EQ(set.analysis.fs_volts, 2.5);
    EXPECT_EQ(set.analysis.limit_bw, 400);
    for (int c = 0; c < 4; ++c) {
        for (int i = 0; i <= 1024; ++i) {
            ASSERT_EQ(st.data(c)[i], data[c * core::kBufferEntries + i]) << c << " " << i;
            ASSERT_EQ(st.tag(c)[i], tags[c * core::kBufferEntries + i]) << c << " " << i;
        }
        EXPECT_EQ(st.data(c)[1025], 5);  // past row n the arrays keep what they held
    }
    // The loaded block is shown and analysed.
    EXPECT_TRUE(ui().panel(ap())->visible);
    EXPECT_FALSE(ctrl(ANALYSIS_TEST).dimmed);
    EXPECT_EQ(graph().plots.size(), 4u);
    EXPECT_EQ(ring_labels(ANALYSIS_STATCH).size(), 4u);
}

TEST_F(DataFile, ATwoChannelLoadKeepsTheCountsOfChannelsThreeAndFour) {
    auto& st = t->analysis;
    st.ch_count = {1, 2, 77, 88};
    const std::string path = dir.write("two.dat",
                                       "6,0,250,2,7fffff,5,100,0,2,0\n \n"
                                       "1, 10, 11, -10, 0, 0, 0, 0\n"
                                       "1, 20, 11, -20, 0, 0, 0, 0\n"
                                       "1, 30, 11, -30, 0, 0, 0, 0\n"
                                       "0, 0, 0, 0, 0, 0, 0, 0\n");
    ASSERT_EQ(analysis::load_data_file(app(), path), 0);
    EXPECT_EQ(st.ch_count, (std::array<int, 4>{3, 3, 77, 88}));
    EXPECT_EQ(t->capture.NumberOfChannels, 2);
    EXPECT_EQ(shell::get_int(ui(), sp(), SETUP_CHANNELS), 2);
    EXPECT_EQ(ring_labels(ANALYSIS_STATCH), (std::vector<std::string>{"CH 1", "CH 2"}));
    EXPECT_TRUE(ctrl(ANALYSIS_CH3).dimmed);
    EXPECT_TRUE(ctrl(ANALYSIS_CH4).dimmed);
    EXPECT_FALSE(ctrl(ANALYSIS_CH2).dimmed);
    EXPECT_EQ(st.data(1)[2], -30);
    EXPECT_EQ(st.tag(1)[0], 0x11);
}

TEST_F(DataFile, CrLfHexCaseRealSamplesAndARemainderLoad) {
    // 10 samples on 4 channels: n = 2, three rows.
    const std::string path = dir.write("crlf.dat",
                                       "10,0,500.000000,0,7FFFFF,5.000000,250,0,4,123.5\r\n \r\n"
                                       "0A, 1, 1B, -2, 2C, 3.9, 3F, -4.9\r\n"
                                       "a, 5, 1b, 6, 2c, 7, 3f, 8\r\n"
                                       "0, 0, 0, 0, 0, 0, 0, 0\r\n");
    ASSERT_EQ(analysis::load_data_file(app(), path), 0) << t.frontend.messages()[0];
    const auto& st = t->analysis;
    EXPECT_EQ(st.ch_count, (std::array<int, 4>{2, 2, 2, 2}));
    EXPECT_EQ(st.tag(0)[0], 0x0a);
    EXPECT_EQ(st.tag(1)[1], 0x1b);
    EXPECT_EQ(st.data(2)[0], 3);  // truncated toward zero
    EXPECT_EQ(st.data(3)[0], -4);
    EXPECT_EQ(st.data(3)[1], 8);
    EXPECT_EQ(t->analysis.window_index, 0);
}

TEST_F(DataFile, TheMenuItemsAskForTheFile) {
    four_channel_block();
    const int menu = t->shell.menu;
    t.frontend.files.push_back(dir.path("menu.dat").string());
    ui().UserMenu(menu, MENUBAR_FILE_SAVE);
    ASSERT_TRUE(std::filesystem::exists(dir.path("menu.dat")));
    EXPECT_EQ(t.frontend.popups.back().title, "Save Data");
    t->capture.NumberOfChannels = 1;
    t.frontend.files.push_back(std::nullopt);  // cancelled
    ui().UserMenu(menu, MENUBAR_FILE_LOAD);
    EXPECT_EQ(t.frontend.popups.back().title, "Load Data");
    EXPECT_EQ(t->capture.NumberOfChannels, 1);
    t.frontend.files.push_back(dir.path("menu.dat").string());
    ui().UserMenu(menu, MENUBAR_FILE_LOAD);
    EXPECT_EQ(t->capture.NumberOfChannels, 4);
    EXPECT_TRUE(t.frontend.messages().empty());
}

TEST_F(DataFile, AFailedSaveLeavesTheTargetAlone) {
    four_channel_block();
    std::filesystem::create_directory(dir.path("target.dat"));
    EXPECT_EQ(analysis::save_data_file(app(), dir.path("target.dat").string()), -1);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path("target.dat")));
    EXPECT_FALSE(std::filesystem::exists(dir.path("target.dat.tmp")));
    const std::string missing = dir.path("no/such/folder.dat").string();
    EXPECT_EQ(analysis::save_data_file(app(), missing), -1);
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{
                  "Save Data Error|File " + dir.path("target.dat").string() + " cannot be written.",
                  "Save Data Error|File " + missing + " cannot be written."}));
}

}  // namespace

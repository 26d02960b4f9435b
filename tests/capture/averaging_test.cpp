// Averaged runs: several captures, each split into channels and added to the averaged spectra.
#include <gtest/gtest.h>

#include "boardlink/discovery.h"
#include "capture/averaging.h"
#include "chip/setup_config.h"
#include "support/test_app.h"
#include "uir_ids.h"

using testing_support::TestApp;

namespace {

// Connects the app's board, configures 500 samples/s and asks for 4096 records per capture.
void connect_and_configure(TestApp& a) {
    a.start();
    const int p = a->shell.setuppanel;
    a->ui.SetCtrlVal(p, SETUP_CONNECT, 1);
    boardlink::USB_port_init(*a);
    a->ui.SetCtrlVal(p, SETUP_RATE, 500);
    chip::config_df(*a);
    a->ui.SetCtrlVal(p, SETUP_SAMPLES, 4096);
    a.frontend.popups.clear();
}

struct Averaging : ::testing::Test {
    TestApp t;
    simboard::SimBoard* board = nullptr;

    void SetUp() override {
        board = &t.add_board(4);
        connect_and_configure(t);
    }
    void set(int ctrl, int v) { t->ui.SetCtrlVal(t->shell.setuppanel, ctrl, v); }
    std::vector<double> spectrum(int ch) {
        const auto& a = t->spectra.avg_buff[ch];
        return std::vector<double>(a.begin(), a.begin() + 513);  // 1024 samples: 513 bins
    }
};

}  // namespace

TEST_F(Averaging, FourBlocksGiveTheMeanOfTheFourSpectra) {
    // Four single captures, one after the other, then the same four blocks as one run of four
    // on a second board with the same seed and the same timing.
    std::vector<std::vector<double>> singles;
    set(SETUP_AVERAGE, 1);
    for (int i = 0; i < 4; ++i) {
        capture::data_capture_analysis(*t);
        singles.push_back(spectrum(1));
    }
    TestApp u;
    u.add_board(4);
    connect_and_configure(u);
    const int p = u->shell.setuppanel;
    u->ui.SetCtrlVal(p, SETUP_AVERAGE, 4);
    capture::data_capture_analysis(*u);
    const auto& avg = u->spectra.avg_buff[1];
    for (int i = 0; i < 513; ++i) {
        const double mean = (singles[0][i] + singles[1][i] + singles[2][i] + singles[3][i]) / 4;
        ASSERT_NEAR(avg[i], mean, 1e-9 * std::max(1.0, mean)) << i;
    }
    int left = -1;
    u->ui.GetCtrlVal(p, SETUP_COUNTDOWN, &left);
    EXPECT_EQ(left, 0);
    EXPECT_TRUE(u->ui.panel(u->shell.analysispanel)->visible);
}

TEST_F(Averaging, ZeroCapturesToAverageRunsOneWithCountOne) {
    set(SETUP_AVERAGE, 0);
    capture::data_capture_analysis(*t);
    int starts = 0;
    for (const auto& e : board->log())
        if (e.kind == simboard::LogEntry::Kind::CaptureStart) ++starts;
    EXPECT_EQ(starts, 1);
    // A twin board with the same seed, asked for exactly one capture, gives the same spectrum.
    TestApp u;
    u.add_board(4);
    connect_and_configure(u);
    const int p = u->shell.setuppanel;
    u->ui.SetCtrlVal(p, SETUP_AVERAGE, 1);
    capture::data_capture_analysis(*u);
    const auto once = spectrum(0);
    for (int i = 0; i < 513; ++i) ASSERT_DOUBLE_EQ(once[i], u->spectra.avg_buff[0][i]) << i;
    EXPECT_TRUE(t->ui.panel(t->shell.analysispanel)->visible);
    std::string caption;
    t->ui.GetCtrlAttribute(t->shell.setuppanel, SETUP_CAPTURE, ui::ATTR_LABEL_TEXT, &caption);
    EXPECT_EQ(caption, "Capture Data");
}

TEST_F(Averaging, AFailedBlockEndsTheRunWithoutShowingTheAnalysis) {
    set(SETUP_AVERAGE, 3);
    board->faults().stall_after_records = 1000;
    t->ui.HidePanel(t->shell.analysispanel);
    capture::usb_capture_data(*t);
    EXPECT_FALSE(t->ui.panel(t->shell.analysispanel)->visible);
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{
                  "        No Response!|Please reconfig or reset the target board"}));
    int left = -1;
    t->ui.GetCtrlVal(t->shell.setuppanel, SETUP_COUNTDOWN, &left);
    EXPECT_EQ(left, 3);
    EXPECT_FALSE(t->ui.timers_suspended());
}

TEST_F(Averaging, TheMenuItemShowsTheSetupPanelAndCaptures) {
    t->ui.HidePanel(t->shell.setuppanel);
    set(SETUP_AVERAGE, 1);
    t->ui.UserMenu(t->shell.menu, MENUBAR_BOARD_CAPTURE);
    EXPECT_TRUE(t->ui.panel(t->shell.setuppanel)->visible);
    EXPECT_TRUE(t->ui.panel(t->shell.analysispanel)->visible);
    EXPECT_TRUE(t.frontend.popups.empty());
}

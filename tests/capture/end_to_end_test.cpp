// From connection to metrics: connect, configure, capture an averaged run at 500 samples/s
// and read the signal test's figures off the analysis panel.
#include <gtest/gtest.h>

#include <cmath>

#include "boardlink/discovery.h"
#include "capture/averaging.h"
#include "chip/setup_config.h"
#include "platform/simboard/signal_source.h"
#include "support/test_app.h"
#include "uir_ids.h"

using testing_support::TestApp;

TEST(EndToEnd, SignalFiguresFollowTheSimulatedNoiseAndHarmonics) {
    TestApp t;
    auto& board = t.add_board(4);
    auto& ch1 = board.config().channels[0];
    ch1.harmonics_dbc = {-90.0, -400.0, -400.0, -400.0};
    const double noise_nv = ch1.noise_nv;
    t.start();
    auto& ui = t->ui;
    const int sp = t->shell.setuppanel, ap = t->shell.analysispanel;
    ui.SetCtrlVal(sp, SETUP_CONNECT, 1);
    boardlink::USB_port_init(*t);
    ui.SetCtrlVal(sp, SETUP_RATE, 500);
    ui.SetCtrlVal(sp, SETUP_CHANNELS, 0);
    chip::config_df(*t);
    ui.SetCtrlVal(sp, SETUP_SAMPLES, 16384);  // 4096 records per channel
    ui.SetCtrlVal(sp, SETUP_AVERAGE, 4);
    ui.UserSetValue(sp, SETUP_WINDOW, 3);
    t.frontend.popups.clear();

    capture::usb_capture_data(*t);
    ASSERT_TRUE(t.frontend.popups.empty());
    ASSERT_TRUE(ui.panel(ap)->visible);
    ASSERT_EQ(t->analysis.ch_count[0], 4096);

    ui.UserSetValue(ap, ANALYSIS_TEST, 2);  // signal FFT
    std::string label;
    ui.GetCtrlAttribute(ap, ANALYSIS_STAT1, ui::ATTR_LABEL_TEXT, &label);
    ASSERT_EQ(label, "S/N");
    double sn = 0, sd = 0;
    ui.GetCtrlVal(ap, ANALYSIS_STAT1, &sn);
    ui.GetCtrlVal(ap, ANALYSIS_STAT3, &sd);

    // A -0.5 dBFS sine against white noise of the given density over the whole band.
    const double amplitude = std::pow(10.0, -0.5 / 20) * 8388607.0;
    const double sigma = simboard::noise_sigma_codes(noise_nv, 500.0, 5.0);
    const double expected_sn = 10 * std::log10(amplitude * amplitude / 2 / (sigma * sigma));
    EXPECT_NEAR(sn, expected_sn, 2.0);
    EXPECT_NEAR(sd, 90.0, 1.0);
}

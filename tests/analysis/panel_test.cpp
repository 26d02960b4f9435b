// The analysis panel at start-up, the dispatcher, the channel controls, the settings fields,
// the error list and the board profile.
#include <cmath>
#include <regex>

#include "analysis/errors.h"
#include "analysis/readouts.h"
#include "boardlink/discovery.h"
#include "fixture.h"

using testing_support::AnalysisTest;

namespace {

class Panel : public AnalysisTest {
  protected:
    // Four channels present, the ring offering all of them.
    void four_channels() {
        t->capture.NumberOfChannels = 4;
        for (int c = 0; c < 4; ++c) set_channel(c, {c, -c, 10 * c});
        analysis::analysis(app());
    }
};

TEST_F(Panel, StartUpDerivesTheCodeRangeAndReadsTheSetupPanel) {
    const auto& st = t->analysis;
    EXPECT_EQ(st.code_span, 16777216);
    EXPECT_EQ(st.code_max, 8388607);
    EXPECT_EQ(st.code_min, -8388608);
    EXPECT_EQ(app().spectra.tone_bins, 6);
    EXPECT_EQ(app().spectra.dc_bins, 13);
    EXPECT_EQ(st.ch_count, (std::array<int, 4>{1, 0, 0, 0}));
    EXPECT_EQ(st.plot_colour, (std::array<int, 4>{0x000000, 0x800000, 0x008000, 0x000080}));
    EXPECT_EQ(ctrl(ANALYSIS_CH2).on_colour, 0x800000);
    EXPECT_EQ(ctrl(ANALYSIS_CH4).on_colour, 0x000080);
    EXPECT_EQ(st.window_index, 3);
    EXPECT_EQ(st.fs_code, 0x7FFFFF);
    EXPECT_DOUBLE_EQ(st.fs_volt, 5.0);
    EXPECT_EQ(st.limit_bw, 250);
    EXPECT_DOUBLE_EQ(t->capture.fs, 500.0);
    EXPECT_EQ(t->capture.num_samples, 16384);
    // The panel stays hidden until a capture or a load shows it.
    EXPECT_FALSE(ui().panel(ap())->visible);
    EXPECT_EQ(ctrl(ANALYSIS_ZOOM).width, 110);
    EXPECT_FALSE(visible(ANALYSIS_RESTORE));
    EXPECT_TRUE(visible(ANALYSIS_OPTION));  // the time test's first-cycles switch
    EXPECT_FALSE(visible(ANALYSIS_ERRORS));
    EXPECT_FALSE(visible(ANALYSIS_ERRORIND));
    // The first analysis ran the time test over channel 1's one sample.
    EXPECT_EQ(display_label(0), "MAXIMUM");
    EXPECT_FALSE(visible(analysis::stat_display(2)));
    EXPECT_EQ(graph().plots.size(), 1u);
    EXPECT_NE(std::get<std::string>(ctrl(ANALYSIS_TIME).value), "");
    // The date reads year first (ISO 8601), whatever the locale.
    EXPECT_TRUE(std::regex_match(std::get<std::string>(ctrl(ANALYSIS_DATE).value),
                                 std::regex(R"(20\d\d-[01]\d-[0-3]\d)")));
}

TEST_F(Panel, BeforeAnyCaptureTheStatisticsRingIsEmpty) {
    EXPECT_EQ(t->capture.NumberOfChannels, 0);
    EXPECT_TRUE(ring_labels(ANALYSIS_STATCH).empty());
}

TEST_F(Panel, TheRingAndButtonsFollowTheChannelCount) {
    four_channels();
    EXPECT_EQ(ring_labels(ANALYSIS_STATCH),
              (std::vector<std::string>{"CH 1", "CH 2", "CH 3", "CH 4"}));
    t->capture.NumberOfChannels = 2;
    analysis::analysis(app());
    EXPECT_EQ(ring_labels(ANALYSIS_STATCH), (std::vector<std::string>{"CH 1", "CH 2"}));
    EXPECT_FALSE(ctrl(ANALYSIS_CH2).dimmed);
    EXPECT_TRUE(ctrl(ANALYSIS_CH3).dimmed);
    EXPECT_TRUE(ctrl(ANALYSIS_CH4).dimmed);
    // Dimmed is not off: channels 3 and 4 are still plotted.
    EXPECT_EQ(std::get<int>(ctrl(ANALYSIS_CH3).value), 1);
    EXPECT_EQ(graph().plots.size(), 4u);
    t->capture.NumberOfChannels = 1;
    analysis::analysis(app());
    EXPECT_EQ(ring_labels(ANALYSIS_STATCH), (std::vector<std::string>{"CH 1"}));
    EXPECT_TRUE(ctrl(ANALYSIS_CH2).dimmed);
    t->capture.NumberOfChannels = 0;
    analysis::analysis(app());
    EXPECT_TRUE(ring_labels(ANALYSIS_STATCH).empty());
    EXPECT_TRUE(ctrl(ANALYSIS_CH2).dimmed);  // left as it was
}

TEST_F(Panel, StatisticsFollowTheRingWhenItNoLongerOffersTheChannel) {
    four_channels();
    run_test(analysis::kTimeDomain, 3);
    EXPECT_EQ(t->analysis.stat_ch, 3);
    EXPECT_DOUBLE_EQ(display(0), 30);
    t->capture.NumberOfChannels = 2;
    analysis::analysis(app());
    EXPECT_EQ(t->analysis.stat_ch, 0);
    EXPECT_EQ(std::get<int>(ctrl(ANALYSIS_STATCH).value), 0);
    EXPECT_DOUBLE_EQ(display(0), 0);  // channel 1: 0, 0, 0
    EXPECT_EQ(ctrl(ANALYSIS_STATCH).text_colour, 0x000000);
}

TEST_F(Panel, SeparationSplitsByTagBitsFiveAndFourKeepingOrder) {
    auto& cap = t->capture;
    const std::int32_t tags[] = {0x25, 0x00, 0x25, 0x1F, 0xE5, 0x02};
    const std::int32_t values[] = {7, -1, 8, 100, 9, -2};
    cap.num_samples = 6;
    for (int i = 0; i < 6; ++i) cap.jarr[i] = tags[i], cap.iarr[i] = values[i];
    analysis::separate_channel_data(app());
    const auto& st = t->analysis;
    EXPECT_EQ(st.ch_count, (std::array<int, 4>{2, 1, 3, 0}));
    // 0x25 and 0xE5 have bits 5..4 = 2: channel 3.
    EXPECT_EQ(st.data(2)[0], 7);
    EXPECT_EQ(st.data(2)[1], 8);
    EXPECT_EQ(st.data(2)[2], 9);
    EXPECT_EQ(st.tag(2)[2], 0xE5);
    EXPECT_EQ(st.data(0)[0], -1);
    EXPECT_EQ(st.data(0)[1], -2);
    EXPECT_EQ(st.tag(1)[0], 0x1F);
}

TEST_F(Panel, AChannelButtonChoosesTheStatisticsChannel) {
    four_channels();
    // Channel 3 switched on with channel 1 on: channel 3.
    set_buttons(1, 0, 0, 0);
    ui().UserSetValue(ap(), ANALYSIS_CH3, 1);
    EXPECT_EQ(t->analysis.stat_ch, 2);
    EXPECT_EQ(std::get<int>(ctrl(ANALYSIS_STATCH).value), 2);
    EXPECT_EQ(ctrl(ANALYSIS_STATCH).text_colour, 0x008000);
    // Channel 2 switched off with only channel 4 left: channel 4.
    set_buttons(0, 1, 0, 1);
    ui().UserSetValue(ap(), ANALYSIS_CH2, 0);
    EXPECT_EQ(t->analysis.stat_ch, 3);
    EXPECT_EQ(ctrl(ANALYSIS_STATCH).text_colour, 0x000080);
    // Nothing on: channel 1.
    set_buttons(1, 0, 0, 0);
    ui().UserSetValue(ap(), ANALYSIS_CH1, 0);
    EXPECT_EQ(t->analysis.stat_ch, 0);
    EXPECT_TRUE(graph().plots.empty());
}

TEST_F(Panel, TheStatisticsRingRecomputesOnlyTheStatistics) {
    four_channels();
    run_test(analysis::kTimeDomain, 0);
    analysis::add_error(t->analysis.measurement, 400, 0);
    const size_t plots = graph().plots.size();
    ui().SetCtrlAttribute(ap(), analysis::stat_display(0), ui::ATTR_TEXT_COLOR, 0x123456);
    ui().UserSetIndex(ap(), ANALYSIS_STATCH, 2);
    EXPECT_EQ(t->analysis.stat_ch, 2);
    EXPECT_DOUBLE_EQ(display(0), 20);
    EXPECT_DOUBLE_EQ(display(1), -2);
    EXPECT_EQ(ctrl(analysis::stat_display(0)).text_colour, 0xFFFFFF);
    EXPECT_EQ(ctrl(ANALYSIS_STATCH).text_colour, 0x008000);
    EXPECT_EQ(graph().plots.size(), plots);
    EXPECT_EQ(errors(), (std::vector<int>{401}));
}

TEST_F(Panel, BandwidthLimitAboveHalfTheRateIsCutAndWrittenBack) {
    t->capture.fs = 1000;
    ui().UserSetValue(sp(), SETUP_LIMITBW, 600);
    EXPECT_EQ(t->analysis.limit_bw, 500);
    EXPECT_EQ(shell::get_int(ui(), sp(), SETUP_LIMITBW), 500);
    ui().UserSetValue(sp(), SETUP_LIMITBW, 500);
    EXPECT_EQ(t->analysis.limit_bw, 500);
    t->capture.fs = 999;
    ui().UserSetValue(sp(), SETUP_LIMITBW, 600);
    EXPECT_EQ(shell::get_int(ui(), sp(), SETUP_LIMITBW), 499);
    ui().UserSetValue(sp(), SETUP_LIMITBW, 0);
    EXPECT_EQ(t->analysis.limit_bw, 0);
}

TEST_F(Panel, SettingsFieldsFeedTheSettings) {
    ui().UserSetValue(sp(), SETUP_WINDOW, 1);
    ui().UserSetValue(sp(), SETUP_FSCODE, 0x400000);
    ui().UserSetValue(sp(), SETUP_FSVOLTS, 2.5);
    EXPECT_EQ(t->analysis.window_index, 1);
    EXPECT_EQ(t->analysis.fs_code, 0x400000);
    EXPECT_DOUBLE_EQ(t->analysis.fs_volt, 2.5);
    const auto& window = *ui().control(sp(), SETUP_WINDOW);
    ASSERT_EQ(window.items.size(), 4u);
    EXPECT_EQ(window.items[0].label, "None");
    EXPECT_EQ(ui().control(sp(), SETUP_FSCODE)->max, 8388607);
}

TEST_F(Panel, ErrorEntriesCarryCodeAndChannelAndShowTheirMessage) {
    analysis::add_error(t->analysis.measurement, 260, 1);
    analysis::add_error(t->analysis.measurement, 290, 4);
    analysis::show_errors(app());
    EXPECT_TRUE(visible(ANALYSIS_ERRORS));
    EXPECT_TRUE(visible(ANALYSIS_ERRORIND));
    EXPECT_EQ(errors(), (std::vector<int>{262, 295}));
    EXPECT_EQ(ctrl(ANALYSIS_ERRORS).items[0].label,
              "262 Peak noise bins overlap the fundamental bins.");
    EXPECT_EQ(ctrl(ANALYSIS_ERRORS).items[1].label, "295");  // no reason known
    EXPECT_EQ(ctrl(ANALYSIS_ERRORS).index, 1);               // the newest is selected
    ui().UserSetIndex(ap(), ANALYSIS_ERRORS, 0);
    ui().UserSetIndex(ap(), ANALYSIS_ERRORS, 1);
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{
                  "Plot Error|Error 26, Channel 2 : FFT Plot Error.\n\nPeak noise bins overlap "
                  "the fundamental bins.",
                  "Plot Error|Plot Error."}));
    EXPECT_EQ(analysis::error_message(241),
              "Error 24, Channel 1 : FFT Plot Error.\n\nNo fundamental stands above the noise.");
    EXPECT_EQ(analysis::error_message(504),
              "Error 50, Channel 4 : Phase Plot Error.\n\nSample size too small.");
    analysis::analysis(app());
    EXPECT_TRUE(errors().empty());
    EXPECT_FALSE(visible(ANALYSIS_ERRORS));
}

TEST_F(Panel, SpectrumPanelSetUps) {
    t->capture.fs = 1000;
    ui().SetCtrlAttribute(ap(), ANALYSIS_TEST, ui::ATTR_DIMMED, 0);
    ui().UserSetValue(ap(), ANALYSIS_TEST, analysis::kSignalFft);
    EXPECT_TRUE(visible(ANALYSIS_OPTION));
    EXPECT_EQ(ctrl(ANALYSIS_OPTION).on_text, "HARMONICS");
    EXPECT_EQ(ctrl(ANALYSIS_OPTION).off_text, "HARMONICS");
    EXPECT_EQ(display_label(3), "S/N+D");
    EXPECT_EQ(ctrl(analysis::stat_display(4)).precision, 0);
    EXPECT_EQ(ctrl(analysis::stat_display(0)).precision, 2);
    EXPECT_EQ(ctrl(ANALYSIS_GRAPH).label, "FREQUENCY DOMAIN");
    EXPECT_EQ(graph().x.min, 0);
    EXPECT_EQ(graph().x.max, 500);
    EXPECT_EQ(graph().y.min, -20);
    EXPECT_EQ(graph().y.max, 0);
    EXPECT_EQ(ctrl(ANALYSIS_CURSORX).label, "FREQUENCY");
    EXPECT_EQ(ctrl(ANALYSIS_CURSORX).precision, 3);
    EXPECT_EQ(std::get<std::string>(ctrl(ANALYSIS_YUNIT).value), "dB");
    ui().UserSetValue(ap(), ANALYSIS_OPTION, 1);
    EXPECT_EQ(t->analysis.harmonic_marks, 1);
    EXPECT_EQ(t->analysis.noise_units, 0);

    ui().UserSetValue(ap(), ANALYSIS_TEST, analysis::kNoiseFft);
    EXPECT_EQ(ctrl(ANALYSIS_OPTION).on_text, "nV");
    EXPECT_EQ(ctrl(ANALYSIS_OPTION).off_text, "dB");
    EXPECT_EQ(std::get<int>(ctrl(ANALYSIS_OPTION).value), 0);
    EXPECT_EQ(display_label(2), "Spot Noise dB");
    ui().UserSetValue(ap(), ANALYSIS_OPTION, 1);
    EXPECT_EQ(t->analysis.noise_units, 1);
    EXPECT_EQ(t->analysis.harmonic_marks, 1);
    EXPECT_EQ(std::get<std::string>(ctrl(ANALYSIS_YUNIT).value), "nV");
    EXPECT_EQ(graph().yname, "Noise (nV/√Hz)");

    ui().UserSetValue(ap(), ANALYSIS_TEST, analysis::kPhase);
    EXPECT_FALSE(visible(ANALYSIS_OPTION));
    for (int d = 0; d < 5; ++d) EXPECT_FALSE(visible(analysis::stat_display(d)));
    EXPECT_EQ(ctrl(ANALYSIS_GRAPH).label, "PHASE");
    EXPECT_EQ(graph().yname, "Phase (degrees)");
    EXPECT_EQ(graph().y.min, -180);
    EXPECT_EQ(graph().y.max, 180);
    EXPECT_EQ(std::get<std::string>(ctrl(ANALYSIS_YUNIT).value), "D");
    EXPECT_EQ(ctrl(ANALYSIS_CURSORY).label, "PHASE");
}

TEST_F(Panel, BoardProfileSetsTheAnalysisChannelControls) {
    four_channels();
    t.add_board(2);  // single-channel family
    ui().SetCtrlVal(sp(), SETUP_CONNECT, 1);
    boardlink::USB_port_init(app());
    ASSERT_EQ(t->link.usb_opened, 1);
    EXPECT_EQ(std::get<int>(ctrl(ANALYSIS_STATCH).value), 0);
    EXPECT_TRUE(ctrl(ANALYSIS_STATCH).dimmed);
    EXPECT_EQ(std::get<int>(ctrl(ANALYSIS_CH1).value), 1);
    for (int c : {ANALYSIS_CH2, ANALYSIS_CH3, ANALYSIS_CH4}) {
        EXPECT_EQ(std::get<int>(ctrl(c).value), 0);
        EXPECT_TRUE(ctrl(c).dimmed);
    }
}

TEST_F(Panel, FourChannelProfileEnablesTheControlsKeepingTheirValues) {
    four_channels();
    ui().SetCtrlAttribute(ap(), ANALYSIS_STATCH, ui::ATTR_DIMMED, 1);
    ui().SetCtrlAttribute(ap(), ANALYSIS_CH3, ui::ATTR_DIMMED, 1);
    set_buttons(1, 0, 1, 0);
    ui().SetCtrlVal(ap(), ANALYSIS_STATCH, 2);
    t.add_board(4);
    ui().SetCtrlVal(sp(), SETUP_CONNECT, 1);
    boardlink::USB_port_init(app());
    ASSERT_EQ(t->link.usb_opened, 1);
    EXPECT_FALSE(ctrl(ANALYSIS_STATCH).dimmed);
    EXPECT_FALSE(ctrl(ANALYSIS_CH3).dimmed);
    EXPECT_EQ(std::get<int>(ctrl(ANALYSIS_STATCH).value), 2);
    EXPECT_EQ(std::get<int>(ctrl(ANALYSIS_CH2).value), 0);
    EXPECT_EQ(std::get<int>(ctrl(ANALYSIS_CH3).value), 1);
}

}  // namespace

// The measurement the command line, the report and the verdicts read holds what the panel
// shows, for every test: a read-out with a value where the display is shown undimmed, its
// label and value, and the error list's entries. Measured without the panel, a channel gives
// the same read-outs and errors as the panel's run with every channel on.
TEST_F(Panel, TheMeasurementHoldsWhatThePanelShows) {
    t->capture.NumberOfChannels = 4;
    t->capture.fs = 500;
    std::vector<std::int32_t> tone(1024), flat(1024, 7);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] =
            static_cast<std::int32_t>(4e6 * std::sin(2 * M_PI * 0.1 * static_cast<double>(i)));
    set_channel(0, tone);
    set_channel(1, flat);
    set_channel(2, {});
    set_channel(3, tone);
    set_buttons(1, 1, 1, 1);
    int checked = 0, without_value = 0;
    for (int test : {analysis::kTimeDomain, analysis::kHistogram, analysis::kSignalFft,
                     analysis::kNoiseFft, analysis::kPhase}) {
        for (int stat_ch : {0, 1}) {
            SCOPED_TRACE(std::to_string(test) + " on channel " + std::to_string(stat_ch + 1));
            run_test(test, stat_ch);
            const auto& m = t->analysis.measurement;
            EXPECT_EQ(m.test, test);
            // The read-outs follow the run, not the selector moved since.
            const std::vector<analysis::Readout> shown = analysis::readouts(m);
            ui().SetCtrlVal(ap(), ANALYSIS_TEST, (test + 1) % 5);
            EXPECT_EQ(analysis::readouts(m).size(), shown.size());
            ui().SetCtrlVal(ap(), ANALYSIS_TEST, test);
            for (int d = 0; d < analysis::kDisplays; ++d) {
                const ui::Control& c = ctrl(analysis::stat_display(d));
                const auto& f = m.figures[static_cast<std::size_t>(d)];
                EXPECT_EQ(f.has_value(), c.visible && !c.dimmed) << d;
                if (!c.visible) continue;
                EXPECT_EQ(f.label, c.label) << d;
                EXPECT_EQ(f.precision, c.precision) << d;
                if (f.has_value()) {
                    EXPECT_EQ(f.value, display(d)) << d;
                } else {
                    ++without_value;
                }
                ++checked;
            }
            EXPECT_EQ(m.errors, errors());
            const analysis::Measurement alone = analysis::measure(app(), test, stat_ch);
            EXPECT_EQ(alone.errors, m.errors);
            const std::vector<analysis::Readout> again = analysis::readouts(alone);
            ASSERT_EQ(again.size(), shown.size());
            for (std::size_t d = 0; d < shown.size(); ++d) {
                EXPECT_EQ(again[d].label, shown[d].label) << d;
                EXPECT_EQ(again[d].value, shown[d].value) << d;
            }
        }
    }
    EXPECT_GT(checked, 20);       // every test but phase shows read-outs
    EXPECT_GT(without_value, 0);  // the flat channel has figures the analysis cannot produce
}

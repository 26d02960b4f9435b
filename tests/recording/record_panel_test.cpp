// The recording window as a person uses it: Record with the live view drawn while the data
// come, the progress window's button stopping an endless recording with every record whole,
// and the noise over time of the archive drawn on its PSD graph.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "chipfiles/temp_dir.h"
#include "cli/cli.h"
#include "cli/command.h"
#include "cli/command_line.h"
#include "recording/mseed_reader.h"
#include "recording/utc_time.h"
#include "support/test_app.h"
#include "uir_ids.h"

namespace {

namespace fs = std::filesystem;

struct Rig {
    Rig() : board(t.add_board(4)) {
        // A fixed morning, so a day's end never falls inside a recording by chance.
        std::int64_t morning = 0;
        EXPECT_TRUE(recording::parse_utc("2026-12-08T10:00:00", &morning));
        t.clock.set_utc(morning);
        t.start();
        for (const char* line : {"connect", "configure --rate 500 --channels 4"})
            EXPECT_EQ(cli::run_line(context, line).status, cli::kOk) << line << ": " << err.str();
        panel = t->shell.recordpanel;
    }
    const ui::Control& control(int ctrl) { return *t->ui.control(panel, ctrl); }
    double number(int ctrl) {
        double v = 0;
        t->ui.GetCtrlVal(panel, ctrl, &v);
        return v;
    }

    testing_support::TestApp t;
    simboard::SimBoard& board;
    std::ostringstream out, err;
    cli::Context context{*t, t.frontend, false, out, err, &board};
    testing_support::TempDir dir;
    int panel = 0;
};

TEST(RecordPanel, RecordsWithTheLiveViewAndDrawsTheNoiseOverTime) {
    Rig r;
    auto& ui = r.t->ui;
    const std::string out = r.dir.path("sds").string();
    ui.SetCtrlVal(r.panel, RECORD_OUTDIR, out);
    ui.SetCtrlVal(r.panel, RECORD_SECONDS, 1300.0);
    ui.SetCtrlVal(r.panel, RECORD_STRIPSECONDS, 10.0);
    const std::size_t popups = r.t.frontend.popups.size();
    ASSERT_EQ(ui.UserCommit(r.panel, RECORD_START), 0);
    ASSERT_EQ(r.t.frontend.popups.size(), popups) << r.t.frontend.popups.back().text;
    EXPECT_NEAR(r.number(RECORD_HOURS), 1300.0 / 3600, 1e-6);
    EXPECT_GT(r.number(RECORD_MBYTES), 1.0);
    EXPECT_EQ(r.number(RECORD_GAPS), 0.0);
    EXPECT_GT(r.t.frontend.progress_updates, 10);
    // The strip: two curves (lowest, highest) per channel over the last 10 s.
    const auto& strip = r.control(RECORD_STRIP).graph;
    ASSERT_EQ(strip.plots.size(), 8u);
    EXPECT_NEAR(strip.plots[0].x.front(), -10.0, 0.05);
    for (std::size_t k = 0; k < strip.plots[0].y.size(); ++k)
        EXPECT_LE(strip.plots[0].y[k], strip.plots[1].y[k]);
    const auto& psd = r.control(RECORD_PSD).graph;
    ASSERT_EQ(psd.plots.size(), 4u);
    EXPECT_TRUE(psd.x_log);
    recording::ReadStreams back;
    ASSERT_TRUE(recording::read_streams(out, {}, &back));
    EXPECT_EQ(back.samples.front().size(), 650000u);

    // Noise over time of what was written, with its 10-minute windows: three curves a channel.
    ui.SetCtrlVal(r.panel, RECORD_PPSDWINDOW, 600.0);
    r.t.frontend.prompts.push_back(out);
    ASSERT_EQ(ui.UserCommit(r.panel, RECORD_PPSD), 0);
    EXPECT_EQ(r.control(RECORD_PSD).graph.plots.size(), 12u);
    EXPECT_FALSE(r.t->analysis.noise_over_time.empty());
}

TEST(RecordPanel, TheProgressWindowStopsAnEndlessRecordingAndAFolderIsAsked) {
    Rig r;
    auto& ui = r.t->ui;
    const std::size_t popups = r.t.frontend.popups.size();
    ASSERT_EQ(ui.UserCommit(r.panel, RECORD_START), 0);
    ASSERT_EQ(r.t.frontend.popups.size(), popups + 1);  // no folder named
    const std::string out = r.dir.path("sds").string();
    ui.SetCtrlVal(r.panel, RECORD_OUTDIR, out);
    ui.SetCtrlVal(r.panel, RECORD_SECONDS, 0.0);
    r.t.frontend.cancel_progress_at = 40;
    ASSERT_EQ(ui.UserCommit(r.panel, RECORD_START), 0);
    std::string status;
    ui.GetCtrlVal(r.panel, RECORD_STATUS, &status);
    EXPECT_EQ(status.rfind("stopped", 0), 0u) << status;
    recording::ReadStreams back;
    ASSERT_TRUE(recording::read_streams(out, {}, &back));
    EXPECT_GT(back.samples.front().size(), 0u);
    for (const auto& e : fs::recursive_directory_iterator(out))
        if (e.is_regular_file() && e.path().extension() != ".xml") {
            EXPECT_EQ(e.file_size() % 4096, 0u);
        }
}

}  // namespace

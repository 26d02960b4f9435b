// The desktop side of the records: a test the panel shows on new data is kept once however
// often it is redrawn, and the History panel lists the kept runs, trends a figure with its
// limits and mean ± 3σ, and takes a records URL only when it is one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "chipfiles/temp_dir.h"
#include "cli/cli.h"
#include "cli/command.h"
#include "cli/command_line.h"
#include "records/judged_run.h"
#include "support/test_app.h"
#include "uir_ids.h"

namespace {

// The user's data folder of the test, set before the program is built.
struct DataHome {
    explicit DataHome(const std::string& dir) { setenv("XDG_DATA_HOME", dir.c_str(), 1); }
    ~DataHome() { unsetenv("XDG_DATA_HOME"); }
};

struct Bench {
    Bench() : board(t.add_board(4)) { t.start(); }
    App& app() { return *t; }
    cli::Result run(const std::string& line) { return cli::run_line(context, line); }

    testing_support::TempDir dir;
    DataHome home{dir.path("home").string()};
    testing_support::TestApp t;
    simboard::SimBoard& board;
    std::ostringstream out, err;
    cli::Context context{*t, t.frontend, false, out, err, &board};
};

TEST(HistoryPanel, APanelRunIsKeptOnceAndTheRunsAreListedAndTrended) {
    Bench b;
    App& app = b.app();
    app.analysis.on_judged = [&app](int test) {
        app.records.keep(records::judged_run(app, {test}, app.capture.NumberOfChannels, "panel"));
    };
    ASSERT_EQ(b.run("connect").status, cli::kOk);
    ASSERT_EQ(b.run("configure --rate 500 --channels 4").status, cli::kOk);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(b.run("capture --samples 4096").status, cli::kOk);
    // Redrawn on the same block: nothing more kept. analyze keeps its own run, not the panel's.
    app.ui.UserCommit(app.shell.analysispanel, ANALYSIS_TEST);
    ASSERT_EQ(b.run("analyze --test signal").status, cli::kOk);
    std::vector<records::RunRecord> runs;
    ASSERT_TRUE(app.records.query({}, &runs));
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].kind, "panel");
    EXPECT_EQ(runs[3].kind, "analyze");

    const int p = app.shell.historypanel;
    app.ui.SetCtrlVal(p, HISTORY_FIGURE, "signal.S/N");
    ASSERT_EQ(app.ui.UserCommit(p, HISTORY_SHOW), 0);
    const ui::Control& table = *app.ui.control(p, HISTORY_TABLE);
    ASSERT_EQ(table.lines.size(), 1u + runs.size());
    EXPECT_NE(table.lines[0].find("signal.S/N"), std::string::npos);
    // The runs of the signal test trended, three levels for mean and mean ± 3σ, no limits.
    const auto& trend = app.ui.control(p, HISTORY_TREND)->graph.plots;
    ASSERT_EQ(trend.size(), 1u + 3u);
    EXPECT_GE(trend[0].y.size(), 1u);
    EXPECT_NEAR(trend[0].y.back(), runs[3].figures[0].value.value_or(0), 1e-9);

    // Only a records URL is taken; a good one is remembered for the next start.
    const std::size_t popups = b.t.frontend.popups.size();
    app.ui.SetCtrlVal(p, HISTORY_URL, "mysql://line/db");
    app.ui.UserCommit(p, HISTORY_USE);
    EXPECT_EQ(b.t.frontend.popups.size(), popups + 1);
    const std::string file = b.dir.path("line.sqlite").string();
    app.ui.SetCtrlVal(p, HISTORY_URL, file);
    app.ui.UserCommit(p, HISTORY_USE);
    EXPECT_EQ(records::saved_url(app.records.dir()), file);
    EXPECT_EQ(app.records.url(), file);
}

}  // namespace

// The report as a person sees it: the HTML rendered by headless Chromium (a picture of it lands
// in build/screenshots), the same report as PDF through Qt, and the analysis panel with the
// converter figures and pass/fail read-outs.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMainWindow>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "analysis/analysis.h"
#include "analysis/panel_setup.h"
#include "analysis/readouts.h"
#include "analysis/report/report.h"
#include "analysis/spectra.h"
#include "chipfiles/temp_dir.h"
#include "cli/cli.h"
#include "qt_support.h"
#include "uir_ids.h"

#include <gtest/gtest.h>

namespace {

using testing_support::TempDir;

// Pixels of exactly this colour.
int count_colour(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) n += (line[x] & 0xFFFFFF) == (colour & 0xFFFFFF);
    }
    return n;
}

// Four channels of the simulated board with limits, through the command line.
std::string make_report(const TempDir& dir, const std::string& name) {
    const std::string limits = dir.write("lim.json", R"({"signal": {"S/N": {"min": 110},
        "SFDR": {"min": 115, "channels": [1, 3]}}, "noise": {"S/N": {"min": 120}}})");
    const std::string html = dir.path(name).string();
    std::ostringstream out, err;
    const int status = cli::run(
        {"--simulate", "--virtual-time", "--limits", limits, "configure --rate 500 --channels 4",
         "capture --samples 16384 --average 4 --window 3", "analyze --test signal",
         "report " + html},
        SEISBENCH_TEST_RESOURCE_DIR, out, err);
    EXPECT_TRUE(status == cli::kOk || status == cli::kLimitsFailed) << err.str();
    return html;
}

TEST(Report, RendersInChromiumWithEveryPlot) {
    TempDir dir;
    const std::string html = make_report(dir, "report.html");
    const std::string png = dir.path("report.png").string();
    const std::string command =
        "chromium --headless --no-sandbox --disable-gpu "
        "--hide-scrollbars --user-data-dir=" +
        dir.path("profile").string() + " --window-size=900,10400 --screenshot=" + png + " file://" +
        html + " >" + dir.path("chromium.log").string() + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    image = image.convertToFormat(QImage::Format_RGB32);
    // The whole page fits the picture: its last rows are empty page.
    const QImage foot = image.copy(0, image.height() - 80, image.width(), 80);
    EXPECT_EQ(count_colour(foot, 0xFFFFFF), foot.width() * foot.height());
    // Each channel's curves in its colour (channel 1's black is everywhere), the fundamental's
    // red markers, and the verdicts' colours.
    for (QRgb colour : {0x800000u, 0x008000u, 0x000080u, 0xFF0000u, 0xC00000u, 0x007A00u})
        EXPECT_GT(count_colour(image, colour), 200) << std::hex << colour;
    const QString dir_out = QStringLiteral(SEISBENCH_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(dir_out));
    QFile::remove(dir_out + "/report.png");
    EXPECT_TRUE(image.save(dir_out + "/report.png"));
}

// A block with a tone and a little noise on two channels, transformed as a capture would.
void tone_block(App& app) {
    auto& st = app.analysis;
    const int n = 4096;
    for (int c = 0; c < 2; ++c) {
        st.ch_count[c] = n;
        for (int i = 0; i < n; ++i)
            st.data(c)[i] = static_cast<int>(
                std::lround(4e6 * std::sin(2 * M_PI * 101.3 * i / n) +
                            3e3 * std::sin(2 * M_PI * 202.6 * i / n) +
                            40.0 * std::sin(i * 12.9898 + c) * std::cos(i * 4.1414)));
    }
    app.capture.NumberOfChannels = 2;
    app.capture.fs = 500.0;
    analysis::clear_spectra(app);
    for (int c = 0; c < 2; ++c) analysis::add_channel_spectrum(app, 1, c);
}

TEST(Report, WritesPdfThroughQt) {
    qt_support::QtApp t;
    t.start();
    tone_block(*t.app);
    TempDir dir;
    const std::string path = dir.path("report.pdf").string();
    const analysis::ReportOutcome o = analysis::save_report(*t.app, path);
    ASSERT_TRUE(o.status.ok()) << o.status.text;
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
    // Tables and six plots do not fit one page.
    EXPECT_GE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page "), 2);
    EXPECT_GT(pdf.size(), 20000);
}

TEST(Report, AnalysisPanelShowsFiguresAndVerdicts) {
    qt_support::QtApp t;
    t.start();
    App& app = *t.app;
    tone_block(app);
    ASSERT_TRUE(analysis::parse_limits(R"({"signal": {"S/N": {"min": 60}, "SFDR": {"min": 200}}})",
                                       analysis::known_figure, &app.analysis.limits)
                    .ok());
    const int p = app.shell.analysispanel;
    app.ui.SetCtrlAttribute(p, ANALYSIS_TEST, ui::ATTR_DIMMED, 0);
    app.ui.DisplayPanel(p);
    analysis::show_test(app, analysis::kSignalFft, 0);
    QMainWindow* main = t.frontend.main_window();
    main->showNormal();
    main->resize(1280, 800);
    qt_support::settle(60);
    for (const char* name : {"STAT6", "STAT12", "VERDICT1", "VERDICT11"}) {
        QWidget* w = t.find(p, name);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_TRUE(w->isVisible()) << name;
    }
    EXPECT_FALSE(t.find(p, "VERDICT2")->isVisible());
    std::string s1, s11;
    app.ui.GetCtrlVal(p, ANALYSIS_VERDICT1, &s1);
    app.ui.GetCtrlVal(p, ANALYSIS_VERDICT11, &s11);
    EXPECT_EQ(s1, "PASS");
    EXPECT_EQ(s11, "FAIL");
    const QString dir = QStringLiteral(SEISBENCH_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    EXPECT_TRUE(main->grab().save(dir + "/main-1280x800-analysis-figures.png"));
}

}  // namespace

// Exports, the report and limits, end to end: CSV files read back, the report's figure tables
// parsed back against `analyze`, exit statuses under --limits, the panel's pass/fail
// read-outs and the File menu items.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "analysis/exports.h"
#include "analysis/readouts.h"
#include "analysis/report/report.h"
#include "analysis/report/svg_plot.h"
#include "analysis/spectra.h"
#include "analysis/spectrum/reference.h"
#include "chipfiles/temp_dir.h"
#include "cli_run.h"
#include "fixture.h"

namespace {

using namespace cli_run;
using testing_support::AnalysisTest;
using testing_support::TempDir;

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::string cell;
        std::istringstream l(line);
        while (std::getline(l, cell, ',')) cells.push_back(cell);
        if (!line.empty() && line.back() == ',') cells.emplace_back();
        rows.push_back(cells);
    }
    return rows;
}

class Exports : public AnalysisTest {
  protected:
    void SetUp() override {
        AnalysisTest::SetUp();
        app().analysis.fs_code = 0x7FFFFF;
        app().analysis.fs_volt = 5.0;
        app().capture.fs = 1000.0;
    }
    TempDir dir;
};

TEST_F(Exports, DataCsvCarriesEveryCodeBackAndItsVoltage) {
    const std::vector<std::int32_t> ch1 = {0, 1, -1, 8388607, -8388608, 0x123456};
    const std::vector<std::int32_t> ch2 = {-42, 7, 1000};
    set_channel(0, ch1);
    set_channel(1, ch2);
    app().capture.NumberOfChannels = 2;
    const std::string path = dir.path("data.csv").string();
    ASSERT_TRUE(analysis::export_data_csv(app(), path).ok());

    const auto rows = csv_rows(read_file(path));
    ASSERT_EQ(rows.size(), 2 + ch1.size());
    EXPECT_EQ(rows[0][0].rfind("# seisbench data: ", 0), 0u);
    EXPECT_NE(rows[0][0].find("channels=2 fs=1000"), std::string::npos) << rows[0][0];
    EXPECT_NE(rows[0][0].find("full_scale_code=0x7FFFFF full_scale_volts=5"), std::string::npos);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"index", "ch1_code", "ch1_volts", "ch2_code",
                                                 "ch2_volts"}));
    for (size_t i = 0; i < ch1.size(); ++i) {
        const auto& r = rows[2 + i];
        ASSERT_EQ(r.size(), 5u) << i;
        EXPECT_EQ(std::stol(r[0]), static_cast<long>(i));
        EXPECT_EQ(std::stol(r[1]), ch1[i]);
        EXPECT_NEAR(std::stod(r[2]), ch1[i] * 2.5 / 8388607.0, 1e-9);
        if (i < ch2.size()) {
            EXPECT_EQ(std::stol(r[3]), ch2[i]);
        } else {
            EXPECT_EQ(r[3], "");  // past the shorter channel's last sample
            EXPECT_EQ(r[4], "");
        }
    }
    EXPECT_EQ(rows[2 + 3][2], "2.5");  // full scale is half the span
}

TEST_F(Exports, SpectrumCsvIsTheAveragedSpectrumInDbfs) {
    std::vector<std::int32_t> tone(64);
    for (int i = 0; i < 64; ++i) tone[i] = std::lround(4e6 * std::sin(2 * M_PI * 8 * i / 64.0));
    set_channel(0, tone);
    app().capture.NumberOfChannels = 1;
    analysis::clear_spectra(app());
    analysis::add_channel_spectrum(app(), 1, 0);
    const std::string path = dir.path("spectrum.csv").string();
    ASSERT_TRUE(analysis::export_spectrum_csv(app(), path).ok());
    analysis::spectrum::getReferenceFFT(app().spectra, 64, 0x7FFFFF, app().analysis.window_index);
    const double ref = app().spectra.ref_power;

    const auto rows = csv_rows(read_file(path));
    ASSERT_EQ(rows.size(), 2u + 33u);  // bins 0 ... 32
    EXPECT_EQ(rows[1], (std::vector<std::string>{"frequency_hz", "ch1_dbfs"}));
    EXPECT_EQ(rows[2 + 3][0], "46.875");  // 1000 x 3 / 64
    EXPECT_EQ(rows[2 + 32][0], "500");
    for (int i : {0, 8, 20})
        EXPECT_NEAR(std::stod(rows[2 + i][1]), 10 * std::log10(app().spectra.avg_buff[0][i] / ref),
                    1e-6);
    EXPECT_GT(std::stod(rows[2 + 8][1]), std::stod(rows[2 + 20][1]) + 60.0);  // the tone
}

TEST_F(Exports, NothingToExportIsRefusedAndLeavesAnEarlierFile) {
    app().capture.NumberOfChannels = 0;
    const std::string path = dir.write("old.csv", "old");
    for (auto op : {analysis::export_data_csv, analysis::export_spectrum_csv}) {
        const core::Status s = op(app(), path);
        EXPECT_EQ(s.fault, core::Fault::NotAllowed);
        EXPECT_EQ(s.title, "Export Error");
        EXPECT_EQ(read_file(path), "old");
    }
    // Nor is a report of nothing written.
    const core::Status report = analysis::save_report(app(), path).status;
    EXPECT_EQ(report.fault, core::Fault::NotAllowed);
    EXPECT_EQ(report.text, "There is no data to report: capture or load a block first.");
    EXPECT_EQ(read_file(path), "old");
    app().capture.NumberOfChannels = 1;
    const core::Status s = analysis::export_data_csv(app(), dir.path("no/such/dir.csv").string());
    EXPECT_EQ(s.fault, core::Fault::FileError);
}

// The panel judges the statistics channel's read-outs when limits are loaded.
TEST_F(Exports, PanelShowsPassAndFailBesideTheReadouts) {
    set_channel(0, {1, 2, 3, 4});
    set_channel(1, {5, 5, 5, 5});
    app().capture.NumberOfChannels = 2;
    ASSERT_TRUE(analysis::parse_limits(R"({"hist": {"STD_DEV": {"max": 1},
                                          "MEAN": {"min": 2.5},
                                          "Effective resolution": {"min": 1}}})",
                                       analysis::known_figure, &app().analysis.limits)
                    .ok());
    run_test(analysis::kHistogram, 0);
    // MEAN 2.5 passes at its bound, STD_DEV sqrt(1.25) fails, the resolution passes.
    const std::pair<int, const char*> shown[] = {{2, "PASS"}, {3, "FAIL"}, {5, "PASS"}};
    for (auto [d, text] : shown) {
        EXPECT_TRUE(visible(analysis::verdict_display(d))) << d;
        EXPECT_EQ(std::get<std::string>(ctrl(analysis::verdict_display(d)).value), text) << d;
    }
    EXPECT_EQ(ctrl(analysis::verdict_display(3)).text_colour, 0xFF0000);
    for (int d : {0, 1, 4, 6}) EXPECT_FALSE(visible(analysis::verdict_display(d))) << d;

    // Channel 2 is constant: no resolution to show, so its read-outs are hidden and their
    // limit fails.
    ui().SetCtrlVal(ap(), ANALYSIS_STATCH, 1);
    ui().UserSetValue(ap(), ANALYSIS_STATCH, 1);
    EXPECT_FALSE(visible(analysis::stat_display(5)));
    EXPECT_FALSE(visible(analysis::stat_display(6)));
    EXPECT_EQ(std::get<std::string>(ctrl(analysis::verdict_display(5)).value), "FAIL");
    EXPECT_EQ(std::get<std::string>(ctrl(analysis::verdict_display(3)).value), "PASS");

    // The time test has no limits here: nothing beside its read-outs.
    run_test(analysis::kTimeDomain, 0);
    for (int d = 0; d < analysis::kDisplays; ++d)
        EXPECT_FALSE(visible(analysis::verdict_display(d)));
}

TEST_F(Exports, FileMenuItemsWriteTheFilesAndReportWhatCannotBe) {
    set_channel(0, {1, 2, 3, 4});
    app().capture.NumberOfChannels = 1;
    auto& fe = t.frontend;
    const std::string data = dir.path("d.csv").string(), spectrum = dir.path("s.csv").string(),
                      report = dir.path("r.html").string(), pdf = dir.path("r.pdf").string();
    fe.files = {data, spectrum, report, pdf, std::nullopt};
    for (int item : {MENUBAR_FILE_EXPORTDATA, MENUBAR_FILE_EXPORTSPECTRUM, MENUBAR_FILE_REPORT,
                     MENUBAR_FILE_REPORT, MENUBAR_FILE_REPORT})
        fe.menu(app().shell.menu, item);
    ui().RunUserInterface();
    EXPECT_EQ(read_file(data).rfind("# seisbench data:", 0), 0u);
    EXPECT_EQ(read_file(spectrum).rfind("# seisbench spectrum:", 0), 0u);
    EXPECT_EQ(read_file(report).rfind("<!DOCTYPE html>", 0), 0u);
    // Without a display toolkit there is no PDF; the cancelled dialog shows nothing.
    EXPECT_FALSE(std::filesystem::exists(pdf));
    ASSERT_EQ(fe.messages().size(), 1u);
    EXPECT_EQ(fe.messages()[0].rfind("Save Report Error|A PDF report needs", 0), 0u);
}

// A spike one sample wide in a million-point curve survives decimation, and the curve is drawn
// with two points per pixel column at most.
TEST(ReportPlots, MillionPointCurveKeepsItsOutlineInAFewColumns) {
    const int n = 1 << 20;
    const auto y = [](int i) {
        return i == 700001 ? 5.0 : (i == 12345 ? -3.0 : std::sin(i * 1e-3));
    };
    const analysis::report::Range x{0.0, n - 1.0};
    const auto cols = analysis::report::min_max_columns(y, n, 0.0, n - 1.0, x, 672);
    ASSERT_EQ(cols.size(), 672u);
    const int spike = static_cast<int>(700001.0 / (n - 1) * 672);
    const int dip = static_cast<int>(12345.0 / (n - 1) * 672);
    EXPECT_EQ(cols[spike].hi, 5.0);
    EXPECT_EQ(cols[dip].lo, -3.0);
    for (const auto& c : cols) {
        EXPECT_LE(c.hi, c.column == spike ? 5.0 : 1.0);
        EXPECT_GE(c.lo, c.column == dip ? -3.0 : -1.0);
    }
    analysis::report::SvgPlot plot("t", "x", "y", x, {-5.0, 5.0});
    plot.line(y, n, 0.0, n - 1.0, 0x800000);
    const std::string svg = plot.svg("p");
    EXPECT_LT(svg.size(), 40000u);
    const auto points = svg.find("points=\"");
    ASSERT_NE(points, std::string::npos);
    const std::string list = svg.substr(points, svg.find('"', points + 8) - points);
    EXPECT_EQ(std::count(list.begin(), list.end(), ','), 2 * 672);
}

// The simulated board at 500 samples/s, four channels, through the command line.
const std::vector<std::string> kCapture = {"--simulate", "--virtual-time",
                                           "configure --rate 500 --channels 4",
                                           "capture --samples 8192 --average 2 --window 3"};

std::vector<std::string> with(std::vector<std::string> head, std::vector<std::string> tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST(ReportCli, FigureTablesEqualTheAnalyzeJson) {
    TempDir dir;
    const std::string html = dir.path("r.html").string();
    auto args = with({"--json"}, kCapture);
    for (const char* t : {"time", "hist", "signal", "noise"})
        args.push_back(std::string("analyze --test ") + t);
    args.push_back("report " + html);
    const CliRun r = run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = r.json();
    ASSERT_EQ(j.size(), 7u);

    const std::string doc = read_file(html);
    const std::regex table(R"re(<table class="figures" data-test="(\w+)">([\s\S]*?)</table>)re");
    const std::regex cell(
        R"re(<td class="num" data-channel="(\d)" data-figure="([^"]+)"(?: data-value="([^"]+)")?>)re");
    std::map<std::string, std::map<std::pair<int, std::string>, std::string>> cells;
    for (std::sregex_iterator t(doc.begin(), doc.end(), table), end; t != end; ++t) {
        const std::string body = (*t)[2];
        for (std::sregex_iterator c(body.begin(), body.end(), cell); c != end; ++c)
            cells[(*t)[1]][{std::stoi((*c)[1]), (*c)[2]}] = (*c)[3];
    }
    ASSERT_EQ(cells.size(), 8u);  // the converter's four tests, then the digitizer's four
    int compared = 0;
    for (size_t k = 2; k < 6; ++k) {
        const std::string test = j[k]["test"];
        for (const auto& ch : j[k]["channels"]) {
            for (const auto& [figure, value] : ch["stats"].items()) {
                const auto it = cells[test].find({ch["channel"].get<int>(), figure});
                ASSERT_NE(it, cells[test].end()) << test << " " << figure;
                if (value.is_null()) {
                    EXPECT_EQ(it->second, "") << test << " " << figure;
                } else {
                    EXPECT_EQ(std::stod(it->second), value.get<double>()) << test << " " << figure;
                }
                ++compared;
            }
        }
    }
    EXPECT_EQ(compared, 4 * (2 + 7 + 12 + 5));
    // Identity, configuration and one plot of each kind per channel, all inline.
    EXPECT_NE(doc.find("<th>Firmware</th>"), std::string::npos);
    EXPECT_NE(doc.find("<th>Sample rate</th><td>500 samples/s</td>"), std::string::npos);
    for (int c = 1; c <= 4; ++c)
        for (const char* kind : {"time", "histogram", "spectrum"})
            EXPECT_NE(doc.find("id=\"ch" + std::to_string(c) + "-" + kind + "\""),
                      std::string::npos)
                << c << kind;
    EXPECT_EQ(doc.find("src=\"http"), std::string::npos);
    EXPECT_EQ(doc.find("<link"), std::string::npos);
    EXPECT_EQ(j[6]["channels"], 4);
}

TEST(ReportCli, LimitsDecideTheExitStatus) {
    TempDir dir;
    const std::string pass = dir.write("pass.json", R"({"signal": {"S/N": {"min": 100},
        "SFDR": {"min": 100, "channels": [1, 3]}, "ENOB": {"min": 15}}})");
    const std::string fail = dir.write("fail.json", R"({"signal": {"S/N": {"min": 100}},
        "noise": {"S/N": {"min": 120}}})");
    const std::string unknown = dir.write("unknown.json", R"({"signal": {"SNR": {"min": 1}}})");
    const std::string broken = dir.write("broken.json", "{signal");
    const std::string html = dir.path("r.html").string();

    CliRun r = run(with({"--json", "--limits", pass}, with(kCapture, {"analyze --test signal"})));
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    const auto ch3 = r.json()[2]["channels"][2];
    ASSERT_EQ(ch3["verdicts"].size(), 3u);
    EXPECT_EQ(ch3["verdicts"][0]["figure"], "S/N");
    EXPECT_EQ(ch3["verdicts"][0]["limit"], nlohmann::ordered_json({{"min", 100.0}}));
    EXPECT_EQ(ch3["verdicts"][0]["value"], ch3["stats"]["S/N"]);
    EXPECT_EQ(ch3["verdicts"][0]["pass"], true);
    EXPECT_EQ(r.json()[2]["channels"][1]["verdicts"].size(), 2u);  // no SFDR limit on CH 2

    // The signal figures pass, the noise test in the report does not: exit 3 after all ran.
    r = run(with({"--limits", fail}, with(kCapture, {"analyze --test signal", "report " + html})));
    EXPECT_EQ(r.status, cli::kLimitsFailed) << r.err;
    EXPECT_EQ(value(r.out, "channel 1 S/N limit").rfind("PASS (", 0), 0u);
    EXPECT_EQ(value(r.out, "failed"), "4");
    const std::string doc = read_file(html);
    EXPECT_NE(doc.find("4 of 8 figures fail"), std::string::npos);
    EXPECT_NE(doc.find("<td class=\"fail\">FAIL</td>"), std::string::npos);

    // A command that fails outranks failed figures.
    r = run(with({"--limits", fail}, with(kCapture, {"report " + html, "data load /nonexistent"})));
    EXPECT_EQ(r.status, cli::kFailed);

    for (const std::string& bad : {unknown, broken, dir.path("missing.json").string()}) {
        r = run({"--limits", bad, "analyze"});
        EXPECT_EQ(r.status, cli::kUsage) << bad;
        EXPECT_NE(r.err.find(bad), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_NE(run({"--limits", unknown, "analyze"}).err.find("unknown figure signal \"SNR\""),
              std::string::npos);
    EXPECT_EQ(run({"--limits"}).status, cli::kUsage);
}

TEST(ReportCli, ExportCommandsAndTheirUsage) {
    TempDir dir;
    const std::string data = dir.path("d.csv").string();
    const std::string spectrum_csv = dir.path("s.csv").string();
    const CliRun r = run(with(
        {"--json"}, with(kCapture, {"data export " + data, "spectrum export " + spectrum_csv})));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.json()[2]["file"], data);
    EXPECT_EQ(r.json()[3]["bins"], 1025);  // 8192 records over 4 channels: 2048 samples each
    EXPECT_EQ(csv_rows(read_file(data)).size(), 2u + 2048u);
    EXPECT_EQ(csv_rows(read_file(spectrum_csv)).size(), 2u + 1025u);
    EXPECT_EQ(run({"spectrum export"}).status, cli::kUsage);
    EXPECT_EQ(run({"report"}).status, cli::kUsage);
    EXPECT_EQ(run({"data export " + data}).status, cli::kFailed);  // no block yet
}

}  // namespace

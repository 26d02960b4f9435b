#include "records/history_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "records/csv_export.h"
#include "shell/app.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace records {

namespace {

constexpr const char* kTitle = "History";
constexpr int kTrendColour = 0xFF0000;
constexpr int kMeanColour = 0x0000FF;
constexpr int kLimitColour = 0x808080;

// The filter the panel's fields set; false (after a message) when the query fails.
bool runs_shown(App& app, std::vector<RunRecord>* runs) {
    auto& ui = app.ui;
    const int p = app.shell.historypanel;
    RecordFilter f;
    f.serial = shell::get_text(app.ui, app.shell.historypanel, HISTORY_SERIAL);
    f.since = shell::get_text(app.ui, app.shell.historypanel, HISTORY_SINCE);
    const int verdict = shell::get_int(ui, p, HISTORY_VERDICT);
    f.verdict = verdict == 1 ? "pass" : verdict == 2 ? "fail" : "";
    if (app.records.off()) {
        ui.MessagePopup(kTitle, "Records are off (--no-records).");
        return false;
    }
    if (const core::Status s = app.records.query(f, runs); !s) {
        ui.SetCtrlVal(p, HISTORY_WHERE, s.text);
        ui.MessagePopup(kTitle, s.text);
        return false;
    }
    return true;
}

std::string value_text(const std::optional<double>& v) {
    if (!v) return "-";
    char s[32];
    std::snprintf(s, sizeof s, "%.2f", *v);
    return s;
}

// The table: one line per run, the trended figure of the chosen channel last.
void fill_table(App& app, const std::vector<RunRecord>& runs, const std::string& key, int ch) {
    auto& ui = app.ui;
    const int p = app.shell.historypanel;
    char line[256];
    std::snprintf(line, sizeof line, "%-24s %-16s %-8s %-9s %-7s %s", "Time (UTC)", "Serial",
                  "Kind", "Test", "Verdict", key.c_str());
    ui.ResetTextBox(p, HISTORY_TABLE, line);
    for (const RunRecord& r : runs) {
        std::optional<double> v;
        for (const FigureRow& f : r.figures)
            if (f.key == key && f.channel == ch) v = f.value;
        std::snprintf(line, sizeof line, "%-24s %-16s %-8s %-9s %-7s %s", r.utc.c_str(),
                      r.board_serial.empty() ? "-" : r.board_serial.c_str(), r.kind.c_str(),
                      r.test.c_str(), r.verdict.empty() ? "-" : r.verdict.c_str(),
                      value_text(v).c_str());
        ui.InsertTextBoxLine(p, HISTORY_TABLE, -1, line);
    }
}

// The figure across the runs that hold it (x: the run's place), its limits as the last run
// judged them, and the mean with mean ± 3σ.
void draw_trend(App& app, const std::vector<RunRecord>& runs, const std::string& key, int ch) {
    auto& ui = app.ui;
    const int p = app.shell.historypanel;
    ui.DeleteGraphPlot(p, HISTORY_TREND, -1);
    ui.SetCtrlAttribute(p, HISTORY_TREND, ui::ATTR_XNAME, "Run");
    ui.SetCtrlAttribute(p, HISTORY_TREND, ui::ATTR_YNAME, key);
    std::vector<double> x, y;
    std::optional<double> lo, hi;
    for (const RunRecord& r : runs) {
        for (const FigureRow& f : r.figures)
            if (f.key == key && f.channel == ch && f.value && std::isfinite(*f.value)) {
                x.push_back(static_cast<double>(x.size() + 1));
                y.push_back(*f.value);
            }
        for (const VerdictRow& v : r.verdicts)
            if (v.figure == key && v.channel == ch) lo = v.min, hi = v.max;
    }
    if (y.empty()) return;
    const int n = static_cast<int>(y.size());
    ui.PlotXY(p, HISTORY_TREND, x.data(), y.data(), n, ui::VAL_THIN_LINE, kTrendColour);
    double mean = 0.0, var = 0.0;
    for (double v : y) mean += v / n;
    for (double v : y) var += (v - mean) * (v - mean) / std::max(1, n - 1);
    const double sigma = std::sqrt(var);
    const double x0 = 1.0, x1 = std::max(2.0, static_cast<double>(n));
    for (double level : {mean - 3 * sigma, mean, mean + 3 * sigma})
        ui.PlotLine(p, HISTORY_TREND, x0, level, x1, level, kMeanColour);
    for (const auto& limit : {lo, hi})
        if (limit) ui.PlotLine(p, HISTORY_TREND, x0, *limit, x1, *limit, kLimitColour);
}

void show(App& app) {
    std::vector<RunRecord> runs;
    if (!runs_shown(app, &runs)) return;
    const std::string key = shell::get_text(app.ui, app.shell.historypanel, HISTORY_FIGURE);
    const int ch = shell::get_int(app.ui, app.shell.historypanel, HISTORY_TRENDCH);
    fill_table(app, runs, key, ch);
    draw_trend(app, runs, key, ch);
    app.ui.SetCtrlVal(app.shell.historypanel, HISTORY_WHERE, std::to_string(runs.size()) + " runs");
}

void export_csv_file(App& app) {
    std::vector<RunRecord> runs;
    if (!runs_shown(app, &runs)) return;
    std::string path;
    if (app.ui.FileSelectPopup(app.shell.projectDir, "history.csv", "*.csv", "Export History",
                               ui::VAL_SAVE_BUTTON, false, &path) == ui::VAL_NO_FILE_SELECTED)
        return;
    if (const core::Status s = export_csv(runs, path); !s) {
        app.ui.MessagePopup(kTitle, s.text);
        return;
    }
    app.ui.SetCtrlVal(app.shell.historypanel, HISTORY_WHERE,
                      std::to_string(runs.size()) + " runs written to " + path);
}

// The URL typed becomes the records' place now and at every later start.
void use_url(App& app) {
    const std::string url = shell::get_text(app.ui, app.shell.historypanel, HISTORY_URL);
    if (!is_records_url(url)) {
        app.ui.MessagePopup(kTitle,
                            "Records go to postgresql://HOST/DATABASE, sqlite:FILE, a file "
                            "ending in .sqlite, or (empty) this computer's records file.");
        return;
    }
    if (const core::Status s = save_url(app.records.dir(), url); !s) {
        app.ui.MessagePopup(kTitle, s.text);
        return;
    }
    app.records.set(url, false, app.records.dir());
    app.ui.SetCtrlVal(app.shell.historypanel, HISTORY_WHERE,
                      url.empty() ? "this computer" : "the server named");
}

}  // namespace

void history_panel_callbacks(App& app) {
    auto& cb = app.callbacks;
    cb.add_menu("history_menu", [&app](int, int, void*, int) {
        app.ui.SetCtrlVal(app.shell.historypanel, HISTORY_SERIAL,
                          std::string(app.link.DeviceString));
        app.ui.DisplayPanel(app.shell.historypanel);
    });
    ui::on_commit(cb, "history_show", [&app] { show(app); });
    ui::on_commit(cb, "history_export", [&app] { export_csv_file(app); });
    ui::on_commit(cb, "history_use", [&app] { use_url(app); });
    ui::on_commit(cb, "history_close", [&app] { app.ui.HidePanel(app.shell.historypanel); });
}

}  // namespace records

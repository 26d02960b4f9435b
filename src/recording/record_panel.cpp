#include "recording/record_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/noise_over_time.h"
#include "core/system_types.h"
#include "recording/live_view.h"
#include "recording/session.h"
#include "shell/app.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace recording {

namespace {

constexpr const char* kTitle = "Recording";
// Drawing columns of the strip chart, and how often the panel is brought up to date.
constexpr int kStripColumns = 800;
constexpr double kRedrawSeconds = 0.5;
constexpr int kPsdSegment = 4096;

// The analysis panel's colour of a channel (an archive may hold more channels than it has).
int channel_colour(const App& app, int c) {
    return app.analysis.plot_colour[static_cast<std::size_t>(c) % app.analysis.plot_colour.size()];
}

// Volts² per count², for densities in V²/Hz.
double volts2_per_count2(const App& app) {
    if (app.analysis.fs_code <= 0) return 1.0;
    const double v = app.analysis.fs_volt / 2.0 / app.analysis.fs_code;
    return v * v;
}

void draw_strip(App& app, const LiveView& live) {
    auto& ui = app.ui;
    const int p = app.shell.recordpanel;
    const Strip s = live.strip(kStripColumns);
    ui.DeleteGraphPlot(p, RECORD_STRIP, -1);
    for (int c = 0; c < live.channels(); ++c) {
        const int n = static_cast<int>(s.seconds.size());
        ui.PlotXY(p, RECORD_STRIP, s.seconds.data(), s.low[c].data(), n, ui::VAL_THIN_LINE,
                  channel_colour(app, c));
        ui.PlotXY(p, RECORD_STRIP, s.seconds.data(), s.high[c].data(), n, ui::VAL_THIN_LINE,
                  channel_colour(app, c));
    }
}

// Curves of dB against frequency on the log-frequency graph, bin 0 left out.
void plot_db(App& app, const std::vector<double>& x, const std::vector<double>& y, int c) {
    std::vector<double> fx, fy;
    for (std::size_t k = 0; k < x.size() && k < y.size(); ++k)
        if (x[k] > 0.0 && std::isfinite(y[k])) {
            fx.push_back(x[k]);
            fy.push_back(y[k]);
        }
    if (fx.empty()) return;
    app.ui.PlotXY(app.shell.recordpanel, RECORD_PSD, fx.data(), fy.data(),
                  static_cast<int>(fx.size()), ui::VAL_THIN_LINE, channel_colour(app, c));
}

void draw_psd(App& app, const LiveView& live) {
    auto& ui = app.ui;
    const int p = app.shell.recordpanel;
    ui.DeleteGraphPlot(p, RECORD_PSD, -1);
    ui.SetCtrlAttribute(p, RECORD_PSD, ui::ATTR_YNAME, "dB re 1 V²/Hz");
    const double v2 = volts2_per_count2(app);
    for (int c = 0; c < live.channels(); ++c) {
        const std::vector<double> psd = live.psd(c);
        std::vector<double> f(psd.size()), db(psd.size());
        for (std::size_t k = 0; k < psd.size(); ++k) {
            f[k] = static_cast<double>(k) * live.bin_width();
            db[k] = psd[k] > 0.0 ? 10.0 * std::log10(psd[k] * v2) : NAN;
        }
        plot_db(app, f, db, c);
    }
}

void start(App& app) {
    auto& ui = app.ui;
    const int p = app.shell.recordpanel;
    RecordJob job;
    job.out = shell::get_text(app.ui, app.shell.recordpanel, RECORD_OUTDIR);
    job.seconds = shell::get_double(ui, p, RECORD_SECONDS);
    const double strip_seconds = shell::get_double(ui, p, RECORD_STRIPSECONDS);
    job.network = shell::get_text(app.ui, app.shell.recordpanel, RECORD_NETWORK);
    job.station = shell::get_text(app.ui, app.shell.recordpanel, RECORD_STATION);
    if (const std::string loc = shell::get_text(app.ui, app.shell.recordpanel, RECORD_LOCATION);
        !loc.empty())
        job.location = loc;
    if (job.out.empty()) {
        ui.MessagePopup(kTitle, "Name the archive folder to record into.");
        return;
    }
    const JobBoard board = job_board(app);
    LiveView live(board.channels, board.rate > 0 ? board.rate : 1.0, strip_seconds, kPsdSegment,
                  app.analysis.window_index);
    ui.DeleteGraphPlot(p, RECORD_STRIP, -1);
    ui.DeleteGraphPlot(p, RECORD_PSD, -1);
    ui.SetCtrlAttribute(p, RECORD_STRIP, ui::ATTR_XNAME, "Seconds before the last sample");
    ui.SetCtrlAttribute(p, RECORD_STRIP, ui::ATTR_YNAME, "Code");
    ui.SetCtrlAttribute(p, RECORD_PSD, ui::ATTR_XNAME, "Frequency (Hz)");
    ui.SetCtrlAttribute(p, RECORD_PSD, ui::ATTR_XAXIS_LOG, 1);
    ui.SetCtrlVal(p, RECORD_STATUS, "recording into " + job.out);
    // The progress window's button stops the recording, as Ctrl-C does on a terminal.
    bool stop = false;
    const auto outer = app.port.stop_requested;
    app.port.stop_requested = [&stop, &outer] { return stop || (outer && outer()); };
    double shown = -1e300;
    const RecordedJob done =
        record_job(app.port, app.clock, board, job, [&](const RecordProgress& r) {
            if (r.after_gap) live.gap();
            live.add(r.frames);
            const double now = app.clock.now();
            if (now - shown < kRedrawSeconds) return;
            shown = now;
            ui.SetCtrlVal(p, RECORD_HOURS, r.seconds / 3600.0);
            ui.SetCtrlVal(p, RECORD_MBYTES, static_cast<double>(r.bytes) / 1e6);
            ui.SetCtrlVal(p, RECORD_GAPS, static_cast<int>(r.gaps));
            draw_strip(app, live);
            if (live.psd_due()) draw_psd(app, live);
            char text[96];
            std::snprintf(text, sizeof text, "%.3f h of data, %.1f MB written, %zu gaps",
                          r.seconds / 3600.0, static_cast<double>(r.bytes) / 1e6, r.gaps);
            const double fraction = job.seconds > 0.0 ? r.seconds / job.seconds : 0.0;
            if (ui.UpdateProgress(kTitle, text, fraction) != 0) stop = true;
        });
    app.port.stop_requested = outer;
    ui.EndProgress();
    const RecordOutcome& o = done.outcome;
    draw_strip(app, live);
    draw_psd(app, live);
    ui.SetCtrlVal(p, RECORD_HOURS, o.frames / std::max(1.0, app.capture.fs) / 3600.0);
    ui.SetCtrlVal(p, RECORD_MBYTES, static_cast<double>(o.bytes) / 1e6);
    ui.SetCtrlVal(p, RECORD_GAPS, static_cast<int>(o.gaps.size()));
    if (!o.status) {
        ui.SetCtrlVal(p, RECORD_STATUS, "failed: " + o.status.text);
        ui.MessagePopup(o.status.title.empty() ? kTitle : o.status.title, o.status.text);
        return;
    }
    ui.SetCtrlVal(p, RECORD_STATUS,
                  std::string(o.stopped ? "stopped" : "done") + "; " +
                      std::to_string(o.files.size()) + " files and " + done.station_xml);
}

void noise_over_time(App& app) {
    auto& ui = app.ui;
    const int p = app.shell.recordpanel;
    std::string path = shell::get_text(app.ui, app.shell.recordpanel, RECORD_OUTDIR);
    if (ui.PromptPopup(kTitle, "Archive folder or miniSEED file:", &path, 512) < 0 || path.empty())
        return;
    analysis::digitizer::PpsdSettings settings = analysis::ppsd_settings(app.analysis);
    settings.window_seconds = shell::get_double(ui, p, RECORD_PPSDWINDOW);
    analysis::NoiseOverTime& got = app.analysis.noise_over_time;
    if (const core::Status s = analysis::noise_over_time(path, {}, settings, &got); !s) {
        ui.MessagePopup(s.title.empty() ? kTitle : s.title, s.text);
        return;
    }
    ui.DeleteGraphPlot(p, RECORD_PSD, -1);
    ui.SetCtrlAttribute(p, RECORD_PSD, ui::ATTR_XNAME, "Frequency (Hz)");
    ui.SetCtrlAttribute(p, RECORD_PSD, ui::ATTR_YNAME, "dB re 1 nV/√Hz (5th, 50th, 95th %)");
    ui.SetCtrlAttribute(p, RECORD_PSD, ui::ATTR_XAXIS_LOG, 1);
    std::size_t windows = 0;
    for (std::size_t c = 0; c < got.channels.size(); ++c) {
        const auto& q = got.channels[c].ppsd;
        windows = std::max(windows, q.window_starts.size());
        for (const std::vector<double>* curve : {&q.p5, &q.p50, &q.p95}) {
            std::vector<double> db(curve->size());
            for (std::size_t k = 0; k < db.size(); ++k)
                db[k] = (*curve)[k] > 0.0 ? 20.0 * std::log10((*curve)[k]) : NAN;
            plot_db(app, q.frequencies, db, static_cast<int>(c));
        }
    }
    ui.SetCtrlVal(p, RECORD_STATUS,
                  "noise over time of " + path + ": " + std::to_string(got.channels.size()) +
                      " channels, " + std::to_string(windows) + " windows");
}

}  // namespace

JobBoard job_board(const App& app) {
    JobBoard b;
    b.serial = app.link.DeviceString;
    b.rate = app.capture.fs;
    b.channels = core::channels_from_code(app.settings.setup.channels);
    b.armed = app.capture.armed;
    b.fs_code = app.analysis.fs_code;
    b.fs_volt = app.analysis.fs_volt;
    return b;
}

void record_panel_callbacks(App& app) {
    auto& cb = app.callbacks;
    cb.add_menu("record_menu",
                [&app](int, int, void*, int) { app.ui.DisplayPanel(app.shell.recordpanel); });
    ui::on_commit(cb, "record_start", [&app] { start(app); });
    ui::on_commit(cb, "record_ppsd", [&app] { noise_over_time(app); });
    ui::on_commit(cb, "record_close", [&app] { app.ui.HidePanel(app.shell.recordpanel); });
}

}  // namespace recording

#include "cli/capture_commands.h"

#include <chrono>
#include <cstdio>
#include <ostream>

#include "capture/averaging.h"
#include "capture/progress.h"
#include "cli/cli.h"
#include "cli/command.h"
#include "core/system_types.h"
#include "platform/simboard/sim_board.h"
#include "platform/ui/record.h"
#include "shell/app.h"
#include "shell/panel_values.h"
#include "shell/show_outcome.h"
#include "uir_ids.h"

namespace cli {

namespace {

struct CaptureOption {
    const char* name;
    int ctrl;
    long long lo, hi;
};

constexpr CaptureOption kOptions[] = {
    {"--samples", SETUP_SAMPLES, 1, core::kMaxRecords},
    {"--skip", SETUP_SKIP, 0, 65535},
    {"--average", SETUP_AVERAGE, 0, 1000},
    {"--window", SETUP_WINDOW, 0, 3},
};

// A terminal's progress line while a capture runs: block, records and time left, redrawn in
// place at most five times a second and wiped when the capture ends.
class ProgressLine {
  public:
    explicit ProgressLine(Context& c) : c_(c) {
        if (!c.progress_line) return;
        c.app.capture.on_progress = [this](const capture::CaptureProgress& p) { show(p); };
    }
    ~ProgressLine() {
        if (!c_.progress_line) return;
        c_.app.capture.on_progress = nullptr;
        c_.err << "\r\033[K" << std::flush;
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

  private:
    static constexpr double kRedrawSeconds = 0.2;

    void show(const capture::CaptureProgress& p) {
        const double now = c_.app.clock.now();
        if (now - shown_ < kRedrawSeconds) return;
        shown_ = now;
        c_.err << "\rcapture: " << capture::describe(p, now - p.started) << "\033[K" << std::flush;
    }

    Context& c_;
    double shown_ = -1e300;
};

// A cancelled run of several blocks says where it stopped; one block keeps the board's words.
core::Status cancelled_at_block(const capture::CaptureProgress& p, const core::Status& s) {
    if (s.fault != core::Fault::Cancelled || p.blocks < 2) return s;
    return s.with_message(s.title, "Capture cancelled at block " + std::to_string(p.block) +
                                       " of " + std::to_string(p.blocks) + ".");
}

Result capture(Context& c, const std::vector<std::string>& a) {
    const char* kUsage = "usage: capture [--samples N] [--skip S] [--average A] [--window 0-3]";
    std::vector<std::pair<const CaptureOption*, int>> settings;
    for (size_t i = 1; i < a.size(); i += 2) {
        const CaptureOption* o = nullptr;
        for (const auto& k : kOptions)
            if (a[i] == k.name) o = &k;
        if (!o && a[i].rfind("--", 0) == 0) {
            std::vector<std::string> names;
            for (const auto& k : kOptions) names.emplace_back(k.name);
            return unknown_option(a[i], names);
        }
        long long v = 0;
        if (!o || i + 1 >= a.size() || !parse_number(a[i + 1], o->lo, o->hi, &v))
            return usage_error(o ? std::string(o->name) + " takes " + std::to_string(o->lo) +
                                       " to " + std::to_string(o->hi)
                                 : kUsage);
        settings.emplace_back(o, static_cast<int>(v));
    }
    Result f;
    if (!ensure_connected(c, &f)) return f;
    App& app = c.app;
    const int p = app.shell.setuppanel;
    for (auto [o, v] : settings) {
        if (o->ctrl == SETUP_WINDOW)
            app.ui.UserSetValue(p, o->ctrl, v);  // the window callback keeps the setting
        else
            app.ui.SetCtrlVal(p, o->ctrl, v);
    }
    if (!app.capture.armed) return failure("capture is not enabled: configure the board first");
    apply_sim_tones(c);
    const auto t0 = std::chrono::steady_clock::now();
    const double v0 = app.clock.now();
    core::Status s;
    {
        const ProgressLine progress(c);
        s = shell::run_and_show(app.ui, [&app] { return capture::capture_and_analyse(app); });
    }
    if (!s) return failure(cancelled_at_block(app.capture.progress, s), "capture failed");
    Result r;
    const int records = app.settings.capture.samples;
    const int average = app.settings.capture.average;
    r.add("records", records, std::to_string(records));
    r.add("channels", app.capture.NumberOfChannels, std::to_string(app.capture.NumberOfChannels));
    r.add("captures", average == 0 ? 1 : average, std::to_string(average == 0 ? 1 : average));
    r.add("dropped", app.capture.dropped, std::to_string(app.capture.dropped));
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double seconds = app.clock.is_virtual() ? app.clock.now() - v0 : wall;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    r.add("seconds", seconds, text);
    return r;
}

}  // namespace

void apply_sim_tones(Context& c) {
    if (!c.sim) return;
    for (int ch = 0; ch < 4; ++ch)
        if (c.tone_hz[ch] >= 0 && c.app.capture.fs > 0)
            c.sim->config().channels[ch].tone_freq = c.tone_hz[ch] / c.app.capture.fs;
}

void add_capture_commands() {
    commands()["capture"] = {"capture [--samples N] [--skip S] [--average A] [--window 0-3]",
                             "capture and average as the capture button does", capture};
}

}  // namespace cli

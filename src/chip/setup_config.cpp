#include "chip/setup_config.h"

#include <utility>

#include "boardlink/boards.h"
#include "capture/permission.h"
#include "chip/configure.h"
#include "chip/registers.h"
#include "shell/app.h"
#include "shell/show_outcome.h"
#include "uir_ids.h"

namespace chip {

namespace {

using core::Status;

constexpr const char* kNoResponseTitle = "No Response!";
constexpr const char* kNoResponseText =
    "Please try again. If you have alreay tried twice, reset the target board";
constexpr const char* kDoneTitle = "Done";
constexpr const char* kDoneText = "Digital Filter configuration is completed.";

// A setting changed by the program, shown on its input.
void show(App& app, int* field, int value) {
    *field = value;
    app.ui.ShowBound(field);
}

// A failed access as the failure of the step it belongs to.
Status at(const char* step, const Status& s) {
    return s.ok() ? s : Status::failed(s.fault, step);
}

}  // namespace

Status read_gainoffset_parameters(App& app) {
    // All nine are read before any input changes; after a failed read the inputs keep what
    // the user had rather than zeros.
    int values[9];
    for (int i = 0; i < 9; ++i)
        if (Status s = reg_read(app.port, REG_FILTCFG + i, &values[i]); !s)
            return at("read_gainoffset_parameters", s);
    SetupSettings& in = app.settings.setup;
    const int filtcfg = values[0];
    const std::pair<int*, int> read[] = {
        {&in.c12, (filtcfg >> 12) & 1},
        {&in.c13, (filtcfg >> 13) & 1},
        {&in.c14, (filtcfg >> 14) & 1},
        {&in.c16, (filtcfg >> 16) & 0x1F},
    };
    for (auto [field, value] : read) show(app, field, value);
    for (int i = 0; i < 8; ++i) show(app, &(in.*kGainOffsetWords[i]), values[i + 1]);
    return Status::success();
}

Target target(App& app) {
    return {app.port, app.settings.setup, boardlink::find_board(app.link.board_id)};
}

Status configure(App& app) {
    StreamSetup stream;
    Target t = target(app);
    t.stream = &stream;
    const Status s = configure_chip(t);
    if (stream.set) {
        app.capture.fs = stream.fs;
        app.capture.configured_channels = stream.channels;
    }
    if (!s) {
        // The chip is left part-configured: no capture until a configuration succeeds.
        capture::lock_capture(app);
        return Status::failed(s.fault, s.step, kNoResponseTitle, kNoResponseText);
    }
    capture::enable_capture(app);
    return Status::success(kDoneTitle, kDoneText);
}

Status write_gainoffset(App& app) {
    return set_gainoffset_parameters(target(app));
}

int config_df(App& app) {
    shell::run_and_show(app.ui, [&app] { return configure(app); });
    return 0;
}

int set_tbs_freq(App& app) {
    capture::Turn_Capture_off(app);
    SetupSettings& s = app.settings.setup;
    TbsInputs in{s.tbs_mode, s.tbs_freq, s.tbs_level, s.tbs_rate, s.tbs_b, s.tbs_gain};
    apply_tbs_presets(in);
    show(app, &s.tbs_rate, in.rate);
    show(app, &s.tbs_b, in.field_b);
    show(app, &s.tbs_gain, in.gain);
    show(app, &s.tbs_level, in.level);
    auto& ui = app.ui;
    const int p = app.shell.setuppanel;
    if (in.lock >= 0) {
        ui.SetCtrlAttribute(p, SETUP_TBSFREQ, ui::ATTR_DIMMED, in.lock);
        ui.SetCtrlAttribute(p, SETUP_TBSLEVEL, ui::ATTR_DIMMED, in.lock);
    }
    return 0;
}

void setup_config_callbacks(App& app) {
    auto& cb = app.callbacks;
    ui::on_commit(cb, "config_df", [&app] { config_df(app); });
    // Neither shows a message of its own: a failure shows only the transport's.
    ui::on_commit(cb, "wr_gainoffset_ioreg", [&app] { write_gainoffset(app); });
    ui::on_commit(cb, "rd_gainoffset_ioreg", [&app] { read_gainoffset_parameters(app); });
    ui::on_commit(cb, "set_tbs_freq", [&app] { set_tbs_freq(app); });
}

}  // namespace chip

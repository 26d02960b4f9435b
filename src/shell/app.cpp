#include "shell/app.h"

#include "analysis/analysis.h"
#include "boardlink/discovery.h"
#include "boardlink/firmware/flash_board.h"
#include "capture/averaging.h"
#include "capture/permission.h"
#include "chip/coef_loaders.h"
#include "chip/register_tool.h"
#include "chip/setup_config.h"
#include "debugtools/debugger/callbacks.h"
#include "debugtools/debugtools.h"
#include "macros/callbacks.h"
#include "recording/record_panel.h"
#include "records/history_panel.h"
#include "records/judged_run.h"
#include "shell/menus.h"

namespace {
// Earlier runs of a board that its report lists.
constexpr int kEarlierRuns = 20;
}  // namespace

App::App(const Options& o)
    : clock(o.clock),
      ui(o.clock, o.frontend, callbacks, o.resource_dir),
      usb(o.bus, o.clock),
      port{usb, link, [this] { return ui.Timer(); }, [this](double s) { ui.Delay(s); }, {}, {}} {
    shell::register_callbacks(*this);
    boardlink::discovery_callbacks(*this);
    boardlink::firmware_callbacks(*this);
    chip::register_tool_callbacks(*this);
    chip::setup_config_callbacks(*this);
    chip::coef_loader_callbacks(*this);
    debugtools::debugtools_callbacks(callbacks, *this);
    capture::permission_callbacks(*this);
    capture::averaging_callbacks(*this);
    analysis::analysis_callbacks(callbacks, *this);
    macros::macro_callbacks(callbacks, *this);
    debugger::debugger_callbacks(callbacks, *this);
    recording::record_panel_callbacks(*this);
    records::history_panel_callbacks(*this);
    records.set("", false, records::records_dir());
    analysis.earlier_runs = [this](const std::string& serial) {
        std::vector<records::RunRecord> runs;
        records::RecordFilter f;
        f.serial = serial;
        if (serial.empty() || records.off() || !records.query(f, &runs))
            return decltype(records::earlier_rows(runs, 0)){};
        return records::earlier_rows(runs, kEarlierRuns);
    };
}

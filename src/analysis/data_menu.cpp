#include "analysis/data_menu.h"
#include "analysis/mseed_load.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "analysis/analysis.h"
#include "analysis/context.h"
#include "analysis/data_file.h"
#include "analysis/settings.h"
#include "analysis/spectra.h"
#include "core/atomic_file.h"
#include "core/input_file.h"
#include "core/system_types.h"
#include "uir_ids.h"

namespace analysis {

namespace {

constexpr const char* kSaveError = "Save Data Error";
constexpr const char* kLoadError = "Load Data Error";

int report(const Context& cx, const char* title, const std::string& text) {
    cx.ui.MessagePopup(title, text);
    return -1;
}

std::string where(const std::string& path, int line) {
    return "File " + path + ", line " + std::to_string(line) + ": ";
}

// Whether the setup field can hold the value exactly, so loading it loses nothing.
bool field_holds(const Context& cx, int ctrl, double v) {
    const ui::Control* c = cx.ui.control(cx.shell.setuppanel, ctrl);
    if (!c || !std::isfinite(v)) return false;
    if (!c->items.empty())
        return std::any_of(c->items.begin(), c->items.end(),
                           [v](const ui::ListItem& it) { return it.value == v; });
    if (!c->is_real && v != std::trunc(v)) return false;
    return v >= c->min && v <= c->max;
}

std::string number_text(double v) {
    if (v == std::trunc(v) && std::abs(v) < 1e15) return std::to_string(static_cast<long long>(v));
    return std::to_string(v);
}

// The settings of a header must fit the setup fields they are written to.
bool header_fits_fields(const Context& cx, const DataHeader& h, std::string* what) {
    const struct {
        const char* name;
        int ctrl;
        double value;
    } fields[] = {
        {"sample count", SETUP_SAMPLES, double(h.num_samples)},
        {"sample rate", SETUP_RATE, h.fs},
        {"window", SETUP_WINDOW, double(h.window_index)},
        {"full-scale code", SETUP_FSCODE, double(h.fs_code)},
        {"full-scale volts", SETUP_FSVOLTS, h.fs_volt},
        {"bandwidth limit", SETUP_LIMITBW, double(h.limit_bw)},
    };
    for (const auto& f : fields) {
        if (field_holds(cx, f.ctrl, f.value)) continue;
        *what = std::string("the ") + f.name + " " + number_text(f.value) +
                " is not a value the setup panel accepts";
        return false;
    }
    return true;
}

// Settings, setup fields, counts, then the rows: the whole file is known to be good.
void commit(const Context& cx, const DataHeader& h) {
    AnalysisState& st = cx.analysis;
    auto& cap = cx.capture;
    shell::Settings& set = cx.settings;
    cap.num_samples = h.num_samples;
    cap.fs = h.fs;
    st.window_index = h.window_index;
    st.fs_code = h.fs_code;
    st.fs_volt = h.fs_volt;
    st.limit_bw = h.limit_bw;
    // The settings the file was made with, then shown on their inputs.
    set.capture.samples = h.num_samples;
    set.setup.rate = static_cast<int>(h.fs);
    set.analysis.window = h.window_index;
    set.analysis.fs_code = h.fs_code;
    set.analysis.fs_volts = h.fs_volt;
    set.analysis.limit_bw = h.limit_bw;
    const void* shown[] = {&set.capture.samples,  &set.setup.rate,        &set.analysis.window,
                           &set.analysis.fs_code, &set.analysis.fs_volts, &set.analysis.limit_bw};
    for (const void* field : shown) cx.ui.ShowBound(field);
    const int rows = static_cast<int>(h.rows());  // checked against the arrays before
    for (int c = 0; c < h.channels; ++c) st.ch_count[c] = rows - 1;
    set.setup.channels = core::code_from_channels(h.channels);
    cx.ui.ShowBound(&set.setup.channels);
    cap.NumberOfChannels = h.channels;
    const std::int32_t* in = st.load_rows.data();
    for (int i = 0; i < rows; ++i, in += 8) {
        for (int c = 0; c < kChannels; ++c) {
            st.tag(c)[i] = in[2 * c];
            st.data(c)[i] = in[2 * c + 1];
        }
    }
}

}  // namespace

int save_data_file(const Context& cx, const std::string& path) {
    const AnalysisState& st = cx.analysis;
    const auto& cap = cx.capture;
    DataHeader h;
    h.ref_power = reference_power_for_file(cx);
    h.num_samples = cap.num_samples;
    h.fs = cap.fs;
    h.window_index = st.window_index;
    h.fs_code = st.fs_code;
    h.fs_volt = st.fs_volt;
    h.limit_bw = st.limit_bw;
    // The block's own channel count lays out its rows; the setup field may have changed since
    // the capture. Before any block exists the field is all there is.
    const bool have_block = cap.NumberOfChannels >= 1 && cap.NumberOfChannels <= kChannels;
    h.channels = have_block ? cap.NumberOfChannels : setup_channel_count(cx);
    if (h.num_samples < 0 || h.rows() > core::kBufferEntries)
        return report(cx, kSaveError,
                      "The sample count " + std::to_string(h.num_samples) +
                          " does not fit the channel arrays; nothing was saved.");

    const bool saved = core::write_file_atomically(path, [&](std::ostream& out) {
                           write_data_file(out, h, st);
                           return true;
                       }).ok();
    if (!saved) return report(cx, kSaveError, "File " + path + " cannot be written.");
    cx.analysis.data_ref = path;
    return 0;
}

int load_data_file(const Context& cx, const std::string& path) {
    if (is_miniseed_path(path)) return load_miniseed(cx, path, {}).status;
    core::InputFile file(path, kMaxDataFileBytes);
    if (file.refusal() == core::Refusal::CannotOpen)
        return report(cx, kLoadError, "File " + path + " cannot be opened.");
    if (!file.ok())
        return report(cx, kLoadError, "File " + path + " cannot be opened: " + file.reason() + ".");
    std::istream& in = file.stream();
    DataHeader h;
    ReadError e;
    std::string what;
    if (!read_data_header(in, &h, &e))
        return report(cx, kLoadError, where(path, e.line) + e.what + ".");
    if (!header_fits_fields(cx, h, &what))
        return report(cx, kLoadError, where(path, 1) + what + ".");
    if (!read_data_rows(in, h, cx.analysis.load_rows.data(), &e))
        return report(cx, kLoadError, where(path, e.line) + e.what + ".");
    if (in.bad()) return report(cx, kLoadError, "File " + path + " cannot be read.");
    return load_rows_into_block(cx, h, path);
}

int load_rows_into_block(const Context& cx, const DataHeader& h, const std::string& source) {
    std::string what;
    if (!header_fits_fields(cx, h, &what))
        return report(cx, kLoadError, source + ": " + what + ".");
    commit(cx, h);
    spectra_after_load(cx);
    cx.analysis.data_ref = source;
    cx.ui.DisplayPanel(cx.shell.analysispanel);
    cx.ui.SetCtrlAttribute(cx.shell.analysispanel, ANALYSIS_TEST, ui::ATTR_DIMMED, 0);
    analysis(cx);
    return 0;
}

void saveMenuInAnalysis(const Context& cx) {
    std::string path;
    const int chosen = cx.ui.FileSelectPopup(cx.shell.projectDir, "", "", "Save Data",
                                             ui::VAL_SAVE_BUTTON, false, &path);
    if (chosen == ui::VAL_NO_FILE_SELECTED) return;
    save_data_file(cx, path);
}

void loadMenuInAnalysis(const Context& cx) {
    std::string path;
    const int chosen = cx.ui.FileSelectPopup(cx.shell.projectDir, "", "", "Load Data",
                                             ui::VAL_LOAD_BUTTON, false, &path);
    if (chosen == ui::VAL_NO_FILE_SELECTED) return;
    load_data_file(cx, path);
}

}  // namespace analysis

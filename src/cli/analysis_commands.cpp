#include "cli/analysis_commands.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "analysis/analysis.h"
#include "analysis/data_menu.h"
#include "analysis/errors.h"
#include "analysis/panel_setup.h"
#include "analysis/state.h"
#include "cli/cli.h"
#include "cli/command.h"
#include "shell/app.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace cli {

namespace {

constexpr const char* kTestNames[] = {"time", "hist", "signal", "noise", "phase"};

std::string number_text(double v, int precision) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", precision, v);
    return buf;
}

nlohmann::ordered_json number_json(double v) {
    if (std::isfinite(v)) return v;
    return number_text(v, 0);
}

Result settings_result(App& app, const std::string& file) {
    const auto& st = app.analysis;
    const auto& cap = app.capture;
    Result r;
    r.add("file", file, file);
    r.add("samples", cap.num_samples, std::to_string(cap.num_samples));
    r.add("channels", cap.NumberOfChannels, std::to_string(cap.NumberOfChannels));
    r.add("fs", cap.fs, number_text(cap.fs, 0) + " samples/s");
    r.add("window", st.window_index, std::to_string(st.window_index));
    r.add("full_scale_code", hex_word(st.fs_code), hex_word(st.fs_code));
    r.add("full_scale_volts", st.fs_volt, number_text(st.fs_volt, 3) + " V");
    r.add("limit_bw", st.limit_bw, std::to_string(st.limit_bw) + " Hz");
    return r;
}

Result data(Context& c, const std::vector<std::string>& a) {
    const bool load = a.size() == 3 && a[1] == "load";
    const bool save = a.size() == 3 && a[1] == "save";
    if (!load && !save) return usage_error("usage: data load FILE | data save FILE");
    if (load && analysis::load_data_file(c.app, a[2]) != 0) return failure("cannot load " + a[2]);
    if (save && analysis::save_data_file(c.app, a[2]) != 0) return failure("cannot save " + a[2]);
    return settings_result(c.app, a[2]);
}

struct Setting {
    int ctrl;
    double value;
};

// Parses a value for a setup field and checks that the field accepts it.
bool field_value(App& app, int ctrl, const std::string& text, bool hex, double* v) {
    const ui::Control* f = app.ui.control(app.shell.setuppanel, ctrl);
    if (text.empty()) return false;
    char* end = nullptr;
    if (hex) {
        const bool prefixed = text.size() > 2 && text[0] == '0' && (text[1] | 0x20) == 'x';
        *v = static_cast<double>(std::strtoll(text.c_str() + (prefixed ? 2 : 0), &end, 16));
    } else {
        *v = std::strtod(text.c_str(), &end);
    }
    if (*end != '\0' || !std::isfinite(*v)) return false;
    if (!f->items.empty()) {
        for (const auto& it : f->items)
            if (it.value == *v) return true;
        return false;
    }
    if (!f->is_real && *v != std::trunc(*v)) return false;
    return *v >= f->min && *v <= f->max;
}

std::string field_range(App& app, int ctrl) {
    const ui::Control* f = app.ui.control(app.shell.setuppanel, ctrl);
    if (!f->items.empty())
        return std::to_string(f->items.front().value) + " to " +
               std::to_string(f->items.back().value);
    return number_text(f->min, f->is_real ? 3 : 0) + " to " +
           number_text(f->max, f->is_real ? 3 : 0);
}

// One channel's run: its sample count, the displays the test shows and the error entries.
nlohmann::ordered_json channel_result(App& app, int channel, Result* r) {
    auto& ui = app.ui;
    const int p = app.shell.analysispanel;
    const std::string prefix = "channel " + std::to_string(channel + 1) + " ";
    nlohmann::ordered_json j;
    j["channel"] = channel + 1;
    j["samples"] = app.analysis.ch_count[channel];
    r->lines.emplace_back(prefix + "samples", std::to_string(app.analysis.ch_count[channel]));
    nlohmann::ordered_json stats = nlohmann::ordered_json::object();
    for (int d = 0; d < analysis::kDisplays; ++d) {
        const int ctrl = analysis::stat_display(d);
        int visible = 0, precision = 0;
        ui.GetCtrlAttribute(p, ctrl, ui::ATTR_VISIBLE, &visible);
        if (!visible) continue;
        ui.GetCtrlAttribute(p, ctrl, ui::ATTR_PRECISION, &precision);
        std::string label;
        ui.GetCtrlAttribute(p, ctrl, ui::ATTR_LABEL_TEXT, &label);
        // A dimmed display holds no figure: the analysis could not produce it.
        int dimmed = 0;
        ui.GetCtrlAttribute(p, ctrl, ui::ATTR_DIMMED, &dimmed);
        if (dimmed) {
            stats[label] = nullptr;
            r->lines.emplace_back(prefix + label, "-");
            continue;
        }
        const double v = shell::get_double(ui, p, ctrl);
        stats[label] = number_json(v);
        r->lines.emplace_back(prefix + label, number_text(v, precision));
    }
    j["stats"] = stats;
    nlohmann::ordered_json errors = nlohmann::ordered_json::array();
    int count = 0;
    ui.GetNumListItems(p, ANALYSIS_ERRORS, &count);
    for (int i = 0; i < count; ++i) {
        int value = 0;
        ui.GetValueFromIndex(p, ANALYSIS_ERRORS, i, &value);
        errors.push_back(value);
        std::string message = analysis::error_message(value);
        for (size_t at; (at = message.find("\n\n")) != std::string::npos;)
            message.replace(at, 2, " ");
        r->lines.emplace_back(prefix + "error", std::to_string(value) + ": " + message);
    }
    j["errors"] = errors;
    return j;
}

Result analyze(Context& c, const std::vector<std::string>& a) {
    App& app = c.app;
    auto& ui = app.ui;
    const int ap = app.shell.analysispanel;
    int test = shell::get_int(ui, ap, ANALYSIS_TEST);
    std::vector<Setting> settings;
    const struct {
        const char* name;
        int ctrl;
        bool hex;
    } options[] = {{"--window", SETUP_WINDOW, false},
                   {"--limit-bw", SETUP_LIMITBW, false},
                   {"--full-scale-code", SETUP_FSCODE, true},
                   {"--full-scale-volts", SETUP_FSVOLTS, false}};
    // The option switch of the signal and noise tests, off unless asked for.
    bool harmonics = false, nv = false;
    for (size_t i = 1; i < a.size(); i += 2) {
        if (a[i] == "--harmonics" || a[i] == "--nv") {
            (a[i] == "--nv" ? nv : harmonics) = true;
            --i;
            continue;
        }
        if (i + 1 >= a.size()) return usage_error(a[i] + " needs a value");
        if (a[i] == "--test") {
            test = -1;
            for (int t = 0; t < 5; ++t)
                if (a[i + 1] == kTestNames[t]) test = t;
            if (test < 0) return usage_error("--test takes time, hist, signal, noise or phase");
            continue;
        }
        bool known = false;
        for (const auto& o : options) {
            if (a[i] != o.name) continue;
            known = true;
            double v = 0;
            if (!field_value(app, o.ctrl, a[i + 1], o.hex, &v))
                return usage_error(a[i] + " takes " + (o.hex ? "hexadecimal " : "") +
                                   field_range(app, o.ctrl));
            settings.push_back({o.ctrl, v});
        }
        if (!known) return usage_error("unknown option " + a[i]);
    }
    // Through the fields' callbacks, as a person would set them.
    for (const auto& s : settings) ui.UserSetValue(app.shell.setuppanel, s.ctrl, s.value);
    app.analysis.harmonic_marks = harmonics ? 1 : 0;
    app.analysis.noise_units = nv ? 1 : 0;
    const int channels = app.capture.NumberOfChannels;
    if (channels < 1 || channels > analysis::kChannels)
        return failure("no data to analyse: load a data file or capture first");

    Result r;
    r.data["test"] = kTestNames[test];
    r.lines.emplace_back("test", kTestNames[test]);
    nlohmann::ordered_json results = nlohmann::ordered_json::array();
    ui.SetCtrlVal(ap, ANALYSIS_TEST, test);
    for (int ch = 0; ch < channels; ++ch) {
        for (int k : {ANALYSIS_CH1, ANALYSIS_CH2, ANALYSIS_CH3, ANALYSIS_CH4})
            ui.SetCtrlVal(ap, k, 1);
        ui.SetCtrlVal(ap, ANALYSIS_STATCH, ch);
        analysis::analysis(app);
        results.push_back(channel_result(app, ch, &r));
    }
    r.data["channels"] = results;
    return r;
}

}  // namespace

void add_analysis_commands() {
    auto& m = commands();
    m["data"] = {"data load FILE | data save FILE",
                 "load or save an analysis data file (no dialog)", data};
    m["analyze"] = {
        "analyze [--test T] [--window W] [--limit-bw HZ] [--full-scale-code HEX] "
        "[--full-scale-volts V] [--harmonics] [--nv]",
        "run a test of the analysis panel on every channel (--harmonics marks the signal test's "
        "harmonics, --nv shows the noise test in nV per root hertz)",
        analyze};
}

}  // namespace cli

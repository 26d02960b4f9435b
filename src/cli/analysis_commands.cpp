#include "cli/analysis_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "analysis/analysis.h"
#include "analysis/data_menu.h"
#include "analysis/errors.h"
#include "analysis/exports.h"
#include "analysis/mseed_load.h"
#include "analysis/readouts.h"
#include "analysis/spectrum/figures.h"
#include "analysis/state.h"
#include "cli/cli.h"
#include "cli/command.h"
#include "cli/digitizer_options.h"
#include "cli/history_commands.h"
#include "cli/record_commands.h"
#include "recording/archive_stream.h"
#include "shell/app.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace cli {

namespace {

// A figure that is no number (an infinite ratio of a zero power) prints as one that is not
// there: "-" for people, null for scripts, never a string where a number is expected.
std::string number_text(double v, int precision) {
    if (!std::isfinite(v)) return "-";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", precision, v);
    return buf;
}

nlohmann::ordered_json number_json(double v) {
    if (std::isfinite(v)) return v;
    return nullptr;
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

// --start T, --end T or the channel codes (under the option name codes) of a recorded window;
// false with *error when the value is no good, and when the option is none of them.
bool window_option(const std::string& name, const std::string& value, const char* codes,
                   recording::ReadRequest* request, Result* error) {
    if (name == "--start" || name == "--end") {
        if (recording::parse_utc(value, name == "--start" ? &request->start_us : &request->end_us))
            return true;
        *error = usage_error(name + " takes a UTC time such as 2026-12-08T10:00:00");
        return false;
    }
    if (name != codes) return false;
    request->channels = split_list(value);
    for (const std::string& code : request->channels)
        if (code.empty() || code.size() > 3) {
            *error = usage_error(name + " takes channel codes such as CH1,CH2");
            return false;
        }
    return true;
}

// data load FILE.mseed | ARCHIVE [--start T] [--end T] [--channels C1,C2]
Result load_miniseed(Context& c, const std::vector<std::string>& a) {
    recording::ReadRequest request;
    for (size_t i = 3; i < a.size(); i += 2) {
        if (i + 1 >= a.size()) return usage_error(a[i] + " needs a value");
        Result bad;
        if (window_option(a[i], a[i + 1], "--channels", &request, &bad)) continue;
        if (!bad.error.empty()) return bad;
        return unknown_option(a[i], {"--start", "--end", "--channels"});
    }
    if (request.end_us && request.end_us <= request.start_us)
        return usage_error("--end must come after --start");
    const analysis::MseedLoad loaded = analysis::load_miniseed(c.app, a[2], request);
    if (loaded.status != 0) return failure("cannot load " + a[2]);
    Result r = settings_result(c.app, a[2]);
    const recording::ReadStreams& s = loaded.streams;
    r.data["codes"] = s.channels;
    std::string codes;
    for (const std::string& code : s.channels) codes += (codes.empty() ? "" : ",") + code;
    r.lines.emplace_back("codes", codes);
    char text[64];
    std::snprintf(text, sizeof text, "%.3f s per channel", loaded.samples / s.rate);
    r.add("duration", loaded.samples / s.rate, text);
    if (s.cut_at_gap) r.add("gap_at_us", s.gap_at_us, "data stop at a gap");
    r.add("cut_at_capacity", s.cut_at_capacity, s.cut_at_capacity ? "yes" : "no");
    return r;
}

Result data(Context& c, const std::vector<std::string>& a) {
    if (a.size() >= 3 && a[1] == "load" && analysis::is_miniseed_path(a[2]))
        return load_miniseed(c, a);
    const bool load = a.size() == 3 && a[1] == "load";
    const bool save = a.size() == 3 && a[1] == "save";
    const bool csv = a.size() == 3 && a[1] == "export";
    if (!load && !save && !csv)
        return usage_error("usage: data load FILE | data save FILE | data export FILE.csv");
    if (csv) {
        if (const core::Status s = analysis::export_data_csv(c.app, a[2]); !s)
            return failure(s, "cannot export " + a[2]);
        return settings_result(c.app, a[2]);
    }
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

nlohmann::ordered_json limit_json(const analysis::Verdict& v) {
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    if (v.min) j["min"] = *v.min;
    if (v.max) j["max"] = *v.max;
    return j;
}

std::string verdict_text(const analysis::Verdict& v, int precision) {
    std::string t = std::string(v.pass ? "PASS" : "FAIL") + " (" +
                    (v.value ? number_text(*v.value, precision) : "-");
    if (v.min) t += ", min " + number_text(*v.min, precision);
    if (v.max) t += ", max " + number_text(*v.max, precision);
    return t + ")";
}

// The signal test's fundamental and harmonics: "fundamental" (null when none stands above the
// noise) and "harmonics", each level in the units its key names.
void tones_result(const analysis::Measurement& m, const std::string& prefix,
                  nlohmann::ordered_json& j, Result* r) {
    j["fundamental"] = nullptr;
    j["harmonics"] = nlohmann::ordered_json::array();
    for (const analysis::spectrum::Tone& t : m.tones) {
        const std::string level = t.level ? number_text(*t.level, 2) : "-";
        const char* units = t.order == 1 ? " dBFS" : " dBc";
        const std::string text =
            number_text(t.frequency, 3) + " Hz, " + (level != "-" ? level + units : level);
        nlohmann::ordered_json x;
        if (t.order > 1) x["order"] = t.order;
        x["frequency"] = number_json(t.frequency);
        x[t.order == 1 ? "dBFS" : "dBc"] =
            t.level ? number_json(*t.level) : nlohmann::ordered_json(nullptr);
        if (t.order == 1) {
            j["fundamental"] = x;
            r->lines.emplace_back(prefix + "fundamental", text);
        } else {
            j["harmonics"].push_back(x);
            r->lines.emplace_back(prefix + "harmonic " + std::to_string(t.order), text);
        }
    }
}

// One channel's run: its sample count, the read-outs the test shows, the error entries and,
// with limits, the verdicts.
nlohmann::ordered_json channel_result(Context& c, int test, int channel, std::int64_t samples,
                                      Result* r) {
    App& app = c.app;
    const std::string prefix = "channel " + std::to_string(channel + 1) + " ";
    nlohmann::ordered_json j;
    j["channel"] = channel + 1;
    j["samples"] = samples;
    r->lines.emplace_back(prefix + "samples", std::to_string(samples));
    const analysis::Measurement m = analysis::measure(app, test, channel);
    const std::vector<analysis::Readout> shown = analysis::readouts(m);
    nlohmann::ordered_json stats = nlohmann::ordered_json::object();
    nlohmann::ordered_json units = nlohmann::ordered_json::object();
    for (const analysis::Readout& x : shown) {
        const std::string unit(analysis::spectrum::units_of(x.label));
        // A figure the analysis could not produce is null.
        stats[x.label] = x.value ? number_json(*x.value) : nlohmann::ordered_json(nullptr);
        if (!unit.empty()) units[x.label] = unit;
        const std::string text =
            x.value           ? (x.upper_bound ? "< " : "") + number_text(*x.value, x.precision)
            : !x.note.empty() ? x.note
                              : "-";
        // A number that is none ("-") has no units either.
        r->lines.emplace_back(prefix + x.label, x.value && std::isfinite(*x.value) && !unit.empty()
                                                    ? text + " " + unit
                                                    : text);
    }
    j["stats"] = stats;
    j["units"] = units;
    nlohmann::ordered_json notes = nlohmann::ordered_json::object();
    for (const analysis::Readout& x : shown) {
        if (x.upper_bound) notes[x.label] = "upper bound";
        if (!x.value && !x.note.empty()) notes[x.label] = x.note;
    }
    if (!notes.empty()) j["notes"] = notes;
    if (analysis::is_digitizer_test(test))
        add_digitizer_channel(analysis::digitizer_view(app, test), test, channel, j);
    if (test == analysis::kSignalFft) tones_result(m, prefix, j, r);
    nlohmann::ordered_json errors = nlohmann::ordered_json::array();
    for (int value : m.errors) {
        errors.push_back(value);
        std::string message = analysis::error_message(value);
        for (size_t at; (at = message.find("\n\n")) != std::string::npos;)
            message.replace(at, 2, " ");
        r->lines.emplace_back(prefix + "error", std::to_string(value) + ": " + message);
    }
    j["errors"] = errors;
    if (!app.analysis.limits.loaded()) return j;
    nlohmann::ordered_json verdicts = nlohmann::ordered_json::array();
    for (const analysis::Verdict& v :
         analysis::evaluate_limits(app.analysis.limits, test, channel, shown)) {
        nlohmann::ordered_json x;
        x["figure"] = v.figure;
        x["value"] = v.value ? number_json(*v.value) : nlohmann::ordered_json(nullptr);
        x["limit"] = limit_json(v);
        x["pass"] = v.pass;
        verdicts.push_back(x);
        if (!v.pass) ++c.failed_verdicts;
        const auto it = std::find_if(shown.begin(), shown.end(), [&v](const analysis::Readout& x) {
            return x.label == v.figure;
        });
        r->lines.emplace_back(prefix + v.figure + " limit",
                              verdict_text(v, it == shown.end() ? 2 : it->precision));
    }
    j["verdicts"] = verdicts;
    return j;
}

bool is_flag(const std::string& arg) {
    return arg == "--harmonics" || arg == "--nv" || arg == "--first-cycles";
}

// An archive to read in chunks in place of the blocks, from --archive and its window options;
// its channel count, else 0.
int archive_option(const std::vector<std::string>& a, analysis::ArchiveSource* archive,
                   Result* error) {
    bool window = false;
    for (size_t i = 1; i < a.size(); i += 2) {
        if (is_flag(a[i])) {
            --i;
            continue;
        }
        if (i + 1 >= a.size()) break;
        if (a[i] == "--archive") {
            archive->path = a[i + 1];
        } else if (window_option(a[i], a[i + 1], "--codes", &archive->request, error)) {
            window = true;
        } else if (!error->error.empty()) {
            return 0;
        }
    }
    if (archive->path.empty()) {
        if (window) *error = usage_error("--start, --end and --codes go with --archive");
        return 0;
    }
    const recording::ReadRequest& q = archive->request;
    if (q.end_us && q.end_us <= q.start_us) {
        *error = usage_error("--end must come after --start");
        return 0;
    }
    recording::ArchiveStream probe;
    if (const core::Status s = probe.open(archive->path, q); !s) {
        *error = failure(s, "cannot read " + archive->path);
        return 0;
    }
    const int channels = static_cast<int>(probe.channels().size());
    if (channels > analysis::kChannels) {
        *error = failure(archive->path + " holds " + std::to_string(channels) +
                         " channels; name up to four of them (--codes)");
        return 0;
    }
    return channels;
}

nlohmann::ordered_json archive_json(const analysis::DigitizerResults& d, Result* r) {
    const analysis::ArchiveRead& read = d.archive_read;
    nlohmann::ordered_json j;
    j["path"] = d.archive.path;
    j["codes"] = read.codes;
    j["start"] = recording::format_utc(read.start_us, true);
    j["samples"] = read.samples;
    j["seconds"] = d.fs > 0.0 ? static_cast<double>(read.samples) / d.fs : 0.0;
    j["stretches"] = d.blocks;
    j["gaps"] = gap_list(read.gaps, r);
    char text[96];
    std::snprintf(text, sizeof text, "%.1f s per channel from %s, %d segments of %d",
                  j["seconds"].get<double>(), recording::format_utc(read.start_us, false).c_str(),
                  d.segments, d.segment_length);
    r->lines.emplace_back("archive", d.archive.path);
    r->lines.emplace_back("read", text);
    return j;
}

Result analyze(Context& c, const std::vector<std::string>& a) {
    App& app = c.app;
    auto& ui = app.ui;
    const int ap = app.shell.analysispanel;
    int test = shell::get_int(ui, ap, ANALYSIS_TEST);
    analysis::ArchiveSource archive;
    Result archive_error;
    const int archive_channels = archive_option(a, &archive, &archive_error);
    if (!archive_error.error.empty()) return archive_error;
    std::vector<Setting> settings;
    analysis::DigitizerOptions digitizer = app.analysis.digitizer;
    const struct {
        const char* name;
        int ctrl;
        bool hex;
    } options[] = {{"--window", SETUP_WINDOW, false},
                   {"--limit-bw", SETUP_LIMITBW, false},
                   {"--full-scale-code", SETUP_FSCODE, true},
                   {"--full-scale-volts", SETUP_FSVOLTS, false}};
    // The option switch of the time, signal and noise tests, off unless asked for.
    bool harmonics = false, nv = false, cycles = false;
    for (size_t i = 1; i < a.size(); i += 2) {
        if (is_flag(a[i])) {
            (a[i] == "--nv" ? nv : a[i] == "--harmonics" ? harmonics : cycles) = true;
            --i;
            continue;
        }
        if (i + 1 >= a.size()) return usage_error(a[i] + " needs a value");
        if (a[i] == "--archive" || a[i] == "--start" || a[i] == "--end" || a[i] == "--codes")
            continue;
        if (a[i] == "--test") {
            test = analysis::test_from_key(a[i + 1]);
            if (test < 0)
                return usage_error(
                    "--test takes time, hist, signal, noise, phase, psd, selfnoise, crosstalk "
                    "or sinefit");
            continue;
        }
        if (is_digitizer_option(a[i])) {
            std::string why;
            const int available =
                archive_channels > 0 ? archive_channels : std::max(1, app.capture.NumberOfChannels);
            if (!set_digitizer_option(digitizer, a[i], a[i + 1], available, &why))
                return usage_error(why);
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
        if (!known) {
            std::vector<std::string> names = {"--test",    "--harmonics", "--nv",  "--first-cycles",
                                              "--archive", "--start",     "--end", "--codes"};
            for (const auto& o : options) names.emplace_back(o.name);
            for (const char* const* n = digitizer_option_names(); *n; ++n) names.emplace_back(*n);
            return unknown_option(a[i], names);
        }
    }
    // Through the fields' callbacks, as a person would set them.
    for (const auto& s : settings) ui.UserSetValue(app.shell.setuppanel, s.ctrl, s.value);
    app.analysis.harmonic_marks = harmonics ? 1 : 0;
    app.analysis.noise_units = nv ? 1 : 0;
    app.analysis.first_cycles = cycles ? 1 : 0;
    app.analysis.digitizer = digitizer;
    if (archive_channels > 0 && test != analysis::kPsd && test != analysis::kSelfNoise &&
        test != analysis::kCrosstalk)
        return usage_error("--archive goes with the psd, selfnoise and crosstalk tests");
    archive.blocks_generation = app.analysis.kept.generation();
    app.analysis.archive = archive_channels > 0 ? archive : analysis::ArchiveSource{};
    const int channels = archive_channels > 0 ? archive_channels : app.capture.NumberOfChannels;
    if (channels < 1 || channels > analysis::kChannels)
        return failure("no data to analyse: load a data file or capture first");

    Result r;
    r.data["test"] = analysis::test_key(test);
    r.lines.emplace_back("test", analysis::test_key(test));
    if (archive_channels > 0) {
        const analysis::DigitizerResults& d = analysis::digitizer_view(app, test);
        if (!d.archive_read.error.empty())
            return failure("cannot read " + archive.path + ": " + d.archive_read.error);
        r.data["archive"] = archive_json(d, &r);
    }
    nlohmann::ordered_json results = nlohmann::ordered_json::array();
    for (int ch = 0; ch < channels; ++ch) {
        const std::int64_t samples = archive_channels > 0
                                         ? analysis::digitizer_view(app, test).archive_read.samples
                                         : app.analysis.ch_count[ch];
        results.push_back(channel_result(c, test, ch, samples, &r));
    }
    r.data["channels"] = results;
    if (analysis::is_digitizer_test(test)) {
        const nlohmann::ordered_json summary =
            digitizer_summary(analysis::digitizer_view(app, test), test);
        r.data["welch"] = summary;
        if (summary.contains("method") && summary["method"].is_string())
            r.lines.emplace_back("self-noise method", summary["method"].get<std::string>());
        if (test == analysis::kCrosstalk && summary["driven"].is_number())
            r.lines.emplace_back("driven channel",
                                 std::to_string(summary["driven"].get<int>()) + " at " +
                                     number_text(summary["frequency"].get<double>(), 3) + " Hz");
    }
    keep_run(c, {test}, channels, "analyze", &r);
    // The panel shows the last channel's run, as if a person had made it there; that run is
    // the one just kept.
    app.analysis.judged = {app.analysis.kept.generation(), test};
    analysis::show_test(app, test, channels - 1);
    return r;
}

}  // namespace

void add_analysis_commands() {
    auto& m = commands();
    m["data"] = {
        "data load FILE | data load FILE.mseed|ARCHIVE [--start T] [--end T] "
        "[--channels C1,C2] | data save FILE | data export FILE.csv",
        "load or save an analysis data file, or export the block as CSV (no dialog)", data};
    m["analyze"] = {
        "analyze [--test T] [--window W] [--limit-bw HZ] [--full-scale-code HEX] "
        "[--full-scale-volts V] [--harmonics] [--nv] [--first-cycles] [--segment N] "
        "[--overlap PCT] [--band LO-HI] [--smooth 3|6] [--channels 1,2,3] [--sensor V_PER_M_S] "
        "[--archive DIR [--start T] [--end T] [--codes C1,C2]]",
        "run a test of the analysis panel on every channel (--harmonics marks the signal test's "
        "harmonics, --nv shows the noise test in nV per root hertz, --first-cycles shows the "
        "time test's first ten cycles; psd, selfnoise, crosstalk and sinefit take the Welch "
        "segment, overlap, band, smoothing, channel list and sensor sensitivity; with --archive "
        "they "
        "read a recorded archive from start to end in chunks instead of the captured data)",
        analyze};
}

}  // namespace cli

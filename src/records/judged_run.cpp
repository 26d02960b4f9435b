#include "records/judged_run.h"

#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <nlohmann/json.hpp>

#include "analysis/context.h"
#include "analysis/limits.h"
#include "analysis/readouts.h"
#include "analysis/spectrum/figures.h"
#include "records/content_hash.h"

namespace records {

namespace {

std::string utc_now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm tm{};
    gmtime_r(&t, &tm);
    char s[40];
    const std::size_t n = std::strftime(s, sizeof s, "%Y-%m-%dT%H:%M:%S", &tm);
    std::snprintf(s + n, sizeof s - n, ".%03dZ", static_cast<int>(ms));
    return s;
}

std::string host_name() {
    char h[256] = {};
    return gethostname(h, sizeof h - 1) == 0 ? std::string(h) : std::string();
}

// The login name: the account the program runs under, as the password database names it.
std::string operator_name() {
    if (const passwd* p = getpwuid(geteuid()); p && p->pw_name) return p->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

}  // namespace

std::string figure_key(int test, const std::string& label) {
    const char* key = analysis::test_key(test);
    return std::string(key ? key : "none") + "." + label;
}

std::string settings_json(const analysis::Context& cx) {
    const chip::SetupSettings& s = cx.settings.setup;
    nlohmann::ordered_json setup;
    const std::pair<const char*, int chip::SetupSettings::*> fields[] = {
        {"channels", &chip::SetupSettings::channels},
        {"rate", &chip::SetupSettings::rate},
        {"filter", &chip::SetupSettings::filter},
        {"config_a", &chip::SetupSettings::config_a},
        {"config_b", &chip::SetupSettings::config_b},
        {"fir_rom", &chip::SetupSettings::fir_rom},
        {"iir_rom", &chip::SetupSettings::iir_rom},
        {"mux", &chip::SetupSettings::mux},
        {"mode", &chip::SetupSettings::mode},
        {"gain", &chip::SetupSettings::gain},
        {"power_down", &chip::SetupSettings::power_down},
        {"c12", &chip::SetupSettings::c12},
        {"c13", &chip::SetupSettings::c13},
        {"c14", &chip::SetupSettings::c14},
        {"c16", &chip::SetupSettings::c16},
        {"gain1", &chip::SetupSettings::gain1},
        {"gain2", &chip::SetupSettings::gain2},
        {"gain3", &chip::SetupSettings::gain3},
        {"gain4", &chip::SetupSettings::gain4},
        {"offset1", &chip::SetupSettings::offset1},
        {"offset2", &chip::SetupSettings::offset2},
        {"offset3", &chip::SetupSettings::offset3},
        {"offset4", &chip::SetupSettings::offset4},
        {"tbs_mode", &chip::SetupSettings::tbs_mode},
        {"tbs_freq", &chip::SetupSettings::tbs_freq},
        {"tbs_level", &chip::SetupSettings::tbs_level},
        {"tbs_rate", &chip::SetupSettings::tbs_rate},
        {"tbs_b", &chip::SetupSettings::tbs_b},
        {"tbs_gain", &chip::SetupSettings::tbs_gain},
        {"f11", &chip::SetupSettings::f11},
        {"f7", &chip::SetupSettings::f7},
        {"f6", &chip::SetupSettings::f6}};
    for (const auto& [name, field] : fields) setup[name] = s.*field;
    const capture::CaptureSettings& c = cx.settings.capture;
    const analysis::AnalysisSettings& a = cx.settings.analysis;
    const analysis::DigitizerOptions& d = cx.analysis.digitizer;
    nlohmann::ordered_json j;
    j["setup"] = setup;
    j["capture"] = {{"samples", c.samples}, {"skip", c.skip}, {"average", c.average}};
    j["analysis"] = {{"window", a.window},
                     {"fs_code", a.fs_code},
                     {"fs_volts", a.fs_volts},
                     {"limit_bw", a.limit_bw}};
    j["digitizer"] = {{"segment", d.segment}, {"overlap", d.overlap}, {"band_lo", d.band_lo},
                      {"band_hi", d.band_hi}, {"smooth", d.smooth},   {"channels", d.channels},
                      {"sensor", d.sensor}};
    j["block"] = {{"fs", cx.capture.fs},
                  {"channels", cx.capture.NumberOfChannels},
                  {"samples", cx.capture.num_samples}};
    return j.dump();
}

RunRecord judged_run(const analysis::Context& cx, const std::vector<int>& tests, int channels,
                     const std::string& kind) {
    RunRecord r;
    r.id = new_record_id();
    r.utc = utc_now();
    r.host = host_name();
    r.operator_name = operator_name();
    r.program_version = cx.shell.version;
    r.board_serial = cx.link.DeviceString;
    r.board_code = cx.link.board_id;
    r.firmware = cx.link.firmware;
    r.kind = kind;
    if (tests.size() == 1 && analysis::test_key(tests.front()))
        r.test = analysis::test_key(tests.front());
    else
        r.test = "all";
    r.settings_json = settings_json(cx);
    const analysis::Limits& limits = cx.analysis.limits;
    if (limits.loaded()) {
        r.limits_name = limits.file;
        r.limits_hash = content_hash(limits.text);
    }
    const bool archive = !cx.analysis.archive.path.empty();
    r.data_ref = archive ? cx.analysis.archive.path : cx.analysis.data_ref;
    bool failed = false;
    for (int test : tests) {
        for (int c = 0; c < channels; ++c) {
            const std::vector<analysis::Readout> shown =
                analysis::readouts(analysis::measure(cx, test, c));
            for (const analysis::Readout& x : shown)
                r.figures.push_back({c + 1, figure_key(test, x.label),
                                     std::string(analysis::spectrum::units_of(x.label)), x.value,
                                     x.upper_bound});
            if (!limits.loaded()) continue;
            for (const analysis::Verdict& v : analysis::evaluate_limits(limits, test, c, shown)) {
                r.verdicts.push_back(
                    {c + 1, figure_key(test, v.figure), v.value, v.min, v.max, v.pass});
                failed = failed || !v.pass;
            }
        }
    }
    if (limits.loaded()) r.verdict = failed ? "fail" : "pass";
    return r;
}

std::vector<std::vector<std::string>> earlier_rows(const std::vector<RunRecord>& runs, int most) {
    std::vector<std::vector<std::string>> rows;
    for (auto it = runs.rbegin(); it != runs.rend() && static_cast<int>(rows.size()) < most; ++it)
        rows.push_back({it->utc, it->kind, it->test, it->verdict.empty() ? "-" : it->verdict});
    return rows;
}

}  // namespace records

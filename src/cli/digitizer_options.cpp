#include "cli/digitizer_options.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <sstream>

#include "analysis/state.h"
#include "cli/command.h"
#include "core/number_text.h"

namespace cli {

namespace {

constexpr const char* kNames[] = {"--segment",  "--overlap", "--band", "--smooth",
                                  "--channels", "--sensor",  nullptr};

bool real(const std::string& text, double* v) {
    std::istringstream in(text);
    in >> *v;
    return !text.empty() && in && in.eof() && std::isfinite(*v);
}

nlohmann::ordered_json curve(const std::vector<double>& p, const analysis::DigitizerResults& r) {
    nlohmann::ordered_json a = nlohmann::ordered_json::array();
    for (int k = std::max(1, r.band.first); k < static_cast<int>(p.size()); ++k)
        a.push_back({analysis::bin_frequency(r, k), p[k]});
    return a;
}

// [Hz, gain dB, phase degrees] over the band's bins.
nlohmann::ordered_json response(const std::vector<std::complex<double>>& h,
                                const analysis::DigitizerResults& r) {
    nlohmann::ordered_json a = nlohmann::ordered_json::array();
    for (int k = r.band.first; k <= r.band.last && k < static_cast<int>(h.size()); ++k) {
        if (std::abs(h[k]) == 0.0) continue;
        a.push_back({analysis::bin_frequency(r, k), 20.0 * std::log10(std::abs(h[k])),
                     std::arg(h[k]) * 180.0 / std::numbers::pi});
    }
    return a;
}

nlohmann::ordered_json octaves(const std::vector<analysis::digitizer::OctaveBand>& bands) {
    nlohmann::ordered_json a = nlohmann::ordered_json::array();
    for (const auto& b : bands) a.push_back({{"lo", b.lo_hz}, {"hi", b.hi_hz}, {"dB", b.dr_db}});
    return a;
}

}  // namespace

const char* const* digitizer_option_names() {
    return kNames;
}

bool is_digitizer_option(const std::string& name) {
    for (const char* const* n = kNames; *n; ++n)
        if (name == *n) return true;
    return false;
}

bool set_digitizer_option(analysis::DigitizerOptions& o, const std::string& name,
                          const std::string& value, int channels, std::string* why) {
    double v = 0;
    long long n = 0;
    if (name == "--segment") {
        if (core::parse_number(value, analysis::kMinSegment, analysis::kMaxSegment, &n)) {
            o.segment = static_cast<int>(n);
            return true;
        }
        *why = "--segment takes " + std::to_string(analysis::kMinSegment) + " to " +
               std::to_string(analysis::kMaxSegment) + " samples";
    } else if (name == "--overlap") {
        if (real(value, &v) && v >= 0 && v <= 95) {
            o.overlap = v;
            return true;
        }
        *why = "--overlap takes 0 to 95 (percent)";
    } else if (name == "--band") {
        const auto dash = value.find('-', 1);
        double lo = 0, hi = 0;
        if (dash != std::string::npos && real(value.substr(0, dash), &lo) &&
            real(value.substr(dash + 1), &hi) && lo >= 0 && hi > lo) {
            o.band_lo = lo;
            o.band_hi = hi;
            return true;
        }
        *why = "--band takes LO-HI in Hz, 0 <= LO < HI (e.g. 0.1-200)";
    } else if (name == "--smooth") {
        if (value == "3" || value == "6" || value == "0" || value == "off") {
            o.smooth = value == "off" ? 0 : std::stoi(value);
            return true;
        }
        *why = "--smooth takes 3 (1/3 octave), 6 (1/6 octave) or off";
    } else if (name == "--channels") {
        std::vector<int> list;
        bool ok = true;
        for (const std::string& item : split_list(value)) {
            ok = ok && core::parse_number(item, 1, channels, &n) &&
                 std::find(list.begin(), list.end(), n - 1) == list.end();
            list.push_back(static_cast<int>(n) - 1);
        }
        if (ok) {
            o.channels = list;
            return true;
        }
        *why = "--channels takes distinct channel numbers 1 to " + std::to_string(channels) +
               ", comma-separated (e.g. 1,2,3)";
    } else if (name == "--sensor") {
        if (real(value, &v) && v >= 0 && v <= 1e5) {
            o.sensor = v;
            return true;
        }
        *why = "--sensor takes the sensor's sensitivity in V/(m/s), 0 (off) to 100000";
    }
    return false;
}

nlohmann::ordered_json digitizer_summary(const analysis::DigitizerResults& r, int test) {
    nlohmann::ordered_json j;
    j["segment"] = r.segment_length;
    j["overlap"] = r.options.overlap;
    j["window"] = r.window_index;
    j["segments"] = r.segments;
    j["blocks"] = r.blocks;
    j["blocks_captured"] = r.blocks_seen;
    j["bin_width"] = r.df;
    j["band"] = {r.band_lo, r.band_hi};
    j["smooth"] = r.options.smooth;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (int c : r.channels) list.push_back(c + 1);
    j["channels"] = list;
    if (r.options.sensor > 0) j["sensor"] = r.options.sensor;
    if (test == analysis::kSelfNoise)
        j["method"] =
            r.method.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(r.method);
    if (test == analysis::kCrosstalk) {
        j["driven"] = r.crosstalk.driven >= 0 ? nlohmann::ordered_json(r.crosstalk.driven + 1)
                                              : nlohmann::ordered_json(nullptr);
        j["frequency"] = r.crosstalk.driven >= 0 ? nlohmann::ordered_json(r.crosstalk.frequency)
                                                 : nlohmann::ordered_json(nullptr);
    }
    return j;
}

void add_digitizer_channel(const analysis::DigitizerResults& r, int test, int channel,
                           nlohmann::ordered_json& j) {
    if (channel < 0 || channel >= analysis::kChannels || !r.ch[channel].listed) return;
    const analysis::ChannelNoise& ch = r.ch[channel];
    if (test == analysis::kPsd || test == analysis::kSelfNoise || test == analysis::kCrosstalk)
        j["psd"] = curve(ch.psd, r);
    if (test == analysis::kPsd) j["dr_octaves"] = octaves(ch.octaves);
    if (test == analysis::kSelfNoise && !ch.self.empty()) {
        j["self_noise_psd"] = curve(ch.self, r);
        j["self_noise_negative_bins"] = ch.self_negative_bins;
        j["dr_octaves"] = octaves(ch.self_octaves);
        if (ch.relative) j["relative_frequency"] = ch.relative_hz;
        if (!ch.response.empty()) j["relative_response"] = response(ch.response, r);
    }
    if (test == analysis::kSineFit && r.fits[channel].fit) {
        const auto& f = *r.fits[channel].fit;
        j["fit"] = {{"amplitude", f.amplitude},
                    {"frequency", r.fits[channel].frequency_hz},
                    {"phase_deg", f.phase * 180.0 / std::numbers::pi},
                    {"offset", f.offset},
                    {"residual_rms", f.residual_rms},
                    {"iterations", f.iterations}};
    }
}

}  // namespace cli

#include "analysis/limits.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "core/input_file.h"

namespace analysis {

namespace {

constexpr const char* kTestKeys[] = {"time", "hist",      "signal",    "noise",  "phase",
                                     "psd",  "selfnoise", "crosstalk", "sinefit"};

core::Status bad(const std::string& why) {
    return core::Status::failed(core::Fault::BadInput, "limits", "Limits", why);
}

core::Status parse_channels(const nlohmann::json& list, const std::string& where,
                            std::array<bool, 4>* channels) {
    if (!list.is_array() || list.empty())
        return bad(where + ": \"channels\" is a list of channel numbers 1 to 4");
    channels->fill(false);
    for (const auto& c : list) {
        if (!c.is_number_integer() || c.get<long long>() < 1 || c.get<long long>() > 4)
            return bad(where + ": channel " + c.dump() + " is not 1 to 4");
        (*channels)[c.get<int>() - 1] = true;
    }
    return core::Status::success();
}

core::Status parse_limit(const nlohmann::json& j, const std::string& where, FigureLimit* limit) {
    if (!j.is_object()) return bad(where + ": a limit is an object with \"min\" and/or \"max\"");
    for (const auto& [key, value] : j.items()) {
        if (key == "channels") {
            if (core::Status s = parse_channels(value, where, &limit->channels); !s) return s;
            continue;
        }
        if (key != "min" && key != "max") return bad(where + ": unknown key \"" + key + "\"");
        if (!value.is_number()) return bad(where + ": \"" + key + "\" is not a number");
        (key == "min" ? limit->min : limit->max) = value.get<double>();
    }
    if (!limit->min && !limit->max) return bad(where + ": neither \"min\" nor \"max\" is given");
    if (limit->min && limit->max && *limit->min > *limit->max)
        return bad(where + ": \"min\" is above \"max\"");
    return core::Status::success();
}

}  // namespace

const char* test_key(int test) {
    if (test < 0 || test >= static_cast<int>(std::size(kTestKeys))) return nullptr;
    return kTestKeys[test];
}

int test_from_key(std::string_view key) {
    for (int t = 0; t < static_cast<int>(std::size(kTestKeys)); ++t)
        if (key == kTestKeys[t]) return t;
    return -1;
}

core::Status parse_limits(std::string_view text, const FigureCatalogue& known, Limits* out) {
    const nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
    if (j.is_discarded()) return bad("the limits are not valid JSON");
    if (!j.is_object()) return bad("the limits are an object of tests");
    Limits limits;
    for (const auto& [test_name, figures] : j.items()) {
        const int test = test_from_key(test_name);
        if (test < 0) return bad("unknown test \"" + test_name + "\"");
        if (!figures.is_object()) return bad("\"" + test_name + "\" is an object of figures");
        for (const auto& [figure, value] : figures.items()) {
            const std::string where = test_name + " \"" + figure + "\"";
            if (!known(test, figure)) return bad("unknown figure " + where);
            FigureLimit limit;
            limit.test = test;
            limit.figure = figure;
            if (core::Status s = parse_limit(value, where, &limit); !s) return s;
            limits.entries.push_back(std::move(limit));
        }
    }
    *out = std::move(limits);
    return core::Status::success();
}

core::Status load_limits(const std::string& path, const FigureCatalogue& known, Limits* out) {
    core::InputFile file(path, kMaxLimitsFileBytes);
    std::string text;
    if (!file.read_all(&text))
        return bad("cannot read " + path + ": " + (file.ok() ? "reading failed" : file.reason()));
    core::Status s = parse_limits(text, known, out);
    if (!s) {
        s.text = path + ": " + s.text;
        return s;
    }
    out->file = path;
    out->text = std::move(text);
    return s;
}

std::vector<Verdict> evaluate_limits(const Limits& limits, int test, int channel,
                                     std::span<const Readout> readouts) {
    std::vector<Verdict> verdicts;
    if (channel < 0 || channel >= 4) return verdicts;
    for (const Readout& r : readouts) {
        for (const FigureLimit& l : limits.entries) {
            if (l.test != test || l.figure != r.label || !l.channels[channel]) continue;
            Verdict v{r.label, r.value, l.min, l.max, false};
            // A bound says the figure lies below it: it meets a maximum, never a minimum.
            v.pass = r.value && !std::isnan(*r.value) &&
                     (!l.min || (!r.upper_bound && *r.value >= *l.min)) &&
                     (!l.max || *r.value <= *l.max);
            verdicts.push_back(std::move(v));
        }
    }
    return verdicts;
}

}  // namespace analysis

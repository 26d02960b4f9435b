#include "cli/config_commands.h"

#include <sstream>

#include "chip/setup_config.h"
#include "chip/setup_settings.h"
#include "cli/cli.h"
#include "cli/command.h"
#include "core/system_types.h"
#include "platform/ui/record.h"
#include "shell/app.h"
#include "shell/show_outcome.h"
#include "uir_ids.h"

namespace cli {

namespace {

using S = chip::SetupSettings;

struct Option {
    const char* name;
    int S::*field;
    bool channel_count = false;  // given as 1..4, stored as the code 0..3
};

bool is_gain_offset(int S::*field) {
    for (int S::*f : chip::kGainOffsetWords)
        if (f == field) return true;
    return false;
}

// The input a setting is bound to.
int input_of(App& app, int S::*field) {
    return app.ui.binding_of(&(app.settings.setup.*field))->ctrl;
}

constexpr Option kConfigOptions[] = {
    {"--rate", &S::rate},         {"--channels", &S::channels, true},
    {"--filter", &S::filter},     {"--config-a", &S::config_a},
    {"--config-b", &S::config_b}, {"--fir-rom", &S::fir_rom},
    {"--iir-rom", &S::iir_rom},   {"--mux", &S::mux},
    {"--mode", &S::mode},         {"--gain", &S::gain},
    {"--pwdn", &S::power_down},   {"--c12", &S::c12},
    {"--c13", &S::c13},           {"--c14", &S::c14},
    {"--c16", &S::c16},           {"--gain1", &S::gain1},
    {"--gain2", &S::gain2},       {"--gain3", &S::gain3},
    {"--gain4", &S::gain4},       {"--offset1", &S::offset1},
    {"--offset2", &S::offset2},   {"--offset3", &S::offset3},
    {"--offset4", &S::offset4},   {"--tbs-mode", &S::tbs_mode},
    {"--tbs-freq", &S::tbs_freq}, {"--tbs-level", &S::tbs_level},
    {"--tbs-rate", &S::tbs_rate}, {"--tbs-b", &S::tbs_b},
    {"--tbs-f11", &S::f11},       {"--tbs-f7", &S::f7},
    {"--tbs-f6", &S::f6},         {"--tbs-gain", &S::tbs_gain},
};

const Option* find_option(const std::string& name, bool gain_offset_only) {
    for (const auto& o : kConfigOptions) {
        if (name != o.name) continue;
        if (!gain_offset_only || is_gain_offset(o.field)) return &o;
    }
    return nullptr;
}

// The values the input offers, in words, for the usage error.
std::string allowed_values(const ui::Control& c, bool channel_count) {
    if (channel_count) return "1, 2, 3, 4";
    std::ostringstream s;
    if (!c.items.empty()) {
        for (size_t i = 0; i < c.items.size(); ++i) s << (i ? ", " : "") << c.items[i].value;
    } else if (c.type == ui::CtrlType::Toggle) {
        s << "0, 1";
    } else {
        s << static_cast<long long>(c.min) << " to " << static_cast<long long>(c.max);
    }
    return s.str();
}

bool value_allowed(const ui::Control& c, long long v) {
    if (!c.items.empty()) {
        for (const auto& it : c.items)
            if (it.value == v) return true;
        return false;
    }
    if (c.type == ui::CtrlType::Toggle) return v == 0 || v == 1;
    return v >= c.min && v <= c.max;
}

struct Setting {
    const Option* option;
    int value;
};

// Reads "--name VALUE" pairs; every value is checked before anything is set or sent.
Result parse_settings(Context& c, const std::vector<std::string>& a, size_t first,
                      bool gain_offset_only, std::vector<Setting>* out) {
    for (size_t i = first; i < a.size(); i += 2) {
        const Option* o = find_option(a[i], gain_offset_only);
        if (!o) {
            std::vector<std::string> names;
            for (const auto& k : kConfigOptions)
                if (!gain_offset_only || is_gain_offset(k.field)) names.emplace_back(k.name);
            return unknown_option(a[i], names);
        }
        if (i + 1 >= a.size()) return usage_error(a[i] + " needs a value");
        const ui::Control& ctrl = *c.app.ui.bound_control(&(c.app.settings.setup.*o->field));
        long long v = 0;
        const bool number = parse_number(a[i + 1], -(1LL << 31), (1LL << 31) - 1, &v);
        if (o->channel_count) {
            if (!number || v < 1 || v > 4)
                return usage_error(std::string(o->name) + " takes one of " +
                                   allowed_values(ctrl, true));
            v %= 4;
        } else if (!number || !value_allowed(ctrl, v)) {
            return usage_error(std::string(o->name) + " takes one of " +
                               allowed_values(ctrl, false));
        }
        out->push_back({o, static_cast<int>(v)});
    }
    return Result{};
}

// Sets the inputs as a person would, so the presets and the capture lock run.
Result apply_settings(Context& c, const std::vector<Setting>& settings) {
    for (const auto& s : settings) {
        // An input already holding the value is left alone, as a person would leave it.
        if (c.app.settings.setup.*s.option->field == s.value) continue;
        const int ctrl = input_of(c.app, s.option->field);
        if (c.app.ui.UserSetValue(c.app.shell.setuppanel, ctrl, s.value) < 0)
            return failure(std::string(s.option->name) + " is locked on this board");
    }
    return Result{};
}

Result configure(Context& c, const std::vector<std::string>& a) {
    std::vector<Setting> settings;
    if (Result r = parse_settings(c, a, 1, false, &settings); r.status != kOk) return r;
    Result f;
    if (!ensure_connected(c, &f)) return f;
    if (Result r = apply_settings(c, settings); r.status != kOk) return r;
    const core::Status s = shell::run_and_show(c.app.ui, [&c] { return chip::configure(c.app); });
    if (!s) return failure(s, "configuration failed");
    Result r;
    const chip::SetupSettings& in = c.app.settings.setup;
    const int channels = core::channels_from_code(in.channels);
    r.add("channels", channels, std::to_string(channels));
    r.add("rate", c.app.capture.fs, std::to_string(in.rate) + " samples/s");
    r.add("message", s.text, s.text);
    return r;
}

Result gainoffset(Context& c, const std::vector<std::string>& a) {
    const bool read = a.size() == 2 && a[1] == "read";
    const bool write = a.size() >= 2 && a[1] == "write";
    if (!read && !write)
        return usage_error("usage: gainoffset read | gainoffset write [--gainN V] [--offsetN V]");
    std::vector<Setting> settings;
    if (write)
        if (Result r = parse_settings(c, a, 2, true, &settings); r.status != kOk) return r;
    Result f;
    if (!ensure_connected(c, &f)) return f;
    if (write) {
        if (Result r = apply_settings(c, settings); r.status != kOk) return r;
        if (const core::Status s = chip::set_gainoffset_parameters(chip::target(c.app)); !s)
            return failure(s, "write not acknowledged");
    } else if (const core::Status s = chip::read_gainoffset_parameters(c.app); !s) {
        return failure(s, "read failed");
    }
    Result r;
    const S& in = c.app.settings.setup;
    const std::pair<const char*, int> bits[] = {
        {"c12", in.c12}, {"c13", in.c13}, {"c14", in.c14}, {"c16", in.c16}};
    for (auto [name, v] : bits) r.add(name, v, std::to_string(v));
    const char* const words[] = {"gain1",   "gain2",   "gain3",   "gain4",
                                 "offset1", "offset2", "offset3", "offset4"};
    for (int i = 0; i < 8; ++i) {
        const int v = in.*chip::kGainOffsetWords[i];
        r.add(words[i], hex_word(v), hex_word(v));
    }
    return r;
}

}  // namespace

void add_config_commands() {
    auto& m = commands();
    m["configure"] = {"configure [--rate R] [--channels N] [--OPTION V]...",
                      "set the setup inputs and configure the filter chip (see README)", configure};
    m["gainoffset"] = {"gainoffset read | gainoffset write [--gainN V] [--offsetN V]...",
                       "read or write the gain and offset registers", gainoffset};
}

}  // namespace cli

#include "cli/config_commands.h"

#include <sstream>

#include "chip/setup_config.h"
#include "cli/cli.h"
#include "cli/command.h"
#include "core/system_types.h"
#include "platform/ui/record.h"
#include "shell/app.h"
#include "shell/panel_values.h"
#include "shell/show_outcome.h"
#include "uir_ids.h"

namespace cli {

namespace {

struct Option {
    const char* name;
    int ctrl;
    bool channel_count = false;  // given as 1..4, stored as the code 0..3
};

constexpr Option kConfigOptions[] = {
    {"--rate", SETUP_RATE},        {"--channels", SETUP_CHANNELS, true},
    {"--filter", SETUP_FILTER},    {"--config-a", SETUP_CONFIGA},
    {"--config-b", SETUP_CONFIGB}, {"--fir-rom", SETUP_FIRROM},
    {"--iir-rom", SETUP_IIRROM},   {"--mux", SETUP_MUX},
    {"--mode", SETUP_MODE},        {"--gain", SETUP_GAIN},
    {"--pwdn", SETUP_PWDN},        {"--c12", SETUP_C12},
    {"--c13", SETUP_C13},          {"--c14", SETUP_C14},
    {"--c16", SETUP_C16},          {"--gain1", SETUP_GAIN1},
    {"--gain2", SETUP_GAIN2},      {"--gain3", SETUP_GAIN3},
    {"--gain4", SETUP_GAIN4},      {"--offset1", SETUP_OFFSET1},
    {"--offset2", SETUP_OFFSET2},  {"--offset3", SETUP_OFFSET3},
    {"--offset4", SETUP_OFFSET4},  {"--tbs-mode", SETUP_TBSMODE},
    {"--tbs-freq", SETUP_TBSFREQ}, {"--tbs-level", SETUP_TBSLEVEL},
    {"--tbs-rate", SETUP_TBSRATE}, {"--tbs-b", SETUP_TBSB},
    {"--tbs-f11", SETUP_F11},      {"--tbs-f7", SETUP_F7},
    {"--tbs-f6", SETUP_F6},        {"--tbs-gain", SETUP_TBSGAIN},
};

const Option* find_option(const std::string& name, bool gain_offset_only) {
    for (const auto& o : kConfigOptions) {
        if (name != o.name) continue;
        const bool is_go = (o.ctrl >= SETUP_GAIN1 && o.ctrl <= SETUP_OFFSET4);
        if (!gain_offset_only || is_go) return &o;
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
        if (!o) return usage_error("unknown option " + a[i]);
        if (i + 1 >= a.size()) return usage_error(a[i] + " needs a value");
        const ui::Control& ctrl = *c.app.ui.control(c.app.shell.setuppanel, o->ctrl);
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

int input(App& app, int ctrl) {
    return shell::get_int(app.ui, app.shell.setuppanel, ctrl);
}

// Sets the inputs as a person would, so the presets and the capture lock run.
Result apply_settings(Context& c, const std::vector<Setting>& settings) {
    for (const auto& s : settings) {
        // An input already holding the value is left alone, as a person would leave it.
        if (input(c.app, s.option->ctrl) == s.value) continue;
        if (c.app.ui.UserSetValue(c.app.shell.setuppanel, s.option->ctrl, s.value) < 0)
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
    const int channels = core::channels_from_code(input(c.app, SETUP_CHANNELS));
    r.add("channels", channels, std::to_string(channels));
    r.add("rate", c.app.capture.fs, std::to_string(input(c.app, SETUP_RATE)) + " samples/s");
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
        if (const core::Status s = chip::set_gainoffset_parameters(c.app); !s)
            return failure(s, "write not acknowledged");
    } else if (const core::Status s = chip::read_gainoffset_parameters(c.app); !s) {
        return failure(s, "read failed");
    }
    Result r;
    const std::pair<const char*, int> shown[] = {
        {"c12", SETUP_C12},         {"c13", SETUP_C13},         {"c14", SETUP_C14},
        {"c16", SETUP_C16},         {"gain1", SETUP_GAIN1},     {"gain2", SETUP_GAIN2},
        {"gain3", SETUP_GAIN3},     {"gain4", SETUP_GAIN4},     {"offset1", SETUP_OFFSET1},
        {"offset2", SETUP_OFFSET2}, {"offset3", SETUP_OFFSET3}, {"offset4", SETUP_OFFSET4}};
    for (auto [name, ctrl] : shown) {
        const int v = input(c.app, ctrl);
        const bool word = ctrl >= SETUP_GAIN1;
        r.add(name, word ? nlohmann::ordered_json(hex_word(v)) : nlohmann::ordered_json(v),
              word ? hex_word(v) : std::to_string(v));
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

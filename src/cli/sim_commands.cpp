#include "cli/sim_commands.h"

#include <cmath>
#include <sstream>

#include "cli/cli.h"
#include "cli/command.h"
#include "cli/firmware_commands.h"
#include "platform/simboard/fault_switches.h"
#include "platform/simboard/sim_board.h"

namespace cli {

namespace {

bool parse_real(const std::string& text, double* v) {
    std::istringstream in(text);
    in >> *v;
    return in && in.eof() && std::isfinite(*v);
}

std::string fault_usage(const simboard::FaultSwitch& s) {
    std::string u = "sim fault " + std::string(s.name);
    for (const simboard::FaultArg k : {s.arg, s.arg2}) {
        if (k != simboard::FaultArg::None) u += " " + std::string(simboard::fault_arg_label(k));
    }
    return u;
}

bool parse_fault_arg(simboard::FaultArg kind, const std::string& text, std::int64_t* v) {
    if (const auto w = simboard::fault_arg_word(kind, text)) {
        *v = *w;
        return true;
    }
    long long n = 0;
    if (!parse_number(text, 0, simboard::fault_arg_max(kind), &n)) return false;
    *v = n;
    return true;
}

Result list_faults() {
    Result r;
    r.data["faults"] = nlohmann::ordered_json::array();
    for (const simboard::FaultSwitch& s : simboard::fault_switches()) {
        const std::string usage = fault_usage(s);
        r.data["faults"].push_back({{"name", s.name}, {"usage", usage}, {"help", s.help}});
        r.lines.emplace_back(usage, std::string(s.help));
    }
    r.lines.emplace_back("sim fault clear", "every fault off, an unplugged board plugged in");
    return r;
}

// sim fault NAME [ARGS] | sim fault clear
Result switch_fault(Context& c, const std::vector<std::string>& a) {
    const char* kUsage = "usage: sim fault NAME [ARGS] | sim fault clear (sim faults lists them)";
    Result r;
    if (a.size() == 3 && a[2] == "clear") {
        c.sim->clear_faults();
        r.add("faults", "clear", "clear");
        return r;
    }
    const simboard::FaultSwitch* s = a.size() >= 3 ? simboard::find_fault_switch(a[2]) : nullptr;
    if (!s && a.size() >= 3) {
        std::vector<std::string> names = {"clear"};
        for (const simboard::FaultSwitch& f : simboard::fault_switches())
            names.emplace_back(f.name);
        return unknown_name("fault", a[2], names, " ('sim faults' lists them)");
    }
    if (!s) return usage_error(kUsage);
    const std::size_t wanted =
        3 + (s->arg != simboard::FaultArg::None) + (s->arg2 != simboard::FaultArg::None);
    std::int64_t x = 0, y = 0;
    if (a.size() != wanted ||
        (s->arg != simboard::FaultArg::None && !parse_fault_arg(s->arg, a[3], &x)) ||
        (s->arg2 != simboard::FaultArg::None && !parse_fault_arg(s->arg2, a[4], &y)))
        return usage_error("usage: " + fault_usage(*s));
    s->apply(*c.sim, x, y);
    r.add("fault", std::string(s->name), std::string(s->name));
    if (a.size() > 3) {
        std::string args = a[3];
        if (a.size() > 4) args += " " + a[4];
        r.add("args", args, args);
    }
    return r;
}

// sim common tone HZ DBFS | sim common noise NV | sim common off; false: the words do not
// fit, and nothing changed.
bool set_common(simboard::CommonSignal& common, const std::vector<std::string>& a, Result* r) {
    double x = 0, y = 0;
    if (a[2] == "tone" && a.size() == 5 && parse_real(a[3], &x) && x >= 0 && parse_real(a[4], &y) &&
        y <= 6.0) {
        common.tone_hz = x;
        common.tone_dbfs = y;
        r->add("common_tone_hz", x, a[3] + " Hz");
        r->add("common_tone_dbfs", y, a[4] + " dBFS");
    } else if (a[2] == "noise" && a.size() == 4 && parse_real(a[3], &x) && x >= 0) {
        common.noise_nv = x;
        r->add("common_noise_nv", x, a[3] + " nV/rtHz");
    } else if (a[2] == "off" && a.size() == 3) {
        common = simboard::CommonSignal{};
        r->add("common", "off", "off");
    } else {
        return false;
    }
    return true;
}

Result sim(Context& c, const std::vector<std::string>& a) {
    const char* kUsage =
        "usage: sim CHANNEL tone HZ DBFS | sim CHANNEL noise NV_PER_RTHZ | "
        "sim CHANNEL harmonic ORDER DBC | sim CHANNEL off | sim CHANNEL flicker CORNER_HZ | "
        "sim CHANNEL gain PPM | sim CHANNEL crosstalk FROM DB | sim common tone HZ DBFS | "
        "sim common noise NV_PER_RTHZ | sim common off | sim seed N | sim flash FILE | "
        "sim power-cycle | sim fault NAME [ARGS] | sim fault clear | sim faults";
    if (!c.sim) return usage_error("sim needs --simulate");
    if (a.size() == 2 && a[1] == "faults") return list_faults();
    if (a.size() >= 2 && a[1] == "fault") return switch_fault(c, a);
    if (a.size() >= 2 && (a[1] == "flash" || a[1] == "power-cycle")) return sim_firmware(c, a);
    auto& cfg = c.sim->config();
    Result r;
    if (a.size() == 3 && a[1] == "seed") {
        long long seed = 0;
        if (!parse_number(a[2], 0, (1LL << 62), &seed)) return usage_error(kUsage);
        cfg.seed = static_cast<std::uint64_t>(seed);
        r.add("seed", seed, std::to_string(seed));
        return r;
    }
    if (a.size() >= 3 && a[1] == "common")
        return set_common(cfg.common, a, &r) ? r : usage_error(kUsage);
    long long ch = 0;
    if (a.size() < 3 || !parse_number(a[1], 1, 4, &ch)) return usage_error(kUsage);
    auto& s = cfg.channels[ch - 1];
    r.add("channel", ch, std::to_string(ch));
    double x = 0, y = 0;
    long long order = 0, from = 0;
    if (a[2] == "tone" && a.size() == 5 && parse_real(a[3], &x) && x >= 0 && parse_real(a[4], &y) &&
        y <= 6.0) {
        c.tone_hz[ch - 1] = x;
        s.tone_dbfs = y;
        r.add("tone_hz", x, a[3] + " Hz");
        r.add("tone_dbfs", y, a[4] + " dBFS");
    } else if (a[2] == "noise" && a.size() == 4 && parse_real(a[3], &x) && x >= 0) {
        s.noise_nv = x;
        r.add("noise_nv", x, a[3] + " nV/rtHz");
    } else if (a[2] == "harmonic" && a.size() == 5 && parse_number(a[3], 2, 5, &order) &&
               parse_real(a[4], &y) && y <= 0) {
        s.harmonics_dbc[order - 2] = y;
        r.add("order", order, std::to_string(order));
        r.add("dbc", y, a[4] + " dBc");
    } else if (a[2] == "off" && a.size() == 3) {
        // A shorted input: the tone and its harmonics vanish, the noise stays.
        s.tone_dbfs = -400.0;
        for (double& h : s.harmonics_dbc) h = -400.0;
        r.add("tone", "off", "off");
    } else if (a[2] == "flicker" && a.size() == 4 && parse_real(a[3], &x) && x >= 0) {
        s.flicker_hz = x;
        r.add("flicker_hz", x, a[3] + " Hz");
    } else if (a[2] == "gain" && a.size() == 4 && parse_real(a[3], &x) && std::abs(x) < 1e6) {
        s.gain_ppm = x;
        r.add("gain_ppm", x, a[3] + " ppm");
    } else if (a[2] == "crosstalk" && a.size() == 5 && parse_number(a[3], 1, 4, &from) &&
               from != ch && parse_real(a[4], &y) && y <= 0) {
        s.crosstalk_db[from - 1] = y;
        r.add("crosstalk_from", from, std::to_string(from));
        r.add("crosstalk_db", y, y <= simboard::kNoCrosstalkDb ? "none" : a[4] + " dB");
    } else {
        return usage_error(kUsage);
    }
    return r;
}

}  // namespace

void add_sim_commands() {
    commands()["sim"] = {
        "sim CHANNEL tone HZ DBFS | noise NV | harmonic ORDER DBC | off | flicker CORNER_HZ | "
        "gain PPM | crosstalk FROM DB; sim common tone HZ DBFS | noise NV | off; sim seed N; "
        "sim flash FILE; sim power-cycle; sim fault NAME [ARGS] | clear; sim faults",
        "set the simulated board's inputs (own, common, flicker, gain, crosstalk) and faults "
        "(with --simulate)",
        sim};
}

}  // namespace cli

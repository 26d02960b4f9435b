#include "cli/sim_commands.h"

#include <cmath>
#include <sstream>

#include "cli/cli.h"
#include "cli/command.h"
#include "cli/firmware_commands.h"
#include "platform/simboard/sim_board.h"

namespace cli {

namespace {

bool parse_real(const std::string& text, double* v) {
    std::istringstream in(text);
    in >> *v;
    return in && in.eof() && std::isfinite(*v);
}

Result sim(Context& c, const std::vector<std::string>& a) {
    const char* kUsage =
        "usage: sim CHANNEL tone HZ DBFS | sim CHANNEL noise NV_PER_RTHZ | "
        "sim CHANNEL harmonic ORDER DBC | sim CHANNEL off | sim seed N | sim flash FILE | "
        "sim power-cycle";
    if (!c.sim) return usage_error("sim needs --simulate");
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
    long long ch = 0;
    if (a.size() < 3 || !parse_number(a[1], 1, 4, &ch)) return usage_error(kUsage);
    auto& s = cfg.channels[ch - 1];
    r.add("channel", ch, std::to_string(ch));
    double x = 0, y = 0;
    long long order = 0;
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
    } else {
        return usage_error(kUsage);
    }
    return r;
}

}  // namespace

void add_sim_commands() {
    commands()["sim"] = {
        "sim CHANNEL tone HZ DBFS | noise NV | harmonic ORDER DBC | off; sim seed N; "
        "sim flash FILE; sim power-cycle",
        "set the simulated board's signal source (with --simulate)", sim};
}

}  // namespace cli

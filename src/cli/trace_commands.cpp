#include "cli/trace_commands.h"

#include <cstdio>
#include <limits>

#include "cli/cli.h"
#include "cli/command.h"
#include "cli/trace_decode.h"
#include "core/input_file.h"

namespace cli {

namespace {

Result trace(Context&, const std::vector<std::string>& a) {
    if (a.size() != 3 || a[1] != "show") return usage_error("usage: trace show FILE");
    // A trace grows with the session; only its lines are bounded.
    core::InputFile file(a[2], std::numeric_limits<std::uintmax_t>::max());
    if (!file.ok()) return failure("cannot read " + a[2] + ": " + file.reason());
    std::vector<DecodedExchange> exchanges;
    int bad = 0;
    if (!decode_trace(file.stream(), &exchanges, &bad))
        return failure(a[2] + " line " + std::to_string(bad) + " is not a trace record");
    Result r;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const DecodedExchange& e : exchanges) {
        char t[32];
        std::snprintf(t, sizeof t, "%.6f", e.t);
        list.push_back({{"t", e.t}, {"text", e.text}});
        r.lines.emplace_back(t, e.text);
    }
    r.data["exchanges"] = list;
    return r;
}

}  // namespace

void add_trace_commands() {
    commands()["trace"] = {"trace show FILE", "decode a bus trace written with --trace", trace};
}

}  // namespace cli

#include "cli/trace_commands.h"

#include <cstdio>
#include <fstream>

#include "cli/cli.h"
#include "cli/command.h"
#include "cli/trace_decode.h"

namespace cli {

namespace {

Result trace(Context&, const std::vector<std::string>& a) {
    if (a.size() != 3 || a[1] != "show") return usage_error("usage: trace show FILE");
    std::ifstream in(a[2]);
    if (!in) return failure("cannot read " + a[2]);
    std::vector<DecodedExchange> exchanges;
    int bad = 0;
    if (!decode_trace(in, &exchanges, &bad))
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

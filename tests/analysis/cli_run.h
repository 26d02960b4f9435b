// Runs seisbench-cli in the test's process and reads back what it printed.
#pragma once

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace cli_run {

struct CliRun {
    int status;
    std::string out, err;
    std::vector<nlohmann::ordered_json> json() const {
        std::vector<nlohmann::ordered_json> v;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            v.push_back(nlohmann::ordered_json::parse(line));
        return v;
    }
};

inline CliRun run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int s = cli::run(args, SEISBENCH_TEST_RESOURCE_DIR, out, err);
    return {s, out.str(), err.str()};
}

// The value printed on the line of this label, without the alignment.
inline std::string value(const std::string& out, const std::string& label) {
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(label + ":", 0) != 0) continue;
        const auto start = line.find_first_not_of(' ', label.size() + 1);
        return start == std::string::npos ? "" : line.substr(start);
    }
    return "(no line " + label + ")";
}

}  // namespace cli_run

// seisbench-cli run in the test's own process, on the build's resources unless told others:
// its exit status and what it printed on each stream.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace cli_run {

struct Outcome {
    int status = -1;
    std::string out, err;
};

inline Outcome run(const std::vector<std::string>& args,
                   const std::string& resources = SEISBENCH_TEST_RESOURCE_DIR) {
    std::ostringstream out, err;
    Outcome r;
    r.status = cli::run(args, resources, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

}  // namespace cli_run

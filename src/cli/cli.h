// seisbench-cli: the system driven headless, for scripted bring-up, production test and batch
// analysis.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// Exit statuses.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;
// Every command succeeded but a figure failed its limit (--limits).
inline constexpr int kLimitsFailed = 3;

// Runs the program with its arguments (without the program name). resource_dir holds the
// panel resources; out receives results, err popups and diagnostics.
int run(const std::vector<std::string>& args, const std::string& resource_dir, std::ostream& out,
        std::ostream& err);

}  // namespace cli

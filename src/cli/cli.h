// seisbench-cli: the system driven headless, for scripted bring-up, production test and batch
// analysis.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "platform/usb/bus.h"
#include "platform/usb/usb_ids.h"

namespace cli {

// Exit statuses.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;
// Every command succeeded but a figure failed its limit (--limits).
inline constexpr int kLimitsFailed = 3;
// Ctrl-C or SIGTERM ended the run: this plus the signal's number, as a shell reports it.
inline constexpr int kInterrupted = 128;

// Builds the bus of real boards with these vendor/product ids; what a person can mend about
// them (a missing permission) goes to the notice.
using RealBus = std::function<std::unique_ptr<usb::Bus>(const std::vector<usb::UsbId>& ids,
                                                        usb::Notice notice)>;

// Runs the program with its arguments (without the program name). resource_dir holds the
// panel resources; out receives results, err popups and diagnostics. Without --simulate the
// boards are those of real_bus (none when it is empty). user_dir is the user's data folder of
// an installed program, empty in the build tree.
int run(const std::vector<std::string>& args, const std::string& resource_dir, std::ostream& out,
        std::ostream& err, const RealBus& real_bus = {}, const std::string& user_dir = {});

}  // namespace cli

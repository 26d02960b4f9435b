#include "recording/virtual_time_option.h"

#include <string>

#include "recording/utc_time.h"

namespace recording {

namespace {
constexpr std::string_view kOption = "--virtual-time";
}  // namespace

bool is_virtual_time_option(std::string_view arg) {
    return arg == kOption || (arg.starts_with(kOption) && arg[kOption.size()] == '=');
}

bool virtual_time_start(std::string_view arg, std::optional<std::int64_t>* utc_us) {
    if (arg == kOption) return true;
    std::int64_t us = 0;
    if (!parse_utc(std::string(arg.substr(kOption.size() + 1)), &us)) return false;
    *utc_us = us;
    return true;
}

}  // namespace recording

// The "--virtual-time[=UTC]" option both programs take: the simulated board on a virtual
// clock, which starts at UTC when one is given, so recordings carry the same times every run.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace recording {

inline constexpr std::string_view kVirtualTimeRefused =
    "--virtual-time= takes a UTC time such as 2026-12-08T10:00:00";

// Whether arg is "--virtual-time" or "--virtual-time=...".
bool is_virtual_time_option(std::string_view arg);

// The UTC a virtual-time option starts the clock at into *utc_us (left alone for a bare
// "--virtual-time"); false when the time does not parse.
bool virtual_time_start(std::string_view arg, std::optional<std::int64_t>* utc_us);

}  // namespace recording

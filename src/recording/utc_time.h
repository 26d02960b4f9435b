// UTC times as the recordings name them: ISO 8601, "2026-12-08T10:00:00" with or without a
// fraction and a trailing Z, and microseconds since the epoch.
#pragma once

#include <cstdint>
#include <string>

namespace recording {

// "2026-12-08T10:00:00" (a trailing Z and a fraction of a second allowed) as microseconds
// since the epoch; false for anything else.
bool parse_utc(const std::string& text, std::int64_t* us);
// "2026-12-08T10:00:00" or, with micros, "2026-12-08T10:00:00.000000Z".
std::string format_utc(std::int64_t us, bool micros);

}  // namespace recording

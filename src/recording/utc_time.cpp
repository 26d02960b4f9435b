#include "recording/utc_time.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace recording {

bool parse_utc(const std::string& text, std::int64_t* us) {
    int y, mo, d, h, mi;
    double s;
    char tail[8] = {};
    const int n =
        std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf%7s", &y, &mo, &d, &h, &mi, &s, tail);
    if (n < 6 || (n == 7 && std::string(tail) != "Z")) return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s < 0 || s >= 61) return false;
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    const std::int64_t seconds = timegm(&tm);
    *us = seconds * 1000000 + std::llround(s * 1e6);
    return true;
}

std::string format_utc(std::int64_t us, bool micros) {
    const std::time_t t = static_cast<std::time_t>(us / 1000000);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char s[48];
    std::strftime(s, sizeof s, "%Y-%m-%dT%H:%M:%S", &tm);
    if (!micros) return s;
    char frac[16];
    std::snprintf(frac, sizeof frac, ".%06lldZ", static_cast<long long>(us % 1000000));
    return std::string(s) + frac;
}

}  // namespace recording

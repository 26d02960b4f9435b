#include "platform/usb/trace.h"

#include <cstdio>

namespace usb {

Trace::Trace(const std::string& path, const platform::Clock& clock)
    : out_(path, std::ios::app), clock_(clock) {}

void Trace::record(const char* op, const std::uint8_t* data, std::size_t n) {
    static constexpr char kHex[] = "0123456789abcdef";
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%.6f", clock_.now());
    std::string line = std::string("{\"t\":") + stamp + ",\"op\":\"" + op + "\"";
    if (n > 0) {
        line += ",\"data\":\"";
        for (std::size_t i = 0; i < n; ++i) {
            line += kHex[data[i] >> 4];
            line += kHex[data[i] & 0xF];
        }
        line += "\"";
    }
    line += "}\n";
    out_ << line;
    // Written through at once, so a trace of a program that is killed still holds every call.
    out_.flush();
}

}  // namespace usb

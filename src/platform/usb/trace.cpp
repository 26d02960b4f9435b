#include "platform/usb/trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace usb {

Trace::Trace(const std::string& path, const platform::Clock& clock)
    : out_(path, std::ios::app), clock_(clock) {}

void Trace::record(const char* op, const std::uint8_t* data, std::size_t n) {
    if (!lost_.empty()) return;
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
    errno = 0;
    out_ << line;
    // Written through at once, so a trace of a program that is killed still holds every call.
    out_.flush();
    if (!out_) lost_ = errno != 0 ? std::strerror(errno) : "write error";
}

}  // namespace usb

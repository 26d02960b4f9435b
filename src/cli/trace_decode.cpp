#include "cli/trace_decode.h"

#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>

#include "chip/register_map.h"

namespace cli {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kStart = 0xFE;
constexpr std::size_t kReplyBytes = 7;

std::string hex2(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02X", v & 0xFF);
    return b;
}

std::string hex_digits(unsigned v, int width) {
    char b[16];
    std::snprintf(b, sizeof b, "%0*X", width, v);
    return b;
}

unsigned word_at(const Bytes& b, std::size_t i) {
    return b[i] << 16 | b[i + 1] << 8 | b[i + 2];
}

std::string port_name(unsigned address) {
    std::string n = address < 32 ? chip::kPortNames[address] : "";
    while (!n.empty() && n.back() == ' ') n.pop_back();
    return n.empty() ? "0x" + hex2(address) : n;
}

std::string command_name(unsigned code) {
    for (const chip::PickItem& c : chip::four_channel_commands())
        if (static_cast<unsigned>(c.value) == code) return c.label;
    return "";
}

int nibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parse_hex(const std::string& s, Bytes* out) {
    if (s.size() % 2 != 0) return false;
    out->clear();
    out->reserve(s.size() / 2);
    for (std::size_t i = 0; i < s.size(); i += 2) {
        const int hi = nibble(s[i]), lo = nibble(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out->push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return true;
}

// The next line, false at the end of the input. A line longer than any record is read to its
// end but flagged, so a file with no line ends is never held whole.
bool next_line(std::istream& in, std::string& line, bool* too_long) {
    line.clear();
    *too_long = false;
    std::streambuf* buf = in.rdbuf();
    using Traits = std::char_traits<char>;
    Traits::int_type c = buf->sbumpc();
    if (c == Traits::eof()) return false;
    for (; c != Traits::eof() && c != '\n'; c = buf->sbumpc()) {
        if (line.size() < kMaxTraceLine)
            line += Traits::to_char_type(c);
        else
            *too_long = true;
    }
    return true;
}

// The filter chip's port transaction inside an SPI request.
std::string describe_spi(bool write, const Bytes& p) {
    if (write && p.size() == 1 && p[0] == 0x06) return "EEPROM write enable";
    if (write && p.size() == 4 && p[0] == 0x02)
        return "EEPROM write 0x" + hex2(p[1]) + hex2(p[2]) + "=" + hex2(p[3]);
    if (!write && p.size() == 3 && p[0] == 0x03) return "EEPROM read 0x" + hex2(p[1]) + hex2(p[2]);
    if (!write && p.size() == 5 && p[0] == 0x03)
        return "SPI read 0x" + hex2(p[1]) + " " + port_name(p[1]);
    if (write && p.size() >= 2 && p[0] == 0x02 && (p.size() - 2) % 3 == 0) {
        std::string s = "SPI write 0x" + hex2(p[1]);
        for (std::size_t i = 2; i + 3 <= p.size(); i += 3) {
            const unsigned address = p[1] + static_cast<unsigned>(i - 2);
            const unsigned w = word_at(p, i);
            s += " " + port_name(address) + "=" + hex_digits(w, 6);
            if (address == 0x03 && !command_name(w).empty()) s += " " + command_name(w);
        }
        return s;
    }
    std::string s = write ? "SPI write" : "SPI read";
    for (std::uint8_t b : p) s += " " + hex2(b);
    return s;
}

std::string text_of(const Bytes& b) {
    std::string s;
    for (std::uint8_t c : b) {
        if (c == 0) break;
        s += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '.';
    }
    return s;
}

// The bytes the host checks in a reply to the request type, and whether they passed.
std::string check_reply(std::uint8_t type, const Bytes& r) {
    if (type == 0x05) return "";
    if (r.empty()) return "  no reply";
    switch (type) {
        case 0x06:
            return "  reply \"" + text_of(r) + "\"";
        case 0x07:
            return "  reply \"" + text_of(r) + "\"" + (r[0] == 'V' ? " ok" : " not a V version");
        case 0x08:
            return "  reply board code " + std::to_string(static_cast<std::int8_t>(r[0]));
        default:
            break;
    }
    if (r.size() < 3) return "  short reply " + std::to_string(r.size()) + " bytes FAILED";
    std::string s = "  reply " + hex2(r[1]);
    const bool second_byte = type == 0x09 || type == 0x0A || type == 0x0B;
    if (second_byte) s += " " + hex2(r[2]);
    const bool ok = r[1] == type && (!second_byte || r[2] == 0);
    s += ok ? " ok" : " FAILED";
    if (ok && type == 0x02 && r.size() >= 6) s += " value " + hex_digits(word_at(r, 3), 6);
    if (type == 0x03 && r.size() > kReplyBytes) {
        const std::size_t stream = r.size() - kReplyBytes;
        s += ", stream " + std::to_string(stream) + " bytes (" + std::to_string(stream / 4) +
             " records)";
    }
    return s;
}

std::string describe_request(const Bytes& q) {
    const std::uint8_t type = q[1];
    const std::size_t length = q.size() > 2 ? q[2] : 0;
    auto payload = [&] {
        // Bytes between the length and the end marker.
        if (length < 4 || length > q.size()) return Bytes();
        return Bytes(q.begin() + 3, q.begin() + static_cast<std::ptrdiff_t>(length) - 1);
    };
    switch (type) {
        case 0x01:
            return describe_spi(true, payload());
        case 0x02:
            return describe_spi(false, payload());
        case 0x03:
            if (q.size() < 10) break;
            return "capture start " + std::to_string(q[3] << 24 | q[4] << 16 | q[5] << 8 | q[6]) +
                   " records, " + std::to_string(q[7]) + " channels, skip " +
                   std::to_string(q[8] << 8 | q[9]);
        case 0x05:
            return "soft reset";
        case 0x06:
            return "target info";
        case 0x07:
            return "firmware version";
        case 0x08:
            return "board code";
        case 0x09:
            return "enter firmware update";
        case 0x0A:
            if (q.size() < 4) break;
            return "erase flash page 0x" + hex2(q[2]) + hex2(q[3]);
        case 0x0B:
            if (q.size() < 4) break;
            return "program flash 0x" + hex2(q[2]) + hex2(q[3]);
        default:
            break;
    }
    return "request 0x" + hex2(type);
}

struct Pending {
    double t = 0.0;
    Bytes request;
    Bytes reply;
};

std::string describe(const Pending& p) {
    if (p.request.size() < 2 || p.request[0] != kStart)
        // The raw data that follows a flash-program header.
        return "data " + std::to_string(p.request.size()) + " bytes" + check_reply(0x0B, p.reply);
    return describe_request(p.request) + check_reply(p.request[1], p.reply);
}

}  // namespace

bool decode_trace(std::istream& in, std::vector<DecodedExchange>* out, int* bad_line) {
    std::optional<Pending> pending;
    auto finish = [&] {
        if (pending) out->push_back({pending->t, describe(*pending)});
        pending.reset();
    };
    int number = 0;
    std::string line;
    for (bool too_long = false; next_line(in, line, &too_long);) {
        ++number;
        if (!too_long && line.find_first_not_of(" \t\r") == std::string::npos) continue;
        const auto j = too_long ? nlohmann::json() : nlohmann::json::parse(line, nullptr, false);
        Bytes data;
        if (too_long || j.is_discarded() || !j.is_object() || !j.contains("t") ||
            !j["t"].is_number() || !j.contains("op") || !j["op"].is_string() ||
            !parse_hex(j.value("data", std::string()), &data)) {
            *bad_line = number;
            return false;
        }
        const double t = j["t"].get<double>();
        const std::string op = j["op"].get<std::string>();
        if (op == "write") {
            finish();
            pending = Pending{t, data, {}};
        } else if (op == "read") {
            if (pending)
                pending->reply.insert(pending->reply.end(), data.begin(), data.end());
            else
                out->push_back({t, "unrequested " + std::to_string(data.size()) + " bytes"});
        } else if (op == "open" || op == "close") {
            finish();
            out->push_back({t, op});
        } else if (op != "flush") {
            *bad_line = number;
            return false;
        }
    }
    finish();
    return true;
}

}  // namespace cli

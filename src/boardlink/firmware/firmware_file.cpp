#include "boardlink/firmware/firmware_file.h"

#include <cstdio>

namespace boardlink::firmware {

namespace {

// Enough of a token to name it in a message.
constexpr std::size_t kShownChars = 24;

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool is_space(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

struct Token {
    std::string shown;  // the first characters, for messages
    int line = 0;
    bool hex = true;
    std::uint8_t value = 0;
};

// Splits the stream into tokens one character at a time, so a huge token or a binary file
// costs no memory and every token knows its line.
class Tokens {
  public:
    explicit Tokens(std::istream& in) : in_(in) {}

    std::optional<Token> next() {
        int c = in_.get();
        for (; c != EOF && is_space(c); c = in_.get())
            if (c == '\n') ++line_;
        if (c == EOF) return std::nullopt;
        Token t;
        t.line = last_line_ = line_;
        std::size_t length = 0, digits = 0;
        for (; c != EOF && !is_space(c); c = in_.get(), ++length) {
            const char ch = static_cast<char>(c);
            if (t.shown.size() < kShownChars) t.shown += ch;
            if (length == 1 && (ch == 'x' || ch == 'X') && t.shown[0] == '0') {
                digits = 0;  // "0x": the 0 was the prefix's
                continue;
            }
            const int d = hex_digit(ch);
            if (d < 0) {
                t.hex = false;
                continue;
            }
            ++digits;
            t.value = static_cast<std::uint8_t>(t.value << 4 | d);
        }
        if (c == '\n') in_.unget();
        if (digits == 0) t.hex = false;
        return t;
    }

    // The line of the last token read (1 before any).
    int last_line() const { return last_line_; }

  private:
    std::istream& in_;
    int line_ = 1;
    int last_line_ = 1;
};

std::string hex4(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04X", v & 0xFFFFu);
    return buf;
}

}  // namespace

CheckResult check_firmware(std::istream& in) {
    CheckResult result;
    Tokens tokens(in);
    for (int index = 1;; ++index) {
        std::array<std::uint8_t, kRecordNumbers> n{};
        int line = 0;
        for (std::size_t i = 0; i < kRecordNumbers; ++i) {
            const std::optional<Token> t = tokens.next();
            if (!t) {
                // A record that never began is the missing end record, at the file's end.
                result.fault = FileFault{
                    index, i == 0 ? tokens.last_line() : line,
                    i == 0 ? "the file ends before the record at address " + hex4(kImageEnd)
                           : "the file ends after " + std::to_string(i) + " of the record's " +
                                 std::to_string(kRecordNumbers) + " numbers"};
                return result;
            }
            if (i == 0) line = t->line;
            if (!t->hex) {
                result.fault =
                    FileFault{index, t->line, "\"" + t->shown + "\" is not a hexadecimal number"};
                return result;
            }
            n[i] = t->value;
        }
        const auto address = static_cast<std::uint16_t>(n[1] << 8 | n[2]);
        if (address == kImageEnd) return result;
        if (address + kDataBytes > kImageEnd) {
            result.fault =
                FileFault{index, line,
                          "its data at " + hex4(address) + " to " + hex4(address + kDataBytes - 1) +
                              " lie outside the flash below " + hex4(kImageEnd)};
            return result;
        }
        Record r;
        r.address = address;
        r.line = line;
        for (std::size_t i = 0; i < kDataBytes; ++i) r.data[i] = n[4 + i];
        result.image.records.push_back(r);
    }
}

}  // namespace boardlink::firmware

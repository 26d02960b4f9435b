#include "debugtools/debugger/image_file.h"

#include <cctype>

#include "core/input_file.h"
#include "debugtools/debugger/commands.h"

namespace debugger {

namespace {

const char* const kTitle = "Image File Error";

bool is_space(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

int hex_digit(char c) {
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return std::isdigit(lower) ? lower - '0' : lower - 'a' + 10;
}

// One hexadecimal number after optional white space, as "%x" reads it; false when none.
bool scan_hex(const std::string& text, std::size_t& at, long long* value) {
    while (at < text.size() && is_space(text[at])) ++at;
    std::size_t p = at;
    if (p + 1 < text.size() && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X') &&
        p + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[p + 2])))
        p += 2;
    const std::size_t digits = p;
    long long v = 0;
    while (p < text.size() && std::isxdigit(static_cast<unsigned char>(text[p]))) {
        // Past 32 bits the value is too wide for either field anyway; stop growing it.
        if (v <= 0xFFFFFFFFLL) v = v * 16 + hex_digit(text[p]);
        ++p;
    }
    if (p == digits) return false;
    at = p;
    *value = v;
    return true;
}

// The line number at a position, counted on from the last position asked for, so a whole
// image costs one pass however many records it holds.
class LineCounter {
  public:
    explicit LineCounter(const std::string& text) : text_(text) {}
    int at(std::size_t pos) {
        for (; counted_ < pos && counted_ < text_.size(); ++counted_)
            if (text_[counted_] == '\n') ++line_;
        return line_;
    }

  private:
    const std::string& text_;
    std::size_t counted_ = 0;
    int line_ = 1;
};

core::Status refused(const std::string& name, int line, const std::string& why) {
    return core::Status::failed(core::Fault::BadInput, "image file", kTitle,
                                name + ": line " + std::to_string(line) + " " + why);
}

}  // namespace

core::Status parse_image(const std::string& text, const std::string& name,
                         std::vector<ImageRecord>* records) {
    // Filled aside, so a refused file leaves the caller's records as they were.
    std::vector<ImageRecord> read;
    LineCounter lines(text);
    std::size_t at = 0;
    while (at < text.size()) {
        ++at;  // the record's first character, whatever it is
        std::size_t rest = at;
        while (rest < text.size() && is_space(text[rest])) ++rest;
        if (rest == text.size()) break;  // only white space left: the end of the stream
        const int line = lines.at(rest);
        long long address = 0, word = 0;
        if (!scan_hex(text, at, &address) || !scan_hex(text, at, &word))
            return refused(name, line, "does not hold an address and a word.");
        if (address > kMaxAddress) return refused(name, line, "holds an address above 3FFF.");
        if (word > 0xFFFFFF) return refused(name, line, "holds a word wider than 24 bits.");
        if (read.size() == kMaxImageRecords) return refused(name, line, "is one record too many.");
        read.push_back({static_cast<int>(address), static_cast<int>(word)});
    }
    // Loaded, it would change nothing and pass for a program.
    if (read.empty())
        return core::Status::failed(core::Fault::BadInput, "image file", kTitle,
                                    name + " holds no record.");
    *records = std::move(read);
    return core::Status::success();
}

core::Status read_image(const std::string& path, std::vector<ImageRecord>* records) {
    core::InputFile file(path, kMaxImageBytes);
    std::string text;
    if (!file.read_all(&text))
        return core::Status::failed(
            core::Fault::BadInput, "image file", kTitle,
            "Cannot read " + path + ": " + (file.ok() ? "reading failed" : file.reason()) + ".");
    return parse_image(text, path, records);
}

}  // namespace debugger

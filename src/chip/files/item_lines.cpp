#include "chip/files/item_lines.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace chip {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool is_blank(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

bool ItemLineReader::read_line() {
    using Traits = std::char_traits<char>;
    len_ = 0;
    bool any = false;
    // istream::get turns a failing read into badbit instead of letting it escape.
    for (Traits::int_type c = in_.get(); c != Traits::eof(); c = in_.get()) {
        any = true;
        if (c == '\n') break;
        if (len_ < buf_.size()) buf_[len_++] = Traits::to_char_type(c);
    }
    if (!any) return false;
    ++line_;
    if (len_ > 0 && buf_[len_ - 1] == '\r') --len_;
    if (line_ == 1 && text().starts_with(kByteOrderMark)) {
        len_ -= kByteOrderMark.size();
        std::memmove(buf_.data(), buf_.data() + kByteOrderMark.size(), len_);
    }
    return true;
}

bool ItemLineReader::next() {
    while (read_line()) {
        const std::string_view t = text();
        if (t.empty() || t.front() == '#' || is_blank(t)) continue;
        return true;
    }
    return false;
}

}  // namespace chip

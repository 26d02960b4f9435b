// Line rules common to every data file: one item per line; a line whose first character is
// '#' is a comment; a line with no characters or only white space is blank; both are skipped.
// LF and CR LF line ends read alike, and a UTF-8 byte-order mark before the first line is
// ignored. A line longer than kMaxLineChars keeps its first kMaxLineChars characters and
// still counts as one line, so the tail of a long comment is never taken for data.
#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <string_view>

namespace chip {

inline constexpr std::size_t kMaxLineChars = 255;

class ItemLineReader {
  public:
    explicit ItemLineReader(std::istream& in) : in_(in) {}

    // Moves to the next item line; false at the end of the input or on a read error.
    bool next();
    std::string_view text() const { return {buf_.data(), len_}; }
    // 1-based number of the line last read.
    int line() const { return line_; }
    bool read_failed() const { return in_.bad(); }

  private:
    bool read_line();

    std::istream& in_;
    std::array<char, kMaxLineChars> buf_{};
    std::size_t len_ = 0;
    int line_ = 0;
};

}  // namespace chip

// Names close to a mistyped one, for "did you mean" hints on a command line.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// The names nearest to word, letters compared without regard to case: those the word begins
// (three letters or more), else those at the smallest edit distance (a swap of two neighbours
// counts as one edit) when it is small for the word's length; in the order of names, none
// for a word that is no near miss.
std::vector<std::string> close_names(std::string_view word, std::span<const std::string> names);

// "did you mean 'a' or 'b'?" for the close names (the first five, then "..."), or an empty
// text when there are none.
std::string did_you_mean(std::string_view word, std::span<const std::string> names);

}  // namespace core

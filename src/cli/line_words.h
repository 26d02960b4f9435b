// A command line cut into words as a shell would: a console line, a script line or one
// argument of seisbench-cli can hold a path with spaces.
#pragma once

#include <string>
#include <vector>

namespace cli {

// Spaces and tabs separate words. Inside '...' every character stands for itself; inside
// "..." a backslash keeps a following " or \; outside quotes a backslash keeps the next
// character (an escaped space). Quoted parts join the letters around them ("my "file -> my
// file), and "" is an empty word. False, with the reason in *error, for a quote left open or
// a backslash that ends the line; words is then left empty.
bool line_words(const std::string& line, std::vector<std::string>* words, std::string* error);

}  // namespace cli

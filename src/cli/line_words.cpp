#include "cli/line_words.h"

namespace cli {

bool line_words(const std::string& line, std::vector<std::string>* words, std::string* error) {
    words->clear();
    std::string word;
    bool in_word = false;  // a quote opens a word even when nothing is inside it
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t') {
            if (in_word) words->push_back(word);
            word.clear();
            in_word = false;
            continue;
        }
        in_word = true;
        if (c == '\\') {
            if (++i == line.size()) {
                *error = "the line ends in a backslash";
                words->clear();
                return false;
            }
            word += line[i];
        } else if (c == '\'' || c == '"') {
            std::size_t j = i + 1;
            for (; j < line.size() && line[j] != c; ++j) {
                if (c == '"' && line[j] == '\\' && j + 1 < line.size() &&
                    (line[j + 1] == '"' || line[j + 1] == '\\'))
                    ++j;
                word += line[j];
            }
            if (j == line.size()) {
                *error = std::string("the quote ") + c + " is not closed";
                words->clear();
                return false;
            }
            i = j;
        } else {
            word += c;
        }
    }
    if (in_word) words->push_back(word);
    return true;
}

}  // namespace cli

#include "core/close_names.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace core {

namespace {

constexpr std::size_t kMostNames = 5;
constexpr std::size_t kShortestPrefix = 3;

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool begins(std::string_view name, std::string_view word) {
    if (word.size() < kShortestPrefix || word.size() >= name.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (lower(name[i]) != lower(word[i])) return false;
    return true;
}

// Edits (insert, delete, replace, swap of neighbours) that turn a into b.
std::size_t distance(std::string_view a, std::string_view b) {
    const std::size_t n = a.size(), m = b.size();
    std::vector<std::vector<std::size_t>> d(n + 1, std::vector<std::size_t>(m + 1));
    for (std::size_t i = 0; i <= n; ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= m; ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= m; ++j) {
            const std::size_t cost = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) &&
                lower(a[i - 2]) == lower(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[n][m];
}

}  // namespace

std::vector<std::string> close_names(std::string_view word, std::span<const std::string> names) {
    std::vector<std::string> found;
    for (const std::string& name : names)
        if (begins(name, word)) found.push_back(name);
    if (!found.empty()) return found;
    // One edit in a short word, two in a word of six letters or more.
    const std::size_t allowed = word.size() >= 6 ? 2 : 1;
    std::size_t best = std::numeric_limits<std::size_t>::max();
    for (const std::string& name : names) best = std::min(best, distance(word, name));
    if (best > allowed || best >= word.size()) return found;
    for (const std::string& name : names)
        if (distance(word, name) == best) found.push_back(name);
    return found;
}

std::string did_you_mean(std::string_view word, std::span<const std::string> names) {
    const std::vector<std::string> found = close_names(word, names);
    if (found.empty()) return {};
    // A long list is cut, and says so rather than passing for the whole choice.
    const std::size_t shown = std::min(found.size(), kMostNames);
    std::string text = "did you mean ";
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) text += i + 1 == found.size() ? " or " : ", ";
        text += "'" + found[i] + "'";
    }
    return text + (shown < found.size() ? ", ...?" : "?");
}

}  // namespace core

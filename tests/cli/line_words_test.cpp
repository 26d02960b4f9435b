#include "cli/line_words.h"

#include <gtest/gtest.h>

TEST(LineWords, QuotesAndBackslashesKeepSpacesInAWord) {
    using Words = std::vector<std::string>;
    const struct {
        const char* line;
        Words words;  // empty with ok false
        bool ok = true;
    } cases[] = {
        {"  data   save\tx.dat ", {"data", "save", "x.dat"}},
        {R"(data save "my file.dat")", {"data", "save", "my file.dat"}},
        {R"(data save 'my file.dat')", {"data", "save", "my file.dat"}},
        {R"(data save my\ file.dat)", {"data", "save", "my file.dat"}},
        {R"(a "it's" 'say "hi"')", {"a", "it's", "say \"hi\""}},
        {R"("a \"b\" \\ \c")", {R"(a "b" \ \c)"}},  // only \" and \\ are escapes inside "..."
        {R"('a\ b')", {R"(a\ b)"}},                 // nothing is an escape inside '...'
        {R"(dir/"my "file)", {"dir/my file"}},
        {R"(name "" x)", {"name", "", "x"}},
        {"", {}},
        {"   ", {}},
        {R"(data save "my file.dat)", {}, false},
        {"data save 'x", {}, false},
        {R"(x "a \")", {}, false},
        {R"(data save x\)", {}, false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> words = {"left over"};
        std::string error;
        EXPECT_EQ(cli::line_words(c.line, &words, &error), c.ok) << c.line;
        EXPECT_EQ(words, c.words) << c.line;
        EXPECT_EQ(error.empty(), c.ok) << c.line << ": " << error;
    }
}

// Macro files as outside input: where reading stops, and what it never takes for an entry.
#include <gtest/gtest.h>

#include <string_view>

#include "chipfiles/temp_dir.h"
#include "macros/files.h"

using macros::Entry;
using namespace std::string_view_literals;

TEST(MacroFile, ReadingStopsAtAWordThatIsNoNumberOf32BitsOrAtTheEndKind) {
    struct Case {
        std::string_view text;
        int count;
        Entry last;  // the last entry read
    };
    const Case cases[] = {
        {"0 0 21 000001\n0 0 21 FFFFFFFF\n"sv, 2, {0, 0, 0x21, -1}},
        // Nine digits: the number would be cut to 0 (a filter write) or saturate.
        {"0 0 21 000001\n100000000 0 21 000002\n"sv, 1, {0, 0, 0x21, 1}},
        {"0 0 21 000001\n0 0 21 FFFFFFFFFFFFFFFFFFFF\n"sv, 1, {0, 0, 0x21, 1}},
        {"0 0 21 00000000000000000000003\n"sv, 1, {0, 0, 0x21, 3}},
        // A NUL byte inside a word: the number before it is not the whole word.
        {"0 0 21 000001\n0 0 21 00\0\0X1\n"sv, 1, {0, 0, 0x21, 1}},
        // A line of the end kind ends the macro; nothing after it is taken.
        {"0 0 21 000001\nFFFFFFFF 0 0 0\n1 0 03 000009\n"sv, 1, {0, 0, 0x21, 1}},
    };
    testing_support::TempDir dir;
    for (const Case& c : cases) {
        macros::Table t;
        macros::reset_table(t, 0);
        ASSERT_EQ(macros::read_macro_file(dir.write("m.mac", c.text), &t), macros::ReadResult::Ok);
        ASSERT_EQ(macros::operation_count(t), c.count) << c.text;
        EXPECT_EQ(t[c.count - 1], c.last) << c.text;
        EXPECT_EQ(t[c.count], macros::kEndEntry) << c.text;
    }
}

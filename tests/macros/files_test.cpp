// Macro files as outside input: where reading stops, and what it never takes for an entry.
#include <gtest/gtest.h>

#include <cstdio>
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

// The editor's store keeps its end entry inside the 200-entry table; a run takes all 200.
TEST(MacroFile, EachUseReadsUpToItsOwnBound) {
    struct Case {
        macros::FileUse use;
        int lines;
        macros::ReadResult result;
        int operations;  // in the table read; -1 when refused
    };
    using macros::FileUse, macros::ReadResult;
    const Case cases[] = {
        {FileUse::Store, 199, ReadResult::Ok, 199},
        {FileUse::Store, 200, ReadResult::TooLong, -1},
        {FileUse::Run, 200, ReadResult::Ok, 200},
        {FileUse::Run, 201, ReadResult::Ok, 200},  // the 201st line is not read
    };
    testing_support::TempDir dir;
    for (const Case& c : cases) {
        std::string text;
        char line[32];
        for (int i = 0; i < c.lines; ++i) {
            std::snprintf(line, sizeof line, "0 0 21 %X\n", i);
            text += line;
        }
        macros::Table t;
        macros::reset_table(t, 0);
        SCOPED_TRACE(c.lines);
        ASSERT_EQ(macros::read_macro_file(dir.write("m.mac", text), &t, c.use), c.result);
        if (c.operations < 0) {
            EXPECT_EQ(macros::operation_count(t), 0);  // left as it was
            continue;
        }
        EXPECT_EQ(macros::operation_count(t), c.operations);
        EXPECT_EQ(t[c.operations - 1], (Entry{0, 0, 0x21, c.operations - 1}));
    }
}

#include "chip/files/word_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "chipfiles/temp_dir.h"

namespace {

using chip::ReadError;
using chip::WordFileKind;

chip::WordFile read_text(const std::string& text, WordFileKind kind = WordFileKind::Fir) {
    std::istringstream in(text);
    return chip::read_word_stream(in, kind);
}

// Lines holding the words 1, 2, ... n in hexadecimal.
std::string numbered_lines(int n) {
    std::ostringstream text;
    for (int i = 1; i <= n; ++i) text << std::hex << i << "\n";
    return text.str();
}

TEST(WordFile, CommentBetweenTwoWordsGivesOneCommand) {
    const chip::WordFile f = read_text("1A2B3C\n# comment\nFFFFFF\n");
    EXPECT_EQ(f.error, ReadError::None);
    ASSERT_EQ(f.count, 2u);
    EXPECT_EQ(f.words[0], 0x1A2B3Cu);
    EXPECT_EQ(f.words[1], 0xFFFFFFu);
    EXPECT_EQ(f.pair_count(), 1u);
}

TEST(WordFile, OddCountIsPaddedWithZeroWord) {
    const chip::WordFile f = read_text("111111\n222222\n333333\n", WordFileKind::Tbs);
    EXPECT_EQ(f.error, ReadError::None);
    ASSERT_EQ(f.count, 3u);
    EXPECT_EQ(f.pair_count(), 2u);
    EXPECT_EQ(f.words[2], 0x333333u);
    EXPECT_EQ(f.words[3], 0u);
}

TEST(WordFile, EmptyAndCommentOnlyFilesHoldNoWords) {
    for (const char* text : {"", "\n", "# only a comment\n\n", "   \n\t\n"}) {
        const chip::WordFile f = read_text(text);
        EXPECT_EQ(f.error, ReadError::None) << text;
        EXPECT_EQ(f.count, 0u) << text;
        EXPECT_EQ(f.pair_count(), 0u) << text;
    }
}

TEST(WordFile, ValuesAreTakenAsWritten) {
    const chip::WordFile f =
        read_text("0x1a\n1000000\n-1\nabc   trailing note\n7\n000000000FFFFFFFF\n-0xFFFFFFFF",
                  WordFileKind::Iir);
    EXPECT_EQ(f.error, ReadError::None);
    ASSERT_EQ(f.count, 7u);
    EXPECT_EQ(f.words[0], 0x1Au);
    EXPECT_EQ(f.words[1], 0x1000000u);  // no range check: the chip keeps the low 24 bits
    EXPECT_EQ(f.words[2], 0xFFFFFFFFu);
    EXPECT_EQ(f.words[3], 0xABCu);
    EXPECT_EQ(f.words[4], 7u);
    EXPECT_EQ(f.words[5], 0xFFFFFFFFu);  // leading zeros do not count towards the width
    EXPECT_EQ(f.words[6], 1u);           // a last line without a line feed is an item
}

TEST(WordFile, LineThatDoesNotScanIsReportedWithItsNumber) {
    for (const char* bad : {"xyz", "12G", "0,5", "  # indented is not a comment", "0x", "100000000",
                            "0x1FFFFFFFF", "-100000000", "123456789ABCDEF0123"}) {
        const chip::WordFile f = read_text(std::string("12\n# note\n") + bad + "\n34\n");
        EXPECT_EQ(f.error, ReadError::BadItem) << bad;
        EXPECT_EQ(f.error_line, 3) << bad;
        ASSERT_EQ(f.count, 1u) << bad;
        EXPECT_EQ(f.words[0], 0x12u);
        EXPECT_EQ(f.words[1], 0u) << "nothing stored for the bad line";
    }
}

TEST(WordFile, CapacityIsFilledButNeverExceeded) {
    struct Case {
        WordFileKind kind;
        int capacity;
    };
    for (const Case c : {Case{WordFileKind::Fir, 1024}, Case{WordFileKind::Iir, 1024},
                         Case{WordFileKind::Tbs, 2048}}) {
        EXPECT_EQ(chip::word_capacity(c.kind), static_cast<std::size_t>(c.capacity));
        const chip::WordFile full = read_text(numbered_lines(c.capacity), c.kind);
        EXPECT_EQ(full.error, ReadError::None);
        EXPECT_EQ(full.count, static_cast<std::size_t>(c.capacity));

        const chip::WordFile over =
            read_text("# header\n" + numbered_lines(c.capacity + 5), c.kind);
        EXPECT_EQ(over.error, ReadError::TooManyItems);
        EXPECT_EQ(over.error_line, c.capacity + 2);  // the first surplus item, after the header
        EXPECT_EQ(over.count, static_cast<std::size_t>(c.capacity));
        EXPECT_EQ(over.words[c.capacity - 1], static_cast<std::uint32_t>(c.capacity));
    }
}

TEST(WordFile, LongLineStaysOneLine) {
    const std::string long_comment = "#" + std::string(400, 'A') + "\n";
    const std::string long_item = "5" + std::string(300, ' ') + "77\n";
    const chip::WordFile f = read_text(long_comment + long_item + "6\n");
    EXPECT_EQ(f.error, ReadError::None);
    ASSERT_EQ(f.count, 2u);
    EXPECT_EQ(f.words[0], 5u);
    EXPECT_EQ(f.words[1], 6u);
}

TEST(WordFile, WindowsFileReadsLikeUnixFile) {
    testing_support::TempDir dir;
    const std::string unix_text = "1A2B3C\n# comment\n\nFFFFFF\n12\n";
    const std::string windows_text = "1A2B3C\r\n# comment\r\n\r\nFFFFFF\r\n12\r\n";
    const chip::WordFile a =
        chip::read_word_file(dir.write("lf.txt", unix_text), WordFileKind::Fir);
    const chip::WordFile b =
        chip::read_word_file(dir.write("crlf.txt", windows_text), WordFileKind::Fir);
    EXPECT_EQ(a.error, ReadError::None);
    EXPECT_EQ(b.error, ReadError::None);
    ASSERT_EQ(a.count, 3u);
    EXPECT_EQ(b.count, a.count);
    EXPECT_EQ(b.words, a.words);
    // A byte-order mark, as some Windows editors write, is not part of the first line.
    const chip::WordFile c = chip::read_word_file(
        dir.write("bom.txt", "\xEF\xBB\xBF" + windows_text), WordFileKind::Fir);
    EXPECT_EQ(c.error, ReadError::None);
    EXPECT_EQ(c.words, a.words);
}

TEST(WordFile, FileThatCannotBeReadIsReported) {
    testing_support::TempDir dir;
    const chip::WordFile missing = chip::read_word_file(dir.path("absent.txt"), WordFileKind::Tbs);
    EXPECT_EQ(missing.error, ReadError::CannotOpen);
    EXPECT_EQ(missing.count, 0u);
    const chip::WordFile directory = chip::read_word_file(dir.path(), WordFileKind::Tbs);
    EXPECT_NE(directory.error, ReadError::None);
    EXPECT_EQ(directory.count, 0u);
}

}  // namespace

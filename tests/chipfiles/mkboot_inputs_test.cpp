#include "chip/files/mkboot_inputs.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "chipfiles/temp_dir.h"

namespace {

using chip::ReadError;

chip::RegisterFile registers_from(const std::string& text) {
    std::istringstream in(text);
    return chip::read_register_stream(in);
}

chip::ValueFile values_from(const std::string& text, std::size_t limit) {
    std::istringstream in(text);
    return chip::read_value_stream(in, limit);
}

// n lines holding 0.001, 0.002, ...
std::string value_lines(int n) {
    std::string text;
    for (int i = 1; i <= n; ++i) text += std::to_string(i) + "e-3\n";
    return text;
}

TEST(RegisterFile, PairsAreReadInFileOrder) {
    const chip::RegisterFile f = registers_from("# setup\n20 000431\n\n0\t1\n1FF 123456 note\n");
    EXPECT_EQ(f.error, ReadError::None);
    ASSERT_EQ(f.count, 3u);
    EXPECT_EQ(f.pairs[0].address, 0x20u);
    EXPECT_EQ(f.pairs[0].value, 0x431u);
    EXPECT_EQ(f.pairs[1].address, 0u);
    EXPECT_EQ(f.pairs[1].value, 1u);
    EXPECT_EQ(f.pairs[2].address, 0x1FFu);  // cut to 8 bits only in the image
    EXPECT_EQ(f.pairs[2].value, 0x123456u);
}

TEST(RegisterFile, IncompletePairIsReportedWithItsLine) {
    for (const char* bad : {"20", "20,431", "20 xyz", "zz 1", "100000020 431", "20 0x100000431"}) {
        const chip::RegisterFile f = registers_from(std::string("1 2\n\n") + bad + "\n3 4\n");
        EXPECT_EQ(f.error, ReadError::BadItem) << bad;
        EXPECT_EQ(f.error_line, 3) << bad;
        EXPECT_EQ(f.count, 1u) << bad;
        EXPECT_EQ(f.pairs[1].address, 0u) << bad;
    }
}

TEST(RegisterFile, SixtyFivePairsAreReportedNotDropped) {
    std::string text;
    for (int i = 0; i < 64; ++i) text += std::to_string(i) + " 1\n";
    const chip::RegisterFile full = registers_from(text);
    EXPECT_EQ(full.error, ReadError::None);
    EXPECT_EQ(full.count, 64u);

    const chip::RegisterFile over = registers_from(text + "# more\n40 2\n");
    EXPECT_EQ(over.error, ReadError::TooManyItems);
    EXPECT_EQ(over.error_line, 66);
    EXPECT_EQ(over.count, 64u);
}

TEST(ValueFile, ReadingStopsAtTheLimit) {
    // Lines past the limit are never read, so even garbage there does not matter.
    const chip::ValueFile fir =
        values_from(value_lines(256) + "garbage\n" + value_lines(43), chip::kFirValueLimit);
    EXPECT_EQ(fir.error, ReadError::None);
    EXPECT_EQ(fir.count, 256u);
    EXPECT_DOUBLE_EQ(fir.values[255], 0.256);

    const chip::ValueFile fir300 = values_from(value_lines(300), chip::kFirValueLimit);
    EXPECT_EQ(fir300.count, 256u);

    const chip::ValueFile ten = values_from(value_lines(10), chip::kFirValueLimit);
    EXPECT_EQ(ten.error, ReadError::None);
    EXPECT_EQ(ten.count, 10u);

    const chip::ValueFile iir1 =
        values_from("0.1\n0.2\n0.3\n0.4\nnot read\n", chip::kIir1ValueLimit);
    EXPECT_EQ(iir1.error, ReadError::None);
    ASSERT_EQ(iir1.count, 4u);
    EXPECT_DOUBLE_EQ(iir1.values[0], 0.1);
    EXPECT_DOUBLE_EQ(iir1.values[2], 0.3);

    const chip::ValueFile iir2 = values_from(value_lines(9), chip::kIir2ValueLimit);
    EXPECT_EQ(iir2.count, 6u);

    const chip::ValueFile tbs = values_from(value_lines(1100), 5000);
    EXPECT_EQ(tbs.count, chip::kTbsValueLimit);  // never more than the result holds
}

TEST(ValueFile, NumberForms) {
    const chip::ValueFile f =
        values_from("1\n-1\n+0.5\n.25\n1e-3\n  -2.5E+1   # note\n0x10\n", chip::kTbsValueLimit);
    // "0x10" is not a decimal number.
    EXPECT_EQ(f.error, ReadError::BadItem);
    EXPECT_EQ(f.error_line, 7);
    ASSERT_EQ(f.count, 6u);
    EXPECT_DOUBLE_EQ(f.values[0], 1.0);
    EXPECT_DOUBLE_EQ(f.values[1], -1.0);
    EXPECT_DOUBLE_EQ(f.values[2], 0.5);
    EXPECT_DOUBLE_EQ(f.values[3], 0.25);
    EXPECT_DOUBLE_EQ(f.values[4], 0.001);
    EXPECT_DOUBLE_EQ(f.values[5], -25.0);
}

TEST(ValueFile, LineThatDoesNotScanIsReported) {
    for (const char* bad : {"0,5", "abc", "nan", "inf", "-inf", "1e400", "1.0x", "+-1", "# no"}) {
        const std::string text = std::string("0.5\n\n") + (bad[0] == '#' ? " " : "") + bad + "\n";
        const chip::ValueFile f = values_from(text, chip::kFirValueLimit);
        EXPECT_EQ(f.error, ReadError::BadItem) << bad;
        EXPECT_EQ(f.error_line, 3) << bad;
        EXPECT_EQ(f.count, 1u) << bad;
    }
}

TEST(ValueFile, BlankLinesAndLastLineRules) {
    // Empty lines, lines of white space and comments hold no item; a last line without a line
    // feed is an item even when it is a single character.
    const chip::ValueFile f = values_from("\n# c\n   \n1\n\n\t\n0", chip::kFirValueLimit);
    EXPECT_EQ(f.error, ReadError::None);
    ASSERT_EQ(f.count, 2u);
    EXPECT_DOUBLE_EQ(f.values[0], 1.0);
    EXPECT_DOUBLE_EQ(f.values[1], 0.0);
}

TEST(MkbootInputFiles, MissingFileIsReported) {
    testing_support::TempDir dir;
    EXPECT_EQ(chip::read_register_file(dir.path("absent")).error, ReadError::CannotOpen);
    EXPECT_EQ(chip::read_value_file(dir.path("absent"), chip::kFirValueLimit).error,
              ReadError::CannotOpen);
}

}  // namespace

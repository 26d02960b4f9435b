// List lines as the editor shows them, and parsed back to the entries they came from.
#include <gtest/gtest.h>

#include "macros/line.h"

using macros::Entry;

namespace {
constexpr int DF = macros::kDf, SPI = macros::kSpi, CMD = macros::kCmd;
constexpr int W = macros::kWrite, R = macros::kRead;
}  // namespace

TEST(MacroLine, ShowsAndParsesBackEveryEntry) {
    struct Case {
        Entry entry;
        const char* line;
        Entry parsed;  // what the line gives back
    };
    const Case cases[] = {
        {{DF, W, 0x20, 0xabcdef}, "DF    W   0x20  FILT_CFG   0xABCDEF", {DF, W, 0x20, 0xabcdef}},
        {{SPI, R, 0x0F, 0}, "SPI   R   0x0F  DEB_STAT ", {SPI, R, 0x0F, 0}},
        // Blank names: the data is the number after the second "0x".
        {{SPI, W, 0x01, 0x000123}, "SPI   W   0x01             0x000123", {SPI, W, 0x01, 0x123}},
        {{CMD, W, 5, 0x0F0000}, "CMD   W   0x05             0x0F0000", {CMD, W, 5, 0x0F0000}},
        {{CMD, R, 1, 0x42}, "CMD   R   0x01  WR_COEF  ", {CMD, R, 1, 0}},  // a read has no data
        {{DF, W, 0x30, 7}, "DF    W   0x30  ?????????  0x000007", {DF, W, 0x30, 7}},
        {{9, W, 0x02, 1}, "???   W   0x02  ?????????  0x000001", {macros::kUnknownKind, W, 2, 1}},
        {{DF, R, -1, 0}, "DF    R   0xFFFFFFFF  ?????????", {DF, R, -1, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(macros::create_macro_line(c.entry), c.line);
        Entry back{-7, -7, -7, -7};
        EXPECT_TRUE(macros::parse_macro_line(c.line, &back)) << c.line;
        EXPECT_EQ(back, c.parsed) << c.line;
    }
}

TEST(MacroLine, TextThatIsNoLineIsRefused) {
    for (const char* text :
         {"", "DF", "DF    X   0x20  FILT_CFG   0x1", "DF    W   20", "DF    W   0x20  X",
          // Past 32 bits: no entry holds it.
          "DF    W   0x20  FILT_CFG   0x100000000", "DF    R   0x1FFFFFFFFFFFFFFFFF"}) {
        Entry e{1, 1, 1, 1};
        EXPECT_FALSE(macros::parse_macro_line(text, &e)) << text;
        EXPECT_EQ(e, (Entry{1, 1, 1, 1}));
    }
}

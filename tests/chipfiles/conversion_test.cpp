#include "chip/files/conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

TEST(Conversion, CoefficientWords) {
    EXPECT_EQ(chip::coefficient_word(1.0), 0x7FFFFFu);
    EXPECT_EQ(chip::coefficient_word(0.5), 0x400000u);
    EXPECT_EQ(chip::coefficient_word(0.0), 0x000000u);
    EXPECT_EQ(chip::coefficient_word(-0.5), 0xC00001u);
    EXPECT_EQ(chip::coefficient_word(-1.0), 0x800002u);
}

TEST(Conversion, TbsWords) {
    EXPECT_EQ(chip::tbs_word(1.0), 0x04FFFFu);
    EXPECT_EQ(chip::tbs_word(0.5), 0x028000u);
    EXPECT_EQ(chip::tbs_word(-1.0), 0xFB0002u);
}

TEST(Conversion, MatchesTruncatingIntegerArithmetic) {
    // The word is (integer part of x * scale + 0.5) AND 0xFFFFFF in two's complement.
    for (double x : {0.123456, -0.123456, 0.9999999, -0.9999999, 1.5, -1.5, 2.0, -2.0, 1e-9, -1e-9,
                     37.25, -1234.5678, 1e6}) {
        for (double scale : {chip::kCoefficientScale, chip::kTbsScale}) {
            const auto expected =
                static_cast<std::uint32_t>(static_cast<std::int64_t>(x * scale + 0.5) & 0xFFFFFF);
            EXPECT_EQ(chip::scaled_word(x, scale), expected) << x << " * " << scale;
        }
    }
}

TEST(Conversion, ValuesOutsideTheIntegerRangeStayDefined) {
    // A double this large is a multiple of 2^24, so its low 24 bits are zero.
    EXPECT_EQ(chip::coefficient_word(1e300), 0u);
    EXPECT_EQ(chip::coefficient_word(-1e300), 0u);
    EXPECT_EQ(chip::coefficient_word(std::numeric_limits<double>::quiet_NaN()), 0u);
    EXPECT_EQ(chip::tbs_word(std::numeric_limits<double>::infinity()), 0u);
}

}  // namespace

#include "mkboot/image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kHeader(16, 0x00);
const Bytes kClosing = {0x0B, 0x00, 0x30, 0x00, 0x00, 0x30, 0x03, 0x97, 0x80, 0xC2, 0xFF, 0x22,
                        0x80, 0xD7, 0x40, 0x00, 0xD2, 0x06, 0x0E, 0x0D, 0x00, 0x30, 0x00};

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(BootImage, NoRegistersStillHasHeaderAndClosingBlocks) {
    const Bytes expected = concat({kHeader, {0x04, 0x00, 0x22, 0x00, 0x06}, kClosing});
    EXPECT_EQ(mkboot::build_image({}), expected);
}

TEST(BootImage, CountOf256IsWrittenAsThreeBytes) {
    const std::vector<double> fir(256, 0.0);
    mkboot::BootImageInputs in;
    in.fir = mkboot::FirStages{fir, fir};
    const Bytes image = mkboot::build_image(in);
    ASSERT_EQ(image.size(), 16u + 7 + 2 * 256 * 3 + 1 + 23);
    EXPECT_EQ(Bytes(image.begin() + 16, image.begin() + 23),
              (Bytes{0x02, 0x00, 0x01, 0x00, 0x00, 0x01, 0x00}));
}

TEST(BootImage, TextIsTwoUpperCaseDigitsPerLine) {
    const Bytes bytes = {0x00, 0x0A, 0xC2, 0xFF};
    const std::string le(mkboot::kLineEnd);
    EXPECT_EQ(mkboot::image_text(bytes), "00" + le + "0A" + le + "C2" + le + "FF" + le);
    EXPECT_EQ(mkboot::image_text({}), "");
}

}  // namespace

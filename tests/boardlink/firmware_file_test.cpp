// The firmware file check on its own: what a whole image yields, and the first bad record a
// broken file is refused at, with its line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "boardlink/firmware/firmware_file.h"
#include "test_image.h"

namespace fw = boardlink::firmware;

namespace {

fw::CheckResult check(const std::string& text) {
    std::istringstream in(text);
    return fw::check_firmware(in);
}

std::vector<std::string> tokens_of(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string t; in >> t;) out.push_back(t);
    return out;
}

std::string join(const std::vector<std::string>& tokens, std::size_t per_line) {
    std::string out;
    for (std::size_t i = 0; i < tokens.size(); ++i)
        out += tokens[i] + ((i + 1) % per_line == 0 ? "\n" : " ");
    return out;
}

// A record of 69 numbers at the address, its data all `fill`.
std::string record(unsigned address, const std::string& fill = "AA") {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X %02X", address >> 8 & 0xFF, address & 0xFF);
    std::string r = std::string("40 ") + buf + " 00";
    for (int i = 0; i < 64; ++i) r += " " + fill;
    return r + " 00\n";
}
const std::string kEnd = record(0x2E00, "FF");

}  // namespace

TEST(FirmwareFile, WholeImageYieldsEveryRecordInOrder) {
    const auto image = test_firmware::image_bytes(7, 1000);  // 16 records
    const auto r = check(test_firmware::firmware_text(image));
    ASSERT_FALSE(r.fault) << r.fault->reason;
    ASSERT_EQ(r.image.records.size(), 16u);
    for (std::size_t i = 0; i < r.image.records.size(); ++i) {
        const fw::Record& rec = r.image.records[i];
        EXPECT_EQ(rec.address, i * 64);
        EXPECT_EQ(rec.line, static_cast<int>(i) + 1);
        EXPECT_TRUE(std::equal(rec.data.begin(), rec.data.end(), image.begin() + i * 64)) << i;
    }
}

TEST(FirmwareFile, LayoutBytesZeroThreeAndCheckAreIgnoredAndLinesDoNotMatter) {
    const auto image = test_firmware::image_bytes(2, 256);
    auto tokens = tokens_of(test_firmware::firmware_text(image));
    for (std::size_t r = 0; r * 69 < tokens.size(); ++r) {
        tokens[r * 69] = "0x7";        // byte count
        tokens[r * 69 + 3] = "fe";     // kind
        tokens[r * 69 + 68] = "1234";  // check byte, more than 8 bits
    }
    tokens[4] = "0X153";  // a data byte: its low 8 bits
    // Ten numbers to a line, and whatever follows the end record is not read.
    const auto r = check(join(tokens, 10) + "\nnot read at all\n");
    ASSERT_FALSE(r.fault) << r.fault->reason;
    ASSERT_EQ(r.image.records.size(), 4u);
    EXPECT_EQ(r.image.records[0].data[0], 0x53);
    EXPECT_TRUE(std::equal(r.image.records[3].data.begin(), r.image.records[3].data.end(),
                           image.begin() + 192));
    EXPECT_EQ(r.image.records[1].line, 7);  // number 69 opens line 7
}

TEST(FirmwareFile, FileBeginningAtTheEndRecordHoldsNothing) {
    const auto r = check(kEnd + record(0x0000));
    ASSERT_FALSE(r.fault);
    EXPECT_TRUE(r.image.records.empty());
}

TEST(FirmwareFile, FirstBadRecordIsNamedWithItsLine) {
    const std::string two = record(0x0000) + record(0x0040);
    std::string cut = two + record(0x0080);
    cut.resize(cut.size() - 10);
    struct Case {
        const char* name;
        std::string text;
        int record, line;
        const char* reason;
    } cases[] = {
        {"truncated", cut, 3, 3, "the file ends after 66 of"},
        {"empty", "", 1, 1, "ends before the record at address 0x2E00"},
        {"no end record", two, 3, 2, "ends before the record at address 0x2E00"},
        {"non-hex", record(0x0000) + "\n\n" + record(0x0040, "G1") + kEnd, 2, 4,
         "\"G1\" is not a hexadecimal"},
        {"bare prefix", record(0x0000, "0x") + kEnd, 1, 1, "\"0x\" is not"},
        {"sign", record(0x0000, "-1") + kEnd, 1, 1, "\"-1\" is not"},
        {"beyond the flash", two + record(0x2DC1) + kEnd, 3, 3,
         "0x2DC1 to 0x2E00 lie outside the flash below 0x2E00"},
        {"far beyond", record(0xFFC0) + kEnd, 1, 1, "lie outside the flash"},
    };
    for (const Case& c : cases) {
        const auto r = check(c.text);
        ASSERT_TRUE(r.fault) << c.name;
        EXPECT_EQ(r.fault->record, c.record) << c.name;
        EXPECT_EQ(r.fault->line, c.line) << c.name;
        EXPECT_NE(r.fault->reason.find(c.reason), std::string::npos)
            << c.name << ": " << r.fault->reason;
    }
    EXPECT_FALSE(check(two + record(0x2DC0) + kEnd).fault);  // the last 64 bytes fit
}

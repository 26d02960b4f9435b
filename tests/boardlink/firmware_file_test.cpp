// The firmware file check on its own: what it takes from a record, and what it refuses
// beyond what the update's own tests show.
#include <gtest/gtest.h>

#include <sstream>

#include "boardlink/firmware/firmware_file.h"
#include "test_image.h"

namespace fw = boardlink::firmware;

namespace {

fw::CheckResult check(const std::string& text) {
    std::istringstream in(text);
    return fw::check_firmware(in);
}

// One record at 0x0000 whose numbers are all `number`, then the end record.
std::string one_record(const std::string& number) {
    std::string r = "40 00 00 00";
    for (int i = 0; i < 64; ++i) r += " " + number;
    r += " 00\n40 2E 00 01";
    for (int i = 0; i < 65; ++i) r += " FF";
    return r + "\n";
}

}  // namespace

TEST(FirmwareFile, TakesAddressAndDataOnlyWhateverTheLayout) {
    const auto image = test_firmware::image_bytes(2, 256);
    std::istringstream in(test_firmware::firmware_text(image));
    std::vector<std::string> tokens;
    for (std::string t; in >> t;) tokens.push_back(t);
    for (std::size_t r = 0; r * 69 < tokens.size(); ++r) {
        tokens[r * 69] = "0x7";        // byte count
        tokens[r * 69 + 3] = "fe";     // kind
        tokens[r * 69 + 68] = "1234";  // check byte, wider than 8 bits
    }
    tokens[4] = "0X153";  // a data byte: its low 8 bits count
    // Ten numbers to a line; nothing after the end record is read.
    std::string text;
    for (std::size_t i = 0; i < tokens.size(); ++i) text += tokens[i] + (i % 10 == 9 ? "\n" : " ");
    const auto r = check(text + "\nnot read at all\n");
    ASSERT_FALSE(r.fault) << r.fault->reason;
    ASSERT_EQ(r.image.records.size(), 4u);
    EXPECT_EQ(r.image.records[0].data[0], 0x53);
    EXPECT_TRUE(std::equal(r.image.records[3].data.begin(), r.image.records[3].data.end(),
                           image.begin() + 192));
    EXPECT_EQ(r.image.records[3].address, 192);
    EXPECT_EQ(r.image.records[1].line, 7);  // number 70 opens line 7
}

TEST(FirmwareFile, RefusesWhatIsNotAWholeImage) {
    const struct {
        std::string text;
        int line;
        const char* reason;
    } cases[] = {
        {"", 1, "the file ends before the record at address 0x2E00"},
        {one_record("0x"), 1, "\"0x\" is not a hexadecimal number"},
        {one_record("-1"), 1, "\"-1\" is not a hexadecimal number"},
        {"40 FF C0 00\n" + one_record("00"), 1, "its data at 0xFFC0 to 0xFFFF lie outside"},
    };
    for (const auto& c : cases) {
        const auto r = check(c.text);
        ASSERT_TRUE(r.fault) << c.reason;
        EXPECT_EQ(r.fault->record, 1) << c.reason;
        EXPECT_EQ(r.fault->line, c.line) << c.reason;
        EXPECT_EQ(r.fault->reason.rfind(c.reason, 0), 0u) << r.fault->reason;
    }
    EXPECT_FALSE(check(one_record("AB")).fault);
}

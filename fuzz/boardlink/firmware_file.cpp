// Firmware files: a fault names the record after the last one taken and a line of the file;
// every record taken lies below the end address; an image without a fault, written out again
// with its end record, checks to the same records.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

#include "boardlink/firmware/firmware_file.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace fw = boardlink::firmware;

namespace {

std::string record_text(std::uint16_t address, std::uint8_t kind, const fw::Data& data) {
    char buf[8];
    std::string text;
    const auto put = [&](unsigned v) {
        std::snprintf(buf, sizeof buf, "%02X ", v & 0xFFu);
        text += buf;
    };
    put(fw::kDataBytes);
    put(address >> 8);
    put(address & 0xFF);
    put(kind);
    for (std::uint8_t b : data) put(b);
    put(0);
    text.back() = '\n';
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(fuzz::as_text(data, size));
    std::istringstream in(text);
    const fw::CheckResult r = fw::check_firmware(in);
    const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));

    // Every record is 69 numbers of at least one character and a separator.
    FUZZ_CHECK(r.image.records.size() * fw::kRecordNumbers * 2 <= size + 1);
    int previous_line = 1;
    for (const fw::Record& rec : r.image.records) {
        FUZZ_CHECK(rec.address + fw::kDataBytes <= fw::kImageEnd);
        FUZZ_CHECK(rec.line >= previous_line && rec.line <= lines);
        previous_line = rec.line;
    }
    if (r.fault) {
        FUZZ_CHECK(r.fault->record == static_cast<int>(r.image.records.size()) + 1);
        FUZZ_CHECK(r.fault->line >= previous_line && r.fault->line <= lines);
        FUZZ_CHECK(!r.fault->reason.empty());
        return 0;
    }

    std::string again_text;
    for (const fw::Record& rec : r.image.records)
        again_text += record_text(rec.address, 0, rec.data);
    again_text += record_text(fw::kImageEnd, 1, fw::Data{});
    std::istringstream again_in(again_text);
    const fw::CheckResult again = fw::check_firmware(again_in);
    FUZZ_CHECK(!again.fault);
    FUZZ_CHECK(again.image.records.size() == r.image.records.size());
    for (std::size_t i = 0; i < again.image.records.size(); ++i) {
        FUZZ_CHECK(again.image.records[i].address == r.image.records[i].address);
        FUZZ_CHECK(again.image.records[i].data == r.image.records[i].data);
        FUZZ_CHECK(again.image.records[i].line == static_cast<int>(i) + 1);
    }
    return 0;
}

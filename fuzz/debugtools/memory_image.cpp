// DSP memory images, read by the RAM download (stops at the first record that is not whole)
// and by the debugger (refuses such a record by its line). Both take the same records from a
// file the debugger accepts, and both refuse one without a record; the download's records written
// out again read back the same; a refused file leaves the debugger's records as they were.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "debugtools/debugger/commands.h"
#include "debugtools/debugger/image_file.h"
#include "debugtools/ram_download.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

bool same(const std::vector<debugtools::MemoryWord>& a,
          const std::vector<debugtools::MemoryWord>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.address == y.address && x.word == y.word;
    });
}

// The file as the images are written: a blank, then one "ADDR WORD" line per record.
std::string image_text(const std::vector<debugtools::MemoryWord>& words) {
    std::string text = " ";
    char line[32];
    for (const auto& w : words) {
        std::snprintf(line, sizeof line, "%04X %06X\n", static_cast<unsigned>(w.address),
                      static_cast<unsigned>(w.word));
        text += line;
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(fuzz::as_text(data, size));

    // The download's reader: every record takes at least a character and two digits.
    const std::vector<debugtools::MemoryWord> words = debugtools::parse_memory_image(text);
    FUZZ_CHECK(words.size() * 3 <= size);
    const fuzz::InputFile input(data, size, ".pmg");
    const std::vector<debugtools::MemoryWord> before{{1, 2}};
    std::vector<debugtools::MemoryWord> from_file = before;
    // An image without a record is refused and changes nothing.
    FUZZ_CHECK(debugtools::read_memory_image(input.path().string(), &from_file).ok() ==
               !words.empty());
    FUZZ_CHECK(same(from_file, words.empty() ? before : words));
    FUZZ_CHECK(same(debugtools::parse_memory_image(image_text(words)), words));

    // The debugger's reader.
    const std::vector<debugger::ImageRecord> known{{0x10, 0x123456}};
    std::vector<debugger::ImageRecord> records = known;
    const core::Status s = debugger::parse_image(text, "f.pmg", &records);
    if (!s) {
        FUZZ_CHECK(s.fault == core::Fault::BadInput);
        FUZZ_CHECK(s.title == "Image File Error");
        FUZZ_CHECK(s.text.rfind("f.pmg: line ", 0) == 0 || s.text == "f.pmg holds no record.");
        FUZZ_CHECK(records.size() == 1 && records[0].address == known[0].address &&
                   records[0].word == known[0].word);
        return 0;
    }
    FUZZ_CHECK(records.size() <= debugger::kMaxImageRecords);
    FUZZ_CHECK(records.size() == words.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        FUZZ_CHECK(records[i].address >= 0 && records[i].address <= debugger::kMaxAddress);
        FUZZ_CHECK(records[i].word >= 0 && records[i].word <= 0xFFFFFF);
        FUZZ_CHECK(static_cast<std::uint32_t>(records[i].address) == words[i].address);
        FUZZ_CHECK(static_cast<std::uint32_t>(records[i].word) == words[i].word);
    }
    return 0;
}

#include "debugtools/ram_download.h"

#include <cctype>
#include <cstdio>

#include "chip/registers.h"
#include "core/input_file.h"
#include "debugtools/context.h"
#include "debugtools/eeprom_file.h"

namespace debugtools {

namespace {

// Commands of the DSP core's memories.
constexpr int kWriteProgram = 0x11, kWriteData = 0x12, kReadProgram = 0x13, kReadData = 0x14;
constexpr int kRun = 0x18;

struct Memory {
    const char* name;
    int write, read;
};
constexpr Memory kProgram{"Program memory", kWriteProgram, kReadProgram};
constexpr Memory kData{"Data memory", kWriteData, kReadData};

// One hexadecimal number after white space, as "%x" takes it; advances pos past it.
std::optional<std::uint32_t> next_hex(const std::string& text, std::size_t* pos) {
    std::size_t i = *pos;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    std::size_t end = i;
    if (end + 2 < text.size() && text[end] == '0' && (text[end + 1] | 0x20) == 'x' &&
        std::isxdigit(static_cast<unsigned char>(text[end + 2])))
        end += 2;
    while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end]))) ++end;
    const auto v = scan_hex(text.substr(i, end - i));
    if (v) *pos = end;
    return v;
}

const char* const kFailedTitle = "RAM download Failed";
const char* const kRetry = "Please Re-Try!";

std::string word_text(const Memory& m, std::uint32_t address) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s word at 0x%04X", m.name, address);
    return buf;
}

struct Failed {
    std::uint32_t address = 0;
    int count = 0;
};

// Every word written and verified; the words that never verified are counted, the first kept.
core::Status load_memory(const Context& cx, const Memory& m, const std::vector<MemoryWord>& words,
                         Failed* failed) {
    for (const MemoryWord& w : words) {
        bool verified = false;
        for (int attempt = 0; attempt < kRamAttempts && !verified; ++attempt) {
            int address = static_cast<int>(w.address), word = static_cast<int>(w.word);
            chip::dsp_command(cx.port, m.write, &address, &word, false);
            int back1 = static_cast<int>(w.address), back2 = 0;
            // A read-back that failed has shown its message; the board is not asked again.
            if (core::Status s = chip::dsp_command(cx.port, m.read, &back1, &back2, true); !s) {
                cx.ui.Print("RAM download: " + word_text(m, w.address) +
                            " could not be read back.\n");
                return s.with_message(kFailedTitle, kRetry);
            }
            verified = static_cast<std::uint32_t>(back2) == (w.word & 0xFFFFFF);
        }
        if (!verified && failed->count++ == 0) failed->address = w.address;
    }
    return core::Status::success();
}

std::string failure_text(const Memory& m, const Failed& f) {
    std::string text = "RAM download: " + word_text(m, f.address) + " did not verify after " +
                       std::to_string(kRamAttempts) + " attempts";
    if (f.count > 1) text += " (" + std::to_string(f.count - 1) + " more words failed)";
    return text + ".\n";
}

}  // namespace

std::vector<MemoryWord> parse_memory_image(const std::string& text) {
    std::vector<MemoryWord> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        ++pos;  // the record's first character, whatever it is
        const auto address = next_hex(text, &pos);
        if (!address) break;
        const auto word = next_hex(text, &pos);
        if (!word) break;
        words.push_back({*address, *word});
    }
    return words;
}

core::Status read_memory_image(const std::string& path, std::vector<MemoryWord>* words) {
    core::InputFile file(path, kMaxMemoryImageBytes);
    std::string text;
    if (!file.read_all(&text))
        return core::Status::failed(core::Fault::BadInput, "memory image", kFailedTitle,
                                    "The file " + path + " cannot be opened: " +
                                        (file.ok() ? "reading failed" : file.reason()) + ".");
    std::vector<MemoryWord> read = parse_memory_image(text);
    // Started on an image that wrote nothing, the core would run whatever it held.
    if (read.empty())
        return core::Status::failed(core::Fault::BadInput, "memory image", kFailedTitle,
                                    "The file " + path +
                                        " holds no memory record (a character, then an address "
                                        "and a word in hexadecimal). Nothing was sent.");
    *words = std::move(read);
    return core::Status::success();
}

core::Status load_ram(const Context& cx, const std::string& pmg_path, const std::string& dmg_path) {
    std::vector<MemoryWord> program, data;
    if (core::Status s = read_memory_image(pmg_path, &program); !s) return s;
    if (core::Status s = read_memory_image(dmg_path, &data); !s) return s;
    Failed program_failed, data_failed;
    if (core::Status s = load_memory(cx, kProgram, program, &program_failed); !s) return s;
    if (core::Status s = load_memory(cx, kData, data, &data_failed); !s) return s;
    // Started even when a word did not verify, as the tool always has: the person is told to
    // try again. The words that failed go to the standard output, the popup keeps its text.
    // The start command carries the last data word as its second argument.
    int start = kProgramStart, last = data.empty() ? 0 : static_cast<int>(data.back().word);
    const core::Status started = chip::dsp_command(cx.port, kRun, &start, &last, false);
    if (program_failed.count > 0) cx.ui.Print(failure_text(kProgram, program_failed));
    if (data_failed.count > 0) cx.ui.Print(failure_text(kData, data_failed));
    if (!started) {
        cx.ui.Print("RAM download: the start command was not acknowledged.\n");
        return started.with_message(kFailedTitle, kRetry);
    }
    if (program_failed.count > 0 || data_failed.count > 0)
        return core::Status::failed(core::Fault::WrongReply, "verify", kFailedTitle, kRetry);
    return core::Status::success("Done", "RAM download complete. Started execution at 0x3000.");
}

int load_ram_cmd(const Context& cx) {
    std::string pmg, dmg;
    if (cx.ui.FileSelectPopup("", "", "*.pmg", "Select PMG file", ui::VAL_LOAD_BUTTON, true,
                              &pmg) == ui::VAL_NO_FILE_SELECTED ||
        cx.ui.FileSelectPopup("", "", "*.dmg", "Select DMG file", ui::VAL_LOAD_BUTTON, true,
                              &dmg) == ui::VAL_NO_FILE_SELECTED)
        return 0;
    const core::Status s = load_ram(cx, pmg, dmg);
    if (!s.title.empty()) cx.ui.MessagePopup(s.title, s.text);
    return 0;
}

}  // namespace debugtools

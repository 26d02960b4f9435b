#include "debugtools/debugger/operations.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "boardlink/transport/transport.h"
#include "core/atomic_file.h"
#include "core/number_text.h"
#include "core/system_types.h"
#include "debugtools/debugger/context.h"
#include "debugtools/debugger/image_file.h"
#include "debugtools/debugger/register_dump.h"
#include "debugtools/debugger/transfer.h"

namespace debugger {

namespace {

constexpr double kPollInterval = 1.0;
constexpr int kChunk = 8;

std::string hex(const char* fmt, int value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, fmt, static_cast<unsigned>(value));
    return buf;
}

int read_code(Memory m) {
    return m == Memory::Program ? RD_PMEM : RD_DMEM;
}
int write_code(Memory m) {
    return m == Memory::Program ? WR_PMEM : WR_DMEM;
}

// One word at an address of a memory.
core::Status memory_word(const Context& cx, int code, int address, int* word) {
    std::vector<int> w{*word};
    const core::Status s = DEBUG_command(cx, code, 1, address, w);
    *word = w[0];
    return s;
}

}  // namespace

core::Status simple_command(const Context& cx, int code) {
    std::vector<int> none;
    return DEBUG_command(cx, code, 0, 0, none);
}

core::Status send_command(const Context& cx, const CommandPanelState& s, std::vector<int>& words,
                          std::vector<std::string>* log) {
    words.resize(std::max({words.size(), static_cast<std::size_t>(std::max(s.shown, 0)),
                           static_cast<std::size_t>(std::max(s.count, 0))}),
                 0);
    const core::Status r = DEBUG_command(cx, s.code, s.count, s.address, words);
    if (!r) return r;
    log->push_back(padded_name(s.code) + "         0x" +
                   hex("%06X", command_word(s.code, s.count, s.address)));
    for (int i = 0; i < s.shown; ++i)
        log->push_back("    0x" +
                       hex("%06X", words[static_cast<std::size_t>(i)] & core::kWordMask));
    log->emplace_back();
    return r;
}

core::Status check_dump_range(int start, int end) {
    if (start < 0 || end < start || end > kMaxAddress)
        return core::Status::failed(core::Fault::BadInput, "address range", "Address Error",
                                    "Address range is invalid.");
    return core::Status::success();
}

core::Status dump_memory(const Context& cx, Memory m, int start, int end,
                         const std::function<void(const std::vector<std::string>&)>& on_chunk) {
    if (core::Status s = check_dump_range(start, end); !s) return s;
    const char* title = m == Memory::Program ? "Dumping PMEM" : "Dumping DMEM";
    const int total = end - start + 1;
    core::Status s = core::Status::success();
    std::vector<int> words;
    for (int address = start; address <= end && s;) {
        const int done = address - start;
        if (cx.ui.UpdateProgress(title,
                                 std::to_string(done) + " of " + std::to_string(total) + " words",
                                 double(done) / total) != 0) {
            s = core::Status::failed(core::Fault::Cancelled, "dump", "Dump", "Dump cancelled.");
            break;
        }
        const int remaining = end - address + 1;
        const int chunk = remaining >= kChunk ? kChunk : remaining >= 2 ? 2 : 1;
        words.assign(kChunk, 0);
        s = DEBUG_command(cx, read_code(m), chunk, address, words);
        if (!s) break;
        std::vector<std::string> lines;
        for (int i = 0; i < chunk; ++i)
            lines.push_back("0x" + hex("%04X", address + i) + " 0x" +
                            hex("%06X", words[static_cast<std::size_t>(i)] & core::kWordMask));
        on_chunk(lines);
        address += chunk;
    }
    cx.ui.EndProgress();
    return s;
}

core::Status save_dump(const std::string& path, Memory m, int start,
                       const std::vector<std::string>& lines, const core::Status& dumped) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    const char* memory = m == Memory::Program ? "PMEM" : "DMEM";
    const int stopped_at = start + static_cast<int>(lines.size());
    if (!dumped)
        text += std::string("-- dump stopped at ") + memory + " " + hex("0x%04X", stopped_at) +
                ": " + core::fault_name(dumped.fault) + " in " + dumped.step + "\n";
    if (core::Status w = core::write_file_atomically(path, text); !w)
        return w.with_message("File Error", "Cannot write " + path + ".");
    if (dumped) return core::Status::success();
    return dumped.with_message(
        "Dump Incomplete", std::string("The ") + memory + " dump stopped at " +
                               hex("0x%04X", stopped_at) + ". The " + std::to_string(lines.size()) +
                               " words read before it are in " + path +
                               ", which ends with a line saying so.");
}

core::Status download_image(const Context& cx, Memory m, const std::string& path) {
    std::vector<ImageRecord> records;
    if (core::Status s = read_image(path, &records); !s) return s;
    for (const ImageRecord& r : records) {
        int word = r.word;
        if (core::Status s = memory_word(cx, write_code(m), r.address, &word); !s) return s;
    }
    return core::Status::success();
}

core::Status download_done(bool program, bool data) {
    const char* text = program && data ? "Debugger PMG and DMG download complete."
                       : program       ? "Debugger PMG download complete."
                                       : "Debugger DMG download complete.";
    return core::Status::success("Done", text);
}

core::Status run_to_break(const Context& cx, int b, const std::function<bool()>& still_on,
                          const std::function<void(std::optional<int>)>& show_pc, bool* reached) {
    *reached = false;
    if (core::Status s = simple_command(cx, HALT); !s) return s;
    int saved = 0;
    if (core::Status s = memory_word(cx, RD_PMEM, b, &saved); !s) return s;
    // From here on a failure may leave the breakpoint word in memory.
    auto warning = [b](const core::Status& s) {
        char text[80];
        std::snprintf(text, sizeof text, "Program in memory might be corrupted at PMEM %x.", b);
        return s.with_message("Warning", text);
    };
    int breakpoint = kBreakpointWord;
    if (core::Status s = memory_word(cx, WR_PMEM, b, &breakpoint); !s) return warning(s);
    if (core::Status s = simple_command(cx, CONTINUE); !s) return warning(s);
    // The return address wraps with the 14-bit PC.
    const int stopped_at = (b + 1) & kMaxAddress;
    std::optional<int> last_pc;
    std::vector<int> status, pcs;
    while (last_pc != stopped_at && still_on()) {
        cx.ui.Delay(kPollInterval);
        status.assign(3, 0);
        if (core::Status s = DEBUG_command(cx, RD_IOREG, 1, kStatusIo, status); !s)
            return warning(s);
        pcs.assign(kStackDepth, 0);
        if (core::Status s = DEBUG_command(cx, RD_ALL_STACKPCS, kStackDepth, 0, pcs); !s)
            return warning(s);
        const int sp = stack_pointer(status[0]);
        last_pc =
            sp == 0 ? std::nullopt : std::optional<int>(pcs[static_cast<std::size_t>(sp - 1)]);
        show_pc(last_pc);
        cx.ui.ProcessSystemEvents();
    }
    // Reached is told by the PC, not the toggle: a toggle turned off in the very poll that saw
    // the breakpoint must not leave the core past the instruction it has not run.
    if (last_pc == stopped_at) {
        *reached = true;
        if (core::Status s = write_pc(cx, b); !s) return warning(s);
    }
    if (core::Status s = memory_word(cx, WR_PMEM, b, &saved); !s) return warning(s);
    return core::Status::success();
}

core::Status write_register(const Context& cx, int v, int first, int second, int third) {
    const int code = v % 100, index = v / 100;
    const Pattern p = command_info(code).pattern;
    const bool writes =
        p == Pattern::BlockWrite || p == Pattern::ShortWrite || p == Pattern::AccWrite;
    const bool index_fits = code == WR_ALL_MAR ? index < 8
                            : code == WR_IOREG ? index < kIoRegisters
                                               : true;
    if (v < 0 || !writes || code == WR_DMEM || code == WR_PMEM || !index_fits)
        return core::Status::failed(core::Fault::BadInput, "register selector");
    std::vector<int> w;
    switch (code) {
        case WR_ALL_MAR:
            w.assign(8, 0);
            if (core::Status s = DEBUG_command(cx, RD_ALL_MAR, 8, 0, w); !s) return s;
            w[static_cast<std::size_t>(index)] = second;
            return DEBUG_command(cx, WR_ALL_MAR, 8, 0, w);
        case WR_IOREG:
        case WR_CR:
        case WR_PC:
        case WR_LC:
            w = {second};
            return DEBUG_command(cx, code, 1, index, w);
        case WR_ACC0:
        case WR_ACC1:
            w = {first, second, third};
            return DEBUG_command(cx, code, 2, 0, w);
        default:
            w = {second};
            return DEBUG_command(cx, code, 0, 0, w);
    }
}

namespace {

struct NamedRegister {
    const char* prefix;
    int code, step, last;  // code of index 0, code step per index, last index
    bool indexed_by_address;
};

constexpr NamedRegister kRegisters[] = {
    {"ACC0", WR_ACC0, 0, 0, false},  {"ACC1", WR_ACC1, 0, 0, false},
    {"MPAR", 0x26, 2, 1, false},     {"PAR", 0x22, 2, 1, false},
    {"MAR", WR_ALL_MAR, 0, 7, true}, {"AR", 0x10, 2, 7, false},
    {"CR", WR_CR, 0, 0, false},      {"PC", WR_PC, 0, 0, false},
    {"LC", WR_LC, 0, 0, false},      {"IO", WR_IOREG, 0, kIoRegisters - 1, true},
};

}  // namespace

std::optional<int> selector_by_name(const std::string& text) {
    std::string name;
    for (char c : text) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const NamedRegister& n : kRegisters) {
        const std::string prefix = n.prefix;
        if (name.rfind(prefix, 0) != 0) continue;
        const std::string rest = name.substr(prefix.size());
        long long i = 0;
        if (n.last == 0 && rest.empty() && n.step == 0) return n.code;
        if (rest.empty() || !core::parse_number(rest, 0, n.last, &i)) return std::nullopt;
        const int index = static_cast<int>(i);
        return n.indexed_by_address ? index * 100 + n.code : n.code + index * n.step;
    }
    return std::nullopt;
}

std::vector<std::string> register_names() {
    std::vector<std::string> names;
    for (const NamedRegister& n : kRegisters) {
        if (n.last == 0 && n.step == 0) {
            names.emplace_back(n.prefix);
            continue;
        }
        for (int i = 0; i <= n.last; ++i) names.push_back(n.prefix + std::to_string(i));
    }
    return names;
}

core::Status write_pc(const Context& cx, int value) {
    std::vector<int> w{value};
    return DEBUG_command(cx, WR_PC, 1, 0, w);
}

core::Status test_write(const Context& cx, int deb_data, int deb_stat) {
    int bytes[6];
    core::word_bytes(deb_data, bytes);
    core::word_bytes(deb_stat, bytes + 3);
    const core::Status s = boardlink::spi_write(cx.port, 6, DEB_DATA, bytes);
    if (s) return s;
    return debug_error_handler(cx, kOtherError, s.fault, "SPI write");
}

core::Status test_read(const Context& cx, int* deb_data, int* deb_stat) {
    if (core::Status s = boardlink::spi_read(cx.port, DEB_DATA, deb_data); !s) return s;
    return boardlink::spi_read(cx.port, DEB_STAT, deb_stat);
}

}  // namespace debugger

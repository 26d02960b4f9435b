// Loading a program-memory and a data-memory image into the filter chip's DSP core, every
// word verified and retried, then starting the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/status.h"

namespace debugtools {

struct Context;

struct MemoryWord {
    std::uint32_t address;
    std::uint32_t word;
};

// A ".pmg" or ".dmg" image read as one stream of records: one character, read as it comes
// and ignored, then the address and the word in hexadecimal. Reading ends at the first
// record that is not whole.
std::vector<MemoryWord> parse_memory_image(const std::string& text);
// A larger file is refused unread: two memories of 16384 words, each record on a line of 64
// characters.
inline constexpr std::size_t kMaxMemoryImageBytes = 2 * 16384 * 64;
// The file's records; BadInput when it cannot be read (a folder, a device, larger than
// kMaxMemoryImageBytes) or holds no record.
core::Status read_memory_image(const std::string& path, std::vector<MemoryWord>* words);

inline constexpr int kRamAttempts = 10;
inline constexpr int kProgramStart = 0x3000;

// Writes every word and reads it back, up to kRamAttempts times, program memory first; then
// starts execution at kProgramStart. Fails, naming the first address, when a word never read
// back right; a failed image is not started.
core::Status load_ram(const Context& cx, const std::string& pmg_path, const std::string& dmg_path);

int load_ram_cmd(const Context& cx);

}  // namespace debugtools

// One memory of the filter chip's DSP core (program or data): 0x4000 words of 24 bits,
// addressed by the low 14 bits. The RAM download commands (0x11 to 0x14) and the debugger
// both fill and read the same two memories, as on the chip. Power-up clears them to 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace simboard {

class DspMemory {
  public:
    static constexpr std::size_t kWords = 0x4000;
    static constexpr std::uint32_t kAddressMask = 0x3FFF;

    void write(std::uint32_t address, std::uint32_t word);
    std::uint32_t read(std::uint32_t address) const { return words_[address & kAddressMask]; }
    void clear();

    // Fault on demand: the next `count` writes to the address are lost, as when the core
    // misses a command; a retry after them stores the word.
    void lose_writes(std::uint32_t address, int count) { lost_[address & kAddressMask] = count; }
    void keep_all_writes() { lost_.clear(); }

  private:
    std::vector<std::uint32_t> words_ = std::vector<std::uint32_t>(kWords, 0);
    std::map<std::uint32_t, int> lost_;
};

}  // namespace simboard

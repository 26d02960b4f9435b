// One memory of the filter chip's DSP core (program or data), word-addressed, 24-bit words,
// as commands 0x11 to 0x14 fill and read it. Words never written read 0.
#pragma once

#include <cstdint>
#include <map>

namespace simboard {

class DspMemory {
  public:
    void write(std::uint32_t address, std::uint32_t word);
    std::uint32_t read(std::uint32_t address) const;
    void clear() {
        words_.clear();
        lost_.clear();
    }

    // Fault on demand: the next `count` writes to the address are lost, as when the core
    // misses a command; a retry after them stores the word.
    void lose_writes(std::uint32_t address, int count) { lost_[address] = count; }
    void keep_all_writes() { lost_.clear(); }

  private:
    std::map<std::uint32_t, std::uint32_t> words_;
    std::map<std::uint32_t, int> lost_;
};

}  // namespace simboard

#include "platform/simboard/dsp_memory.h"

#include <algorithm>

namespace simboard {

void DspMemory::write(std::uint32_t address, std::uint32_t word) {
    address &= kAddressMask;
    if (auto it = lost_.find(address); it != lost_.end() && it->second > 0) {
        --it->second;
        return;
    }
    words_[address] = word & 0xFFFFFF;
}

void DspMemory::clear() {
    std::fill(words_.begin(), words_.end(), 0);
    lost_.clear();
}

}  // namespace simboard

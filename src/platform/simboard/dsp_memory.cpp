#include "platform/simboard/dsp_memory.h"

namespace simboard {

void DspMemory::write(std::uint32_t address, std::uint32_t word) {
    if (auto it = lost_.find(address); it != lost_.end() && it->second > 0) {
        --it->second;
        return;
    }
    words_[address] = word & 0xFFFFFF;
}

std::uint32_t DspMemory::read(std::uint32_t address) const {
    const auto it = words_.find(address);
    return it == words_.end() ? 0 : it->second;
}

}  // namespace simboard

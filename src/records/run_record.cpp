#include "records/run_record.h"

#include <cstdint>
#include <random>

namespace records {

std::string new_record_id() {
    // A fresh device per call: no shared generator state between threads.
    std::random_device random;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string id;
    for (int word = 0; word < 4; ++word) {
        const std::uint32_t bits = random();
        for (int shift = 28; shift >= 0; shift -= 4) id += kHex[(bits >> shift) & 0xf];
    }
    return id;
}

}  // namespace records

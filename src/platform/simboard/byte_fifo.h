// Byte queue of the board's USB IN pipe: replies and stream records in the order sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace simboard {

class ByteFifo {
  public:
    std::size_t size() const { return data_.size() - head_; }
    bool empty() const { return size() == 0; }

    void push(const std::uint8_t* bytes, std::size_t n) {
        data_.insert(data_.end(), bytes, bytes + n);
    }

    std::size_t pop(std::uint8_t* out, std::size_t n) {
        if (n > size()) n = size();
        if (n > 0) std::memcpy(out, data_.data() + head_, n);
        head_ += n;
        if (head_ == data_.size()) {
            clear();
        } else if (head_ > 65536 && head_ * 2 > data_.size()) {
            data_.erase(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(head_));
            head_ = 0;
        }
        return n;
    }

    void clear() {
        data_.clear();
        head_ = 0;
    }

  private:
    std::vector<std::uint8_t> data_;
    std::size_t head_ = 0;
};

}  // namespace simboard

#include "platform/usb/receive_queue.h"

#include <algorithm>
#include <cstring>

namespace usb {

ReceiveQueue::ReceiveQueue(std::size_t capacity) : buf_(capacity) {}

std::size_t ReceiveQueue::push(const std::uint8_t* data, std::size_t n) {
    const std::size_t keep = std::min(n, buf_.size() - size_);
    lost_ += n - keep;
    std::size_t tail = (head_ + size_) % buf_.size();
    std::size_t done = 0;
    while (done < keep) {
        const std::size_t run = std::min(keep - done, buf_.size() - tail);
        std::memcpy(buf_.data() + tail, data + done, run);
        done += run;
        tail = (tail + run) % buf_.size();
    }
    size_ += keep;
    return keep;
}

std::size_t ReceiveQueue::pop(std::uint8_t* out, std::size_t max) {
    const std::size_t take = std::min(max, size_);
    std::size_t done = 0;
    while (done < take) {
        const std::size_t run = std::min(take - done, buf_.size() - head_);
        std::memcpy(out + done, buf_.data() + head_, run);
        done += run;
        head_ = (head_ + run) % buf_.size();
    }
    size_ -= take;
    if (size_ == 0) head_ = 0;
    return take;
}

void ReceiveQueue::clear() {
    head_ = size_ = 0;
    lost_ = 0;
}

}  // namespace usb

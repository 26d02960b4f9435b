// The host's receive queue for one device, as a driver keeps it: bytes the device delivered
// wait here, oldest first, while the program is busy, up to a fixed size. Bytes that come
// while it is full are lost, and the loss is remembered until the queue is purged. Both buses
// keep their devices' bytes in one, so late polling means the same on either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace usb {

class ReceiveQueue {
  public:
    // A second of the fastest capture stream (4000 words/s x 4 channels x 4 bytes), as a
    // driver's queue holds: a pause of the program shorter than that loses nothing.
    static constexpr std::size_t kDefaultCapacity = 65536;

    explicit ReceiveQueue(std::size_t capacity = kDefaultCapacity);

    std::size_t size() const { return size_; }
    std::size_t capacity() const { return buf_.size(); }
    // Appends what fits; the rest is lost and counted. Returns the bytes kept.
    std::size_t push(const std::uint8_t* data, std::size_t n);
    // Takes up to max bytes from the front.
    std::size_t pop(std::uint8_t* out, std::size_t max);
    // Bytes lost since the last clear.
    std::uint64_t lost() const { return lost_; }
    void clear();

  private:
    std::vector<std::uint8_t> buf_;
    std::size_t head_ = 0;
    std::size_t size_ = 0;
    std::uint64_t lost_ = 0;
};

}  // namespace usb

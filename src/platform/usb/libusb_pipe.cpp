#include "platform/usb/libusb_pipe.h"

#include <algorithm>

#include "platform/usb/bridge_requests.h"

namespace usb {

namespace {

// Bulk-IN transfers kept in flight, one packet each: a transfer ends only when full or at a
// short packet, so a larger one would keep the last records of a stream (or a slow stream's
// records for seconds) back. 128 of them hold an eighth of a second of the fastest stream
// while the event thread is held up.
constexpr std::size_t kInTransfers = 128;
// The packet size of a full-speed bulk endpoint, for a descriptor that gives none.
constexpr std::size_t kFullSpeedPacket = 64;
// Transfers that end in error wait before they go again, twice as long after each round that
// failed, so a bad cable does not spin the event thread; after this many rounds in a row the
// board counts as lost (about half a second of nothing but errors). A hiccup that fails every
// transfer once costs one short wait.
constexpr auto kFirstRetry = std::chrono::milliseconds(2);
constexpr auto kLongestRetry = std::chrono::milliseconds(128);
constexpr int kRetriesForGone = 9;
// How long closing waits for the cancelled transfers to come back.
constexpr auto kCancelWait = std::chrono::seconds(1);

std::size_t packet_or_default(std::size_t max_packet) {
    return max_packet > 0 ? max_packet : kFullSpeedPacket;
}

}  // namespace

LibusbPipe::LibusbPipe(std::unique_ptr<host::Handle> handle, const host::BulkEndpoints& endpoints)
    : handle_(std::move(handle)), endpoints_(endpoints) {
    const std::size_t size = packet_or_default(endpoints.in_max_packet);
    for (std::size_t i = 0; i < kInTransfers; ++i) {
        slots_.push_back(
            Slot{handle_->in_transfer(endpoints.in, size,
                                      [this, i](host::TransferEnd end, const std::uint8_t* data,
                                                std::size_t n) { ended(i, end, data, n); })});
    }
}

LibusbPipe::~LibusbPipe() {
    handle_.reset();
}

bool LibusbPipe::start() {
    std::lock_guard lock(mutex_);
    submit_all(State::Back);
    return in_flight_ > 0;
}

Sent LibusbPipe::send(const std::uint8_t* data, std::size_t n, std::uint32_t timeout_ms) {
    if (gone_) return {};
    std::size_t sent = 0;
    int r = handle_->bulk_out(endpoints_.out, data, n, &sent, timeout_ms);
    sent = std::min(sent, n);
    // A bulk transfer ends at a short packet; one whose length is a whole number of packets
    // ends only at a zero-length packet (USB 2.0, 5.8.3), and the bridge's device side
    // completes a read of exactly that length only then or at the next packet. The bytes have
    // gone either way; a device that takes no zero-length packet fails the next write.
    if (r == host::kOk && n > 0 && sent == n &&
        n % packet_or_default(endpoints_.out_max_packet) == 0) {
        std::size_t none = 0;
        r = handle_->bulk_out(endpoints_.out, data, 0, &none, timeout_ms);
    }
    if (r == host::kNoDevice) gone_ = true;
    if (r == host::kPipe) handle_->clear_halt(endpoints_.out);
    return {sent, r == host::kTimeout};
}

std::size_t LibusbPipe::queued() {
    recover_stall();
    std::lock_guard lock(mutex_);
    return queue_.size();
}

std::size_t LibusbPipe::receive(std::uint8_t* out, std::size_t max) {
    std::lock_guard lock(mutex_);
    return queue_.pop(out, max);
}

void LibusbPipe::purge() {
    {
        std::lock_guard lock(mutex_);
        if (gone_) return;
        // A transfer out now may hold bytes from before the flush, and may be reaped only
        // after it: each is called back, and what it brings is dropped (its generation is
        // older). None goes back in flight before the bridge has emptied its buffers.
        flushing_ = true;
        ++generation_;
        for (Slot& s : slots_)
            if (s.state == State::InFlight) s.transfer->cancel();
        queue_.clear();
    }
    const int r =
        handle_->vendor_out(bridge::kControlRequest, bridge::kPurge, bridge::kControlTimeoutMs);
    std::lock_guard lock(mutex_);
    if (r == host::kNoDevice) gone_ = true;
    flushing_ = false;
    submit_all(State::Back);
}

bool LibusbPipe::overrun() {
    std::lock_guard lock(mutex_);
    return queue_.lost() > 0;
}

bool LibusbPipe::close() {
    std::unique_lock lock(mutex_);
    closing_ = true;
    for (Slot& s : slots_)
        if (s.state == State::InFlight) s.transfer->cancel();
    idle_.wait_for(lock, kCancelWait, [this] { return in_flight_ == 0; });
    const bool back = in_flight_ == 0;
    const bool gone = gone_;
    lock.unlock();
    if (!gone)
        handle_->vendor_out(bridge::kControlRequest, bridge::kDisable, bridge::kControlTimeoutMs);
    return back;
}

bool LibusbPipe::idle() {
    std::lock_guard lock(mutex_);
    return in_flight_ == 0;
}

std::optional<LibusbPipe::Clock::time_point> LibusbPipe::resubmit_due(Clock::time_point now) {
    std::lock_guard lock(mutex_);
    if (!retry_at_ || now < *retry_at_) return retry_at_;
    retry_at_.reset();
    for (Slot& s : slots_)
        if (s.state == State::Retry) s.state = State::Back;
    submit_all(State::Back);
    return retry_at_;  // set again when a submission failed
}

void LibusbPipe::submit(Slot& s) {
    const int r = s.transfer->submit();
    if (r == host::kOk) {
        s.state = State::InFlight;
        s.generation = generation_;
        ++in_flight_;
    } else if (r == host::kNoDevice) {
        gone_ = true;
    } else {
        s.state = State::Retry;
        failed();
    }
}

void LibusbPipe::submit_all(State from) {
    for (Slot& s : slots_)
        if (s.state == from && may_submit()) submit(s);
}

void LibusbPipe::failed() {
    if (retry_at_) return;  // one more of the round already waiting
    // A device that fails every transfer is as good as gone, whatever the bus still lists.
    if (++failures_ > kRetriesForGone) {
        gone_ = true;
        return;
    }
    retry_at_ = Clock::now() +
                std::min<Clock::duration>(kLongestRetry, kFirstRetry * (1 << (failures_ - 1)));
}

void LibusbPipe::ended(std::size_t i, host::TransferEnd end, const std::uint8_t* data,
                       std::size_t n) {
    std::lock_guard lock(mutex_);
    Slot& s = slots_[i];
    s.state = State::Back;
    --in_flight_;
    using host::TransferEnd;
    switch (end) {
        case TransferEnd::Completed:
        case TransferEnd::TimedOut:
        case TransferEnd::Overflow:
            failures_ = 0;
            if (s.generation == generation_) queue_.push(data, n);
            break;
        case TransferEnd::Error:
            s.state = State::Retry;
            failed();
            break;
        case TransferEnd::Stall:
            s.state = State::Halted;
            stalled_ = true;  // the halt is cleared from the program's thread
            break;
        case TransferEnd::NoDevice:
            gone_ = true;
            break;
        case TransferEnd::Cancelled:
            break;
    }
    if (s.state == State::Back && may_submit()) submit(s);
    idle_.notify_all();
}

void LibusbPipe::recover_stall() {
    {
        std::lock_guard lock(mutex_);
        if (!stalled_ || gone_) return;
        stalled_ = false;
    }
    handle_->clear_halt(endpoints_.in);
    std::lock_guard lock(mutex_);
    for (Slot& s : slots_)
        if (s.state == State::Halted) s.state = State::Back;
    submit_all(State::Back);
}

}  // namespace usb

// One open board's data path on the libusb bus: its handle, the bulk-IN transfers kept in
// flight and the receive queue (ReceiveQueue) they fill, and its OUT side.
//
// The bus owns every pipe and the program's link only uses one, so a transfer that comes back
// after its link closed still finds the pipe; the bus frees a pipe once nothing of it is in
// flight. Completions run on the bus's event thread, so does the retry of transfers that ended
// in error; everything else runs on the program's thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/usb/bus.h"
#include "platform/usb/receive_queue.h"
#include "platform/usb/usb_host.h"

namespace usb {

class LibusbPipe {
  public:
    using Clock = std::chrono::steady_clock;

    LibusbPipe(std::unique_ptr<host::Handle> handle, const host::BulkEndpoints& endpoints);
    // Closes the handle before it frees the transfers: that takes any still in flight off the
    // host, so none can complete into freed memory.
    ~LibusbPipe();
    LibusbPipe(const LibusbPipe&) = delete;
    LibusbPipe& operator=(const LibusbPipe&) = delete;

    // Puts every IN transfer in flight; false when the device took none.
    bool start();
    // The device left the bus, or failed every transfer for too long.
    bool gone() const { return gone_; }

    // What the link asks (Link's contract).
    Sent send(const std::uint8_t* data, std::size_t n, std::uint32_t timeout_ms);
    std::size_t queued();
    std::size_t receive(std::uint8_t* out, std::size_t max);
    void purge();
    bool overrun();

    // Stops resubmitting, cancels what is in flight and waits a while for it, then ends the
    // bridge's data path. True when every transfer came back.
    bool close();
    // No transfer in flight.
    bool idle();

    // On the event thread: puts back in flight the transfers whose retry after an error is due.
    // Returns when the next retry is due, if one waits.
    std::optional<Clock::time_point> resubmit_due(Clock::time_point now);

  private:
    enum class State {
        Back,  // came back; goes in flight again when nothing holds it
        InFlight,
        Retry,   // ended in error; goes again when the back-off is over
        Halted,  // ended in a stall; goes again once the halt is cleared
    };
    struct Slot {
        std::unique_ptr<host::InTransfer> transfer;
        State state = State::Back;
        unsigned generation = 0;  // the flush count when it was submitted
    };

    // Under the lock.
    bool may_submit() const { return !closing_ && !flushing_ && !gone_; }
    void submit(Slot& s);
    void submit_all(State from);
    void failed();
    // On the event thread.
    void ended(std::size_t i, host::TransferEnd end, const std::uint8_t* data, std::size_t n);
    // A halted IN endpoint is cleared (a blocking call, so not on the event thread).
    void recover_stall();

    std::unique_ptr<host::Handle> handle_;
    host::BulkEndpoints endpoints_;
    std::mutex mutex_;
    std::condition_variable idle_;
    std::vector<Slot> slots_;
    std::size_t in_flight_ = 0;
    unsigned generation_ = 0;
    bool stalled_ = false;
    bool flushing_ = false;
    bool closing_ = false;
    // Rounds of transfers that failed one after another with nothing completing between them,
    // and when the waiting ones go again.
    int failures_ = 0;
    std::optional<Clock::time_point> retry_at_;
    std::atomic<bool> gone_{false};
    ReceiveQueue queue_;
};

}  // namespace usb

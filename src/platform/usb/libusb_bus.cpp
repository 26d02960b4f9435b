#include "platform/usb/libusb_bus.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/usb/receive_queue.h"

namespace usb {

namespace {

// The bridge's vendor requests (no data stage): the first resets its data path, the second
// with kEnable starts it, kPurge empties its buffers, kDisable ends it.
constexpr std::uint8_t kResetRequest = 0x00;
constexpr std::uint16_t kResetValue = 0xFFFF;
constexpr std::uint8_t kControlRequest = 0x02;
constexpr std::uint16_t kPurge = 0x0001;
constexpr std::uint16_t kEnable = 0x0002;
constexpr std::uint16_t kDisable = 0x0004;
constexpr std::uint32_t kControlTimeoutMs = 1000;

constexpr int kInterface = 0;

// Bulk-IN transfers kept in flight, one packet each: a transfer ends only when full or at a
// short packet, so a larger one would keep the last records of a stream (or a slow stream's
// records for seconds) back. 128 of them hold an eighth of a second of the fastest stream
// while the event thread is held up.
constexpr std::size_t kInTransfers = 128;
constexpr std::size_t kInTransferBytes = 64;
// Transfers ending in error one after another, with nothing completing between them, that
// mark the device gone: twice what is in flight, so one hiccup that fails them all is not.
constexpr int kErrorsForGone = 2 * static_cast<int>(kInTransfers);
// How long one wait of the event thread lasts; also the longest the destructor waits for it.
constexpr int kEventWaitMs = 100;
// How long closing waits for the cancelled transfers to come back.
constexpr auto kCancelWait = std::chrono::seconds(1);

std::string key_of(const host::DeviceEntry& d) {
    return d.location + "@" + std::to_string(d.address);
}

}  // namespace

// The receive side runs on the bus's event thread: every ended IN transfer puts its bytes in
// the queue and goes straight back in flight. A thread rather than the caller's polls, so the
// device is never left without a transfer while the program sleeps through a settle delay,
// repaints, or analyses; the program's thread only takes bytes out of the queue, under its lock.
class LibusbBus::LibusbLink final : public Link {
  public:
    LibusbLink(std::unique_ptr<host::Handle> handle, std::uint8_t in, std::uint8_t out)
        : handle_(std::move(handle)), in_(in), out_(out) {
        for (std::size_t i = 0; i < kInTransfers; ++i) {
            slots_.push_back(
                Slot{handle_->in_transfer(in, kInTransferBytes,
                                          [this, i](host::TransferEnd end, const std::uint8_t* data,
                                                    std::size_t n) { ended(i, end, data, n); })});
        }
    }

    ~LibusbLink() override {
        std::unique_lock lock(mutex_);
        closing_ = true;
        for (Slot& s : slots_)
            if (s.in_flight) s.transfer->cancel();
        idle_.wait_for(lock, kCancelWait, [this] { return in_flight_ == 0; });
        const bool gone = gone_;
        lock.unlock();
        if (!gone) handle_->vendor_out(kControlRequest, kDisable, kControlTimeoutMs);
        // A transfer still in flight after the wait (the host stopped answering) cannot be
        // freed safely; it is left behind rather than freed under the host's feet.
        for (Slot& s : slots_)
            if (s.in_flight) s.transfer.release();
    }

    // Puts every IN transfer in flight; false when the device refused them.
    bool start() {
        std::lock_guard lock(mutex_);
        for (Slot& s : slots_) submit(s);
        return in_flight_ > 0;
    }

    bool alive() override { return !gone_; }

    Sent send(const std::uint8_t* data, std::size_t n, std::uint32_t timeout_ms) override {
        if (gone_) return {};
        std::size_t sent = 0;
        const int r = handle_->bulk_out(out_, data, n, &sent, timeout_ms);
        if (r == host::kNoDevice) gone_ = true;
        if (r == host::kPipe) handle_->clear_halt(out_);
        return {std::min(sent, n), r == host::kTimeout};
    }

    std::size_t queued() override {
        recover_stall();
        std::lock_guard lock(mutex_);
        return queue_.size();
    }

    std::size_t receive(std::uint8_t* out, std::size_t max) override {
        std::lock_guard lock(mutex_);
        return queue_.pop(out, max);
    }

    void purge() override {
        if (gone_) return;
        clear();
        if (handle_->vendor_out(kControlRequest, kPurge, kControlTimeoutMs) == host::kNoDevice)
            gone_ = true;
        // Bytes that were on their way while the bridge emptied its buffers go too.
        clear();
    }

    bool overrun() override {
        std::lock_guard lock(mutex_);
        return queue_.lost() > 0;
    }

  private:
    struct Slot {
        std::unique_ptr<host::InTransfer> transfer;
        bool in_flight = false;
    };

    void clear() {
        std::lock_guard lock(mutex_);
        queue_.clear();
    }

    // Under the lock.
    void submit(Slot& s) {
        const int r = s.transfer->submit();
        if (r == host::kOk) {
            s.in_flight = true;
            ++in_flight_;
        } else if (r == host::kNoDevice) {
            gone_ = true;
        }
    }

    // On the event thread.
    void ended(std::size_t i, host::TransferEnd end, const std::uint8_t* data, std::size_t n) {
        std::lock_guard lock(mutex_);
        Slot& s = slots_[i];
        s.in_flight = false;
        --in_flight_;
        using host::TransferEnd;
        switch (end) {
            case TransferEnd::Completed:
            case TransferEnd::TimedOut:
            case TransferEnd::Overflow:
                errors_in_row_ = 0;
                queue_.push(data, n);
                if (!closing_) submit(s);
                break;
            case TransferEnd::Error:
                // A device that fails every transfer is as good as gone, whatever the bus
                // still lists.
                if (++errors_in_row_ >= kErrorsForGone)
                    gone_ = true;
                else if (!closing_)
                    submit(s);
                break;
            case TransferEnd::Stall:
                stalled_ = true;  // the halt is cleared from the program's thread
                break;
            case TransferEnd::NoDevice:
                gone_ = true;
                break;
            case TransferEnd::Cancelled:
                break;
        }
        idle_.notify_all();
    }

    // A halted IN endpoint is cleared (a blocking call, so not on the event thread) and the
    // transfers go back in flight.
    void recover_stall() {
        {
            std::lock_guard lock(mutex_);
            if (!stalled_ || gone_) return;
            stalled_ = false;
        }
        handle_->clear_halt(in_);
        std::lock_guard lock(mutex_);
        for (Slot& s : slots_)
            if (!s.in_flight) submit(s);
    }

    std::unique_ptr<host::Handle> handle_;
    std::uint8_t in_;
    std::uint8_t out_;
    std::mutex mutex_;
    std::condition_variable idle_;
    std::vector<Slot> slots_;
    std::size_t in_flight_ = 0;
    bool stalled_ = false;
    bool closing_ = false;  // once set, nothing goes back in flight
    int errors_in_row_ = 0;
    std::atomic<bool> gone_{false};
    ReceiveQueue queue_;
};

LibusbBus::LibusbBus(std::unique_ptr<host::Host> host, std::vector<UsbId> ids, Notice notice)
    : host_(std::move(host)), ids_(std::move(ids)), notice_(std::move(notice)) {}

LibusbBus::~LibusbBus() {
    running_ = false;
    if (events_.joinable()) events_.join();
}

void LibusbBus::start_events() {
    if (running_) return;
    running_ = true;
    events_ = std::thread([this] {
        while (running_) host_->handle_events(kEventWaitMs);
    });
}

std::vector<host::DeviceEntry> LibusbBus::boards() {
    std::vector<host::DeviceEntry> all, ours;
    if (host_->devices(&all) != host::kOk) return {};
    for (const auto& d : all)
        if (std::find(ids_.begin(), ids_.end(), d.id) != ids_.end()) ours.push_back(d);
    return ours;
}

std::optional<host::DeviceEntry> LibusbBus::board(std::uint32_t index) {
    const auto list = boards();
    if (index >= list.size()) return std::nullopt;
    return list[index];
}

std::uint32_t LibusbBus::device_count() {
    return static_cast<std::uint32_t>(boards().size());
}

std::optional<UsbId> LibusbBus::usb_id(std::uint32_t index) {
    const auto d = board(index);
    if (!d) return std::nullopt;
    return d->id;
}

void LibusbBus::refused(const host::DeviceEntry& d, int result) {
    if (!notice_ || (result != host::kAccess && result != host::kBusy)) return;
    if (!told_.insert(key_of(d)).second) return;
    const std::string where = "USB device " + usb_id_text(d.id) + " at " + d.location;
    if (result == host::kAccess) {
        notice_("No permission to open the " + where +
                ". Install the udev rule 70-seisbench.rules (packaging/udev in the sources, "
                "lib/udev/rules.d when installed), make sure you are in the plugdev group, "
                "then unplug the board and plug it in again.");
    } else {
        notice_("The " + where + " is in use by another program; close it and try again.");
    }
}

std::unique_ptr<host::Handle> LibusbBus::open_handle(const host::DeviceEntry& d) {
    std::unique_ptr<host::Handle> h;
    const int r = host_->open(d, &h);
    if (r != host::kOk || !h) {
        refused(d, r);
        return nullptr;
    }
    return h;
}

bool LibusbBus::serial_number(std::uint32_t index, std::string* serial) {
    const auto d = board(index);
    if (!d) return false;
    const std::string key = key_of(*d);
    if (const auto it = serials_.find(key); it != serials_.end()) {
        *serial = it->second;
        return true;
    }
    const auto h = open_handle(*d);
    if (!h) return false;
    std::string s;
    if (h->serial_number(&s) != host::kOk) return false;
    serials_[key] = s;
    *serial = s;
    return true;
}

std::unique_ptr<Link> LibusbBus::open(std::uint32_t index) {
    const auto d = board(index);
    if (!d) return nullptr;
    auto h = open_handle(*d);
    if (!h) return nullptr;
    if (const int r = h->claim_interface(kInterface); r != host::kOk) {
        refused(*d, r);
        return nullptr;
    }
    std::uint8_t in = 0, out = 0;
    if (h->bulk_endpoints(kInterface, &in, &out) != host::kOk) return nullptr;
    // The reset request is often answered with a stall; only the enable must succeed.
    h->vendor_out(kResetRequest, kResetValue, kControlTimeoutMs);
    h->clear_halt(in);
    h->clear_halt(out);
    if (h->vendor_out(kControlRequest, kEnable, kControlTimeoutMs) != host::kOk) return nullptr;
    start_events();
    auto link = std::make_unique<LibusbLink>(std::move(h), in, out);
    if (!link->start()) return nullptr;
    return link;
}

}  // namespace usb

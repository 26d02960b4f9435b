#include "platform/usb/libusb_bus.h"

#include <algorithm>
#include <chrono>
#include <iterator>

#include "platform/usb/bridge_requests.h"
#include "platform/usb/libusb_pipe.h"

namespace usb {

namespace {

constexpr int kInterface = 0;
// The longest one wait of the event thread lasts; also the longest the destructor waits for it.
constexpr int kEventWaitMs = 100;

std::string key_of(const host::DeviceEntry& d) {
    return d.location + "@" + std::to_string(d.address);
}

}  // namespace

// The program's end of a pipe. The receive side runs on the bus's event thread rather than the
// caller's polls, so the device is never left without a transfer while the program sleeps
// through a settle delay, repaints, or analyses.
class LibusbBus::LibusbLink final : public Link {
  public:
    LibusbLink(LibusbBus& bus, LibusbPipe& pipe) : bus_(bus), pipe_(pipe) {}
    ~LibusbLink() override { bus_.close(&pipe_); }

    bool alive() override { return !pipe_.gone(); }
    Sent send(const std::uint8_t* data, std::size_t n, std::uint32_t timeout_ms) override {
        return pipe_.send(data, n, timeout_ms);
    }
    std::size_t queued() override { return pipe_.queued(); }
    std::size_t receive(std::uint8_t* out, std::size_t max) override {
        return pipe_.receive(out, max);
    }
    void purge() override { pipe_.purge(); }
    bool overrun() override { return pipe_.overrun(); }

  private:
    LibusbBus& bus_;
    LibusbPipe& pipe_;
};

LibusbBus::LibusbBus(std::unique_ptr<host::Host> host, std::vector<UsbId> ids, Notice notice)
    : host_(std::move(host)), ids_(std::move(ids)), notice_(std::move(notice)) {}

LibusbBus::~LibusbBus() {
    running_ = false;
    if (events_.joinable()) events_.join();
    // Transfers of a left pipe that never came back go with its handle.
    left_.clear();
    pipes_.clear();
}

void LibusbBus::start_events() {
    if (running_) return;
    running_ = true;
    events_ = std::thread([this] {
        int wait_ms = kEventWaitMs;
        while (running_) {
            host_->handle_events(wait_ms);
            wait_ms = service();
        }
    });
}

int LibusbBus::service() {
    const auto now = LibusbPipe::Clock::now();
    auto next = now + std::chrono::milliseconds(kEventWaitMs);
    std::vector<std::unique_ptr<LibusbPipe>> back;
    {
        std::lock_guard lock(pipes_mutex_);
        for (const auto& p : pipes_)
            if (const auto due = p->resubmit_due(now)) next = std::min(next, *due);
        const auto idle = std::stable_partition(left_.begin(), left_.end(),
                                                [](const auto& p) { return !p->idle(); });
        std::move(idle, left_.end(), std::back_inserter(back));
        left_.erase(idle, left_.end());
    }
    back.clear();  // freed here, between waits, where no completion of theirs is running
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
    return static_cast<int>(std::max<decltype(ms)>(ms, 0));
}

void LibusbBus::close(LibusbPipe* pipe) {
    const bool back = pipe->close();
    std::unique_ptr<LibusbPipe> done;
    {
        std::lock_guard lock(pipes_mutex_);
        const auto it = std::find_if(pipes_.begin(), pipes_.end(),
                                     [pipe](const auto& p) { return p.get() == pipe; });
        if (back)
            done = std::move(*it);
        else
            left_.push_back(std::move(*it));
        pipes_.erase(it);
    }
    // Freed on this thread, so the interface is released before the board is opened again.
}

std::vector<host::DeviceEntry> LibusbBus::boards() {
    std::vector<host::DeviceEntry> all, ours;
    if (host_->devices(&all) != host::kOk) return {};
    for (const auto& d : all)
        if (std::find(ids_.begin(), ids_.end(), d.id) != ids_.end()) ours.push_back(d);
    return ours;
}

const host::DeviceEntry* LibusbBus::board(std::uint32_t index) {
    if (!snapshot_) snapshot_ = boards();
    return index < snapshot_->size() ? &(*snapshot_)[index] : nullptr;
}

std::uint32_t LibusbBus::device_count() {
    snapshot_ = boards();
    return static_cast<std::uint32_t>(snapshot_->size());
}

std::optional<UsbId> LibusbBus::usb_id(std::uint32_t index) {
    const host::DeviceEntry* d = board(index);
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
    const host::DeviceEntry* d = board(index);
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
    const host::DeviceEntry* d = board(index);
    if (!d) return nullptr;
    auto h = open_handle(*d);
    if (!h) return nullptr;
    if (const int r = h->claim_interface(kInterface); r != host::kOk) {
        refused(*d, r);
        return nullptr;
    }
    host::BulkEndpoints ep;
    if (h->bulk_endpoints(kInterface, &ep) != host::kOk) return nullptr;
    // Real bridges answer the reset request with a stall (the control pipe takes the next
    // request as usual); only the enable must succeed.
    h->vendor_out(bridge::kResetRequest, bridge::kResetValue, bridge::kControlTimeoutMs);
    h->clear_halt(ep.in);
    h->clear_halt(ep.out);
    if (h->vendor_out(bridge::kControlRequest, bridge::kEnable, bridge::kControlTimeoutMs) !=
        host::kOk)
        return nullptr;
    start_events();
    auto owned = std::make_unique<LibusbPipe>(std::move(h), ep);
    LibusbPipe& pipe = *owned;
    {
        std::lock_guard lock(pipes_mutex_);
        pipes_.push_back(std::move(owned));
    }
    auto link = std::make_unique<LibusbLink>(*this, pipe);
    if (!pipe.start()) return nullptr;  // the link's end closes the pipe
    return link;
}

}  // namespace usb

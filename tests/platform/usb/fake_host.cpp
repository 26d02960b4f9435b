#include "fake_host.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace usb_test {

using namespace usb::host;

namespace {
std::string hex(unsigned v, int digits) {
    char s[8];
    std::snprintf(s, sizeof s, "%0*x", digits, v);
    return s;
}
}  // namespace

class FakeHost::Transfer final : public InTransfer {
  public:
    Transfer(FakeHost& host, const Handle* owner, FakeDevice& d, std::size_t size, InDone done)
        : host_(host), owner_(owner), device_(d), size_(size), done_(std::move(done)) {}

    int submit() override {
        std::lock_guard lock(host_.m_);
        if (!device_.attached) return kNoDevice;
        ++device_.in_submissions;
        data_.clear();
        cancelling_ = false;
        if (device_.in_halted || device_.in_failing) {
            const TransferEnd how = device_.in_halted ? TransferEnd::Stall : TransferEnd::Error;
            host_.completions_.push_back({this, how});
            host_.cv_.notify_all();
            return kOk;
        }
        host_.in_flight_.push_back(this);
        host_.feed(device_);
        host_.cv_.notify_all();
        return kOk;
    }

    void cancel() override {
        std::lock_guard lock(host_.m_);
        if (device_.cancels_held)
            cancelling_ = true;
        else
            host_.end(this, TransferEnd::Cancelled);
    }

    const Handle* owner() const { return owner_; }
    FakeDevice& device() { return device_; }
    Bytes& data() { return data_; }
    std::size_t size() const { return size_; }
    bool cancelling() const { return cancelling_; }
    void complete(TransferEnd how) {
        Bytes copy = data_;
        done_(how, copy.data(), copy.size());
    }

  private:
    FakeHost& host_;
    const Handle* owner_;
    FakeDevice& device_;
    std::size_t size_;
    InDone done_;
    Bytes data_;
    bool cancelling_ = false;
};

class FakeHost::Handle final : public usb::host::Handle {
  public:
    Handle(FakeHost& host, FakeDevice& d) : host_(host), d_(d) { ++d_.handles; }
    // As libusb_close, waits out the event handling under way.
    ~Handle() override {
        std::unique_lock lock(host_.m_);
        host_.cv_.wait(lock, [this] { return !host_.running_; });
        --d_.handles;
        host_.forget(this);
    }

    int serial_number(std::string* out) override {
        std::lock_guard lock(host_.m_);
        if (!d_.attached) return kNoDevice;
        *out = d_.serial;
        return kOk;
    }
    int claim_interface(int number) override {
        return note("claim " + std::to_string(number), d_.claim_result);
    }
    int bulk_endpoints(int, BulkEndpoints* out) override {
        if (!d_.has_bulk_endpoints) return kNotFound;
        *out = {kIn, kOut, d_.max_packet, d_.max_packet};
        return kOk;
    }
    int clear_halt(std::uint8_t endpoint) override {
        std::lock_guard lock(host_.m_);
        if (endpoint == kIn) d_.in_halted = false;
        d_.log.push_back("halt " + hex(endpoint, 2));
        return d_.attached ? kOk : kNoDevice;
    }
    int vendor_out(std::uint8_t request, std::uint16_t value, std::uint32_t) override {
        // A real bridge stalls the reset request.
        const int result = request == 0x00 && value == 0xFFFF   ? kPipe
                           : request == 0x02 && value == 0x0002 ? d_.enable_result
                                                                : kOk;
        return note("vendor " + hex(request, 2) + " " + hex(value, 4), result);
    }
    int bulk_out(std::uint8_t, const std::uint8_t* data, std::size_t n, std::size_t* sent,
                 std::uint32_t) override {
        std::lock_guard lock(host_.m_);
        *sent = 0;
        if (!d_.attached) return kNoDevice;
        *sent = std::min(n, d_.out_accepts);
        d_.written.emplace_back(data, data + *sent);
        d_.log.push_back("write");
        return d_.out_result;
    }
    std::unique_ptr<InTransfer> in_transfer(std::uint8_t, std::size_t size, InDone done) override {
        return std::make_unique<Transfer>(host_, this, d_, size, std::move(done));
    }

  private:
    int note(const std::string& what, int result) {
        std::lock_guard lock(host_.m_);
        if (!d_.attached) return kNoDevice;
        d_.log.push_back(what);
        return result;
    }

    FakeHost& host_;
    FakeDevice& d_;
};

FakeHost::~FakeHost() = default;

FakeDevice& FakeHost::add(usb::UsbId id, std::string location, std::string serial) {
    std::lock_guard lock(m_);
    auto d = std::make_unique<FakeDevice>();
    d->entry = {std::move(location), static_cast<std::uint8_t>(devices_.size() + 1), id};
    d->serial = std::move(serial);
    devices_.push_back(std::move(d));
    return *devices_.back();
}

void FakeHost::feed(FakeDevice& d) {
    for (auto it = in_flight_.begin(); it != in_flight_.end() && !d.held.empty();) {
        Transfer* t = *it;
        if (&t->device() != &d) {
            ++it;
            continue;
        }
        Bytes packet = d.held.front();
        d.held.pop_front();
        // A packet larger than the room left overflows the transfer: the rest is lost.
        const std::size_t room = t->size() - t->data().size();
        const bool overflow = packet.size() > room;
        if (overflow) packet.resize(room);
        t->data().insert(t->data().end(), packet.begin(), packet.end());
        if (overflow || packet.size() < d.max_packet ||
            t->data().size() + d.max_packet > t->size()) {
            it = in_flight_.erase(it);
            completions_.push_back({t, overflow ? TransferEnd::Overflow : TransferEnd::Completed});
            cv_.notify_all();
        }
    }
}

void FakeHost::end(Transfer* t, TransferEnd how) {
    const auto it = std::find(in_flight_.begin(), in_flight_.end(), t);
    if (it == in_flight_.end()) return;
    in_flight_.erase(it);
    completions_.push_back({t, how});
    cv_.notify_all();
}

void FakeHost::forget(const Handle* h) {
    std::erase_if(in_flight_, [h](Transfer* t) { return t->owner() == h; });
    std::erase_if(completions_, [h](const Due& c) { return c.transfer->owner() == h; });
}

void FakeHost::send_in(FakeDevice& d, const Bytes& bytes) {
    std::lock_guard lock(m_);
    for (std::size_t at = 0; at < bytes.size(); at += d.max_packet) {
        const std::size_t n = std::min(d.max_packet, bytes.size() - at);
        d.held.emplace_back(bytes.begin() + at, bytes.begin() + at + n);
    }
    feed(d);
}

void FakeHost::stall_in(FakeDevice& d) {
    std::lock_guard lock(m_);
    d.in_halted = true;
    for (Transfer* t : std::vector<Transfer*>(in_flight_.begin(), in_flight_.end()))
        if (&t->device() == &d) end(t, TransferEnd::Stall);
}

void FakeHost::unplug(FakeDevice& d) {
    std::lock_guard lock(m_);
    d.attached = false;
    for (Transfer* t : std::vector<Transfer*>(in_flight_.begin(), in_flight_.end()))
        if (&t->device() == &d) end(t, TransferEnd::NoDevice);
}

void FakeHost::fail_in(FakeDevice& d, bool for_good) {
    std::lock_guard lock(m_);
    d.in_failing = for_good;
    for (Transfer* t : std::vector<Transfer*>(in_flight_.begin(), in_flight_.end()))
        if (&t->device() == &d) end(t, TransferEnd::Error);
}

void FakeHost::finish_cancels(FakeDevice& d) {
    std::lock_guard lock(m_);
    for (Transfer* t : std::vector<Transfer*>(in_flight_.begin(), in_flight_.end()))
        if (&t->device() == &d && t->cancelling()) end(t, TransferEnd::Cancelled);
}

void FakeHost::reverse_order() {
    std::lock_guard lock(m_);
    std::reverse(devices_.begin(), devices_.end());
}

bool FakeHost::until(const std::function<bool()>& done) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() > give_up) return false;
        std::unique_lock lock(m_);
        cv_.wait_for(lock, std::chrono::milliseconds(1));
    }
    return true;
}

int FakeHost::handles(const FakeDevice& d) {
    std::lock_guard lock(m_);
    return d.handles;
}

bool FakeHost::settle() {
    std::unique_lock lock(m_);
    return cv_.wait_for(lock, std::chrono::seconds(30),
                        [this] { return completions_.empty() && !running_; });
}

std::size_t FakeHost::in_flight(const FakeDevice& d) {
    std::lock_guard lock(m_);
    return static_cast<std::size_t>(std::count_if(
        in_flight_.begin(), in_flight_.end(), [&d](Transfer* t) { return &t->device() == &d; }));
}

int FakeHost::devices(std::vector<DeviceEntry>* out) {
    std::lock_guard lock(m_);
    out->clear();
    for (const auto& d : devices_)
        if (d->attached) out->push_back(d->entry);
    return kOk;
}

int FakeHost::open(const DeviceEntry& device, std::unique_ptr<usb::host::Handle>* out) {
    std::lock_guard lock(m_);
    for (const auto& d : devices_) {
        if (!d->attached || d->entry.location != device.location ||
            d->entry.address != device.address || d->entry.id != device.id)
            continue;
        ++d->opens;
        if (d->open_result != kOk) return d->open_result;
        d->log.push_back("open");
        *out = std::make_unique<Handle>(*this, *d);
        return kOk;
    }
    return kNoDevice;
}

void FakeHost::handle_events(int timeout_ms) {
    std::unique_lock lock(m_);
    cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                 [this] { return !completions_.empty(); });
    std::deque<Due> due;
    due.swap(completions_);
    running_ = true;
    lock.unlock();
    for (const Due& c : due) c.transfer->complete(c.how);
    lock.lock();
    running_ = false;
    cv_.notify_all();
}

}  // namespace usb_test

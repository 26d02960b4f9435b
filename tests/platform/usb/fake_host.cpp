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
    Transfer(FakeHost& host, FakeDevice& d, std::size_t size, InDone done)
        : host_(host), device_(d), size_(size), done_(std::move(done)) {}

    int submit() override {
        std::lock_guard lock(host_.m_);
        if (!device_.attached) return kNoDevice;
        data_.clear();
        if (device_.in_halted || device_.in_failing) {
            const TransferEnd how = device_.in_halted ? TransferEnd::Stall : TransferEnd::Error;
            host_.completions_.push_back([this, how] { done_(how, nullptr, 0); });
            host_.cv_.notify_all();
            return kOk;
        }
        host_.in_flight_.push_back(this);
        host_.feed(device_);
        return kOk;
    }

    void cancel() override {
        std::lock_guard lock(host_.m_);
        host_.end(this, TransferEnd::Cancelled);
    }

    FakeDevice& device() { return device_; }
    Bytes& data() { return data_; }
    std::size_t size() const { return size_; }
    void complete(TransferEnd how) {
        Bytes copy = data_;
        done_(how, copy.data(), copy.size());
    }

  private:
    FakeHost& host_;
    FakeDevice& device_;
    std::size_t size_;
    InDone done_;
    Bytes data_;
};

class FakeHost::Handle final : public usb::host::Handle {
  public:
    Handle(FakeHost& host, FakeDevice& d) : host_(host), d_(d) {}

    int serial_number(std::string* out) override {
        std::lock_guard lock(host_.m_);
        if (!d_.attached) return kNoDevice;
        *out = d_.serial;
        return kOk;
    }
    int claim_interface(int number) override {
        return note("claim " + std::to_string(number), d_.claim_result);
    }
    int bulk_endpoints(int, std::uint8_t* in, std::uint8_t* out) override {
        if (!d_.has_bulk_endpoints) return kNotFound;
        *in = kIn;
        *out = kOut;
        return kOk;
    }
    int clear_halt(std::uint8_t endpoint) override {
        std::lock_guard lock(host_.m_);
        if (endpoint == kIn) d_.in_halted = false;
        d_.log.push_back("halt " + hex(endpoint, 2));
        return d_.attached ? kOk : kNoDevice;
    }
    int vendor_out(std::uint8_t request, std::uint16_t value, std::uint32_t) override {
        const bool enable = request == 0x02 && value == 0x0002;
        return note("vendor " + hex(request, 2) + " " + hex(value, 4),
                    enable ? d_.enable_result : kOk);
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
        return std::make_unique<Transfer>(host_, d_, size, std::move(done));
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
        const Bytes packet = d.held.front();
        d.held.pop_front();
        t->data().insert(t->data().end(), packet.begin(), packet.end());
        if (packet.size() < kPacket || t->data().size() + kPacket > t->size()) {
            it = in_flight_.erase(it);
            completions_.push_back([t] { t->complete(TransferEnd::Completed); });
            cv_.notify_all();
        }
    }
}

void FakeHost::end(Transfer* t, TransferEnd how) {
    const auto it = std::find(in_flight_.begin(), in_flight_.end(), t);
    if (it == in_flight_.end()) return;
    in_flight_.erase(it);
    completions_.push_back([t, how] { t->complete(how); });
    cv_.notify_all();
}

void FakeHost::send_in(FakeDevice& d, const Bytes& bytes) {
    std::lock_guard lock(m_);
    for (std::size_t at = 0; at < bytes.size(); at += kPacket) {
        const std::size_t n = std::min(kPacket, bytes.size() - at);
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
            d->entry.address != device.address)
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
    std::deque<std::function<void()>> due;
    due.swap(completions_);
    running_ = true;
    lock.unlock();
    for (auto& c : due) c();
    lock.lock();
    running_ = false;
    cv_.notify_all();
}

}  // namespace usb_test

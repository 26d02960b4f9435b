#include "platform/usb/libusb_host.h"

#include <libusb.h>

#include <cstdio>
#include <string>

#include "platform/usb/libusb_bus.h"

namespace usb {

namespace {

// Our copies of libusb's codes must be libusb's.
constexpr bool same(host::Result ours, int theirs) {
    return static_cast<int>(ours) == theirs;
}
static_assert(same(host::kAccess, LIBUSB_ERROR_ACCESS) &&
              same(host::kNoDevice, LIBUSB_ERROR_NO_DEVICE) &&
              same(host::kBusy, LIBUSB_ERROR_BUSY) && same(host::kTimeout, LIBUSB_ERROR_TIMEOUT) &&
              same(host::kPipe, LIBUSB_ERROR_PIPE) && same(host::kOther, LIBUSB_ERROR_OTHER));
static_assert(static_cast<int>(host::TransferEnd::NoDevice) == LIBUSB_TRANSFER_NO_DEVICE &&
              static_cast<int>(host::TransferEnd::Overflow) == LIBUSB_TRANSFER_OVERFLOW &&
              static_cast<int>(host::TransferEnd::Cancelled) == LIBUSB_TRANSFER_CANCELLED);

std::string location_of(libusb_device* dev) {
    std::uint8_t ports[8];
    const int n = libusb_get_port_numbers(dev, ports, sizeof ports);
    std::string s = std::to_string(libusb_get_bus_number(dev)) + "-";
    for (int i = 0; i < n; ++i) s += (i ? "." : "") + std::to_string(ports[i]);
    return s;
}

class LibusbInTransfer final : public host::InTransfer {
  public:
    LibusbInTransfer(libusb_device_handle* h, std::uint8_t ep, std::size_t size, host::InDone done)
        : buffer_(size), done_(std::move(done)), t_(libusb_alloc_transfer(0)) {
        if (t_ != nullptr)
            libusb_fill_bulk_transfer(t_, h, ep, buffer_.data(), static_cast<int>(size),
                                      &LibusbInTransfer::callback, this, 0);
    }
    ~LibusbInTransfer() override { libusb_free_transfer(t_); }

    int submit() override { return t_ == nullptr ? host::kNoMem : libusb_submit_transfer(t_); }
    void cancel() override { libusb_cancel_transfer(t_); }

  private:
    static void LIBUSB_CALL callback(libusb_transfer* t) {
        auto* self = static_cast<LibusbInTransfer*>(t->user_data);
        self->done_(static_cast<host::TransferEnd>(t->status), t->buffer,
                    static_cast<std::size_t>(t->actual_length));
    }

    std::vector<std::uint8_t> buffer_;
    host::InDone done_;
    libusb_transfer* t_;
};

class LibusbHandle final : public host::Handle {
  public:
    explicit LibusbHandle(libusb_device_handle* h) : h_(h) {
        libusb_set_auto_detach_kernel_driver(h_, 1);
    }
    ~LibusbHandle() override {
        if (claimed_ >= 0) libusb_release_interface(h_, claimed_);
        libusb_close(h_);
    }

    int serial_number(std::string* out) override {
        libusb_device_descriptor d{};
        if (const int r = libusb_get_device_descriptor(libusb_get_device(h_), &d); r != 0) return r;
        if (d.iSerialNumber == 0) {
            out->clear();
            return host::kOk;
        }
        unsigned char text[256];
        const int n = libusb_get_string_descriptor_ascii(h_, d.iSerialNumber, text, sizeof text);
        if (n < 0) return n;
        out->assign(reinterpret_cast<const char*>(text), static_cast<std::size_t>(n));
        return host::kOk;
    }

    int claim_interface(int number) override {
        const int r = libusb_claim_interface(h_, number);
        if (r == 0) claimed_ = number;
        return r;
    }

    int bulk_endpoints(int interface, host::BulkEndpoints* out) override {
        libusb_config_descriptor* config = nullptr;
        if (const int r = libusb_get_active_config_descriptor(libusb_get_device(h_), &config);
            r != 0)
            return r;
        int found = 0;
        if (interface < config->bNumInterfaces && config->interface[interface].num_altsetting > 0) {
            const libusb_interface_descriptor& alt = config->interface[interface].altsetting[0];
            for (int i = 0; i < alt.bNumEndpoints; ++i) {
                const libusb_endpoint_descriptor& ep = alt.endpoint[i];
                if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK)
                    continue;
                // Bits 10..0 are the packet size; the bits above count extra transactions
                // per microframe, which bulk endpoints do not have.
                const std::size_t packet = ep.wMaxPacketSize & 0x07FFu;
                if (ep.bEndpointAddress & LIBUSB_ENDPOINT_IN) {
                    out->in = ep.bEndpointAddress;
                    out->in_max_packet = packet;
                    found |= 1;
                } else {
                    out->out = ep.bEndpointAddress;
                    out->out_max_packet = packet;
                    found |= 2;
                }
            }
        }
        libusb_free_config_descriptor(config);
        return found == 3 ? host::kOk : host::kNotFound;
    }

    int clear_halt(std::uint8_t endpoint) override { return libusb_clear_halt(h_, endpoint); }

    int vendor_out(std::uint8_t request, std::uint16_t value, std::uint32_t timeout_ms) override {
        const int r =
            libusb_control_transfer(h_,
                                    static_cast<std::uint8_t>(LIBUSB_ENDPOINT_OUT) |
                                        static_cast<std::uint8_t>(LIBUSB_REQUEST_TYPE_VENDOR) |
                                        static_cast<std::uint8_t>(LIBUSB_RECIPIENT_DEVICE),
                                    request, value, 0, nullptr, 0, timeout_ms);
        return r < 0 ? r : host::kOk;
    }

    int bulk_out(std::uint8_t endpoint, const std::uint8_t* data, std::size_t n, std::size_t* sent,
                 std::uint32_t timeout_ms) override {
        int done = 0;
        const int r = libusb_bulk_transfer(h_, endpoint, const_cast<std::uint8_t*>(data),
                                           static_cast<int>(n), &done, timeout_ms);
        *sent = static_cast<std::size_t>(done);
        return r;
    }

    std::unique_ptr<host::InTransfer> in_transfer(std::uint8_t endpoint, std::size_t size,
                                                  host::InDone done) override {
        return std::make_unique<LibusbInTransfer>(h_, endpoint, size, std::move(done));
    }

  private:
    libusb_device_handle* h_;
    int claimed_ = -1;
};

class LibusbHost final : public host::Host {
  public:
    LibusbHost() {
        if (libusb_init(&ctx_) != 0) ctx_ = nullptr;
    }
    ~LibusbHost() override {
        if (ctx_ != nullptr) libusb_exit(ctx_);
    }

    int devices(std::vector<host::DeviceEntry>* out) override {
        out->clear();
        if (ctx_ == nullptr) return host::kOk;
        libusb_device** list = nullptr;
        const ssize_t n = libusb_get_device_list(ctx_, &list);
        if (n < 0) return static_cast<int>(n);
        for (ssize_t i = 0; i < n; ++i) {
            libusb_device_descriptor d{};
            if (libusb_get_device_descriptor(list[i], &d) != 0) continue;
            out->push_back({location_of(list[i]), libusb_get_device_address(list[i]),
                            UsbId{d.idVendor, d.idProduct}});
        }
        libusb_free_device_list(list, 1);
        return host::kOk;
    }

    int open(const host::DeviceEntry& device, std::unique_ptr<host::Handle>* out) override {
        if (ctx_ == nullptr) return host::kNoDevice;
        libusb_device** list = nullptr;
        const ssize_t n = libusb_get_device_list(ctx_, &list);
        if (n < 0) return static_cast<int>(n);
        int r = host::kNoDevice;
        for (ssize_t i = 0; i < n; ++i) {
            libusb_device_descriptor d{};
            if (libusb_get_device_address(list[i]) != device.address ||
                location_of(list[i]) != device.location ||
                libusb_get_device_descriptor(list[i], &d) != 0 ||
                UsbId{d.idVendor, d.idProduct} != device.id)
                continue;
            libusb_device_handle* h = nullptr;
            r = libusb_open(list[i], &h);
            if (r == 0) *out = std::make_unique<LibusbHandle>(h);
            break;
        }
        libusb_free_device_list(list, 1);
        return r;
    }

    void handle_events(int timeout_ms) override {
        if (ctx_ == nullptr) return;
        timeval tv{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
        libusb_handle_events_timeout_completed(ctx_, &tv, nullptr);
    }

  private:
    libusb_context* ctx_ = nullptr;
};

}  // namespace

std::unique_ptr<host::Host> make_libusb_host() {
    return std::make_unique<LibusbHost>();
}

std::unique_ptr<Bus> make_libusb_bus(const std::vector<UsbId>& ids, Notice notice) {
    return std::make_unique<LibusbBus>(make_libusb_host(), ids, std::move(notice));
}

}  // namespace usb

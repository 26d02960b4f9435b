#include "tests/platform/usb/emulated/bridge_device.h"

#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>
#include <umockdev.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "platform/usb/usb_ids.h"

namespace usb_emulated {

namespace {

constexpr std::uint8_t kInterface = 0;
constexpr std::uint8_t kVendorOut = 0x40;
constexpr std::uint8_t kStandardIn = 0x80;
constexpr std::uint8_t kGetDescriptor = 0x06;
constexpr std::uint8_t kBridgeRequest = 0x02;
constexpr std::uint16_t kPurge = 0x0001;
constexpr std::size_t kSetup = 8;
constexpr std::uint16_t kEnglish = 0x0409;
// The string descriptors' indices, as the device descriptor names them.
constexpr std::uint8_t kManufacturer = 1;
constexpr std::uint8_t kProduct = 2;
constexpr std::uint8_t kSerial = 3;
constexpr char kDriver[] = "usbserial";

std::string hex(unsigned v, int digits) {
    char s[16];
    std::snprintf(s, sizeof s, "%0*x", digits, v);
    return s;
}

void put16(std::vector<std::uint8_t>& d, std::uint16_t v) {
    d.push_back(static_cast<std::uint8_t>(v & 0xFF));
    d.push_back(static_cast<std::uint8_t>(v >> 8));
}

std::vector<std::uint8_t> string_descriptor(const std::string& text) {
    std::vector<std::uint8_t> d{static_cast<std::uint8_t>(2 + 2 * text.size()), 3};
    for (const char ch : text) put16(d, static_cast<std::uint8_t>(ch));
    return d;
}

usbdevfs_urb* urb_of(UMockdevIoctlData* d) {
    return reinterpret_cast<usbdevfs_urb*>(d->data);
}

}  // namespace

struct BridgeDevice::Urb {
    UMockdevIoctlData* urb = nullptr;     // the client's struct, as a local copy
    UMockdevIoctlData* buffer = nullptr;  // its data buffer; null when it has none
    unsigned long address = 0;            // where the client keeps the struct
    ~Urb() {
        if (buffer != nullptr) umockdev_ioctl_data_unref(buffer);
        if (urb != nullptr) umockdev_ioctl_data_unref(urb);
    }
    usbdevfs_urb* get() const { return urb_of(urb); }
    std::uint8_t* bytes() const { return buffer != nullptr ? buffer->data : nullptr; }
    std::size_t length() const { return buffer != nullptr ? get()->buffer_length : 0; }
    void end(int status, int actual) const {
        get()->status = status;
        get()->actual_length = actual;
    }
};

// The URBs of one open file descriptor: those waiting for IN data and those ended and not
// yet reaped, in the order they ended.
struct BridgeDevice::Client {
    std::deque<std::unique_ptr<Urb>> waiting;
    std::deque<std::unique_ptr<Urb>> ended;
    bool zlp_owed = false;
};

BridgeDevice::BridgeDevice(simboard::BoardConfig board, BridgeOptions options)
    : options_(options), board_(clock_, std::move(board)), handler_(umockdev_ioctl_base_new()) {
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&BridgeDevice::on_ioctl), this);
    g_signal_connect(handler_, "client-vanished", G_CALLBACK(&BridgeDevice::on_vanished), this);
}

BridgeDevice::~BridgeDevice() {
    g_signal_handlers_disconnect_by_data(handler_, this);
    g_object_unref(handler_);
}

std::vector<std::uint8_t> BridgeDevice::descriptors() const {
    std::vector<std::uint8_t> d{18, 1};
    put16(d, 0x0200);  // USB 2.0
    d.insert(d.end(), {0, 0, 0, 64});
    put16(d, usb::kBridgeId.vendor);
    put16(d, usb::kBridgeId.product);
    put16(d, 0x0100);
    d.insert(d.end(), {kManufacturer, kProduct, kSerial, 1});
    // One configuration: interface 0, vendor class, a bulk IN and a bulk OUT endpoint.
    d.insert(d.end(), {9, 2});
    put16(d, 9 + 9 + 7 + 7);
    d.insert(d.end(), {1, 1, 0, 0x80, 50});
    d.insert(d.end(), {9, 4, kInterface, 0, 2, 0xFF, 0, 0, kProduct});
    for (const std::uint8_t ep : {options_.in_endpoint, options_.out_endpoint}) {
        d.insert(d.end(), {7, 5, ep, 2});
        put16(d, options_.max_packet);
        d.push_back(0);
    }
    return d;
}

void BridgeDevice::note(std::string what) {
    log_.push_back(std::move(what));
}

std::vector<std::string> BridgeDevice::log() {
    std::lock_guard lock(m_);
    return log_;
}

long BridgeDevice::in_packets() {
    std::lock_guard lock(m_);
    return in_packets_;
}

bool BridgeDevice::gone() {
    std::lock_guard lock(m_);
    return gone_;
}

void BridgeDevice::unplug() {
    std::lock_guard lock(m_);
    unplug_locked();
}

void BridgeDevice::unplug_locked() {
    if (gone_) return;
    gone_ = true;
    note("unplugged");
    for (auto& [client, c] : clients_) {
        for (auto& u : c->waiting) {
            u->end(-ESHUTDOWN, 0);
            c->ended.push_back(std::move(u));
        }
        c->waiting.clear();
    }
}

int BridgeDevice::on_ioctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
    return static_cast<BridgeDevice*>(self)->handle(client) ? TRUE : FALSE;
}

void BridgeDevice::on_vanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
    auto* d = static_cast<BridgeDevice*>(self);
    std::lock_guard lock(d->m_);
    d->clients_.erase(client);
}

bool BridgeDevice::handle(UMockdevIoctlClient* client) {
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    std::lock_guard lock(m_);
    auto& c = clients_[client];
    if (!c) c = std::make_unique<Client>();

    // Reads the argument as a T the client points to; the reply is written back on completion.
    auto value = [&](std::size_t size) {
        return umockdev_ioctl_data_resolve(arg, 0, size, nullptr);
    };
    auto done = [&](int error) { umockdev_ioctl_client_complete(client, error ? -1 : 0, error); };

    if (gone_ && request != USBDEVFS_REAPURBNDELAY && request != USBDEVFS_REAPURB &&
        request != USBDEVFS_RELEASEINTERFACE) {
        done(ENODEV);
        return true;
    }
    switch (request) {
        case USBDEVFS_GET_CAPABILITIES: {
            UMockdevIoctlData* d = value(sizeof(std::uint32_t));
            *reinterpret_cast<std::uint32_t*>(d->data) =
                USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION |
                USBDEVFS_CAP_NO_PACKET_SIZE_LIM | USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
            umockdev_ioctl_data_unref(d);
            done(0);
            return true;
        }
        case USBDEVFS_GETDRIVER: {
            UMockdevIoctlData* d = value(sizeof(usbdevfs_getdriver));
            auto* g = reinterpret_cast<usbdevfs_getdriver*>(d->data);
            const bool bound = driver_bound_ && g->interface == kInterface;
            if (bound) std::snprintf(g->driver, sizeof g->driver, "%s", kDriver);
            umockdev_ioctl_data_unref(d);
            done(bound ? 0 : ENODATA);
            return true;
        }
        case USBDEVFS_DISCONNECT_CLAIM: {
            UMockdevIoctlData* d = value(sizeof(usbdevfs_disconnect_claim));
            const unsigned interface =
                reinterpret_cast<usbdevfs_disconnect_claim*>(d->data)->interface;
            umockdev_ioctl_data_unref(d);
            if (interface != kInterface) {
                done(EINVAL);
                return true;
            }
            if (driver_bound_) note("driver detached");
            driver_bound_ = false;
            note("claim 0");
            done(0);
            return true;
        }
        case USBDEVFS_IOCTL: {
            UMockdevIoctlData* d = value(sizeof(usbdevfs_ioctl));
            const int code = reinterpret_cast<usbdevfs_ioctl*>(d->data)->ioctl_code;
            umockdev_ioctl_data_unref(d);
            if (code == static_cast<int>(USBDEVFS_DISCONNECT)) {
                if (!driver_bound_) {
                    done(ENODATA);
                    return true;
                }
                driver_bound_ = false;
                note("driver detached");
            } else if (code == static_cast<int>(USBDEVFS_CONNECT)) {
                driver_bound_ = true;
                note("driver attached");
            } else {
                done(ENOTTY);
                return true;
            }
            done(0);
            return true;
        }
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_RELEASEINTERFACE: {
            UMockdevIoctlData* d = value(sizeof(unsigned));
            const unsigned interface = *reinterpret_cast<unsigned*>(d->data);
            umockdev_ioctl_data_unref(d);
            const bool claim = request == USBDEVFS_CLAIMINTERFACE;
            if (interface != kInterface) {
                done(EINVAL);
            } else if (claim && driver_bound_) {
                done(EBUSY);
            } else {
                note(claim ? "claim 0" : "release 0");
                done(0);
            }
            return true;
        }
        case USBDEVFS_CLEAR_HALT: {
            UMockdevIoctlData* d = value(sizeof(unsigned));
            const unsigned ep = *reinterpret_cast<unsigned*>(d->data);
            umockdev_ioctl_data_unref(d);
            note("clear halt " + hex(ep, 2));
            if (ep == options_.in_endpoint) {
                in_halted_ = false;
                c->zlp_owed = false;
            }
            done(0);
            return true;
        }
        case USBDEVFS_RESET:
        case USBDEVFS_SETINTERFACE:
        case USBDEVFS_SETCONFIGURATION:
            done(0);
            return true;
        case USBDEVFS_SUBMITURB:
            done(submit(*c, arg));
            return true;
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY:
            done(reap(*c, arg));
            return true;
        case USBDEVFS_DISCARDURB:
            done(discard(*c, *reinterpret_cast<unsigned long*>(arg->data)));
            return true;
        default:
            done(ENOTTY);
            return true;
    }
}

int BridgeDevice::submit(Client& c, UMockdevIoctlData* arg) {
    auto u = std::make_unique<Urb>();
    u->urb = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
    if (u->urb == nullptr) return EFAULT;
    u->address = u->urb->client_addr;
    const usbdevfs_urb* r = u->get();
    if (r->buffer_length < 0) return EINVAL;
    if (r->buffer_length > 0) {
        u->buffer =
            umockdev_ioctl_data_resolve(u->urb, offsetof(usbdevfs_urb, buffer),
                                        static_cast<std::size_t>(r->buffer_length), nullptr);
        if (u->buffer == nullptr) return EFAULT;
    }
    if (r->type == USBDEVFS_URB_TYPE_CONTROL) {
        if (u->length() < kSetup) return EINVAL;
        control(*u);
        c.ended.push_back(std::move(u));
    } else if (r->type != USBDEVFS_URB_TYPE_BULK) {
        return EINVAL;
    } else if (r->endpoint == options_.out_endpoint) {
        bulk_out(*u);
        c.ended.push_back(std::move(u));
    } else if (r->endpoint == options_.in_endpoint) {
        c.waiting.push_back(std::move(u));
    } else {
        return ENOENT;
    }
    return 0;
}

void BridgeDevice::control(Urb& u) {
    const std::uint8_t* s = u.bytes();
    const std::uint8_t type = s[0], request = s[1];
    const std::uint16_t value = static_cast<std::uint16_t>(s[2] | s[3] << 8);
    const std::uint16_t index = static_cast<std::uint16_t>(s[4] | s[5] << 8);
    const std::size_t room = std::min<std::size_t>(u.length() - kSetup, s[6] | s[7] << 8);

    if (type == kVendorOut && request == kBridgeRequest &&
        (value == 0x0001 || value == 0x0002 || value == 0x0004)) {
        note("vendor 02 " + hex(value, 4));
        if (value == kPurge) {
            board_.purge_output();
            held_out_.clear();
        }
        u.end(0, 0);
        return;
    }
    if (type == kStandardIn && request == kGetDescriptor && (value >> 8) == 3) {
        std::vector<std::uint8_t> d;
        switch (value & 0xFF) {
            case 0:
                d = {4, 3, kEnglish & 0xFF, kEnglish >> 8};
                break;
            case kManufacturer:
                d = string_descriptor("Seisbench emulation");
                break;
            case kProduct:
                d = string_descriptor("USB bridge");
                break;
            case kSerial:
                d = string_descriptor(board_.serial());
                break;
            default:
                break;
        }
        if (!d.empty() && ((value & 0xFF) == 0 || index == kEnglish)) {
            const std::size_t n = std::min(room, d.size());
            std::memcpy(u.bytes() + kSetup, d.data(), n);
            u.end(0, static_cast<int>(n));
            return;
        }
    }
    note("stall " + hex(request, 2) + " " + hex(value, 4));
    u.end(-EPIPE, 0);
}

void BridgeDevice::bulk_out(Urb& u) {
    const std::size_t n = u.length();
    const bool zlp = n == 0 || ((u.get()->flags & USBDEVFS_URB_ZERO_PACKET) != 0 &&
                                n % options_.max_packet == 0);
    // A write held for ending on a full packet completes at this packet.
    if (!held_out_.empty() && (n > 0 || zlp)) {
        board_.host_write(held_out_.data(), held_out_.size());
        held_out_.clear();
    }
    if (n > 0) {
        note("out " + std::to_string(n));
        if (n % options_.max_packet == 0 && !zlp)
            held_out_.assign(u.bytes(), u.bytes() + n);
        else
            board_.host_write(u.bytes(), n);
    }
    if (zlp) note("zlp out");
    u.end(0, static_cast<int>(n));
}

// Gives the board's bytes to the IN URBs waiting, one packet each, as far as it has any.
void BridgeDevice::serve_in(Client& c) {
    while (!c.waiting.empty() && !gone_) {
        Urb& u = *c.waiting.front();
        if (in_halted_) {
            u.end(-EPIPE, 0);
        } else if (c.zlp_owed) {
            c.zlp_owed = false;
            u.end(0, 0);
        } else {
            const std::size_t room = std::min<std::size_t>(u.length(), options_.max_packet);
            const std::size_t n = board_.host_read(u.bytes(), room);
            if (n == 0) return;
            u.end(0, static_cast<int>(n));
            c.zlp_owed = options_.zlp_after_full && n == options_.max_packet;
            ++in_packets_;
            if (in_packets_ == options_.stall_in_after) {
                in_halted_ = true;
                note("stall in");
            }
        }
        c.ended.push_back(std::move(c.waiting.front()));
        c.waiting.pop_front();
        if (in_packets_ == options_.unplug_after) unplug_locked();
    }
}

int BridgeDevice::reap(Client& c, UMockdevIoctlData* arg) {
    serve_in(c);
    if (c.ended.empty()) return gone_ ? ENODEV : EAGAIN;
    std::unique_ptr<Urb> u = std::move(c.ended.front());
    c.ended.pop_front();
    UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), nullptr);
    if (slot == nullptr) return EFAULT;
    umockdev_ioctl_data_set_ptr(slot, 0, u->urb);
    umockdev_ioctl_data_unref(slot);
    return 0;
}

int BridgeDevice::discard(Client& c, unsigned long address) {
    const auto it = std::find_if(c.waiting.begin(), c.waiting.end(),
                                 [&](const auto& u) { return u->address == address; });
    if (it == c.waiting.end()) return EINVAL;
    (*it)->end(-ENOENT, 0);
    c.ended.push_back(std::move(*it));
    c.waiting.erase(it);
    return 0;
}

}  // namespace usb_emulated

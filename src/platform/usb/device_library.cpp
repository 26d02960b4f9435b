#include "platform/usb/device_library.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace usb {

DeviceLibrary::DeviceLibrary(Bus& bus, platform::Clock& clock) : bus_(bus), clock_(clock) {}

DeviceLibrary::~DeviceLibrary() = default;

Link* DeviceLibrary::find(SI_HANDLE h) {
    const auto it = open_.find(h);
    return it == open_.end() ? nullptr : it->second.get();
}

SI_STATUS DeviceLibrary::SI_GetNumDevices(std::uint32_t* num) {
    if (num == nullptr) return SI_INVALID_PARAMETER;
    *num = bus_.device_count();
    return SI_SUCCESS;
}

SI_STATUS DeviceLibrary::SI_GetProductString(std::uint32_t index, char* buf,
                                             std::uint32_t selector) {
    if (buf == nullptr) return SI_INVALID_PARAMETER;
    std::string text;
    if (selector == SI_RETURN_SERIAL_NUMBER) {
        if (!bus_.serial_number(index, &text)) return SI_DEVICE_NOT_FOUND;
    } else if (selector == SI_RETURN_VID || selector == SI_RETURN_PID) {
        const std::optional<UsbId> id = bus_.usb_id(index);
        if (!id) return SI_DEVICE_NOT_FOUND;
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X",
                      selector == SI_RETURN_VID ? id->vendor : id->product);
        text = hex;
    } else {
        return SI_INVALID_PARAMETER;
    }
    const std::size_t n = std::min<std::size_t>(text.size(), kProductStringBytes - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return SI_SUCCESS;
}

SI_STATUS DeviceLibrary::SI_Open(std::uint32_t index, SI_HANDLE* h) {
    if (h == nullptr) return SI_INVALID_PARAMETER;
    std::unique_ptr<Link> link = bus_.open(index);
    if (!link) return SI_DEVICE_NOT_FOUND;
    *h = next_handle_++;
    open_[*h] = std::move(link);
    if (trace_) trace_->record("open");
    return SI_SUCCESS;
}

SI_STATUS DeviceLibrary::SI_Close(SI_HANDLE h) {
    if (open_.erase(h) != 1) return SI_INVALID_HANDLE;
    if (trace_) trace_->record("close");
    return SI_SUCCESS;
}

SI_STATUS DeviceLibrary::SI_Write(SI_HANDLE h, const void* buf, std::uint32_t n,
                                  std::uint32_t* written) {
    Link* d = find(h);
    if (d == nullptr) return SI_INVALID_HANDLE;
    if (buf == nullptr || written == nullptr) return SI_INVALID_PARAMETER;
    *written = 0;
    if (n == 0 || n > kMaxWrite) return SI_INVALID_REQUEST_LENGTH;
    if (!d->alive()) return SI_WRITE_ERROR;
    const auto* bytes = static_cast<const std::uint8_t*>(buf);
    const Sent sent = d->send(bytes, n, write_timeout_ms_);
    *written = static_cast<std::uint32_t>(sent.bytes);
    if (trace_ && sent.bytes > 0) trace_->record("write", bytes, sent.bytes);
    if (sent.bytes == n) return SI_SUCCESS;
    return sent.timed_out ? SI_WRITE_TIMED_OUT : SI_WRITE_ERROR;
}

SI_STATUS DeviceLibrary::SI_Read(SI_HANDLE h, void* buf, std::uint32_t n, std::uint32_t* read) {
    Link* d = find(h);
    if (d == nullptr) return SI_INVALID_HANDLE;
    if (buf == nullptr || read == nullptr) return SI_INVALID_PARAMETER;
    *read = 0;
    if (n == 0) return SI_INVALID_REQUEST_LENGTH;
    if (!d->alive()) return SI_READ_ERROR;
    const double give_up = clock_.now() + read_timeout_ms_ / 1000.0;
    while (d->queued() == 0) {
        if (clock_.now() >= give_up) return SI_READ_TIMED_OUT;
        clock_.poll_pause();
        if (!d->alive()) return SI_READ_ERROR;
    }
    auto* out = static_cast<std::uint8_t*>(buf);
    const std::size_t take = d->receive(out, n);
    *read = static_cast<std::uint32_t>(take);
    if (trace_) trace_->record("read", out, take);
    return SI_SUCCESS;
}

SI_STATUS DeviceLibrary::SI_CheckRXQueue(SI_HANDLE h, std::uint32_t* queued,
                                         std::uint32_t* status) {
    Link* d = find(h);
    if (d == nullptr) {
        // A poll on a handle that is closed (or was never opened) finds nothing either; the
        // caller's wait must still run out.
        clock_.poll_pause();
        return SI_INVALID_HANDLE;
    }
    if (queued == nullptr || status == nullptr) return SI_INVALID_PARAMETER;
    *queued = 0;
    *status = SI_RX_EMPTY;
    if (!d->alive()) {
        clock_.poll_pause();
        return SI_DEVICE_NOT_FOUND;
    }
    *queued = static_cast<std::uint32_t>(d->queued());
    *status = (*queued > 0 ? SI_RX_READY : SI_RX_EMPTY) | (d->overrun() ? SI_RX_OVERRUN : 0);
    if (*status != SI_RX_READY) clock_.poll_pause();
    return SI_SUCCESS;
}

SI_STATUS DeviceLibrary::SI_FlushBuffers(SI_HANDLE h, std::uint8_t tx, std::uint8_t rx) {
    Link* d = find(h);
    if (d == nullptr) return SI_INVALID_HANDLE;
    if (!d->alive()) return SI_DEVICE_NOT_FOUND;
    // Writes leave at once, so the transmit side never holds anything to drop.
    (void)tx;
    if (rx != 0) d->purge();
    if (trace_) trace_->record("flush");
    return SI_SUCCESS;
}

SI_STATUS DeviceLibrary::SI_SetTimeouts(std::uint32_t read_ms, std::uint32_t write_ms) {
    read_timeout_ms_ = read_ms;
    write_timeout_ms_ = write_ms;
    return SI_SUCCESS;
}

}  // namespace usb

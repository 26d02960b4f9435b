#include "platform/usb/device_library.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace usb {

DeviceLibrary::DeviceLibrary(Bus& bus, platform::Clock& clock) : bus_(bus), clock_(clock) {}

DeviceLibrary::~DeviceLibrary() = default;

DeviceLibrary::Device* DeviceLibrary::find(SI_HANDLE h) {
    const auto it = open_.find(h);
    return it == open_.end() ? nullptr : &it->second;
}

void DeviceLibrary::pull(Device& d) {
    std::array<std::uint8_t, 4096> chunk;
    while (d.rx.size() < kQueueCapacity) {
        const std::size_t want = std::min(chunk.size(), kQueueCapacity - d.rx.size());
        const std::size_t got = d.link->receive(chunk.data(), want);
        d.rx.insert(d.rx.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
        if (got < want) break;
    }
}

SI_STATUS DeviceLibrary::SI_GetNumDevices(std::uint32_t* num) {
    if (num == nullptr) return SI_INVALID_PARAMETER;
    *num = bus_.device_count();
    return SI_SUCCESS;
}

SI_STATUS DeviceLibrary::SI_GetProductString(std::uint32_t index, char* buf,
                                             std::uint32_t selector) {
    if (buf == nullptr || selector != SI_RETURN_SERIAL_NUMBER) return SI_INVALID_PARAMETER;
    std::string serial;
    if (!bus_.serial_number(index, &serial)) return SI_DEVICE_NOT_FOUND;
    const std::size_t n = std::min<std::size_t>(serial.size(), kProductStringBytes - 1);
    std::memcpy(buf, serial.data(), n);
    buf[n] = '\0';
    return SI_SUCCESS;
}

SI_STATUS DeviceLibrary::SI_Open(std::uint32_t index, SI_HANDLE* h) {
    if (h == nullptr) return SI_INVALID_PARAMETER;
    std::unique_ptr<Link> link = bus_.open(index);
    if (!link) return SI_DEVICE_NOT_FOUND;
    *h = next_handle_++;
    open_[*h].link = std::move(link);
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
    Device* d = find(h);
    if (d == nullptr) return SI_INVALID_HANDLE;
    if (buf == nullptr || written == nullptr) return SI_INVALID_PARAMETER;
    *written = 0;
    if (n == 0 || n > kMaxWrite) return SI_INVALID_REQUEST_LENGTH;
    if (!d->link->alive()) return SI_WRITE_ERROR;
    if (!d->link->send(static_cast<const std::uint8_t*>(buf), n, write_timeout_ms_)) {
        return SI_WRITE_ERROR;
    }
    *written = n;
    if (trace_) trace_->record("write", static_cast<const std::uint8_t*>(buf), n);
    return SI_SUCCESS;
}

SI_STATUS DeviceLibrary::SI_Read(SI_HANDLE h, void* buf, std::uint32_t n, std::uint32_t* read) {
    Device* d = find(h);
    if (d == nullptr) return SI_INVALID_HANDLE;
    if (buf == nullptr || read == nullptr) return SI_INVALID_PARAMETER;
    *read = 0;
    if (n == 0) return SI_INVALID_REQUEST_LENGTH;
    if (!d->link->alive()) return SI_READ_ERROR;
    pull(*d);
    const double give_up = clock_.now() + read_timeout_ms_ / 1000.0;
    while (d->rx.empty()) {
        if (clock_.now() >= give_up) return SI_READ_TIMED_OUT;
        clock_.poll_pause();
        if (!d->link->alive()) return SI_READ_ERROR;
        pull(*d);
    }
    const std::size_t take = std::min<std::size_t>(n, d->rx.size());
    std::copy_n(d->rx.begin(), take, static_cast<std::uint8_t*>(buf));
    d->rx.erase(d->rx.begin(), d->rx.begin() + static_cast<std::ptrdiff_t>(take));
    *read = static_cast<std::uint32_t>(take);
    if (trace_) trace_->record("read", static_cast<const std::uint8_t*>(buf), take);
    return SI_SUCCESS;
}

SI_STATUS DeviceLibrary::SI_CheckRXQueue(SI_HANDLE h, std::uint32_t* queued,
                                         std::uint32_t* status) {
    Device* d = find(h);
    if (d == nullptr) {
        // A poll on a handle that is closed (or was never opened) finds nothing either; the
        // caller's wait must still run out.
        clock_.poll_pause();
        return SI_INVALID_HANDLE;
    }
    if (queued == nullptr || status == nullptr) return SI_INVALID_PARAMETER;
    *queued = 0;
    *status = SI_RX_EMPTY;
    if (!d->link->alive()) {
        clock_.poll_pause();
        return SI_DEVICE_NOT_FOUND;
    }
    pull(*d);
    *queued = static_cast<std::uint32_t>(d->rx.size());
    if (d->rx.empty()) {
        *status = SI_RX_EMPTY;
    } else if (d->link->overrun()) {
        *status = SI_RX_READY | SI_RX_OVERRUN;
    } else {
        *status = SI_RX_READY;
    }
    if (*status != SI_RX_READY) clock_.poll_pause();
    return SI_SUCCESS;
}

SI_STATUS DeviceLibrary::SI_FlushBuffers(SI_HANDLE h, std::uint8_t tx, std::uint8_t rx) {
    Device* d = find(h);
    if (d == nullptr) return SI_INVALID_HANDLE;
    if (!d->link->alive()) return SI_DEVICE_NOT_FOUND;
    // Writes leave at once, so the transmit side never holds anything to drop.
    (void)tx;
    if (rx != 0) {
        d->link->purge();
        d->rx.clear();
    }
    if (trace_) trace_->record("flush");
    return SI_SUCCESS;
}

SI_STATUS DeviceLibrary::SI_SetTimeouts(std::uint32_t read_ms, std::uint32_t write_ms) {
    read_timeout_ms_ = read_ms;
    write_timeout_ms_ = write_ms;
    return SI_SUCCESS;
}

}  // namespace usb

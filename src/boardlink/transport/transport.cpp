#include "boardlink/transport/transport.h"

#include <cstring>

#include "boardlink/transport/protocol.h"

namespace boardlink {

namespace {

// Reads and drops bytes known to be queued; stops early if the queue holds fewer.
void discard(Port& port, std::uint32_t count) {
    std::uint8_t scrap[64];
    while (count > 0) {
        std::uint32_t got = 0;
        const std::uint32_t n = count < sizeof scrap ? count : sizeof scrap;
        port.usb.SI_Read(port.link.cyHandle, scrap, n, &got);
        if (got == 0) return;
        count -= got;
    }
}

}  // namespace

int Open_Device(Port& port, int index) {
    if (port.usb.SI_GetProductString(index, port.link.DeviceString, usb::SI_RETURN_SERIAL_NUMBER) !=
        usb::SI_SUCCESS)
        return 0;
    return port.usb.SI_Open(index, &port.link.cyHandle) == usb::SI_SUCCESS ? 1 : 0;
}

core::Status spi_write(Port& port, int n, int address, const int* data) {
    // Longer transfers are the caller's to split.
    const auto request = chip_write_request(address, std::span(data, n < 0 ? 0 : n));
    if (!request) return core::Status::failed(core::Fault::BadInput, "SPI write");
    flush(port);
    send(port, *request);
    port.delay(kSettleDelay);
    if (!wait_ready(port, kSpiWriteLimit))
        return core::Status::failed(core::Fault::NoReply, "SPI write");
    if (!answers(receive_reply(port), wire::kSpiWrite))
        return core::Status::failed(core::Fault::WrongReply, "SPI write");
    return core::Status::success();
}

std::int8_t USB_write(Port& port, int n, int address, const int* data) {
    return spi_write(port, n, address, data).ok() ? 1 : 0;
}

core::Status spi_read(Port& port, int address, int* value) {
    *value = 0;
    flush(port);
    send(port, chip_read_request(address));
    port.delay(kSettleDelay);
    if (!wait_ready(port, kSpiReadLimit))
        return read_failed(
            port, core::Status::failed(core::Fault::NoReply, "SPI read", "        Time Out!",
                                       "No return within 4 seconds"));
    const Reply reply = receive_reply(port);
    if (!answers(reply, wire::kSpiRead))
        return read_failed(
            port, core::Status::failed(core::Fault::WrongReply, "SPI read",
                                       "        Incorrect Response!", "Return value is invalid"));
    *value = reply_word(reply);
    return core::Status::success();
}

int USB_read(Port& port, int address) {
    int value = 0;
    spi_read(port, address, &value);
    return value;
}

std::int8_t SPI_write(Port& port, int n, int address, const int* data) {
    return USB_write(port, n, address, data);
}

int SPI_read(Port& port, int n, int address) {
    (void)n;  // always a whole 24-bit word
    return USB_read(port, address);
}

int USB_GetTargetInfo(Port& port, char* info, char* version, std::int8_t* board_id) {
    constexpr std::uint32_t kBuffer = 100;
    const usb::SI_HANDLE h = port.link.cyHandle;
    for (wire::RequestType type : {wire::kTargetInfo, wire::kFirmwareVersion, wire::kBoardId}) {
        send(port, query_request(type));
        port.delay(kSettleDelay);
        const auto queued = wait_ready(port, kQueryLimit);
        if (!queued) return 0;
        std::uint32_t got = 0;
        if (type == wire::kBoardId) {
            std::uint8_t code = 0;
            port.usb.SI_Read(h, &code, 1, &got);
            *board_id = static_cast<std::int8_t>(code);
        } else {
            char* buf = type == wire::kTargetInfo ? info : version;
            std::memset(buf, 0, kBuffer);
            // Keep the last byte for the terminator: a board that sends 100 bytes of text
            // must not leave an unterminated string behind.
            const std::uint32_t n = *queued < kBuffer - 1 ? *queued : kBuffer - 1;
            port.usb.SI_Read(h, buf, n, &got);
            // Nothing flushes before the next query, so what did not fit is read and dropped
            // here rather than taken for the next answer.
            discard(port, *queued - got);
        }
    }
    return 1;
}

void USB_softReset_target(Port& port) {
    send(port, query_request(wire::kSoftReset));
    flush(port);
}

int wait_capture_reply(Port& port, double limit) {
    if (!wait_ready(port, skip_reply_limit(limit))) {
        flush(port);
        return 0;
    }
    return answers(receive_reply(port), wire::kSkipDone) ? 1 : 0;
}

}  // namespace boardlink

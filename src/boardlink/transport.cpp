#include "boardlink/transport.h"

#include <cstring>

#include "boardlink/seconds.h"
#include "shell/app.h"
#include "uir_ids.h"

namespace boardlink {

namespace {

// Polls the receive queue until it reports exactly "ready" or more than `limit` whole seconds
// pass; ready-with-over-run counts as not ready.
bool wait_ready(App& app, unsigned limit, std::uint32_t* queued = nullptr) {
    const unsigned start = whole_seconds(app.ui.Timer());
    for (;;) {
        std::uint32_t n = 0, status = 0;
        app.usb.SI_CheckRXQueue(app.link.cyHandle, &n, &status);
        if (status == usb::SI_RX_READY) {
            if (queued) *queued = n;
            return true;
        }
        if (elapsed_whole_seconds(start, app.ui.Timer()) > limit) return false;
    }
}

std::uint8_t read_reply_type(App& app) {
    std::uint8_t reply[kReplyBytes] = {};
    std::uint32_t got = 0;
    app.usb.SI_Read(app.link.cyHandle, reply, kReplyBytes, &got);
    return reply[1];
}

// Reads and drops bytes known to be queued; stops early if the queue holds fewer.
void discard(App& app, std::uint32_t count) {
    std::uint8_t scrap[64];
    while (count > 0) {
        std::uint32_t got = 0;
        const std::uint32_t n = count < sizeof scrap ? count : sizeof scrap;
        app.usb.SI_Read(app.link.cyHandle, scrap, n, &got);
        if (got == 0) return;
        count -= got;
    }
}

void write_block(App& app, const std::uint8_t* block) {
    std::uint32_t written = 0;
    app.usb.SI_Write(app.link.cyHandle, block, kRequestBytes, &written);
}

}  // namespace

void dim_board_commands(App& app) {
    const int p = app.shell.setuppanel;
    for (int c : {SETUP_CONFIGURE, SETUP_GOREAD, SETUP_GOWRITE, SETUP_CAPTURE2})
        app.ui.SetCtrlAttribute(p, c, ui::ATTR_DIMMED, 1);
}

int Open_Device(App& app, int index) {
    if (app.usb.SI_GetProductString(index, app.link.DeviceString, usb::SI_RETURN_SERIAL_NUMBER) !=
        usb::SI_SUCCESS)
        return 0;
    return app.usb.SI_Open(index, &app.link.cyHandle) == usb::SI_SUCCESS ? 1 : 0;
}

core::Status spi_write(App& app, int n, int address, const int* data) {
    // A 15-byte block carries at most 9 data bytes; longer transfers are the caller's to split.
    if (n < 1 || n > kMaxSpiWriteBytes)
        return core::Status::failed(core::Fault::BadInput, "SPI write");
    std::uint8_t block[kRequestBytes] = {};
    block[0] = 0xFE;
    block[1] = 0x01;
    block[2] = static_cast<std::uint8_t>(n + 6);
    block[3] = 0x02;
    block[4] = static_cast<std::uint8_t>(address);
    for (int i = 0; i < n; ++i) block[5 + i] = static_cast<std::uint8_t>(data[i]);
    block[n + 5] = 0xFD;
    app.usb.SI_FlushBuffers(app.link.cyHandle, 1, 1);
    write_block(app, block);
    app.ui.Delay(kSettleDelay);
    if (!wait_ready(app, 5)) return core::Status::failed(core::Fault::NoReply, "SPI write");
    if (read_reply_type(app) != 0x01)
        return core::Status::failed(core::Fault::WrongReply, "SPI write");
    return core::Status::success();
}

std::int8_t USB_write(App& app, int n, int address, const int* data) {
    return spi_write(app, n, address, data).ok() ? 1 : 0;
}

core::Status spi_read(App& app, int address, int* value) {
    *value = 0;
    std::uint8_t block[kRequestBytes] = {0xFE, 0x02, 0x09, 0x03, static_cast<std::uint8_t>(address),
                                         0x00, 0x00, 0x00, 0xFD};
    app.usb.SI_FlushBuffers(app.link.cyHandle, 1, 1);
    write_block(app, block);
    app.ui.Delay(kSettleDelay);
    core::Status s;
    std::uint8_t reply[kReplyBytes] = {};
    if (!wait_ready(app, 4)) {
        s = core::Status::failed(core::Fault::NoReply, "SPI read", "        Time Out!",
                                 "No return within 4 seconds");
    } else {
        std::uint32_t got = 0;
        app.usb.SI_Read(app.link.cyHandle, reply, kReplyBytes, &got);
        if (reply[1] != 0x02)
            s = core::Status::failed(core::Fault::WrongReply, "SPI read",
                                     "        Incorrect Response!", "Return value is invalid");
    }
    if (!s.ok()) {
        dim_board_commands(app);
        app.ui.MessagePopup(s.title, s.text);
        return s;
    }
    *value = reply[3] * 65536 + reply[4] * 256 + reply[5];
    return s;
}

int USB_read(App& app, int address) {
    int value = 0;
    spi_read(app, address, &value);
    return value;
}

std::int8_t SPI_write(App& app, int n, int address, const int* data) {
    return USB_write(app, n, address, data);
}

int SPI_read(App& app, int n, int address) {
    (void)n;  // always a whole 24-bit word
    return USB_read(app, address);
}

int USB_GetTargetInfo(App& app, char* info, char* version, std::int8_t* board_id) {
    constexpr std::uint32_t kBuffer = 100;
    char* targets[2] = {info, version};
    for (std::uint8_t type : {0x06, 0x07, 0x08}) {
        const std::uint8_t block[kRequestBytes] = {0xFE, type, 0x05, 0x00, 0xFD};
        write_block(app, block);
        app.ui.Delay(kSettleDelay);
        std::uint32_t queued = 0;
        if (!wait_ready(app, 4, &queued)) return 0;
        std::uint32_t got = 0;
        if (type == 0x08) {
            std::uint8_t code = 0;
            app.usb.SI_Read(app.link.cyHandle, &code, 1, &got);
            *board_id = static_cast<std::int8_t>(code);
        } else {
            char* buf = targets[type - 0x06];
            std::memset(buf, 0, kBuffer);
            // Keep the last byte for the terminator: a board that sends 100 bytes of text
            // must not leave an unterminated string behind.
            const std::uint32_t n = queued < kBuffer - 1 ? queued : kBuffer - 1;
            app.usb.SI_Read(app.link.cyHandle, buf, n, &got);
            // Nothing flushes before the next query, so what did not fit is read and dropped
            // here rather than taken for the next answer.
            discard(app, queued - got);
        }
    }
    return 1;
}

void USB_softReset_target(App& app) {
    const std::uint8_t block[kRequestBytes] = {0xFE, 0x05, 0x05, 0x00, 0xFD};
    write_block(app, block);
    app.usb.SI_FlushBuffers(app.link.cyHandle, 1, 1);
}

int wait_capture_reply(App& app, double limit) {
    const unsigned start = whole_seconds(app.ui.Timer());
    for (;;) {
        std::uint32_t n = 0, status = 0;
        app.usb.SI_CheckRXQueue(app.link.cyHandle, &n, &status);
        if (status == usb::SI_RX_READY) return read_reply_type(app) == 0x0C ? 1 : 0;
        if (static_cast<double>(elapsed_whole_seconds(start, app.ui.Timer())) > limit + 5.0) {
            app.usb.SI_FlushBuffers(app.link.cyHandle, 1, 1);
            return 0;
        }
    }
}

}  // namespace boardlink

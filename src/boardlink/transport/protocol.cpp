#include "boardlink/transport/protocol.h"

#include "boardlink/transport/seconds.h"

namespace boardlink {

namespace {

std::uint8_t low(int v) {
    return static_cast<std::uint8_t>(v);
}
std::uint8_t high(std::uint16_t v) {
    return static_cast<std::uint8_t>(v >> 8);
}

// FE type L payload FD; callers keep the payload within the block.
Request length_frame(wire::RequestType type, std::span<const std::uint8_t> payload) {
    Request r{};
    const std::size_t length = payload.size() + wire::kSpiFrameOverhead;
    r[0] = wire::kStart;
    r[1] = type;
    r[2] = static_cast<std::uint8_t>(length);
    for (std::size_t i = 0; i < payload.size(); ++i) r[3 + i] = payload[i];
    r[length - 1] = wire::kEnd;
    return r;
}

Request flash_frame(wire::RequestType type, std::uint16_t address, std::uint8_t count) {
    return Request{wire::kStart, type, high(address), low(address), count, wire::kEnd};
}

}  // namespace

std::optional<Request> chip_write_request(int address, std::span<const int> data) {
    if (data.empty() || data.size() > static_cast<std::size_t>(kMaxSpiWriteBytes))
        return std::nullopt;
    std::array<std::uint8_t, 2 + kMaxSpiWriteBytes> payload{wire::kInstrWrite, low(address)};
    for (std::size_t i = 0; i < data.size(); ++i) payload[2 + i] = low(data[i]);
    return length_frame(wire::kSpiWrite, std::span(payload).first(2 + data.size()));
}

Request chip_read_request(int address) {
    const std::uint8_t payload[wire::kChipReadPayload] = {wire::kInstrRead, low(address)};
    return length_frame(wire::kSpiRead, payload);
}

Request eeprom_instruction_request(std::uint8_t instruction) {
    const std::uint8_t payload[] = {instruction};
    return length_frame(wire::kSpiWrite, payload);
}

std::optional<Request> eeprom_write_request(std::uint16_t address, std::span<const int> data) {
    if (data.empty() || data.size() > static_cast<std::size_t>(kMaxEepromWriteBytes))
        return std::nullopt;
    std::array<std::uint8_t, 3 + kMaxEepromWriteBytes> payload{wire::kInstrWrite, high(address),
                                                               low(address)};
    for (std::size_t i = 0; i < data.size(); ++i) payload[3 + i] = low(data[i]);
    return length_frame(wire::kSpiWrite, std::span(payload).first(3 + data.size()));
}

std::optional<Request> eeprom_read_request(std::uint16_t address, int count) {
    if (count < 1 || count > kMaxEepromReadBytes) return std::nullopt;
    // The bytes clocked out while the part answers are zero.
    std::array<std::uint8_t, 2 + kMaxEepromReadBytes> payload{wire::kInstrRead, high(address),
                                                              low(address)};
    return length_frame(wire::kSpiRead, std::span(payload).first(2 + count));
}

Request capture_start_request(std::uint32_t records, std::uint8_t channels, std::uint16_t skip) {
    const std::uint8_t payload[] = {static_cast<std::uint8_t>(records >> 24),
                                    static_cast<std::uint8_t>(records >> 16),
                                    static_cast<std::uint8_t>(records >> 8),
                                    static_cast<std::uint8_t>(records),
                                    channels,
                                    high(skip),
                                    low(skip)};
    return length_frame(wire::kCaptureStart, payload);
}

Request query_request(wire::RequestType type) {
    const std::uint8_t payload[] = {0x00};
    return length_frame(type, payload);
}

Request flash_erase_request(std::uint16_t address) {
    return flash_frame(wire::kFlashErase, address, 0x00);
}

Request flash_program_request(std::uint16_t address) {
    return flash_frame(wire::kFlashProgram, address, static_cast<std::uint8_t>(wire::kFlashChunk));
}

bool answers(const Reply& reply, wire::RequestType type) {
    return reply[1] == type;
}

bool accepted(const Reply& reply, wire::RequestType type) {
    return answers(reply, type) && reply[2] == wire::kReplyOk;
}

int reply_word(const Reply& reply) {
    return reply[3] * 65536 + reply[4] * 256 + reply[5];
}

std::uint8_t reply_eeprom_byte(const Reply& reply) {
    return reply[4];
}

std::optional<std::uint32_t> wait_ready(Port& port, const Limit& limit, bool* lost) {
    const bool whole = limit.clocking == Clocking::WholeSeconds;
    const double start = port.timer();
    const unsigned whole_start = whole_seconds(start);
    for (;;) {
        std::uint32_t queued = 0, status = 0;
        const usb::SI_STATUS call = port.usb.SI_CheckRXQueue(port.link.cyHandle, &queued, &status);
        const bool answered = call == usb::SI_SUCCESS || !limit.query_must_succeed;
        if (lost != nullptr && answered && (status & usb::SI_RX_OVERRUN)) {
            *lost = true;
            return queued;
        }
        if (status == usb::SI_RX_READY && answered) return queued;
        const double now = port.timer();
        const double waited =
            whole ? static_cast<double>(elapsed_whole_seconds(whole_start, now)) : now - start;
        if (waited > limit.seconds) return std::nullopt;
    }
}

void send(Port& port, const Request& request) {
    std::uint32_t written = 0;
    port.usb.SI_Write(port.link.cyHandle, request.data(), wire::kRequestBytes, &written);
}

void send(Port& port, const FlashData& data) {
    std::uint32_t written = 0;
    port.usb.SI_Write(port.link.cyHandle, data.data(), wire::kFlashChunk, &written);
}

Reply receive_reply(Port& port) {
    Reply reply{};
    std::uint32_t got = 0;
    port.usb.SI_Read(port.link.cyHandle, reply.data(), wire::kReplyBytes, &got);
    return reply;
}

void flush(Port& port) {
    port.usb.SI_FlushBuffers(port.link.cyHandle, 1, 1);
}

}  // namespace boardlink

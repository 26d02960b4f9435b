#include "debugtools/eeprom_link.h"

#include <span>

#include "boardlink/transport/protocol.h"

namespace debugtools {

namespace bl = boardlink;

namespace {

// One exchange: flush, the block, the settle delay, then the reply within the limit.
std::optional<bl::Reply> exchange(bl::Port& port, const bl::Request& request,
                                  const bl::Limit& limit) {
    bl::flush(port);
    bl::send(port, request);
    port.delay(bl::kSettleDelay);
    if (!bl::wait_ready(port, limit)) return std::nullopt;
    return bl::receive_reply(port);
}

core::Status acknowledged(bl::Port& port, const bl::Request& request, const char* step) {
    const auto reply = exchange(port, request, bl::kSpiWriteLimit);
    if (!reply) return core::Status::failed(core::Fault::NoReply, step);
    if (!bl::answers(*reply, bl::wire::kSpiWrite))
        return core::Status::failed(core::Fault::WrongReply, step);
    return core::Status::success();
}

std::uint16_t address16(int address) {
    return static_cast<std::uint16_t>(address);
}

}  // namespace

core::Status eeprom_instruction(bl::Port& port, std::uint8_t instruction) {
    return acknowledged(port, bl::eeprom_instruction_request(instruction), "EEPROM_config_usb");
}

core::Status eeprom_write(bl::Port& port, int n, int address, const int* data) {
    const auto request =
        bl::eeprom_write_request(address16(address), std::span(data, n < 0 ? 0 : n));
    if (!request) return core::Status::failed(core::Fault::BadInput, "EEPROM_write_usb");
    return acknowledged(port, *request, "EEPROM_write_usb");
}

core::Status eeprom_read(bl::Port& port, int n, int address, std::uint8_t* value) {
    *value = 0;
    const auto request = bl::eeprom_read_request(address16(address), n);
    if (!request) return core::Status::failed(core::Fault::BadInput, "EEPROM_read_usb");
    const auto reply = exchange(port, *request, bl::kSpiReadLimit);
    if (!reply)
        return bl::read_failed(
            port, core::Status::failed(core::Fault::NoReply, "EEPROM_read_usb", "        Time Out!",
                                       "No return within 4 seconds"));
    if (!bl::answers(*reply, bl::wire::kSpiRead))
        return bl::read_failed(
            port, core::Status::failed(core::Fault::WrongReply, "EEPROM_read_usb",
                                       "        Incorrect Response!", "Return value is invalid"));
    *value = bl::reply_eeprom_byte(*reply);
    return core::Status::success();
}

std::uint8_t EEPROM_config_usb(bl::Port& port, std::uint8_t instruction) {
    return eeprom_instruction(port, instruction).ok() ? 1 : 0;
}

std::uint8_t EEPROM_write_usb(bl::Port& port, int n, int address, const int* data) {
    return eeprom_write(port, n, address, data).ok() ? 1 : 0;
}

std::uint8_t EEPROM_read_usb(bl::Port& port, int n, int address) {
    std::uint8_t value = 0;
    eeprom_read(port, n, address, &value);
    return value;
}

}  // namespace debugtools

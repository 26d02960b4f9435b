#include "boardlink/firmware/update_requests.h"

#include <cstdio>
#include <string>

namespace boardlink {

namespace {

std::string step_at(const char* step, std::uint16_t address) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s 0x%04X", step, address);
    return buf;
}

core::Status exchange(Port& port, const Request& request, const Limit& limit,
                      const std::string& step) {
    send(port, request);
    port.delay(kSettleDelay);
    if (!wait_ready(port, limit)) return core::Status::failed(core::Fault::NoReply, step);
    if (!accepted(receive_reply(port), static_cast<wire::RequestType>(request[1])))
        return core::Status::failed(core::Fault::WrongReply, step);
    return core::Status::success();
}

}  // namespace

core::Status enter_update(Port& port) {
    return exchange(port, query_request(wire::kEnterUpdate), kEnterUpdateLimit,
                    "flash_enter_update");
}

core::Status erase_page(Port& port, std::uint16_t address) {
    return exchange(port, flash_erase_request(address), kFlashEraseLimit,
                    step_at("flash_erase_page", address));
}

core::Status program_page(Port& port, std::uint16_t address) {
    return exchange(port, flash_program_request(address), kFlashProgramLimit,
                    step_at("flash_program_page", address));
}

core::Status program_data(Port& port, const FlashData& data) {
    send(port, data);
    const double start = port.timer();
    for (;;) {
        // One limit for the whole wait, however many replies were dropped on the way.
        const Limit left{kFlashDataLimit.seconds - (port.timer() - start),
                         kFlashDataLimit.clocking};
        if (!wait_ready(port, left))
            return core::Status::failed(core::Fault::NoReply, "flash data");
        if (accepted(receive_reply(port), wire::kFlashProgram)) return core::Status::success();
    }
}

int flash_enter_update(Port& port) {
    return enter_update(port).ok() ? 1 : 0;
}

int flash_erase_page(Port& port, std::uint16_t address) {
    return erase_page(port, address).ok() ? 1 : 0;
}

int flash_program_page(Port& port, std::uint16_t address) {
    return program_page(port, address).ok() ? 1 : 0;
}

}  // namespace boardlink

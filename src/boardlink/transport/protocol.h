// The host side of the board's wire protocol: a builder for every request frame, the checks
// made on replies, and the one wait on the receive queue that every exchange uses.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "boardlink/transport/port.h"
#include "platform/usb/wire_format.h"

namespace boardlink {

namespace wire = usb::wire;

// One request block: the frame at its front, zero after its end marker.
using Request = std::array<std::uint8_t, wire::kRequestBytes>;
using Reply = std::array<std::uint8_t, wire::kReplyBytes>;
// The raw flash bytes that follow an accepted program request.
using FlashData = std::array<std::uint8_t, wire::kFlashChunk>;

// Data bytes one SPI write to the filter chip's port can carry: three 24-bit registers.
inline constexpr int kMaxSpiWriteBytes = 9;
// Every framed exchange that flushes waits this long after its write before it polls.
inline constexpr double kSettleDelay = 0.1;

// SPI write to the filter chip's port, low 8 bits of address and data used:
// FE 01 n+6 02 a d.. FD. None when there are no data or more than fit the block.
std::optional<Request> chip_write_request(int address, std::span<const int> data);
// FE 02 09 03 a 00 00 00 FD
Request chip_read_request(int address);
// SPI transactions with the boot EEPROM, low 8 bits of each data value used. The block holds
// at most 8 data bytes of a write and 9 of a read; none outside 1 to that.
inline constexpr int kMaxEepromWriteBytes = 8;
inline constexpr int kMaxEepromReadBytes = 9;
Request eeprom_instruction_request(std::uint8_t instruction);  // FE 01 05 i FD
// FE 01 n+7 02 ah al d.. FD
std::optional<Request> eeprom_write_request(std::uint16_t address, std::span<const int> data);
// FE 02 n+6 03 ah al, n-1 zero bytes, FD
std::optional<Request> eeprom_read_request(std::uint16_t address, int count);
// Sample count and skip most significant byte first.
Request capture_start_request(std::uint32_t records, std::uint8_t channels, std::uint16_t skip);
// Soft reset, the three identification queries, firmware-update entry: FE type 05 00 FD.
Request query_request(wire::RequestType type);
// Firmware pages carry no length byte: FE 0A ah al 00 FD and FE 0B ah al 40 FD.
Request flash_erase_request(std::uint16_t address);
Request flash_program_request(std::uint16_t address);

// Byte 1 of every reply echoes the request type.
bool answers(const Reply& reply, wire::RequestType type);
// Firmware-update replies also report success in byte 2.
bool accepted(const Reply& reply, wire::RequestType type);
// The register word of an SPI read reply: bytes 3 to 5, not sign-extended.
int reply_word(const Reply& reply);
// The single byte an EEPROM read returns.
std::uint8_t reply_eeprom_byte(const Reply& reply);

// How a wait measures its limit. Whole seconds truncate both time stamps to unsigned whole
// seconds and compare their difference, so "more than 5" ends 5 to 6 s after the start;
// fractional limits compare the plain difference.
enum class Clocking { WholeSeconds, Fractional };

struct Limit {
    double seconds;
    Clocking clocking;
    // The capture stream alone also needs the queue query's own success code.
    bool query_must_succeed = false;
};

inline constexpr Limit kSpiWriteLimit{5, Clocking::WholeSeconds};
inline constexpr Limit kSpiReadLimit{4, Clocking::WholeSeconds};
inline constexpr Limit kQueryLimit{4, Clocking::WholeSeconds};
inline constexpr Limit kCaptureStartLimit{5.0, Clocking::Fractional};
inline constexpr Limit kStreamChunkLimit{5, Clocking::WholeSeconds, true};
inline constexpr Limit kEnterUpdateLimit{5.0, Clocking::Fractional};
inline constexpr Limit kFlashEraseLimit{10.0, Clocking::Fractional};
inline constexpr Limit kFlashProgramLimit{5.0, Clocking::Fractional};
inline constexpr Limit kFlashDataLimit{20.0, Clocking::Fractional};
// The skip-complete reply: the caller's limit plus 5 s, on whole seconds.
inline constexpr Limit skip_reply_limit(double caller_seconds) {
    return {caller_seconds + 5.0, Clocking::WholeSeconds};
}

// Polls the receive queue until its status is exactly "ready" and returns the bytes queued;
// ready with over-run counts as not ready. None once the limit has passed. Given `lost`, a
// queue that reports lost bytes ends the wait at once instead, with *lost set (the capture
// stream, which cannot go on without them).
std::optional<std::uint32_t> wait_ready(Port& port, const Limit& limit, bool* lost = nullptr);

// One request block on the wire; its outcome shows as the reply or its absence.
void send(Port& port, const Request& request);
// The 64 flash bytes in one write of their own.
void send(Port& port, const FlashData& data);
// One 7-byte reply; bytes the queue did not hold stay zero.
Reply receive_reply(Port& port);
void flush(Port& port);

}  // namespace boardlink

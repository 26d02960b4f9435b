// The byte format of the board's USB protocol as both ends of the pipe see it: frame markers,
// request types, block sizes and the SPI instruction bytes the MCU routes on. The host's
// protocol module and the simulated board both build on these, so the two cannot drift apart.
#pragma once

#include <cstddef>
#include <cstdint>

namespace usb::wire {

inline constexpr std::uint8_t kStart = 0xFE;
inline constexpr std::uint8_t kEnd = 0xFD;

// Every request is one write of a whole block: the frame at its front, zero after its end.
inline constexpr std::size_t kRequestBytes = 15;
// Every reply to a framed request, the identification answers excepted.
inline constexpr std::size_t kReplyBytes = 7;
// The raw flash data that follow an accepted program request, in one write.
inline constexpr std::size_t kFlashChunk = 64;

// Byte 1 of a request, echoed in byte 1 of its reply.
enum RequestType : std::uint8_t {
    kSpiWrite = 0x01,
    kSpiRead = 0x02,
    kCaptureStart = 0x03,
    kSoftReset = 0x05,
    kTargetInfo = 0x06,
    kFirmwareVersion = 0x07,
    kBoardId = 0x08,
    kEnterUpdate = 0x09,
    kFlashErase = 0x0A,
    kFlashProgram = 0x0B,
    kSkipDone = 0x0C,  // reply only: the samples to skip have passed
};

// Whether byte 2 of a frame of this type is the frame's length, markers included.
constexpr bool carries_length(std::uint8_t type) {
    return (type >= kSpiWrite && type <= kCaptureStart) ||
           (type >= kSoftReset && type <= kEnterUpdate);
}

// Frame lengths of the fixed-shape requests.
inline constexpr std::size_t kQueryFrame = 5;     // FE type 05 00 FD
inline constexpr std::size_t kCaptureFrame = 11;  // FE 03 0B count(4) channels skip(2) FD
inline constexpr std::size_t kFlashFrame = 6;     // FE type ah al count FD, no length byte
// Bytes around an SPI payload: start, type, length, end.
inline constexpr std::size_t kSpiFrameOverhead = 4;

// First payload byte of an SPI transaction.
inline constexpr std::uint8_t kInstrWrite = 0x02;
inline constexpr std::uint8_t kInstrRead = 0x03;
inline constexpr std::uint8_t kInstrWriteEnable = 0x06;  // the boot EEPROM's
// A filter-chip read: instruction, port address, three dummy bytes.
inline constexpr std::size_t kChipReadPayload = 5;

// Byte 2 of a firmware-update reply when the MCU did what it was asked.
inline constexpr std::uint8_t kReplyOk = 0x00;

}  // namespace usb::wire

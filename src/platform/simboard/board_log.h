// The board's record of what the host made it do, in the order it happened.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/clock/clock.h"

namespace simboard {

struct LogEntry {
    enum class Kind : std::uint8_t {
        Request,        // a = request type, b = frame length byte (0 for unframed types)
        BadFrame,       // a = first byte, b = second byte, c = bytes received
        PortWrite,      // a = port byte address, b = 24-bit word
        PortRead,       // a = port byte address, b = word returned
        Command,        // a = command code, b = SPIDAT1, c = SPIDAT2 (as written)
        RegisterWrite,  // a = filter register, b = value (also writes the chip ignores)
        RegisterRead,   // a = filter register, b = value
        ModulatorWord,  // a = SPI2CMD, b = SPI2DAT
        EepromEnable,   // a = instruction byte
        EepromWrite,    // a = address, b = byte, c = 1 when stored
        EepromRead,     // a = address, b = byte
        CaptureStart,   // a = record count, b = channel count, c = samples to skip
        CaptureEnd,     // a = records delivered
        FlashErase,     // a = address, b = 1 when done
        FlashWrite,     // a = address, b = 1 when done
        Reset,          // soft reset requested
    };
    Kind kind;
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    std::uint32_t c = 0;
    double time = 0.0;
};

class BoardLog {
  public:
    explicit BoardLog(const platform::Clock& clock) : clock_(clock) {}
    void add(LogEntry::Kind kind, std::uint32_t a = 0, std::uint32_t b = 0, std::uint32_t c = 0) {
        entries_.push_back({kind, a, b, c, clock_.now()});
    }
    const std::vector<LogEntry>& entries() const { return entries_; }
    void clear() { entries_.clear(); }

  private:
    const platform::Clock& clock_;
    std::vector<LogEntry> entries_;
};

}  // namespace simboard

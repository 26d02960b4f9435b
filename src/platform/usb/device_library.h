// The USB device library the host software is written against: numbered devices, handles,
// a host-side receive queue per handle, status codes instead of exceptions.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "platform/clock/clock.h"
#include "platform/usb/bus.h"
#include "platform/usb/trace.h"

namespace usb {

using SI_STATUS = int;
using SI_HANDLE = int;  // handles > 0 are valid

constexpr SI_STATUS SI_SUCCESS = 0x00;
constexpr SI_STATUS SI_INVALID_HANDLE = 0x01;
constexpr SI_STATUS SI_READ_ERROR = 0x02;
constexpr SI_STATUS SI_RX_QUEUE_NOT_READY = 0x03;
constexpr SI_STATUS SI_WRITE_ERROR = 0x04;
constexpr SI_STATUS SI_INVALID_PARAMETER = 0x06;
constexpr SI_STATUS SI_INVALID_REQUEST_LENGTH = 0x07;
constexpr SI_STATUS SI_READ_TIMED_OUT = 0x0D;
constexpr SI_STATUS SI_WRITE_TIMED_OUT = 0x0E;
constexpr SI_STATUS SI_DEVICE_NOT_FOUND = 0xFF;

// Receive-queue status bits: 2 = ready, 3 = ready with over-run (bytes were lost).
constexpr std::uint32_t SI_RX_EMPTY = 0;
constexpr std::uint32_t SI_RX_OVERRUN = 1;
constexpr std::uint32_t SI_RX_READY = 2;

// What SI_GetProductString returns: the serial number, or the vendor or product id as four
// hexadecimal digits.
constexpr std::uint32_t SI_RETURN_SERIAL_NUMBER = 0;
constexpr std::uint32_t SI_RETURN_VID = 3;
constexpr std::uint32_t SI_RETURN_PID = 4;

constexpr std::uint32_t kProductStringBytes = 256;

class DeviceLibrary {
  public:
    static constexpr std::uint32_t kMaxWrite = 4096;

    // The bus must outlive the library.
    DeviceLibrary(Bus& bus, platform::Clock& clock);
    ~DeviceLibrary();

    SI_STATUS SI_GetNumDevices(std::uint32_t* num);
    // Copies the string (zero-terminated, at most 255 characters) into a 256-byte buffer.
    // A device that cannot be opened has no serial number to give: SI_DEVICE_NOT_FOUND.
    SI_STATUS SI_GetProductString(std::uint32_t index, char* buf, std::uint32_t selector);
    SI_STATUS SI_Open(std::uint32_t index, SI_HANDLE* h);
    SI_STATUS SI_Close(SI_HANDLE h);
    // A write the device does not take within the write time-out: SI_WRITE_TIMED_OUT, with the
    // bytes that did go out in *written.
    SI_STATUS SI_Write(SI_HANDLE h, const void* buf, std::uint32_t n, std::uint32_t* written);
    // Delivers what is queued, up to n. Only when nothing is queued does it wait, up to the
    // read time-out, for the first bytes.
    SI_STATUS SI_Read(SI_HANDLE h, void* buf, std::uint32_t n, std::uint32_t* read);
    // Status 2 while bytes are queued, plus 1 once bytes were lost since the last flush. A
    // poll that finds the queue not ready, or the handle not open, pauses the clock's polling
    // step, so a loop around it neither spins a core nor stops virtual time.
    SI_STATUS SI_CheckRXQueue(SI_HANDLE h, std::uint32_t* queued, std::uint32_t* status);
    SI_STATUS SI_FlushBuffers(SI_HANDLE h, std::uint8_t tx, std::uint8_t rx);
    SI_STATUS SI_SetTimeouts(std::uint32_t read_ms, std::uint32_t write_ms);

    // Records every open, close, flush, write and read from now on; null stops it. The trace
    // must outlive the library or be taken off first.
    void set_trace(Trace* trace) { trace_ = trace; }
    std::string source_name() const { return bus_.source_name(); }

  private:
    Link* find(SI_HANDLE h);

    Bus& bus_;
    platform::Clock& clock_;
    std::map<SI_HANDLE, std::unique_ptr<Link>> open_;
    SI_HANDLE next_handle_ = 1;
    std::uint32_t read_timeout_ms_ = 1000;
    std::uint32_t write_timeout_ms_ = 1000;
    Trace* trace_ = nullptr;
};

}  // namespace usb

// A simulated evaluation board, as the host sees it on the USB pipe: the MCU firmware with its
// framed requests and replies, the filter chip, the boot EEPROM, the MCU flash and the
// modulators behind the chip. It runs no thread: every host touch first brings it up to the
// clock's present time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/simboard/board_config.h"
#include "platform/simboard/board_log.h"
#include "platform/simboard/byte_fifo.h"
#include "platform/simboard/capture_stream.h"
#include "platform/simboard/dsp_core.h"
#include "platform/simboard/filter_chip.h"
#include "platform/simboard/mcu_flash.h"
#include "platform/simboard/serial_eeprom.h"
#include "platform/usb/wire_format.h"

namespace simboard {

class SimBoard {
  public:
    SimBoard(platform::Clock& clock, BoardConfig config = {});
    SimBoard(const SimBoard&) = delete;
    SimBoard& operator=(const SimBoard&) = delete;

    // Cable and bus. A board is on the bus while plugged in and not restarting; each time it
    // joins the bus its attachment number changes, which ends every handle opened before.
    bool on_bus();
    std::uint64_t attachment();
    void unplug();
    void plug();  // power-on: the board forgets everything but its EEPROM and flash
    // Off and on again: how a board restarted after a firmware update comes back.
    void power_cycle();
    const std::string& serial() const { return config_.serial; }

    // The USB pipe as the host's side of it sees the board.
    void host_write(const std::uint8_t* data, std::size_t n);   // one OUT transfer
    std::size_t host_read(std::uint8_t* out, std::size_t max);  // bytes ready now, up to max
    void purge_output();  // flush of the IN pipe: bytes not yet taken are dropped

    // Identification changes answer at once, signals apply from the next capture, a new
    // board code from the next power-on or reset.
    BoardConfig& config() { return config_; }
    Faults& faults() { return faults_; }
    // Every fault off, the memories' pending losses and misreads dropped, an unplugged board
    // plugged in again. A restart in progress runs its course.
    void clear_faults();

    // What tests look at, as of now (a restart that has run its time is completed first).
    const std::vector<LogEntry>& log() const { return log_.entries(); }
    void clear_log() { log_.clear(); }
    const FilterChip& chip();
    DspCore& dsp();
    SerialEeprom& eeprom();
    DspMemory& program_memory();
    DspMemory& data_memory();
    const McuFlash& flash() const { return flash_; }
    bool update_mode();
    bool streaming();
    std::uint64_t records_sent();

  private:
    void power_up();
    void refresh();
    void advance();
    void reply(std::uint8_t type, std::uint8_t status, std::uint8_t d0 = 0, std::uint8_t d1 = 0,
               std::uint8_t d2 = 0);
    void send_text(std::uint8_t type, const std::string& text);
    void bad_frame(const std::uint8_t* data, std::size_t n);
    void handle_request(const std::uint8_t* data, std::size_t n);
    void spi_write(const std::uint8_t* payload, std::size_t len);
    void spi_read(const std::uint8_t* payload, std::size_t len);
    void capture_start(const std::uint8_t* frame);
    void flash_data(const std::uint8_t* data, std::size_t n);
    void end_stream_if_stopped();
    bool eeprom_unanswered(std::uint8_t instruction) const;

    platform::Clock& clock_;
    BoardConfig config_;
    Faults faults_;
    BoardLog log_;
    FilterChip chip_;
    DspCore dsp_;
    SerialEeprom eeprom_;
    McuFlash flash_;
    CaptureStream stream_;
    ByteFifo pipe_;
    bool tail_is_stream_ = false;
    bool plugged_ = true;
    bool restarting_ = false;
    double back_at_ = 0.0;
    std::uint64_t attachment_ = 1;
    bool update_mode_ = false;
    bool expect_flash_data_ = false;
    std::uint16_t flash_address_ = 0;
    bool skip_reply_pending_ = false;
};

}  // namespace simboard

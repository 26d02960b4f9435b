#include "platform/simboard/sim_board.h"

#include <limits>

namespace simboard {

namespace {

namespace wire = usb::wire;
using wire::kEnd;
using wire::kStart;

constexpr std::uint8_t kStatusOk = wire::kReplyOk;
constexpr std::uint8_t kStatusFailed = 0x01;
// Times that meet within a nanosecond count as met, whatever the rounding of the clock sums.
constexpr double kTimeSlack = 1e-9;

}  // namespace

SimBoard::SimBoard(platform::Clock& clock, BoardConfig config)
    : clock_(clock),
      config_(std::move(config)),
      log_(clock),
      chip_(log_),
      dsp_(clock, chip_.program_memory(), chip_.data_memory()),
      stream_(config_) {
    chip_.attach_debugger(&dsp_);
    power_up();
}

void SimBoard::power_up() {
    chip_.power_up(chip_variant_of(config_.board_code));
    dsp_.power_up();
    stream_.power_up();
    eeprom_.power_cycle();
    pipe_.clear();
    tail_is_stream_ = false;
    update_mode_ = false;
    expect_flash_data_ = false;
    skip_reply_pending_ = false;
}

void SimBoard::refresh() {
    if (restarting_ && clock_.now() >= back_at_) {
        restarting_ = false;
        power_up();
        ++attachment_;
    }
}

bool SimBoard::on_bus() {
    refresh();
    return plugged_ && !restarting_;
}

std::uint64_t SimBoard::attachment() {
    refresh();
    return attachment_;
}

void SimBoard::unplug() {
    plugged_ = false;
    restarting_ = false;
    pipe_.clear();
    stream_.stop();
}

void SimBoard::plug() {
    if (plugged_ && !restarting_) return;
    plugged_ = true;
    restarting_ = false;
    power_up();
    ++attachment_;
}

void SimBoard::power_cycle() {
    unplug();
    plug();
}

void SimBoard::clear_faults() {
    faults_ = Faults{};
    eeprom_.clear_misread();
    chip_.program_memory().keep_all_writes();
    chip_.data_memory().keep_all_writes();
    dsp_.faults() = DspCore::Faults{};
    dsp_.settings().e2dreq_polls = DspCore::Settings{}.e2dreq_polls;
    if (!plugged_) plug();
}

void SimBoard::advance() {
    refresh();
    if (skip_reply_pending_ && clock_.now() + kTimeSlack >= stream_.skip_done_at()) {
        skip_reply_pending_ = false;
        reply(wire::kSkipDone, kStatusOk);
    }
    const std::size_t before = pipe_.size();
    stream_.produce(clock_.now(), faults_, pipe_);
    if (pipe_.size() != before) tail_is_stream_ = true;
    if (before != pipe_.size() && !stream_.active()) {
        log_.add(LogEntry::Kind::CaptureEnd, static_cast<std::uint32_t>(stream_.records_out()));
    }
}

const FilterChip& SimBoard::chip() {
    refresh();
    return chip_;
}

DspCore& SimBoard::dsp() {
    refresh();
    return dsp_;
}

DspMemory& SimBoard::program_memory() {
    refresh();
    return chip_.program_memory();
}

DspMemory& SimBoard::data_memory() {
    refresh();
    return chip_.data_memory();
}

bool SimBoard::eeprom_unanswered(std::uint8_t instruction) const {
    return instruction < 32 && (faults_.eeprom_unanswered & (1u << instruction)) != 0;
}

SerialEeprom& SimBoard::eeprom() {
    refresh();
    return eeprom_;
}

bool SimBoard::update_mode() {
    refresh();
    return update_mode_;
}

bool SimBoard::streaming() {
    advance();
    return stream_.active();
}

std::uint64_t SimBoard::records_sent() {
    advance();
    return stream_.records_out();
}

void SimBoard::purge_output() {
    advance();
    pipe_.clear();
}

std::size_t SimBoard::host_read(std::uint8_t* out, std::size_t max) {
    if (!on_bus()) return 0;
    advance();
    std::size_t ready = pipe_.size();
    // A split delivery holds back the last half record while the stream still runs.
    if (faults_.split_records && stream_.active() && tail_is_stream_) {
        ready = ready >= 2 ? ready - 2 : 0;
    }
    return pipe_.pop(out, std::min(ready, max));
}

void SimBoard::reply(std::uint8_t t, std::uint8_t status, std::uint8_t d0, std::uint8_t d1,
                     std::uint8_t d2) {
    if (faults_.silent_types & Faults::type_bit(t)) return;
    const std::uint8_t sent_type = (faults_.wrong_types & Faults::type_bit(t)) ? t + 1 : t;
    const std::uint8_t block[wire::kReplyBytes] = {kStart, sent_type, status, d0, d1, d2, kEnd};
    pipe_.push(block, sizeof block);
    tail_is_stream_ = false;
}

void SimBoard::send_text(std::uint8_t t, const std::string& text) {
    if (faults_.silent_types & Faults::type_bit(t)) return;
    pipe_.push(reinterpret_cast<const std::uint8_t*>(text.c_str()), text.size() + 1);
    tail_is_stream_ = false;
}

void SimBoard::bad_frame(const std::uint8_t* data, std::size_t n) {
    log_.add(LogEntry::Kind::BadFrame, n > 0 ? data[0] : 0, n > 1 ? data[1] : 0,
             static_cast<std::uint32_t>(n));
}

void SimBoard::host_write(const std::uint8_t* data, std::size_t n) {
    if (!on_bus()) return;
    advance();
    if (expect_flash_data_) {
        expect_flash_data_ = false;
        if (n == wire::kFlashChunk) {
            flash_data(data, n);
            return;
        }
    }
    handle_request(data, n);
}

void SimBoard::handle_request(const std::uint8_t* data, std::size_t n) {
    if (n < wire::kQueryFrame || n > wire::kRequestBytes || data[0] != kStart)
        return bad_frame(data, n);
    const std::uint8_t t = data[1];
    std::size_t length = 0;
    if (wire::carries_length(t)) {
        length = data[2];
        if (length < wire::kQueryFrame || length > n || data[length - 1] != kEnd)
            return bad_frame(data, n);
    } else if (t == wire::kFlashErase || t == wire::kFlashProgram) {
        length = wire::kFlashFrame;
        if (n < length || data[length - 1] != kEnd) return bad_frame(data, n);
    } else {
        return bad_frame(data, n);
    }
    log_.add(LogEntry::Kind::Request, t, wire::carries_length(t) ? data[2] : 0);

    const std::uint8_t* payload = data + 3;
    const std::size_t payload_len = length - wire::kSpiFrameOverhead;
    switch (t) {
        case wire::kSpiWrite:
            return spi_write(payload, payload_len);
        case wire::kSpiRead:
            return spi_read(payload, payload_len);
        case wire::kCaptureStart:
            if (length != wire::kCaptureFrame) return bad_frame(data, n);
            return capture_start(data);
        case wire::kSoftReset:
            log_.add(LogEntry::Kind::Reset);
            stream_.stop();
            pipe_.clear();
            restarting_ = true;
            // After an update the MCU stays off the bus until the power is cycled.
            back_at_ = update_mode_ ? std::numeric_limits<double>::infinity()
                                    : clock_.now() + config_.reset_absence_s;
            return;
        case wire::kTargetInfo:
            return send_text(t, config_.info_text);
        case wire::kFirmwareVersion:
            return send_text(t, config_.firmware_version);
        case wire::kBoardId:
            if (faults_.silent_types & Faults::type_bit(t)) return;
            pipe_.push(&config_.board_code, 1);
            tail_is_stream_ = false;
            return;
        case wire::kEnterUpdate:
            update_mode_ = true;
            return reply(t, kStatusOk);
        case wire::kFlashErase: {
            const auto address = static_cast<std::uint16_t>(data[2] << 8 | data[3]);
            const bool ok = update_mode_ && !faults_.flash_fail && flash_.erase_page(address);
            log_.add(LogEntry::Kind::FlashErase, address, ok);
            return reply(t, ok ? kStatusOk : kStatusFailed);
        }
        case wire::kFlashProgram: {
            const auto address = static_cast<std::uint16_t>(data[2] << 8 | data[3]);
            const bool ok = update_mode_ && !faults_.flash_fail && data[4] == wire::kFlashChunk &&
                            address + wire::kFlashChunk <= McuFlash::kSize;
            expect_flash_data_ = ok;
            flash_address_ = address;
            return reply(t, ok ? kStatusOk : kStatusFailed);
        }
        default:
            return;
    }
}

void SimBoard::spi_write(const std::uint8_t* payload, std::size_t len) {
    const bool chip_write = len >= 5 && payload[0] == wire::kInstrWrite && (len - 2) % 3 == 0;
    if (len == 1) {
        const bool known = eeprom_.instruction(payload[0]);
        log_.add(LogEntry::Kind::EepromEnable, payload[0], known);
    } else if (chip_write) {
        if (!faults_.chip_select_broken) chip_.port_write(payload[1], payload + 2, len - 2);
        end_stream_if_stopped();
    } else if (len >= 4 && payload[0] == wire::kInstrWrite) {
        const auto address = static_cast<std::uint16_t>(payload[1] << 8 | payload[2]);
        bool stored = false;
        if (faults_.eeprom_write_fail) {
            eeprom_.instruction(SerialEeprom::kWriteDisable);  // the cycle is lost
        } else {
            stored = eeprom_.write(address, payload + 3, len - 3);
        }
        log_.add(LogEntry::Kind::EepromWrite, address, payload[3], stored);
    }
    if (!chip_write && eeprom_unanswered(payload[0])) return;
    reply(wire::kSpiWrite, kStatusOk);
}

void SimBoard::spi_read(const std::uint8_t* payload, std::size_t len) {
    if (len == wire::kChipReadPayload && payload[0] == wire::kInstrRead) {
        const std::uint32_t v = faults_.chip_select_broken ? 0xFFFFFF : chip_.port_read(payload[1]);
        return reply(wire::kSpiRead, kStatusOk, static_cast<std::uint8_t>(v >> 16),
                     static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v));
    }
    std::uint8_t value = 0;
    if (len >= 3 && payload[0] == wire::kInstrRead) {
        const auto address = static_cast<std::uint16_t>(payload[1] << 8 | payload[2]);
        value = eeprom_.bus_read(address);
        log_.add(LogEntry::Kind::EepromRead, address, value);
        if (eeprom_unanswered(wire::kInstrRead)) return;
    }
    reply(wire::kSpiRead, kStatusOk, 0, value, 0);
}

void SimBoard::capture_start(const std::uint8_t* frame) {
    const std::uint32_t count = static_cast<std::uint32_t>(frame[3]) << 24 |
                                static_cast<std::uint32_t>(frame[4]) << 16 |
                                static_cast<std::uint32_t>(frame[5]) << 8 | frame[6];
    const std::uint8_t channels = frame[7];
    const auto skip = static_cast<std::uint16_t>(frame[8] << 8 | frame[9]);
    log_.add(LogEntry::Kind::CaptureStart, count, channels, skip);
    reply(wire::kCaptureStart, kStatusOk);
    chip_.start_conversions();
    const bool lead_in =
        config_.lead_in_record && skip == 0 && chip_.variant() == ChipVariant::FourChannel;
    stream_.start(clock_.now(), chip_.conversion_setup(), count, skip, lead_in);
    skip_reply_pending_ = skip > 0;
    advance();
}

void SimBoard::flash_data(const std::uint8_t* data, std::size_t n) {
    const bool ok = !faults_.flash_fail && flash_.program(flash_address_, data, n);
    log_.add(LogEntry::Kind::FlashWrite, flash_address_, ok);
    if (faults_.flash_data_silent) return;
    if (faults_.flash_data_stray_reply) reply(wire::kFlashProgram, kStatusFailed);
    reply(wire::kFlashProgram, ok ? kStatusOk : kStatusFailed);
}

void SimBoard::end_stream_if_stopped() {
    if (stream_.active() && !chip_.converting()) {
        stream_.stop();
        skip_reply_pending_ = false;
        log_.add(LogEntry::Kind::CaptureEnd, static_cast<std::uint32_t>(stream_.records_out()));
    }
}

}  // namespace simboard

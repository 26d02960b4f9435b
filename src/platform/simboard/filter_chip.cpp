#include "platform/simboard/filter_chip.h"

namespace simboard {

namespace {

constexpr std::uint32_t kWordMask = 0xFFFFFF;

// Registers the single-channel variant lacks: the second serial port, GPCFG1 and the
// gains and offsets of channels 2 to 4.
constexpr bool kFourChannelOnly[FilterChip::kRegisters] = {
    // 0x00-0x0F
    false, false, false, false, false, false, false, false, false, false, false, false, false,
    false, false, true,
    // 0x10-0x1F
    true, true, true, false, false, false, false, false, false, false, false, false, false, false,
    false, false,
    // 0x20-0x2F
    false, false, true, true, true, false, true, true, true, false, false, false, false, false,
    false, false};

std::uint32_t word_of(const std::uint8_t* b) {
    return static_cast<std::uint32_t>(b[0]) << 16 | static_cast<std::uint32_t>(b[1]) << 8 | b[2];
}

void append_capped(std::vector<std::uint32_t>& words, std::uint32_t w, std::size_t capacity) {
    if (words.size() < capacity) words.push_back(w & kWordMask);
}

}  // namespace

ChipVariant chip_variant_of(std::uint8_t board_code) {
    switch (board_code) {
        case 1:
        case 4:
        case 7:
        case 9:
        case 10:
            return ChipVariant::FourChannel;
        default:
            return ChipVariant::SingleChannel;
    }
}

FilterChip::FilterChip(BoardLog& log) : log_(log) {
    power_up(ChipVariant::FourChannel);
}

void FilterChip::power_up(ChipVariant variant) {
    variant_ = variant;
    port_.fill(0);
    regs_.fill(0);
    const bool four = variant == ChipVariant::FourChannel;
    // 500 words/s, every channel the variant has.
    regs_[reg::FILT_CFG] = four ? 0x000040 : 0x000041;
    for (int ch = 0; ch < 4; ++ch)
        regs_[reg::GAIN1 + ch] = present(reg::GAIN1 + ch) ? kUnityGain : 0;
    regs_[reg::VERSION] = four ? kVersionFourChannel : kVersionSingleChannel;
    fir_.clear();
    iir_.clear();
    tbs_.clear();
    rom_coef_ = 0;
    rom_tbs_ = false;
    converting_ = false;
    program_.clear();
    data_.clear();
    modulator_.clear();
    starts_.clear();
}

bool FilterChip::present(std::uint8_t reg_address) const {
    if (reg_address >= kRegisters) return false;
    return variant_ == ChipVariant::FourChannel || !kFourChannelOnly[reg_address];
}

void FilterChip::port_write(std::uint8_t address, const std::uint8_t* data, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = address + i;
        if (at < port_.size()) port_[at] = data[i];
    }
    for (std::size_t i = 0; i + 3 <= n; i += 3)
        log_.add(LogEntry::Kind::PortWrite, address + i, word_of(data + i));
    const bool covers_command = address <= port::SPICMD && address + n >= port::SPICMD + 3u;
    if (covers_command) execute();
    if (debugger_)
        debugger_->port_written(address, n,
                                {[this](std::uint8_t a) { return port_word(a); },
                                 [this](std::uint8_t a, std::uint32_t w) { set_port_word(a, w); }});
}

std::uint32_t FilterChip::port_read(std::uint8_t address) {
    std::uint32_t w = port_word(address);
    if (debugger_ && address == port::SPICTRL) w = debugger_->spictrl_read(w);
    log_.add(LogEntry::Kind::PortRead, address, w);
    return w;
}

std::uint32_t FilterChip::port_word(std::uint8_t address) const {
    std::uint8_t b[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const std::size_t at = address + static_cast<std::size_t>(i);
        if (at < port_.size()) b[i] = port_[at];
    }
    return word_of(b);
}

void FilterChip::set_port_word(std::uint8_t address, std::uint32_t word) {
    port_[address] = static_cast<std::uint8_t>(word >> 16);
    port_[address + 1] = static_cast<std::uint8_t>(word >> 8);
    port_[address + 2] = static_cast<std::uint8_t>(word);
}

std::uint32_t FilterChip::reg(std::uint8_t address) const {
    return present(address) ? regs_[address] : 0;
}

void FilterChip::write_register(std::uint8_t address, std::uint32_t value) {
    log_.add(LogEntry::Kind::RegisterWrite, address, value);
    if (!present(address) || address == reg::VERSION) return;
    regs_[address] = value;
    // The second serial port shifts SPI2CMD and SPI2DAT out to the modulator when its
    // control word carries the go bit.
    if (address == reg::SPI2CTRL && (value & 0x004000) != 0) {
        modulator_.push_back({regs_[reg::SPI2CMD], regs_[reg::SPI2DAT]});
        log_.add(LogEntry::Kind::ModulatorWord, regs_[reg::SPI2CMD], regs_[reg::SPI2DAT]);
    }
}

std::uint32_t FilterChip::read_register(std::uint32_t address) {
    const std::uint32_t v = address < kRegisters ? reg(static_cast<std::uint8_t>(address)) : 0;
    log_.add(LogEntry::Kind::RegisterRead, address, v);
    return v;
}

void FilterChip::execute() {
    const std::uint32_t command = port_word(port::SPICMD);
    const std::uint32_t d1 = port_word(port::SPIDAT1);
    const std::uint32_t d2 = port_word(port::SPIDAT2);
    log_.add(LogEntry::Kind::Command, command, d1, d2);
    const bool four = variant_ == ChipVariant::FourChannel;
    switch (command) {
        case cmd::WR_DFREG:
            if (d1 < kRegisters) write_register(static_cast<std::uint8_t>(d1), d2);
            break;
        case cmd::RD_DFREG:
            set_port_word(port::SPIDAT1, read_register(d1));
            break;
        case cmd::WR_FIR_COEF:
            append_capped(fir_, d1, kCoefCapacity);
            append_capped(fir_, d2, kCoefCapacity);
            break;
        case cmd::WR_IIR_COEF:
            append_capped(iir_, d1, kCoefCapacity);
            append_capped(iir_, d2, kCoefCapacity);
            break;
        case cmd::WR_ROM_COEF:
            // Selecting the built-in sets discards coefficients loaded before.
            rom_coef_ = d1;
            fir_.clear();
            iir_.clear();
            break;
        case cmd::WR_TBS_DATA:
            if (!four) break;
            append_capped(tbs_, d1, kTbsCapacity);
            append_capped(tbs_, d2, kTbsCapacity);
            break;
        case cmd::WR_ROM_TBS:
            if (!four) break;
            rom_tbs_ = true;
            tbs_.clear();
            break;
        case cmd::FL_START:
            converting_ = true;
            break;
        case cmd::FL_STOP:
            converting_ = false;
            break;
        case cmd::WR_PM:
            program_.write(d1, d2);
            break;
        case cmd::WR_DM:
            data_.write(d1, d2);
            break;
        case cmd::RD_PM:
            set_port_word(port::SPIDAT1, program_word(d1));
            break;
        case cmd::RD_DM:
            set_port_word(port::SPIDAT1, data_word(d1));
            break;
        case cmd::RUN:
            starts_.push_back({d1, d2});
            break;
        default:  // NOP and codes the chip does not know
            break;
    }
}

ConversionSetup FilterChip::conversion_setup() const {
    ConversionSetup s;
    const std::uint32_t filt = regs_[reg::FILT_CFG];
    s.word_rate = kWordRates[(filt >> 4) & 0xF];
    const std::uint32_t code = filt & 0xF;
    if (variant_ == ChipVariant::SingleChannel) {
        s.channels = 1;
    } else {
        s.channels = (code == 0 || code > 4) ? 4 : static_cast<int>(code);
    }
    const std::uint32_t tbs = regs_[reg::TBS_CFG];
    s.tbs_on = (tbs & 0x000800) != 0;
    s.tbs_freq = 1.0 / (2.0 * (static_cast<double>((tbs >> 16) & 0xFF) + 1.0));
    s.tbs_amplitude = static_cast<double>(regs_[reg::TBS_GAIN]) / kTbsFullScale * 8388607.0;
    s.gain_on = (filt & 0x001000) != 0;
    s.offset_on = (filt & 0x002000) != 0;
    for (int ch = 0; ch < 4; ++ch) {
        s.gain[ch] = reg(static_cast<std::uint8_t>(reg::GAIN1 + ch));
        s.offset[ch] = reg(static_cast<std::uint8_t>(reg::OFFSET1 + ch));
    }
    return s;
}

}  // namespace simboard

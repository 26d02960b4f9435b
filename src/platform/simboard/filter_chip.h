// The decimation-filter chip as its serial command port sees it: the port registers, the 48
// filter registers, the command words and the memories they fill.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/simboard/board_log.h"
#include "platform/simboard/dsp_core.h"
#include "platform/simboard/dsp_memory.h"

namespace simboard {

enum class ChipVariant { FourChannel, SingleChannel };

// Boards 1, 4, 7, 9 and 10 carry the four-channel chip; every other code the single-channel one.
ChipVariant chip_variant_of(std::uint8_t board_code);

namespace port {
constexpr std::uint8_t SPICTRL = 0x00, SPICMD = 0x03, SPIDAT1 = 0x06, SPIDAT2 = 0x09;
}

namespace reg {
constexpr std::uint8_t CONFIG = 0x00, GPCFG0 = 0x0E, GPCFG1 = 0x0F, SPI2CTRL = 0x10, SPI2CMD = 0x11,
                       SPI2DAT = 0x12, FILT_CFG = 0x20, GAIN1 = 0x21, OFFSET1 = 0x25,
                       TBS_CFG = 0x2A, TBS_GAIN = 0x2B, VERSION = 0x2E;
}

namespace cmd {
constexpr std::uint8_t NOP = 0x00, WR_DFREG = 0x01, RD_DFREG = 0x02, WR_FIR_COEF = 0x03,
                       WR_IIR_COEF = 0x04, WR_ROM_COEF = 0x05, WR_TBS_DATA = 0x06,
                       WR_ROM_TBS = 0x07, FL_START = 0x08, FL_STOP = 0x09, WR_PM = 0x11,
                       WR_DM = 0x12, RD_PM = 0x13, RD_DM = 0x14, RUN = 0x18;
}

// VERSION of each variant: bits 23..20 are 7 on both; bits 23..16 tell the variant.
constexpr std::uint32_t kVersionFourChannel = 0x760110;
constexpr std::uint32_t kVersionSingleChannel = 0x720110;

// Output word rates by the rate code in FILT_CFG bits 7..4.
constexpr std::array<double, 16> kWordRates{125.0,  200.0,  250.0, 1000.0 / 3.0, 500.0, 1000.0,
                                            2000.0, 4000.0, 1.0,   5.0,          10.0,  20.0,
                                            25.0,   40.0,   50.0,  100.0};

// Full scale of the test-bit-stream gain word: TBS_GAIN equal to it gives a full-scale sine.
constexpr double kTbsFullScale = 327679.0;
// Gain word of unity gain.
constexpr std::uint32_t kUnityGain = 0x400000;

// What the registers ask of the conversion path, read when a capture starts.
struct ConversionSetup {
    double word_rate = 500.0;  // output words per second per channel
    int channels = 4;
    bool tbs_on = false;         // TBS_CFG bit 11: the generator replaces the modulator inputs
    double tbs_freq = 0.0;       // cycles per word: 1 / (2 (rate field + 1))
    double tbs_amplitude = 0.0;  // peak in codes: TBS_GAIN / kTbsFullScale of full scale
    bool gain_on = false;        // FILT_CFG bit 12: multiply by GAINn / 0x400000
    bool offset_on = false;      // FILT_CFG bit 13: add OFFSETn (24-bit two's complement)
    std::array<std::uint32_t, 4> gain{};
    std::array<std::uint32_t, 4> offset{};
};

struct ModulatorWord {
    std::uint32_t command;
    std::uint32_t data;
};

struct DspStart {
    std::uint32_t address;
    std::uint32_t word;
};

class FilterChip {
  public:
    static constexpr int kPortBytes = 32;
    static constexpr int kRegisters = 48;
    static constexpr std::size_t kCoefCapacity = 1024;
    static constexpr std::size_t kTbsCapacity = 2048;

    explicit FilterChip(BoardLog& log);

    // Power-on state of the given variant.
    void power_up(ChipVariant variant);

    // Port transfers as the MCU forwards them. A write stores its bytes from the address on;
    // when it covers SPICMD, the command runs after all bytes are stored.
    void port_write(std::uint8_t address, const std::uint8_t* data, std::size_t n);
    std::uint32_t port_read(std::uint8_t address);

    // The DSP core's debugger answers the debug registers and the e2dreq flag of SPICTRL.
    void attach_debugger(DspCore* core) { debugger_ = core; }

    // Conversions: the MCU starts them for a capture; FL_STOP ends them.
    void start_conversions() { converting_ = true; }
    bool converting() const { return converting_; }
    ConversionSetup conversion_setup() const;

    // What tests look at.
    ChipVariant variant() const { return variant_; }
    std::uint32_t port_word(std::uint8_t address) const;
    std::uint32_t reg(std::uint8_t address) const;
    const std::vector<std::uint32_t>& fir_words() const { return fir_; }
    const std::vector<std::uint32_t>& iir_words() const { return iir_; }
    const std::vector<std::uint32_t>& tbs_words() const { return tbs_; }
    std::uint32_t rom_coef_selection() const { return rom_coef_; }
    bool rom_tbs_selected() const { return rom_tbs_; }
    std::uint32_t program_word(std::uint32_t address) const { return program_.read(address); }
    std::uint32_t data_word(std::uint32_t address) const { return data_.read(address); }
    // The two memories, for the fault switches.
    DspMemory& program_memory() { return program_; }
    DspMemory& data_memory() { return data_; }
    const std::vector<ModulatorWord>& modulator_words() const { return modulator_; }
    const std::vector<DspStart>& dsp_starts() const { return starts_; }

  private:
    bool present(std::uint8_t reg_address) const;
    void set_port_word(std::uint8_t address, std::uint32_t word);
    void write_register(std::uint8_t address, std::uint32_t value);
    std::uint32_t read_register(std::uint32_t address);
    void execute();

    BoardLog& log_;
    ChipVariant variant_ = ChipVariant::FourChannel;
    std::array<std::uint8_t, kPortBytes> port_{};
    std::array<std::uint32_t, kRegisters> regs_{};
    std::vector<std::uint32_t> fir_, iir_, tbs_;
    std::uint32_t rom_coef_ = 0;
    bool rom_tbs_ = false;
    bool converting_ = false;
    DspMemory program_, data_;
    std::vector<ModulatorWord> modulator_;
    std::vector<DspStart> starts_;
    DspCore* debugger_ = nullptr;
};

}  // namespace simboard

#include "chip/configure.h"

#include <cstddef>
#include <utility>

#include "chip/registers.h"
#include "core/system_types.h"

namespace chip {

namespace {

using core::Status;

// A failed access as the failure of the step it belongs to. The transport has already shown
// what it had to say; the step itself shows nothing.
Status at(const char* step, const Status& s) {
    return s.ok() ? s : Status::failed(s.fault, step);
}

// A command without arguments goes out with one zero variable for both data words.
Status command(const Target& t, int code, int data1 = 0) {
    int d1 = data1, d2 = 0;
    if (data1 == 0) return dsp_command(t.port, code, &d1, &d1, false);
    return dsp_command(t.port, code, &d1, &d2, false);
}

// Read, mask, merge, write back. A failed read stops before the write: the zero it yields must
// not be written back as if it were the register's value.
Status merge_register(const Target& t, int address, int keep_mask, int fields) {
    int value = 0;
    if (Status s = reg_read(t.port, address, &value); !s) return s;
    return reg_write(t.port, address, (value & keep_mask) | fields);
}

struct RateCode {
    int rate;
    int code;
};
constexpr RateCode kRateCodes[] = {
    {125, 0}, {200, 1}, {250, 2}, {333, 3}, {500, 4}, {1000, 5}, {2000, 6}, {4000, 7},
    {1, 8},   {5, 9},   {10, 10}, {20, 11}, {25, 12}, {40, 13},  {50, 14},  {100, 15},
};

// --- modulator wiring ---------------------------------------------------------------------

struct ModulatorInputs {
    int mux, mode, gain;
};

constexpr int kPinsHigh = 0xFF0000;        // GPCFG0: all eight pins outputs
constexpr int kSwitchPinsHigh = 0x0F0000;  // GPCFG1: all four pins outputs
constexpr int kFixedSwitches = 0x0F0008;

int four_channel_pins(const ModulatorInputs& in) {
    return kPinsHigh + in.mode * 32 + in.gain * 4 + in.mux;
}

Status write_pins(const Target& t, int gpcfg0, int gpcfg1) {
    if (Status s = reg_write(t.port, REG_GPCFG0, gpcfg0); !s) return s;
    return reg_write(t.port, REG_GPCFG1, gpcfg1);
}

// Both MUX pins high; MUX and GAIN reach the modulator as words through the second port.
Status serial_modulator(const Target& t, const ModulatorInputs& in) {
    if (Status s = write_pins(t, kPinsHigh | in.mode * 32 | in.gain * 4 | 3, kFixedSwitches); !s)
        return s;
    const int w = (in.mux << 20) | (in.gain << 16);
    const int words[5] = {w, w, 0x400000, 0x8F0000, 0};
    for (int n = 1; n <= 5; ++n) {
        const std::pair<int, int> writes[] = {{REG_SPI2DAT, words[n - 1]},
                                              {REG_SPI2CMD, 0x000200 + n},
                                              {REG_SPI2CTRL, 0x3F0161},
                                              {REG_SPI2CTRL, 0x3F4162}};
        for (auto [reg, value] : writes)
            if (Status s = reg_write(t.port, reg, value); !s) return s;
    }
    return Status::success();
}

// The single-channel pin order: MUX bit 0 on pin 0, MODE on pins 1-3, GAIN on 4-6, MUX bit 1
// on pin 7.
Status single_channel_pins(const Target& t, const ModulatorInputs& in) {
    return reg_write(
        t.port, REG_GPCFG0,
        kPinsHigh + ((in.mux >> 1) & 1) * 128 + in.mode * 2 + in.gain * 16 + (in.mux & 1));
}

// --- test-bit-stream presets ---------------------------------------------------------------

struct TbsFrequency {
    int freq, rate, field_b;
};
constexpr TbsFrequency kTbsFrequencies[] = {{1, 7, 4}, {2, 4, 4}, {3, 1, 4}};

// 309490 x 10^(-level/20), the fraction dropped.
struct TbsLevel {
    int level, gain;
};
constexpr TbsLevel kTbsLevels[] = {{0, 309490}, {1, 275833}, {2, 245836}, {3, 219102}, {6, 155112}};

// Mode 0 frees the frequency and level inputs; mode 1 fixes the stream and locks them.
struct TbsMode {
    int mode, lock;
    bool fixed;
    int rate, field_b, gain, level;
};
constexpr TbsMode kTbsModes[] = {{0, 0, false, 0, 0, 0, 0}, {1, 1, true, 255, 4, 30949, 20}};

template <class T, std::size_t N, class Key>
const T* find_entry(const T (&table)[N], Key key, int value) {
    for (const T& e : table)
        if (e.*key == value) return &e;
    return nullptr;
}

// --- the sequence --------------------------------------------------------------------------

Status stop_filter(const Target& t) {
    return at("FL_STOP", command(t, FL_STOP));
}
Status rom_tbs(const Target& t) {
    return at("WR_ROM_TBS", command(t, WR_ROM_TBS));
}

Status filter_step(const Target& t) {
    return set_filter_parameters(t);
}

struct Step {
    const char* name;
    Status (*run)(const Target&);
};
constexpr Step kSequence[] = {
    {"FL_STOP", stop_filter},
    {"set_filter_coefficients", set_filter_coefficients},
    {"WR_ROM_TBS", rom_tbs},
    {"set_filter_parameters", filter_step},
    {"set_modulator_parameters", set_modulator_parameters},
    {"set_correction_parameters", set_correction_parameters},
    {"set_gainoffset_parameters", set_gainoffset_parameters},
    {"set_tbs_parameters", set_tbs_parameters},
    {"final FL_STOP", stop_filter},
};

}  // namespace

int rate_code(int rate) {
    const RateCode* r = find_entry(kRateCodes, &RateCode::rate, rate);
    return r ? r->code : -1;
}

Status set_filter_coefficients(const Target& t) {
    return at("set_filter_coefficients", command(t, WR_ROM_COEF, t.in.fir_rom | t.in.iir_rom));
}

Status set_filter_parameters(const Target& t) {
    constexpr const char* kStep = "set_filter_parameters";
    if (Status s = command(t, FL_STOP); !s) return at(kStep, s);
    const int selections = t.in.config_a + t.in.config_b;
    if (Status s = merge_register(t, REG_CONFIG, 0xF8F8CF, selections); !s) return at(kStep, s);
    const int rate = t.in.rate;
    if (t.stream) *t.stream = {true, double(rate), 0};
    // The rate input offers only the sixteen rates; anything else would be a resource fault.
    const int code = rate_code(rate) < 0 ? 0 : rate_code(rate);
    const int channel_code = t.in.channels;
    const int fields = t.in.filter * 256 + code * 16 + channel_code;
    const Status s = merge_register(t, REG_FILTCFG, 0xFFF000, fields);
    // The single-channel chip delivers one channel whatever the field says.
    const boardlink::BoardInfo* board = t.board;
    if (t.stream)
        t.stream->channels = !s || !board ? 0
                             : board->chip == boardlink::ChipFamily::SingleChannel
                                 ? 1
                                 : core::channels_from_code(channel_code);
    return at(kStep, s);
}

Status set_modulator_parameters(const Target& t) {
    constexpr const char* kStep = "set_modulator_parameters";
    const boardlink::BoardInfo* board = t.board;
    if (!board) return Status::failed(core::Fault::NoBoard, kStep);  // nothing written
    const ModulatorInputs in{t.in.mux, t.in.mode, t.in.gain};
    using W = boardlink::ModulatorWiring;
    switch (board->wiring) {
        case W::PinsWithPowerDown:
            return at(kStep,
                      write_pins(t, four_channel_pins(in), kSwitchPinsHigh + t.in.power_down));
        case W::PinsFixedSwitches:
            return at(kStep, write_pins(t, four_channel_pins(in), kFixedSwitches));
        case W::SerialModulator:
            return at(kStep, serial_modulator(t, in));
        case W::SingleChannelPins:
            return at(kStep, single_channel_pins(t, in));
    }
    return Status::failed(core::Fault::NoBoard, kStep);
}

Status set_correction_parameters(const Target& t) {
    constexpr const char* kStep = "set_correction_parameters";
    if (Status s = command(t, FL_STOP); !s) return at(kStep, s);
    const int fields = t.in.c16 * 65536 + t.in.c14 * 16384 + t.in.c13 * 8192 + t.in.c12 * 4096;
    return at(kStep, merge_register(t, REG_FILTCFG, 0x000FFF, fields));
}

Status set_gainoffset_parameters(const Target& t) {
    for (int i = 0; i < 8; ++i)
        if (Status s = reg_write(t.port, REG_GAIN1 + i, t.in.*kGainOffsetWords[i]); !s)
            return at("set_gainoffset_parameters", s);
    return Status::success();
}

Status set_tbs_parameters(const Target& t) {
    constexpr const char* kStep = "set_tbs_parameters";
    const int cfg = t.in.tbs_rate * 65536 + t.in.tbs_mode * 32768 + t.in.tbs_b * 4096 +
                    t.in.f11 * 2048 + t.in.f7 * 128 + t.in.f6 * 64;
    if (Status s = reg_write(t.port, REG_TBSCFG, cfg); !s) return at(kStep, s);
    return at(kStep, reg_write(t.port, REG_TBSGAIN, t.in.tbs_gain));
}

Status configure_chip(const Target& t) {
    for (const Step& step : kSequence)
        if (const Status s = step.run(t); !s) return Status::failed(s.fault, step.name);
    return Status::success();
}

void apply_tbs_presets(TbsInputs& in) {
    if (const TbsFrequency* f = find_entry(kTbsFrequencies, &TbsFrequency::freq, in.freq)) {
        in.rate = f->rate;
        in.field_b = f->field_b;
    }
    if (const TbsLevel* l = find_entry(kTbsLevels, &TbsLevel::level, in.level)) in.gain = l->gain;
    if (const TbsMode* m = find_entry(kTbsModes, &TbsMode::mode, in.mode)) {
        in.lock = m->lock;
        if (m->fixed) {
            in.rate = m->rate;
            in.field_b = m->field_b;
            in.gain = m->gain;
            in.level = m->level;
        }
    }
}

}  // namespace chip

// What a simulated board is: its identity, its analogue inputs and its fault switches.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace simboard {

// The analogue input of one modulator channel. A level far below one code (for example
// -400 dB) simply vanishes, so "off" needs no special value.
struct ChannelSignal {
    double tone_freq = 0.0;              // cycles per output word (tone frequency / word rate)
    double tone_dbfs = -0.5;             // peak relative to the full-scale code 0x7FFFFF
    std::array<double, 4> harmonics_dbc  // orders 2..5, relative to the tone
        {-115.0, -117.0, -121.0, -124.0};
    double noise_nv = 62.9;  // white input noise density, nV/sqrt(Hz) (against fs_volt)
    double dc_codes = 0.0;   // offset added before quantisation
    // 1/f corner in Hz: the flicker PSD is noise_nv's white level times flicker_hz / f
    // (0: none). Hz, not cycles per word, because the board learns its word rate only when a
    // capture starts.
    double flicker_hz = 0.0;
    // Gain error of the modulator, on everything it sees: its own input, the common input
    // and the crosstalk it picks up.
    double gain_ppm = 0.0;
    // Level of each other channel's input (its own plus the common one) leaking into this
    // one, by source channel 0..3; at or below kNoCrosstalkDb there is none.
    std::array<double, 4> crosstalk_db{-400.0, -400.0, -400.0, -400.0};
};

constexpr double kNoCrosstalkDb = -300.0;

// An input every channel sees at once, on top of its own: one tone and one white noise
// stream, the same samples on every channel. Off by default.
struct CommonSignal {
    double tone_hz = 0.0;
    double tone_dbfs = -400.0;  // peak relative to the full-scale code
    double noise_nv = 0.0;      // white noise density, nV/sqrt(Hz) (against fs_volt)
};

struct BoardConfig {
    std::string serial = "SB0000001";
    std::string info_text = "SB USB bridge rev 3";
    std::string firmware_version = "V2.4";  // a non-customer build starts with another letter
    std::uint8_t board_code = 4;            // 1..10 are the known boards; others are allowed
    std::uint64_t seed = 1;
    double reset_absence_s = 1.5;  // time off the bus after a soft reset
    // Full-scale voltage span: a sine whose peak is 0x7FFFFF spans fs_volt peak to peak.
    double fs_volt = 5.0;
    // The four-channel chip holds a stale output word before its first conversion; when no
    // samples are skipped it goes out ahead of the requested records.
    bool lead_in_record = true;
    // Tones near fs/16 (off any power-of-two bin grid), noise for about 125 dB dynamic range
    // at 500 words/s, harmonics near -115 dBc.
    std::array<ChannelSignal, 4> channels{
        ChannelSignal{.tone_freq = 0.0623113},
        ChannelSignal{.tone_freq = 0.0418271},
        ChannelSignal{.tone_freq = 0.0937379},
        ChannelSignal{.tone_freq = 0.1271583},
    };
    CommonSignal common;
};

// Fault switches. Tests flip them on the live board; each takes effect at the next byte the
// board handles.
struct Faults {
    static constexpr std::uint32_t type_bit(std::uint8_t type) { return 1u << (type & 31); }
    static constexpr std::uint32_t kAllTypes = 0xFFFFFFFFu;

    std::uint32_t silent_types = 0;   // replies of these types are lost (the request still acts)
    std::uint32_t wrong_types = 0;    // replies of these types carry type + 1
    bool chip_select_broken = false;  // filter chip reads float high (FF FF FF), writes are lost
    std::int64_t stall_after_records = -1;  // the stream stops after this many records
    std::uint32_t burst_records = 0;        // stream released in bursts of this many records
    bool split_records = false;             // every delivery of the stream ends inside a record
    bool eeprom_write_fail = false;         // EEPROM writes acknowledged but not stored
    // EEPROM frames left unanswered, by instruction byte (bit 1 << instruction): 0x06 write
    // enable, 0x02 write, 0x03 read. The instruction still reaches the part.
    std::uint32_t eeprom_unanswered = 0;
    bool flash_fail = false;              // flash erase and program report an error
    bool flash_data_silent = false;       // the 64 flash bytes are stored but not answered
    bool flash_data_stray_reply = false;  // a reply 0B 01 goes out before each 0B 00
    bool rx_overrun = false;  // the USB bridge reports lost data: queue status ready + over-run
};

}  // namespace simboard

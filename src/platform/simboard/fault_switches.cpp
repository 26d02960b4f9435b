#include "platform/simboard/fault_switches.h"

#include <array>
#include <limits>

#include "platform/simboard/sim_board.h"
#include "platform/usb/wire_format.h"

namespace simboard {

namespace {

namespace wire = usb::wire;

struct Word {
    std::string_view word;
    std::int64_t value;
};

constexpr std::array kRequestTypes{
    Word{"all", kAllRequestTypes},           Word{"spi-write", wire::kSpiWrite},
    Word{"spi-read", wire::kSpiRead},        Word{"capture", wire::kCaptureStart},
    Word{"reset", wire::kSoftReset},         Word{"info", wire::kTargetInfo},
    Word{"version", wire::kFirmwareVersion}, Word{"board-id", wire::kBoardId},
    Word{"update", wire::kEnterUpdate},      Word{"erase", wire::kFlashErase},
    Word{"program", wire::kFlashProgram},    Word{"skip-done", wire::kSkipDone},
};

constexpr std::array kEepromInstructions{
    Word{"wren", wire::kInstrWriteEnable},
    Word{"write", wire::kInstrWrite},
    Word{"read", wire::kInstrRead},
};

std::uint32_t type_mask(std::int64_t type) {
    return type == kAllRequestTypes ? Faults::kAllTypes
                                    : Faults::type_bit(static_cast<std::uint8_t>(type));
}

Faults& f(SimBoard& b) {
    return b.faults();
}

constexpr std::array kSwitches{
    FaultSwitch{
        "silent", FaultArg::RequestType, FaultArg::None,
        "replies to requests of TYPE are lost; the request still acts",
        [](SimBoard& b, std::int64_t t, std::int64_t) { f(b).silent_types |= type_mask(t); }},
    FaultSwitch{
        "wrong", FaultArg::RequestType, FaultArg::None,
        "replies to requests of TYPE carry the next type number",
        [](SimBoard& b, std::int64_t t, std::int64_t) { f(b).wrong_types |= type_mask(t); }},
    FaultSwitch{"chip-select", FaultArg::None, FaultArg::None,
                "filter chip select broken: chip reads give FF FF FF, chip writes are lost",
                [](SimBoard& b, std::int64_t, std::int64_t) { f(b).chip_select_broken = true; }},
    FaultSwitch{"unplug", FaultArg::None, FaultArg::None,
                "the board leaves the bus as if its cable were pulled",
                [](SimBoard& b, std::int64_t, std::int64_t) { b.unplug(); }},
    FaultSwitch{"plug", FaultArg::None, FaultArg::None,
                "the board is plugged in again and powers up afresh",
                [](SimBoard& b, std::int64_t, std::int64_t) { b.plug(); }},
    FaultSwitch{"power-cycle", FaultArg::None, FaultArg::None,
                "the board is switched off and on; EEPROM and flash keep their contents",
                [](SimBoard& b, std::int64_t, std::int64_t) { b.power_cycle(); }},
    FaultSwitch{"stall", FaultArg::Count, FaultArg::None,
                "the capture stream stops after N records",
                [](SimBoard& b, std::int64_t n, std::int64_t) { f(b).stall_after_records = n; }},
    FaultSwitch{"burst", FaultArg::Count, FaultArg::None,
                "the capture stream is released in bursts of N records",
                [](SimBoard& b, std::int64_t n, std::int64_t) {
                    f(b).burst_records = static_cast<std::uint32_t>(n);
                }},
    FaultSwitch{"split", FaultArg::None, FaultArg::None,
                "every delivery of the capture stream ends inside a record",
                [](SimBoard& b, std::int64_t, std::int64_t) { f(b).split_records = true; }},
    FaultSwitch{"rx-overrun", FaultArg::None, FaultArg::None,
                "the USB bridge reports received data lost (queue over-run)",
                [](SimBoard& b, std::int64_t, std::int64_t) { f(b).rx_overrun = true; }},
    FaultSwitch{"eeprom-write", FaultArg::None, FaultArg::None,
                "EEPROM writes are acknowledged but not stored",
                [](SimBoard& b, std::int64_t, std::int64_t) { f(b).eeprom_write_fail = true; }},
    FaultSwitch{"eeprom-unanswered", FaultArg::EepromInstruction, FaultArg::None,
                "EEPROM frames of INSTR (wren, write, read) reach the part but get no reply",
                [](SimBoard& b, std::int64_t i, std::int64_t) {
                    f(b).eeprom_unanswered |= 1u << static_cast<unsigned>(i);
                }},
    FaultSwitch{"eeprom-misread", FaultArg::Address, FaultArg::None,
                "the next EEPROM read of ADDR returns the byte inverted, once",
                [](SimBoard& b, std::int64_t a, std::int64_t) {
                    b.eeprom().misread_once(static_cast<std::uint16_t>(a));
                }},
    FaultSwitch{"flash", FaultArg::None, FaultArg::None,
                "MCU flash erase and program report an error",
                [](SimBoard& b, std::int64_t, std::int64_t) { f(b).flash_fail = true; }},
    FaultSwitch{"flash-data-silent", FaultArg::None, FaultArg::None,
                "the 64 flash data bytes are stored but not answered",
                [](SimBoard& b, std::int64_t, std::int64_t) { f(b).flash_data_silent = true; }},
    FaultSwitch{
        "flash-data-stray-reply", FaultArg::None, FaultArg::None,
        "a failure reply goes out before each flash data acknowledgement",
        [](SimBoard& b, std::int64_t, std::int64_t) { f(b).flash_data_stray_reply = true; }},
    FaultSwitch{"debug-err", FaultArg::DebugCommand, FaultArg::None,
                "the DSP debugger refuses command CODE with ERR",
                [](SimBoard& b, std::int64_t code, std::int64_t) {
                    b.dsp().faults().reject.set(static_cast<std::size_t>(code));
                }},
    FaultSwitch{"debug-stuck", FaultArg::None, FaultArg::None,
                "the DSP debugger never takes a request: e2dreq stays set",
                [](SimBoard& b, std::int64_t, std::int64_t) {
                    b.dsp().settings().e2dreq_polls = std::numeric_limits<int>::max();
                }},
    FaultSwitch{
        "debug-echo", FaultArg::None, FaultArg::None,
        "the DSP debugger echoes each command with its count field changed",
        [](SimBoard& b, std::int64_t, std::int64_t) { b.dsp().faults().wrong_echo = true; }},
    FaultSwitch{"pm-write-loss", FaultArg::Address, FaultArg::Count,
                "the next N writes to DSP program-memory word ADDR are lost",
                [](SimBoard& b, std::int64_t a, std::int64_t n) {
                    b.program_memory().lose_writes(static_cast<std::uint32_t>(a),
                                                   static_cast<int>(n));
                }},
    FaultSwitch{"dm-write-loss", FaultArg::Address, FaultArg::Count,
                "the next N writes to DSP data-memory word ADDR are lost",
                [](SimBoard& b, std::int64_t a, std::int64_t n) {
                    b.data_memory().lose_writes(static_cast<std::uint32_t>(a), static_cast<int>(n));
                }},
};

}  // namespace

std::span<const FaultSwitch> fault_switches() {
    return kSwitches;
}

const FaultSwitch* find_fault_switch(std::string_view name) {
    for (const FaultSwitch& s : kSwitches) {
        if (s.name == name) return &s;
    }
    return nullptr;
}

std::string_view fault_arg_label(FaultArg kind) {
    switch (kind) {
        case FaultArg::None:
            return "";
        case FaultArg::Count:
            return "N";
        case FaultArg::RequestType:
            return "TYPE";
        case FaultArg::EepromInstruction:
            return "INSTR";
        case FaultArg::Address:
            return "ADDR";
        case FaultArg::DebugCommand:
            return "CODE";
    }
    return "";
}

std::int64_t fault_arg_max(FaultArg kind) {
    switch (kind) {
        case FaultArg::Count:
            return 0x7FFFFFFF;
        case FaultArg::RequestType:
        case FaultArg::EepromInstruction:
            return 31;  // the fault masks hold one bit per type or instruction
        case FaultArg::Address:
            return 0xFFFF;
        case FaultArg::DebugCommand:
            return 63;
        case FaultArg::None:
            break;
    }
    return 0;
}

std::optional<std::int64_t> fault_arg_word(FaultArg kind, std::string_view word) {
    std::span<const Word> words;
    if (kind == FaultArg::RequestType) words = kRequestTypes;
    if (kind == FaultArg::EepromInstruction) words = kEepromInstructions;
    for (const Word& w : words) {
        if (w.word == word) return w.value;
    }
    return std::nullopt;
}

}  // namespace simboard

// The filter chip's small DSP core and its hardware debugger, as the serial port sees them.
// The host arms the debug interrupt (a key in TEST2, bit 13 of TEST0), writes a request into
// DEB_DATA/DEB_STAT and polls e2dreq (SPICTRL bit 8) until the debugger has taken it. The core
// runs no real instruction set: while running, its PC moves one word per instruction time on
// the clock, and the breakpoint word 0xE00000 stops it with the return address on the PC stack.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/simboard/dsp_memory.h"

namespace simboard {

namespace debug_port {
constexpr std::uint8_t SPICTRL = 0x00, DEB_DATA = 0x0C, DEB_STAT = 0x0F, TEST2 = 0x15, TEST0 = 0x1B;
constexpr std::uint32_t kE2dreq = 0x000100;  // SPICTRL: a request waits for the debugger
constexpr std::uint32_t kErr = 0x400000;     // DEB_STAT: the debugger refused the command
constexpr std::uint32_t kKey = 0x6B;         // TEST2 low byte that arms the debug interrupt
constexpr std::uint32_t kIntBit = 0x002000;  // TEST0 bit that arms it
constexpr std::uint32_t kBreakpoint = 0xE00000;
}  // namespace debug_port

class DspCore {
  public:
    // Both memories are addressed by the 14 address bits of a command word.
    static constexpr std::size_t kMemoryWords = DspMemory::kWords;
    static constexpr int kStackDepth = 16;
    static constexpr int kIoRegisters = 32;
    static constexpr int kStatusRegister = 2;  // bits 11-8 mirror the stack pointer

    struct Settings {
        double instruction_s = 1e-6;  // time per instruction while running
        int e2dreq_polls = 1;         // SPICTRL reads that still show a request as pending
    };
    struct Faults {
        std::bitset<64> reject;   // command codes answered with ERR
        bool wrong_echo = false;  // DEB_STAT echoes a command with its count field changed
    };

    // The chip's port words, as the debugger reads and answers them.
    struct Port {
        std::function<std::uint32_t(std::uint8_t)> word;
        std::function<void(std::uint8_t, std::uint32_t)> set_word;
    };

    // The core runs on the chip's memories, which the chip clears at its power-up.
    DspCore(const platform::Clock& clock, DspMemory& program, DspMemory& data);

    void power_up();  // registers and stacks cleared; halted at PC 0

    // The chip calls these for every port transfer.
    void port_written(std::uint8_t address, std::size_t n, const Port& port);
    std::uint32_t spictrl_read(std::uint32_t stored);

    Settings& settings() { return settings_; }
    Faults& faults() { return faults_; }

    // What tests look at and set up, as of now.
    bool halted();
    int stack_pointer() const { return sp_; }
    std::uint32_t program_word(std::uint32_t address) const;
    std::uint32_t data_word(std::uint32_t address) const;
    void set_program_word(std::uint32_t address, std::uint32_t word);
    // A register as RD_* reads it, by command code of the read (e.g. 0x17 RD_AR3); for the
    // blocks and stacks, index picks the word.
    std::uint32_t read_register(int code, int index = 0);
    // Accepted requests so far: (command word, data word) of each command.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>>& commands() const {
        return commands_;
    }

  private:
    enum class Transfer { None, Write, Read };

    void catch_up();
    void take_command(std::uint32_t command, std::uint32_t data, const Port& port);
    void take_data(std::uint32_t data, const Port& port);
    bool accepts(int code) const;
    void execute(int code, int count, std::uint32_t address, std::uint32_t data, const Port& port);
    void write_word(int code, std::uint32_t address, int index, std::uint32_t value);
    std::uint32_t read_word(int code, std::uint32_t address, int index);
    // Registers and stacks cleared, PC 0, halted; the memories are left alone.
    void reset_registers();
    void halt();
    void resume();
    void step();
    void push(std::uint32_t pc);
    std::uint32_t& top_pc();

    const platform::Clock& clock_;
    Settings settings_;
    Faults faults_;
    DspMemory& program_;
    DspMemory& data_;
    std::array<std::uint32_t, 3> acc0_{}, acc1_{};  // S, Hi, Lo
    std::array<std::uint32_t, 8> ar_{}, mar_{};
    std::array<std::uint32_t, 2> par_{}, mpar_{};
    std::uint32_t cr_ = 0;
    std::array<std::uint32_t, kIoRegisters> io_{};
    std::array<std::uint32_t, kStackDepth> pcs_{}, lcs_{};
    int sp_ = 0;
    std::uint32_t pc_ = 0;
    bool halted_ = true;
    double last_run_ = 0.0;
    bool pending_ = false;  // e2dreq
    int polls_left_ = 0;
    Transfer transfer_ = Transfer::None;
    int transfer_code_ = 0;
    std::uint32_t transfer_address_ = 0;
    int transfer_index_ = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> commands_;
};

}  // namespace simboard

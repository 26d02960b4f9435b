#include "platform/simboard/dsp_core.h"

#include <algorithm>
#include <cmath>

namespace simboard {

namespace {

using namespace debug_port;

constexpr std::uint32_t kWordMask = 0xFFFFFF;
constexpr std::uint32_t kAddressMask = 0x3FFF;

std::uint32_t resized(std::uint32_t v, int bits) {
    return v & ((1u << bits) - 1);
}

}  // namespace

DspCore::DspCore(const platform::Clock& clock, DspMemory& program, DspMemory& data)
    : clock_(clock), program_(program), data_(data) {
    power_up();
}

void DspCore::power_up() {
    // Waiting for a program: halted, its resume address on the stack.
    reset_registers();
    pending_ = false;
    polls_left_ = 0;
    transfer_ = Transfer::None;
    commands_.clear();
}

void DspCore::reset_registers() {
    acc0_ = acc1_ = {};
    ar_ = mar_ = {};
    par_ = mpar_ = {};
    cr_ = 0;
    io_ = {};
    pcs_ = lcs_ = {};
    sp_ = 0;
    pc_ = 0;
    halted_ = false;
    halt();
}

// --- execution ---------------------------------------------------------------------------

void DspCore::catch_up() {
    const double now = clock_.now();
    if (halted_) {
        last_run_ = now;
        return;
    }
    const double due = std::floor((now - last_run_) / settings_.instruction_s);
    if (due < 1) return;
    // Without an instruction set the path is known: straight on to the next breakpoint word.
    const std::size_t scan = due >= kMemoryWords ? kMemoryWords : static_cast<std::size_t>(due);
    for (std::size_t k = 0; k < scan; ++k) {
        const std::uint32_t at = (pc_ + k) % kMemoryWords;
        if (program_.read(at) == kBreakpoint) {
            last_run_ += static_cast<double>(k + 1) * settings_.instruction_s;
            halted_ = true;
            push((at + 1) % kMemoryWords);
            return;
        }
    }
    pc_ = static_cast<std::uint32_t>(std::fmod(pc_ + due, static_cast<double>(kMemoryWords)));
    last_run_ += due * settings_.instruction_s;
}

bool DspCore::halted() {
    catch_up();
    return halted_;
}

void DspCore::push(std::uint32_t pc) {
    pcs_[sp_] = pc;
    sp_ = (sp_ + 1) % kStackDepth;  // a four-bit stack pointer wraps
}

std::uint32_t& DspCore::top_pc() {
    return pcs_[(sp_ + kStackDepth - 1) % kStackDepth];
}

void DspCore::halt() {
    if (halted_) return;
    halted_ = true;
    push(pc_);
}

void DspCore::resume() {
    if (!halted_) return;
    pc_ = top_pc();
    sp_ = (sp_ + kStackDepth - 1) % kStackDepth;
    halted_ = false;
    last_run_ = clock_.now();
}

void DspCore::step() {
    if (!halted_) return;
    std::uint32_t& pc = top_pc();
    pc = (pc + 1) % kMemoryWords;  // a breakpoint word stops it there all the same
}

// --- the debugger port -------------------------------------------------------------------

void DspCore::port_written(std::uint8_t address, std::size_t n, const Port& port) {
    const std::size_t end = address + n;
    const bool command = address <= DEB_STAT && end >= DEB_STAT + 3u;
    const bool data = address <= DEB_DATA && end >= DEB_DATA + 3u;
    if (!command && !data) return;
    catch_up();
    pending_ = true;
    const bool armed = (port.word(TEST2) & 0xFF) == kKey && (port.word(TEST0) & kIntBit) != 0;
    if (!armed) {
        polls_left_ = -1;  // nobody takes the request
        return;
    }
    polls_left_ = settings_.e2dreq_polls;
    if (command)
        take_command(port.word(DEB_STAT), port.word(DEB_DATA), port);
    else
        take_data(port.word(DEB_DATA), port);
}

std::uint32_t DspCore::spictrl_read(std::uint32_t stored) {
    catch_up();
    if (pending_ && polls_left_ >= 0) {
        if (polls_left_ == 0)
            pending_ = false;
        else
            --polls_left_;
    }
    return (stored & ~kE2dreq) | (pending_ ? kE2dreq : 0);
}

bool DspCore::accepts(int code) const {
    const bool known = code <= 0x33 && (code < 0x05 || code > 0x07);
    return known && !faults_.reject[static_cast<std::size_t>(code)];
}

void DspCore::take_command(std::uint32_t command, std::uint32_t data, const Port& port) {
    commands_.emplace_back(command, data);
    const int code = static_cast<int>((command >> 16) & 0x3F);
    transfer_ = Transfer::None;
    if (!accepts(code)) {
        port.set_word(DEB_STAT, (command | kErr) & kWordMask);
        return;
    }
    std::uint32_t echo = command & 0x3FFFFF;
    if (faults_.wrong_echo) echo ^= 0x004000;
    port.set_word(DEB_STAT, echo);
    execute(code, static_cast<int>((command >> 14) & 3), command & kAddressMask, data, port);
}

void DspCore::take_data(std::uint32_t data, const Port& port) {
    if (transfer_ == Transfer::Write)
        write_word(transfer_code_, transfer_address_, transfer_index_++, data);
    else if (transfer_ == Transfer::Read)
        port.set_word(DEB_DATA, read_word(transfer_code_, transfer_address_, transfer_index_++));
}

void DspCore::execute(int code, int count, std::uint32_t address, std::uint32_t data,
                      const Port& port) {
    (void)count;  // a block moves as many words as the host sends or asks for
    auto start = [&](Transfer t, int index) {
        transfer_ = t;
        transfer_code_ = code;
        transfer_address_ = address;
        transfer_index_ = index;
    };
    const bool even = code % 2 == 0;
    switch (code) {
        case 0x00:  // RESET: registers and stacks cleared, the memories kept
            return reset_registers();
        case 0x01:
            return halt();
        case 0x02:
            return resume();
        case 0x03:
            return step();
        case 0x04:  // JUMP_TO_PATCH
            if (halted_)
                top_pc() = address;
            else
                pc_ = address;
            return;
        case 0x08:
        case 0x0A:
        case 0x0C:
        case 0x0E:
        case 0x20:
        case 0x2E:
            write_word(code, address, 0, data);
            return start(Transfer::Write, 1);
        case 0x09:
        case 0x0B:
        case 0x0D:
        case 0x0F:
        case 0x21:
        case 0x2F:
        case 0x31:
        case 0x33:
            return start(Transfer::Read, 0);
        case 0x2A:
        case 0x2C:  // S from the command word's low six bits, Hi now, Lo next
            write_word(code, 0, 0, address & 0x3F);
            write_word(code, 0, 1, data);
            return start(Transfer::Write, 2);
        case 0x2B:
        case 0x2D:
            port.set_word(DEB_DATA, read_word(code, 0, 0));
            return start(Transfer::Read, 1);
        default:  // the short forms: the value travels in the command word's low 14 bits
            if (even)
                write_word(code, 0, 0, address);
            else
                port.set_word(DEB_DATA, read_word(code, 0, 0));
            return;
    }
}

void DspCore::write_word(int code, std::uint32_t address, int index, std::uint32_t value) {
    value &= kWordMask;
    const std::uint32_t at = (address + static_cast<std::uint32_t>(index)) & kAddressMask;
    const auto i = static_cast<std::size_t>(index);
    switch (code) {
        case 0x08:
            data_.write(at, value);
            return;
        case 0x0A:
            program_.write(at, value);
            return;
        case 0x0C:
            io_[at % kIoRegisters] = value;
            return;
        case 0x0E:
            if (i < ar_.size()) ar_[i] = resized(value, 16);
            return;
        case 0x20:
            if (i < mar_.size()) mar_[i] = value;
            return;
        case 0x2A:
        case 0x2C: {
            auto& acc = code == 0x2A ? acc0_ : acc1_;
            if (i < acc.size()) acc[i] = i == 0 ? resized(value, 8) : value;
            return;
        }
        case 0x2E:
            if (i == 0) cr_ = value;
            return;
        case 0x30:
            if (halted_)
                top_pc() = value;
            else
                pc_ = value;
            return;
        case 0x32:
            lcs_[sp_ == 0 ? 0 : sp_ - 1] = value;
            return;
        default:
            if (code >= 0x10 && code <= 0x1E) ar_[(code - 0x10) / 2] = resized(value, 16);
            if (code >= 0x22 && code <= 0x28) {
                auto& pair = code <= 0x24 ? par_ : mpar_;
                pair[((code - 0x22) / 2) % 2] = resized(value, 16);
            }
            return;
    }
}

std::uint32_t DspCore::read_word(int code, std::uint32_t address, int index) {
    const std::uint32_t at = (address + static_cast<std::uint32_t>(index)) & kAddressMask;
    const auto i = static_cast<std::size_t>(index);
    switch (code) {
        case 0x09:
            return data_.read(at);
        case 0x0B:
            return program_.read(at);
        case 0x0D: {
            const std::uint32_t r = at % kIoRegisters;
            if (r != kStatusRegister) return io_[r];
            return (io_[r] & ~0xF00u) | static_cast<std::uint32_t>(sp_) << 8;
        }
        case 0x0F:
            return i < ar_.size() ? ar_[i] : 0;
        case 0x21:
            return i < mar_.size() ? mar_[i] : 0;
        case 0x2B:
        case 0x2D: {
            const auto& acc = code == 0x2B ? acc0_ : acc1_;
            return i < acc.size() ? acc[i] : 0;
        }
        case 0x2F:
            return i == 0 ? cr_ : 0;
        case 0x31:
            return pcs_[i % kStackDepth];
        case 0x33:
            return lcs_[i % kStackDepth];
        default:
            if (code >= 0x11 && code <= 0x1F) return ar_[(code - 0x11) / 2];
            if (code >= 0x23 && code <= 0x29) {
                const auto& pair = code <= 0x25 ? par_ : mpar_;
                return pair[((code - 0x23) / 2) % 2];
            }
            return 0;
    }
}

// --- for tests ---------------------------------------------------------------------------

std::uint32_t DspCore::program_word(std::uint32_t address) const {
    return program_.read(address);
}

std::uint32_t DspCore::data_word(std::uint32_t address) const {
    return data_.read(address);
}

void DspCore::set_program_word(std::uint32_t address, std::uint32_t word) {
    program_.write(address, word);
}

std::uint32_t DspCore::read_register(int code, int index) {
    catch_up();
    return read_word(code, 0, index);
}

}  // namespace simboard

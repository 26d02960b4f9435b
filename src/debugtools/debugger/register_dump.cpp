#include "debugtools/debugger/register_dump.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>

#include "debugtools/debugger/commands.h"
#include "debugtools/debugger/context.h"
#include "debugtools/debugger/transfer.h"

namespace debugger {

namespace {

constexpr double kReadPause = 0.1;

std::string format(const char* fmt, ...) {
    char buf[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    std::string s(buf);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

template <std::size_t N>
void take(const std::vector<int>& words, std::array<int, N>& into) {
    std::copy_n(words.begin(), N, into.begin());
}

}  // namespace

core::Status read_registers(const Context& cx, CoreRegisters* out) {
    // Accumulators, AR, MAR, five single registers, the I/O registers and both stacks.
    constexpr int kReads = 4 + 5 + kIoRegisters + 2;
    CoreRegisters r;
    std::vector<int> w;
    int done = 0;
    auto read = [&](int code, int count, int address, auto store) {
        if (cx.ui.UpdateProgress(kRegisterProgressTitle,
                                 std::to_string(done) + " of " + std::to_string(kReads) + " reads",
                                 double(done) / kReads) != 0)
            return core::Status::failed(core::Fault::Cancelled, "register read", "DSP Registers",
                                        "Register read cancelled.");
        ++done;
        w.assign(std::max(count, 3), 0);
        core::Status s = DEBUG_command(cx, code, count, address, w);
        cx.ui.Delay(kReadPause);
        if (s) store();
        return s;
    };
    struct Read {
        int code, count;
        int* single;
    };
    core::Status s = read(RD_ACC0, 2, 0, [&] { take(w, r.acc0); });
    if (s) s = read(RD_ACC1, 2, 0, [&] { take(w, r.acc1); });
    if (s) s = read(RD_ALL_AR, 8, 0, [&] { take(w, r.ar); });
    if (s) s = read(RD_ALL_MAR, 8, 0, [&] { take(w, r.mar); });
    for (Read one :
         {Read{RD_PAR0, 0, &r.par0}, Read{RD_PAR1, 0, &r.par1}, Read{RD_MPAR0, 0, &r.mpar0},
          Read{RD_MPAR1, 0, &r.mpar1}, Read{RD_CR, 1, &r.cr}})
        if (s) s = read(one.code, one.count, 0, [&] { *one.single = w[0]; });
    for (int i = 0; i < kIoRegisters && s; ++i)
        s = read(RD_IOREG, 1, i, [&] { r.io[static_cast<std::size_t>(i)] = w[0]; });
    if (s) s = read(RD_ALL_STACKPCS, kStackDepth, 0, [&] { take(w, r.pcs); });
    if (s) s = read(RD_ALL_STACKLCS, kStackDepth, 0, [&] { take(w, r.lcs); });
    cx.ui.EndProgress();
    if (s) *out = r;
    return s;
}

int stack_pointer(int status_word) {
    return (status_word >> 8) & 0xF;
}

std::optional<int> current_pc(const CoreRegisters& r) {
    const int sp = stack_pointer(r.io[kStatusIo]);
    if (sp == 0) return std::nullopt;
    return r.pcs[static_cast<std::size_t>(sp - 1)];
}

std::string pc_text(std::optional<int> pc) {
    return pc ? format("%04x", *pc) : "----";
}

std::vector<std::string> dump_lines(const CoreRegisters& r) {
    const int marked = stack_pointer(r.io[kStatusIo]) - 1;  // -1 marks no slot
    // A stack slot: its marker's two characters, its PC and its loop counter.
    struct Slot {
        char m1, m2;
        int pc, lc;
    };
    auto slot = [&](int k) {
        const bool here = k == marked;
        return Slot{here ? '-' : ' ', here ? '>' : ' ', r.pcs[static_cast<std::size_t>(k)],
                    r.lcs[static_cast<std::size_t>(k)]};
    };
    auto io = [&](int n) { return r.io[static_cast<std::size_t>(n)]; };
    std::vector<std::string> lines;
    lines.push_back(format("     S    Hi     Lo          PC   LC            IO00 %06x IO16 %06x",
                           io(0), io(16)));
    for (int a = 0; a < 2; ++a) {
        const auto& acc = a == 0 ? r.acc0 : r.acc1;
        const Slot s = slot(a);
        lines.push_back(format("   A%d %02x %06x %06x    %c%c%04x %04x           %s %06x IO%d %06x",
                               a, acc[0], acc[1], acc[2], s.m1, s.m2, s.pc, s.lc,
                               a == 0 ? "IO01" : "STAT", io(1 + a), 17 + a, io(17 + a)));
    }
    Slot s = slot(2);
    lines.push_back(format("                          %c%c%04x %04x           SHAD %06x IO19 %06x",
                           s.m1, s.m2, s.pc, s.lc, io(3), io(19)));
    const char* named[] = {"   STATUS   %06x        %c%c%04x %04x           IO%02d %06x IO%d %06x",
                           "   SHADOW   %06x        %c%c%04x %04x           IO%02d %06x IO%d %06x",
                           "   CONTROL  %06x        %c%c%04x %04x           IO%02d %06x IO%d %06x"};
    const int named_values[] = {io(2), io(3), r.cr};
    for (int k = 0; k < 3; ++k) {
        s = slot(3 + k);
        lines.push_back(format(named[k], named_values[k], s.m1, s.m2, s.pc, s.lc, 4 + k, io(4 + k),
                               20 + k, io(20 + k)));
    }
    s = slot(6);
    lines.push_back(format("                          %c%c%04x %04x           IO07 %06x IO23 %06x",
                           s.m1, s.m2, s.pc, s.lc, io(7), io(23)));
    for (int n = 0; n < 8; ++n) {
        s = slot(7 + n);
        const int mar = r.mar[static_cast<std::size_t>(n)];
        lines.push_back(
            format("   AR%d %04x  MAR%d %03x %03x %c%c%04x %04x           IO%02d %06x IO%d %06x", n,
                   r.ar[static_cast<std::size_t>(n)], n, (mar >> 12) & 0xFFF, mar & 0xFFF, s.m1,
                   s.m2, s.pc, s.lc, 8 + n, io(8 + n), 24 + n, io(24 + n)));
    }
    s = slot(15);
    lines.push_back(format("                          %c%c%04x %04x", s.m1, s.m2, s.pc, s.lc));
    lines.push_back(format("   PAR0 %04x MPAR0 %04x", r.par0, r.mpar0));
    lines.push_back(format("   PAR1 %04x MPAR1 %04x", r.par1, r.mpar1));
    return lines;
}

}  // namespace debugger

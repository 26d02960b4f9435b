#include "macros/engine.h"

#include <algorithm>
#include <cstdio>

#include "core/system_types.h"
#include "macros/line.h"

namespace macros {

namespace {

constexpr int kSpicmd = 0x03;
constexpr int kWordBytes = 3;
// One SPI write carries at most three port registers.
constexpr int kBurstRegisters = 3;
constexpr double kCommandWait = 1.0;

// The miscellaneous commands after DELAY: the command word loaded into SPICMD, and whether the
// entry's data follows it into SPIDAT1.
struct MiscCommand {
    int code;
    bool with_data;
};
constexpr MiscCommand kMiscCommands[] = {{0x05, true}, {0x07, true}, {0x08, false}};
constexpr int kDelay = 0;

void keep_first_failure(core::Status& outcome, const core::Status& s) {
    if (outcome.ok() && !s.ok()) outcome = s;
}

void print_read(MacroPort& port, const char* tag, const Entry& e, int value) {
    char line[64];
    std::snprintf(line, sizeof line, "%s  0x%.2X  %s 0x%.6X\n", tag,
                  static_cast<unsigned>(e.address), entry_name(e.kind, e.address),
                  static_cast<unsigned>(value));
    port.print(line);
}

core::Status run_command(MacroPort& port, const Entry& e) {
    if (e.address == kDelay) {
        // The data counts microseconds; the wait is in whole seconds, truncated.
        const long long seconds = static_cast<long long>(e.data * 1e-6);
        if (seconds > 0) port.delay(static_cast<double>(seconds));
        return core::Status::success();
    }
    if (e.address < 1 || e.address > static_cast<int>(std::size(kMiscCommands)))
        return core::Status::success();
    const MiscCommand& c = kMiscCommands[e.address - 1];
    int bytes[2 * kWordBytes];
    core::word_bytes(c.code, bytes);
    core::word_bytes(e.data, bytes + kWordBytes);
    const core::Status s =
        port.spi_write(c.with_data ? 2 * kWordBytes : kWordBytes, kSpicmd, bytes);
    port.delay(kCommandWait);
    return s;
}

}  // namespace

core::Status run_macro_cmds(MacroPort& port, std::span<const Entry> table) {
    const int n = static_cast<int>(std::min<std::size_t>(table.size(), kEntries));
    core::Status outcome = core::Status::success();
    int i = 0;
    while (i < n && table[i].kind != kEnd) {
        const Entry& e = table[i++];
        int value = 0;
        switch (e.kind) {
            case kDf:
                if (is_read(e)) {
                    keep_first_failure(outcome, port.reg_read(e.address, &value));
                    print_read(port, "DSP", e, value);
                } else {
                    keep_first_failure(outcome, port.reg_write(e.address, e.data));
                }
                break;
            case kSpi:
                if (is_read(e)) {
                    keep_first_failure(outcome, port.spi_read(e.address, &value));
                    print_read(port, "SPI", e, value);
                } else {
                    // A run of writes to consecutive port registers goes out in bursts of up
                    // to three registers.
                    int bytes[kBurstRegisters * kWordBytes];
                    core::word_bytes(e.data, bytes);
                    int taken = 1;
                    long long last = e.address;
                    while (taken < kBurstRegisters && i < n && table[i].kind == kSpi &&
                           !is_read(table[i]) &&
                           static_cast<long long>(table[i].address) == last + kWordBytes) {
                        core::word_bytes(table[i].data, bytes + taken * kWordBytes);
                        last = table[i++].address;
                        ++taken;
                    }
                    keep_first_failure(outcome,
                                       port.spi_write(taken * kWordBytes, e.address, bytes));
                }
                break;
            case kCmd:
                keep_first_failure(outcome, run_command(port, e));
                break;
            default:  // kinds the engine does not know do nothing
                break;
        }
    }
    return outcome;
}

}  // namespace macros

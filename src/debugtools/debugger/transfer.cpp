#include "debugtools/debugger/transfer.h"

#include <algorithm>

#include "boardlink/transport/transport.h"
#include "core/system_types.h"
#include "debugtools/debugger/commands.h"
#include "debugtools/debugger/context.h"

namespace debugger {

namespace {

constexpr int kTestKey = 0x6B;
constexpr int kTestIntBit = 0x2000;
constexpr int kE2dreqPolls = 20;
constexpr double kE2dreqWait = 0.001;
constexpr int kEchoAll = 0x3FFFFF;    // bits 21-0
constexpr int kEchoShort = 0x3FC000;  // bits 21-14
constexpr int kShortValue = 0x3FFF;

const char* const kMessages[] = {
    "Error reading back debugger command.",
    "Debugger set ERR bit in CMD word.",
    "Debugger failed to clear e2dreq bit.",
};

// The port write of whole words; a write the board did not acknowledge is a "Debugger Error.".
core::Status write_words(const Context& cx, int address, std::initializer_list<int> words) {
    int bytes[9];
    int n = 0;
    for (int w : words) {
        core::word_bytes(w, bytes + n);
        n += 3;
    }
    const core::Status s = boardlink::spi_write(cx.port, n, address, bytes);
    if (s) return s;
    return debug_error_handler(cx, kOtherError, s.fault, "SPI write");
}

// A failed read has shown the transport's message already.
core::Status read_word(const Context& cx, int address, int* value) {
    return boardlink::spi_read(cx.port, address, value);
}

// The debugger's answer in DEB_STAT: the ERR bit, and the echo of the bits the mode checks.
core::Status check_status(const Context& cx, int command_word, int echo_mask) {
    int stat = 0;
    if (core::Status s = read_word(cx, DEB_STAT, &stat); !s) return s;
    if (stat & kErrBit)
        return debug_error_handler(cx, kErrBitSet, core::Fault::NotAcknowledged, "ERR");
    if ((stat & echo_mask) != (command_word & echo_mask))
        return debug_error_handler(cx, kReadBackError, core::Fault::WrongReply, "read-back");
    return core::Status::success();
}

}  // namespace

core::Status debug_error_handler(const Context& cx, int kind, core::Fault fault, std::string step) {
    const bool known = kind >= 0 && kind < static_cast<int>(std::size(kMessages));
    cx.ui.MessagePopup("Debug Error", known ? kMessages[kind] : "Debugger Error.");
    return core::Status::failed(fault, std::move(step));
}

core::Status write_debug_interrupt(const Context& cx) {
    int test2 = 0, test0 = 0;
    if (core::Status s = read_word(cx, TEST2, &test2); !s) return s;
    if (core::Status s = read_word(cx, TEST0, &test0); !s) return s;
    if (core::Status s = write_words(cx, TEST2, {test2 | kTestKey}); !s) return s;
    return write_words(cx, TEST0, {test0 | kTestIntBit});
}

core::Status clear_debug_interrupt(const Context& cx) {
    int test2 = 0, test0 = 0;
    if (core::Status s = read_word(cx, TEST0, &test0); !s) return s;
    if (core::Status s = read_word(cx, TEST2, &test2); !s) return s;
    if (core::Status s = write_words(cx, TEST0, {test0 & ~kTestIntBit}); !s) return s;
    return write_words(cx, TEST2, {test2 & ~0xFF});
}

core::Status check_e2dreq(const Context& cx) {
    cx.ui.Delay(kE2dreqWait);
    for (int i = 0; i < kE2dreqPolls; ++i) {
        int ctrl = 0;
        if (core::Status s = read_word(cx, SPICTRL, &ctrl); !s) return s;
        if ((ctrl & kE2dreq) == 0) return core::Status::success();
        cx.ui.Delay(kE2dreqWait);
    }
    return debug_error_handler(cx, kE2dreqStuck, core::Fault::NoReply, "e2dreq");
}

core::Status DEBUG_write(const Context& cx, int data, int command_word, int mode) {
    core::Status s;
    int echo_mask = 0;
    if (mode == 0) {
        s = write_words(cx, DEB_DATA, {data, command_word});
        echo_mask = kEchoAll;
    } else if (mode == 1) {
        s = write_words(cx, DEB_DATA, {0, (command_word & ~kShortValue) | (data & kShortValue)});
        echo_mask = kEchoShort;
    } else {
        s = write_words(cx, DEB_DATA, {data});
    }
    if (!s) return s;
    if (s = check_e2dreq(cx); !s) return s;
    return check_status(cx, command_word, echo_mask);
}

core::Status DEBUG_read(const Context& cx, int* destination, int mode) {
    const core::Status s = read_word(cx, DEB_DATA, destination);
    if (mode == 1) *destination &= kShortValue;
    return s;
}

core::Status DEBUG_command(const Context& cx, int code, int count, int address,
                           std::vector<int>& words) {
    const CommandInfo& info = command_info(code);
    const int word = command_word(code, count, address);
    words.resize(
        std::max<std::size_t>({words.size(), static_cast<std::size_t>(std::max(count, 0)), 3}), 0);
    if (core::Status s = write_debug_interrupt(cx); !s) return s;
    // Each step runs only while every step before it succeeded.
    core::Status s;
    auto step = [&s](auto fn) {
        if (s) s = fn();
    };
    switch (info.pattern) {
        case Pattern::None:
            break;
        case Pattern::Plain:
            step([&] { return DEBUG_write(cx, 0, word, 0); });
            break;
        case Pattern::BlockWrite:
            step([&] { return DEBUG_write(cx, words[0], word, 0); });
            for (int i = 1; i < count; ++i) step([&] { return DEBUG_write(cx, words[i], 0, 2); });
            break;
        case Pattern::BlockRead:
            step([&] { return DEBUG_write(cx, 0, word, 0); });
            for (int i = 0; i < count; ++i) {
                step([&] { return DEBUG_write(cx, 0, 0, 2); });
                step([&] { return DEBUG_read(cx, &words[i], 0); });
            }
            break;
        case Pattern::ShortWrite:
            step([&] { return DEBUG_write(cx, words[0], word, 1); });
            break;
        case Pattern::ShortRead:
            step([&] { return DEBUG_write(cx, 0, word, 0); });
            step([&] { return DEBUG_read(cx, &words[0], 1); });
            break;
        case Pattern::AccWrite:
            step([&] {
                return DEBUG_write(cx, words[1], (word & ~kShortValue) | (words[0] & 0x3F), 0);
            });
            step([&] { return DEBUG_write(cx, words[2], 0, 2); });
            break;
        case Pattern::AccRead:
            step([&] { return DEBUG_write(cx, 0, word, 0); });
            step([&] { return DEBUG_read(cx, &words[0], 1); });
            for (int i = 1; i <= 2; ++i) {
                step([&] { return DEBUG_write(cx, 0, 0, 2); });
                step([&] { return DEBUG_read(cx, &words[i], 0); });
            }
            break;
    }
    if (!s) return s;  // the debug interrupt stays armed
    return clear_debug_interrupt(cx);
}

}  // namespace debugger

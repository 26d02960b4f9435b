// Request blocks built byte for byte as the host software sends them, and a board harness
// that writes a block and collects what comes back.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/simboard/sim_board.h"

namespace simboard::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes block(std::initializer_list<std::uint8_t> frame) {
    Bytes b(frame);
    b.resize(usb::wire::kRequestBytes, 0);
    return b;
}

// FE 01 n+6 02 a d... FD
inline Bytes spi_write(std::uint8_t address, const Bytes& data) {
    Bytes b{0xFE, 0x01, static_cast<std::uint8_t>(data.size() + 6), 0x02, address};
    b.insert(b.end(), data.begin(), data.end());
    b.push_back(0xFD);
    b.resize(usb::wire::kRequestBytes, 0);
    return b;
}

inline Bytes word_bytes(std::uint32_t w) {
    return {static_cast<std::uint8_t>(w >> 16), static_cast<std::uint8_t>(w >> 8),
            static_cast<std::uint8_t>(w)};
}

inline Bytes words(std::initializer_list<std::uint32_t> ws) {
    Bytes out;
    for (std::uint32_t w : ws) {
        const Bytes b = word_bytes(w);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

// FE 02 09 03 a 00 00 00 FD
inline Bytes spi_read(std::uint8_t address) {
    return block({0xFE, 0x02, 0x09, 0x03, address, 0, 0, 0, 0xFD});
}

inline Bytes simple(std::uint8_t type) {
    return block({0xFE, type, 0x05, 0x00, 0xFD});
}

inline Bytes capture(std::uint32_t count, std::uint8_t channels, std::uint16_t skip) {
    return block({0xFE, 0x03, 0x0B, static_cast<std::uint8_t>(count >> 24),
                  static_cast<std::uint8_t>(count >> 16), static_cast<std::uint8_t>(count >> 8),
                  static_cast<std::uint8_t>(count), channels, static_cast<std::uint8_t>(skip >> 8),
                  static_cast<std::uint8_t>(skip), 0xFD});
}

struct Harness {
    explicit Harness(BoardConfig config = {}) : board(clock, std::move(config)) {}

    void send(const Bytes& b) { board.host_write(b.data(), b.size()); }

    Bytes take(std::size_t max = 1 << 20) {
        Bytes out(max);
        out.resize(board.host_read(out.data(), out.size()));
        return out;
    }

    Bytes exchange(const Bytes& b) {
        send(b);
        return take();
    }

    // Register access exactly as the host's register primitives do it.
    std::uint32_t reg_read(std::uint8_t reg) {
        exchange(spi_write(0x03, words({0x000002, reg})));
        const Bytes r = exchange(spi_read(0x06));
        if (r.size() != 7) return 0xDEAD00;
        return static_cast<std::uint32_t>(r[3]) << 16 | r[4] << 8 | r[5];
    }
    Bytes reg_write(std::uint8_t reg, std::uint32_t value) {
        return exchange(spi_write(0x03, words({0x000001, reg, value})));
    }
    Bytes command(std::uint32_t code, std::uint32_t d1 = 0, std::uint32_t d2 = 0) {
        return exchange(spi_write(0x03, words({code, d1, d2})));
    }

    // Configures the first `channels` channels at the current rate, captures `frames` frames
    // of them (the board's lead-in record off) and returns each channel's samples.
    std::vector<std::vector<double>> capture_frames(std::size_t frames, std::uint8_t channels) {
        reg_write(0x20, (reg_read(0x20) & ~0xFu) | channels);
        Bytes all = exchange(capture(static_cast<std::uint32_t>(frames * channels), channels, 0));
        while (board.streaming()) {
            clock.advance(1.0);
            const Bytes rest = take();
            all.insert(all.end(), rest.begin(), rest.end());
        }
        std::vector<std::vector<double>> ch(channels);
        for (std::size_t i = 7; i + 4 <= all.size(); i += 4) {
            std::int32_t v = all[i + 1] << 16 | all[i + 2] << 8 | all[i + 3];
            if (v > 0x7FFFFF) v -= 0x1000000;
            ch[(all[i] >> 4) & 3].push_back(v);
        }
        return ch;
    }

    platform::VirtualClock clock;
    SimBoard board;
};

}  // namespace simboard::test

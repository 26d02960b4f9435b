// Cost of a full-buffer capture stream (1,048,576 records): produced by the board alone (with
// its inputs as they are by default, and with every modelled imperfection on), and drained
// through the device library the way the capture loop polls it.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "platform/usb/device_library.h"
#include "platform/usb/sim_bus.h"

namespace {

constexpr std::uint32_t kRecords = 1048576;

std::vector<std::uint8_t> block(std::initializer_list<std::uint8_t> frame) {
    std::vector<std::uint8_t> b(frame);
    b.resize(15, 0);
    return b;
}

// 4000 words/s on four channels, then a capture request for the whole buffer.
void start_capture(usb::DeviceLibrary& lib, usb::SI_HANDLE h) {
    std::uint32_t n = 0;
    const auto filt =
        block({0xFE, 0x01, 0x0F, 0x02, 0x03, 0, 0, 0x01, 0, 0, 0x20, 0, 0, 0x70, 0xFD});
    lib.SI_Write(h, filt.data(), 15, &n);
    lib.SI_FlushBuffers(h, 1, 1);
    const auto cap = block({0xFE, 0x03, 0x0B, 0x00, 0x10, 0x00, 0x00, 4, 0, 0, 0xFD});
    lib.SI_Write(h, cap.data(), 15, &n);
}

// Flicker on every channel, a common tone and noise, gain errors and crosstalk into each.
simboard::BoardConfig imperfect() {
    simboard::BoardConfig c;
    c.common = {.tone_hz = 50.0, .tone_dbfs = -40.0, .noise_nv = 20.0};
    for (int ch = 0; ch < 4; ++ch) {
        c.channels[ch].flicker_hz = 2.0;
        c.channels[ch].gain_ppm = 100.0 * ch;
        c.channels[ch].crosstalk_db[(ch + 1) % 4] = -110.0;
    }
    return c;
}

void BM_BoardProducesFullStream(benchmark::State& state) {
    for (auto _ : state) {
        platform::VirtualClock clock;
        usb::SimBus bus(clock);
        auto& board = bus.add_board(state.range(0) ? imperfect() : simboard::BoardConfig{});
        usb::DeviceLibrary lib(bus, clock);
        usb::SI_HANDLE h = 0;
        lib.SI_Open(0, &h);
        start_capture(lib, h);
        clock.advance(100.0);
        std::vector<std::uint8_t> out(4 * (kRecords + 16));
        benchmark::DoNotOptimize(board.host_read(out.data(), out.size()));
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_BoardProducesFullStream)
    ->ArgName("imperfect")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

void BM_HostDrainsFullStream(benchmark::State& state) {
    std::uint64_t polls = 0;
    for (auto _ : state) {
        platform::VirtualClock clock;
        usb::SimBus bus(clock);
        bus.add_board();
        usb::DeviceLibrary lib(bus, clock);
        usb::SI_HANDLE h = 0;
        lib.SI_Open(0, &h);
        start_capture(lib, h);
        std::array<std::uint8_t, 1000> chunk;
        std::uint64_t got_bytes = 0;
        while (got_bytes < 4ull * (kRecords + 1) + 7) {
            std::uint32_t queued = 0, status = 0, got = 0;
            lib.SI_CheckRXQueue(h, &queued, &status);
            ++polls;
            if (status != usb::SI_RX_READY) continue;
            lib.SI_Read(h, chunk.data(), queued, &got);
            got_bytes += got;
        }
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.counters["polls"] = benchmark::Counter(static_cast<double>(polls) / state.iterations());
}
BENCHMARK(BM_HostDrainsFullStream)->Unit(benchmark::kMillisecond);

}  // namespace

// The libusb bus over a fake device: which devices count as boards and which one is opened,
// the bridge's requests on open, flush and close, the receive queue under a 64 KB/s stream,
// packet sizes, loss, time-outs, stalls, failing transfers, late completions and unplugging;
// and one look at the real USB host of the machine.
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>

#include "fake_host.h"
#include "platform/usb/device_library.h"
#include "platform/usb/libusb_bus.h"

namespace usb_test {
namespace {

using usb::SI_HANDLE;

constexpr usb::UsbId kOther{0x1234, 0x5678};

// n stream bytes numbered from `first`, so order and loss show.
Bytes stream(std::size_t first, std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>((first + i) * 7);
    return b;
}

struct LibusbFixture : ::testing::Test {
    LibusbFixture() {
        auto h = std::make_unique<FakeHost>();
        host = h.get();
        bus = std::make_unique<usb::LibusbBus>(
            std::move(h), usb::board_ids({kOther}),
            [this](const std::string& t) { notices.push_back(t); });
        lib = std::make_unique<usb::DeviceLibrary>(*bus, clock);
    }
    ~LibusbFixture() override { lib.reset(); }

    SI_HANDLE open(std::uint32_t index = 0) {
        SI_HANDLE h = 0;
        EXPECT_EQ(lib->SI_Open(index, &h), usb::SI_SUCCESS);
        return h;
    }
    std::uint32_t check(SI_HANDLE h, std::uint32_t* status) {
        std::uint32_t q = 0;
        EXPECT_EQ(lib->SI_CheckRXQueue(h, &q, status), usb::SI_SUCCESS);
        return q;
    }
    Bytes read(SI_HANDLE h, std::uint32_t n) {
        Bytes b(n);
        std::uint32_t got = 0;
        EXPECT_EQ(lib->SI_Read(h, b.data(), n, &got), usb::SI_SUCCESS);
        b.resize(got);
        return b;
    }
    // A board with this packet size on a port of its own, opened.
    SI_HANDLE plug(std::size_t max_packet, FakeDevice** device) {
        FakeDevice& d = host->add(usb::kBridgeId, "5-" + std::to_string(++ports));
        d.max_packet = max_packet;
        *device = &d;
        return open(bus->device_count() - 1);
    }
    bool gone(SI_HANDLE h) {
        std::uint32_t q = 0, s = 0;
        return lib->SI_CheckRXQueue(h, &q, &s) == usb::SI_DEVICE_NOT_FOUND;
    }
    // The device streams at 64 KB/s (one 64-byte packet a millisecond) while the program
    // does not poll.
    void stream_for(FakeDevice& d, double seconds) {
        const auto packets = static_cast<std::size_t>(seconds * 1000);
        for (std::size_t i = 0; i < packets; ++i, ++sent) {
            clock.advance(0.001);
            host->send_in(d, stream(sent * kPacket, kPacket));
        }
        ASSERT_TRUE(host->settle());
    }

    platform::VirtualClock clock;
    FakeHost* host = nullptr;
    std::vector<std::string> notices;
    std::unique_ptr<usb::LibusbBus> bus;
    std::unique_ptr<usb::DeviceLibrary> lib;
    std::size_t sent = 0;
    int ports = 0;
};

TEST_F(LibusbFixture, BoardsAreTheDevicesWithTheBridgeOrAnAddedId) {
    host->add({0x046D, 0xC077}, "1-1", "MOUSE");
    host->add(usb::kBridgeId, "1-2", "SB0001");
    host->add(kOther, "2-1.3", "SB0002");
    std::uint32_t n = 0;
    ASSERT_EQ(lib->SI_GetNumDevices(&n), usb::SI_SUCCESS);
    ASSERT_EQ(n, 2u);
    const struct {
        std::uint32_t index, selector;
        const char* text;
    } cases[] = {
        {0, usb::SI_RETURN_SERIAL_NUMBER, "SB0001"},
        {0, usb::SI_RETURN_VID, "10C4"},
        {0, usb::SI_RETURN_PID, "EA61"},
        {1, usb::SI_RETURN_SERIAL_NUMBER, "SB0002"},
        {1, usb::SI_RETURN_VID, "1234"},
        {1, usb::SI_RETURN_PID, "5678"},
    };
    for (const auto& c : cases) {
        char buf[usb::kProductStringBytes] = {};
        EXPECT_EQ(lib->SI_GetProductString(c.index, buf, c.selector), usb::SI_SUCCESS);
        EXPECT_STREQ(buf, c.text) << c.index << " " << c.selector;
    }
    char buf[usb::kProductStringBytes];
    EXPECT_EQ(lib->SI_GetProductString(2, buf, usb::SI_RETURN_SERIAL_NUMBER),
              usb::SI_DEVICE_NOT_FOUND);
    EXPECT_TRUE(notices.empty());
}

TEST_F(LibusbFixture, SerialNumberIsReadOncePerAttachment) {
    FakeDevice& d = host->add(usb::kBridgeId, "1-2", "SB0001");
    std::string s;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(bus->serial_number(0, &s));
    EXPECT_EQ(d.opens, 1);  // a periodic check does not open the device every time
}

TEST_F(LibusbFixture, OpenFlushAndCloseSendTheBridgeItsRequests) {
    FakeDevice& d = host->add(usb::kBridgeId, "1-2");
    const SI_HANDLE h = open();
    EXPECT_EQ(d.log, (std::vector<std::string>{"open", "claim 0", "vendor 00 ffff", "halt 82",
                                               "halt 02", "vendor 02 0002"}));
    EXPECT_EQ(host->in_flight(d), 128u);
    d.log.clear();
    host->send_in(d, stream(0, 7));
    ASSERT_TRUE(host->settle());
    EXPECT_EQ(lib->SI_FlushBuffers(h, 1, 1), usb::SI_SUCCESS);
    std::uint32_t status = 9;
    EXPECT_EQ(check(h, &status), 0u);
    EXPECT_EQ(status, usb::SI_RX_EMPTY);
    EXPECT_EQ(lib->SI_Close(h), usb::SI_SUCCESS);
    EXPECT_EQ(d.log, (std::vector<std::string>{"vendor 02 0001", "vendor 02 0004"}));
    EXPECT_EQ(host->in_flight(d), 0u);  // cancelled before the handle went
}

TEST_F(LibusbFixture, RefusedOpensAreFailuresAndPermissionNamesTheUdevRule) {
    const struct {
        const char* name;
        void (*set)(FakeDevice&);
        const char* notice;  // a part of the one notice, or null for none
    } cases[] = {
        {"no permission", [](FakeDevice& d) { d.open_result = usb::host::kAccess; },
         "udev rule 70-seisbench.rules"},
        {"claimed elsewhere", [](FakeDevice& d) { d.claim_result = usb::host::kBusy; },
         "in use by another program"},
        {"no bulk endpoints", [](FakeDevice& d) { d.has_bulk_endpoints = false; }, nullptr},
        {"enable refused", [](FakeDevice& d) { d.enable_result = usb::host::kPipe; }, nullptr},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        notices.clear();
        FakeDevice& d = host->add(usb::kBridgeId, "3-" + std::to_string(++n));
        c.set(d);
        SI_HANDLE h = 0;
        const std::uint32_t last = bus->device_count() - 1;
        EXPECT_EQ(lib->SI_Open(last, &h), usb::SI_DEVICE_NOT_FOUND);
        EXPECT_EQ(lib->SI_Open(last, &h), usb::SI_DEVICE_NOT_FOUND);
        if (c.notice == nullptr) {
            EXPECT_TRUE(notices.empty());
        } else {
            ASSERT_EQ(notices.size(), 1u);  // once, however often it is tried
            EXPECT_NE(notices[0].find(c.notice), std::string::npos) << notices[0];
        }
        host->unplug(d);
    }
}

TEST_F(LibusbFixture, StreamWaitsInTheQueueWhileTheProgramDoesNotPoll) {
    FakeDevice& d = host->add(usb::kBridgeId, "1-2");
    const SI_HANDLE h = open();
    // A settle delay, then half a second without a poll: nothing is held back or lost.
    for (double pause : {0.1, 0.5}) {
        const std::size_t before = sent;
        stream_for(d, pause);
        EXPECT_TRUE(d.held.empty());
        std::uint32_t status = 0;
        const std::uint32_t q = check(h, &status);
        EXPECT_EQ(q, (sent - before) * kPacket);
        EXPECT_EQ(status, usb::SI_RX_READY);
        Bytes got;
        while (got.size() < q) {
            const Bytes chunk = read(h, 1000);
            got.insert(got.end(), chunk.begin(), chunk.end());
        }
        EXPECT_EQ(got, stream(before * kPacket, q));
    }
}

TEST_F(LibusbFixture, BytesBeyondAFullQueueAreLostAndReportedUntilFlushed) {
    FakeDevice& d = host->add(usb::kBridgeId, "1-2");
    const SI_HANDLE h = open();
    stream_for(d, 2.0);  // 128,000 bytes into a 65,536-byte queue
    std::uint32_t status = 0;
    EXPECT_EQ(check(h, &status), 65536u);
    EXPECT_EQ(status, usb::SI_RX_READY | usb::SI_RX_OVERRUN);
    EXPECT_EQ(read(h, 4096), stream(0, 4096));  // the oldest bytes stay, the newest went
    lib->SI_FlushBuffers(h, 1, 1);
    check(h, &status);
    EXPECT_EQ(status, usb::SI_RX_EMPTY);
    stream_for(d, 0.01);
    EXPECT_EQ(check(h, &status), 640u);
    EXPECT_EQ(status, usb::SI_RX_READY);
}

TEST_F(LibusbFixture, TimeOutsAndShortWritesMapToTheLibraryCodes) {
    FakeDevice& d = host->add(usb::kBridgeId, "1-2");
    const SI_HANDLE h = open();
    lib->SI_SetTimeouts(300, 300);
    std::uint8_t buf[7];
    std::uint32_t n = 9;
    const double t0 = clock.now();
    EXPECT_EQ(lib->SI_Read(h, buf, 7, &n), usb::SI_READ_TIMED_OUT);
    EXPECT_NEAR(clock.now() - t0, 0.3, 0.002);
    const Bytes block(15, 0xFE);
    const struct {
        int result;
        std::size_t accepts;
        usb::SI_STATUS status;
        std::uint32_t written;
    } cases[] = {
        {usb::host::kOk, 15, usb::SI_SUCCESS, 15},
        {usb::host::kTimeout, 0, usb::SI_WRITE_TIMED_OUT, 0},
        {usb::host::kTimeout, 8, usb::SI_WRITE_TIMED_OUT, 8},
        {usb::host::kOk, 8, usb::SI_WRITE_ERROR, 8},
        {usb::host::kIo, 0, usb::SI_WRITE_ERROR, 0},
    };
    for (const auto& c : cases) {
        d.out_result = c.result;
        d.out_accepts = c.accepts;
        EXPECT_EQ(lib->SI_Write(h, block.data(), 15, &n), c.status) << c.result << " " << c.accepts;
        EXPECT_EQ(n, c.written);
    }
}

TEST_F(LibusbFixture, StalledInEndpointIsClearedAndTheStreamGoesOn) {
    FakeDevice& d = host->add(usb::kBridgeId, "1-2");
    const SI_HANDLE h = open();
    host->stall_in(d);
    ASSERT_TRUE(host->settle());
    EXPECT_EQ(host->in_flight(d), 0u);
    d.log.clear();
    std::uint32_t status = 0;
    check(h, &status);  // the next look clears the halt
    EXPECT_EQ(d.log, std::vector<std::string>{"halt 82"});
    EXPECT_EQ(host->in_flight(d), 128u);
    stream_for(d, 0.05);
    EXPECT_EQ(check(h, &status), 3200u);
}

TEST_F(LibusbFixture, UnpluggedBoardFailsEveryCallCleanly) {
    FakeDevice& d = host->add(usb::kBridgeId, "1-2");
    const SI_HANDLE h = open();
    host->unplug(d);
    ASSERT_TRUE(host->settle());
    std::uint32_t n = 9, q = 0, s = 0;
    std::uint8_t buf[15] = {};
    EXPECT_EQ(lib->SI_GetNumDevices(&n), usb::SI_SUCCESS);
    EXPECT_EQ(n, 0u);  // what the board-lost check looks at
    EXPECT_EQ(lib->SI_Write(h, buf, 15, &n), usb::SI_WRITE_ERROR);
    EXPECT_EQ(lib->SI_Read(h, buf, 7, &n), usb::SI_READ_ERROR);
    EXPECT_EQ(lib->SI_CheckRXQueue(h, &q, &s), usb::SI_DEVICE_NOT_FOUND);
    EXPECT_EQ(lib->SI_FlushBuffers(h, 1, 1), usb::SI_DEVICE_NOT_FOUND);
    d.log.clear();
    EXPECT_EQ(lib->SI_Close(h), usb::SI_SUCCESS);
    EXPECT_TRUE(d.log.empty());  // nothing is sent to a device that has gone
}

TEST_F(LibusbFixture, FailingTransfersAreRetriedWithPausesThenTheBoardIsGone) {
    FakeDevice& d = host->add(usb::kBridgeId, "1-2");
    const SI_HANDLE h = open();
    host->fail_in(d, false);  // one hiccup ends every transfer in flight
    ASSERT_TRUE(host->until([&] { return host->in_flight(d) == 128; }));
    stream_for(d, 0.05);
    std::uint32_t n = 0, s = 0;
    EXPECT_EQ(check(h, &s), 3200u);

    const int before = d.in_submissions;
    const auto t0 = std::chrono::steady_clock::now();
    host->fail_in(d, true);
    ASSERT_TRUE(host->until([&] { return gone(h); }));
    // Given a while, not spun through at once, and a bounded number of tries.
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(250));
    ASSERT_TRUE(host->settle());
    EXPECT_GT(d.in_submissions - before, 128);
    EXPECT_LE(d.in_submissions - before, 16 * 128);
    EXPECT_EQ(lib->SI_GetNumDevices(&n), usb::SI_SUCCESS);
    EXPECT_EQ(n, 1u);  // the bus still lists it
    EXPECT_EQ(host->in_flight(d), 0u);
}

TEST_F(LibusbFixture, TransfersThatOutliveTheirLinkKeepTheHandleUntilTheyComeBack) {
    FakeDevice& d = host->add(usb::kBridgeId, "1-2");
    d.cancels_held = true;
    EXPECT_EQ(lib->SI_Close(open()), usb::SI_SUCCESS);  // gives up waiting for them
    EXPECT_EQ(host->in_flight(d), 128u);
    EXPECT_EQ(host->handles(d), 1);  // not closed under them
    host->finish_cancels(d);         // they come back late
    ASSERT_TRUE(host->until([&] { return host->handles(d) == 0; }));
    d.cancels_held = false;
    EXPECT_EQ(lib->SI_Close(open()), usb::SI_SUCCESS);
    EXPECT_EQ(host->handles(d), 0);  // all back in time: closed at once
    // Still out when the bus goes: the fixture's end frees them with their handle.
    d.cancels_held = true;
    lib->SI_Close(open());
    EXPECT_EQ(host->handles(d), 1);
}

TEST_F(LibusbFixture, BytesOfATransferOutThroughAFlushAreDropped) {
    FakeDevice& d = host->add(usb::kBridgeId, "1-2");
    const SI_HANDLE h = open();
    d.cancels_held = true;  // the transfers are still out when the flush is done
    EXPECT_EQ(lib->SI_FlushBuffers(h, 1, 1), usb::SI_SUCCESS);
    host->send_in(d, stream(0, 7));
    host->finish_cancels(d);
    d.cancels_held = false;
    ASSERT_TRUE(host->settle());
    std::uint32_t status = 0;
    EXPECT_EQ(check(h, &status), 0u);
    EXPECT_EQ(host->in_flight(d), 128u);  // all back in flight, and taking bytes
    host->send_in(d, stream(7, 5));
    ASSERT_TRUE(host->settle());
    EXPECT_EQ(read(h, 64), stream(7, 5));
}

TEST_F(LibusbFixture, InTransfersTakeWholePacketsOfTheEndpoint) {
    for (const std::size_t packet : {64u, 512u}) {
        SCOPED_TRACE(packet);
        FakeDevice* d = nullptr;
        const SI_HANDLE h = plug(packet, &d);
        host->send_in(*d, stream(0, 3 * packet + 5));
        ASSERT_TRUE(host->settle());
        std::uint32_t status = 0;
        EXPECT_EQ(check(h, &status), 3 * packet + 5);
        EXPECT_EQ(status, usb::SI_RX_READY);
        EXPECT_EQ(read(h, 4096), stream(0, 3 * packet + 5));
        lib->SI_Close(h);
        host->unplug(*d);
    }
}

TEST_F(LibusbFixture, AWriteOfWholePacketsIsEndedByAZeroLengthPacket) {
    const struct {
        std::size_t packet, n;
        std::vector<std::size_t> on_the_wire;
    } cases[] = {
        {64, 64, {64, 0}}, {64, 128, {128, 0}},  {64, 63, {63}},
        {64, 65, {65}},    {512, 512, {512, 0}}, {512, 64, {64}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.packet) + " " + std::to_string(c.n));
        FakeDevice* d = nullptr;
        const SI_HANDLE h = plug(c.packet, &d);
        const Bytes block = stream(0, c.n);
        std::uint32_t written = 0;
        EXPECT_EQ(lib->SI_Write(h, block.data(), static_cast<std::uint32_t>(c.n), &written),
                  usb::SI_SUCCESS);
        EXPECT_EQ(written, c.n);
        std::vector<std::size_t> sizes;
        for (const Bytes& w : d->written) sizes.push_back(w.size());
        EXPECT_EQ(sizes, c.on_the_wire);
        EXPECT_EQ(d->written.front(), block);
        lib->SI_Close(h);
        host->unplug(*d);
    }
}

TEST_F(LibusbFixture, TheBoardOpenedIsTheOneCountedAndNamed) {
    FakeDevice& a = host->add(usb::kBridgeId, "1-1", "SB000A");
    FakeDevice& b = host->add(kOther, "1-2", "SB000B");
    ASSERT_EQ(bus->device_count(), 2u);
    std::string serial;
    ASSERT_TRUE(bus->serial_number(0, &serial));
    EXPECT_EQ(serial, "SB000A");
    host->reverse_order();  // the host lists them the other way round now
    EXPECT_EQ(bus->usb_id(0), usb::kBridgeId);
    EXPECT_TRUE(bus->open(0));
    EXPECT_EQ(a.opens, 2);
    EXPECT_EQ(b.opens, 0);
    // A board that left and came back is another device: its old entry opens nothing.
    host->unplug(a);
    FakeDevice& again = host->add(usb::kBridgeId, "1-1", "SB000A");
    EXPECT_FALSE(bus->open(0));
    EXPECT_EQ(again.opens + b.opens, 0);
    ASSERT_EQ(bus->device_count(), 2u);
    EXPECT_TRUE(bus->open(1));
    EXPECT_EQ(again.opens, 1);
}

}  // namespace
}  // namespace usb_test

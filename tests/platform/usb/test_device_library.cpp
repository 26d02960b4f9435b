// The device library over the simulated bus: counting, opening, the receive queue and what
// happens to a handle when its board goes away.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/usb/device_library.h"
#include "platform/usb/receive_queue.h"
#include "platform/usb/sim_bus.h"

namespace usb {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes block(std::initializer_list<std::uint8_t> frame) {
    Bytes b(frame);
    b.resize(15, 0);
    return b;
}

const Bytes kBoardCode = block({0xFE, 0x08, 0x05, 0x00, 0xFD});

simboard::BoardConfig serial(const char* s) {
    simboard::BoardConfig c;
    c.serial = s;
    return c;
}

struct Fixture : ::testing::Test {
    platform::VirtualClock clock;
    SimBus bus{clock};
    DeviceLibrary lib{bus, clock};

    SI_HANDLE open_last() {
        std::uint32_t n = 0;
        EXPECT_EQ(lib.SI_GetNumDevices(&n), SI_SUCCESS);
        SI_HANDLE h = 0;
        EXPECT_EQ(lib.SI_Open(n - 1, &h), SI_SUCCESS);
        return h;
    }
    SI_STATUS write(SI_HANDLE h, const Bytes& b) {
        std::uint32_t written = 0;
        return lib.SI_Write(h, b.data(), static_cast<std::uint32_t>(b.size()), &written);
    }
    std::uint32_t queued(SI_HANDLE h, std::uint32_t* status = nullptr) {
        std::uint32_t q = 0, s = 0;
        EXPECT_EQ(lib.SI_CheckRXQueue(h, &q, &s), SI_SUCCESS);
        if (status != nullptr) *status = s;
        return q;
    }
};

TEST_F(Fixture, CountsOnlyBoardsOnTheBus) {
    std::uint32_t n = 99;
    EXPECT_EQ(lib.SI_GetNumDevices(&n), SI_SUCCESS);
    EXPECT_EQ(n, 0u);
    auto& a = bus.add_board(serial("A1"));
    bus.add_board(serial("B2"));
    lib.SI_GetNumDevices(&n);
    EXPECT_EQ(n, 2u);
    a.unplug();
    lib.SI_GetNumDevices(&n);
    EXPECT_EQ(n, 1u);
    char buf[256];
    EXPECT_EQ(lib.SI_GetProductString(0, buf, SI_RETURN_SERIAL_NUMBER), SI_SUCCESS);
    EXPECT_STREQ(buf, "B2");
    EXPECT_EQ(lib.SI_GetProductString(1, buf, SI_RETURN_SERIAL_NUMBER), SI_DEVICE_NOT_FOUND);
    EXPECT_EQ(lib.SI_GetNumDevices(nullptr), SI_INVALID_PARAMETER);
}

TEST_F(Fixture, ProductStringIsCutToTheBuffer) {
    bus.add_board(serial(std::string(300, 'x').c_str()));
    char buf[256];
    std::memset(buf, 'y', sizeof buf);
    EXPECT_EQ(lib.SI_GetProductString(0, buf, SI_RETURN_SERIAL_NUMBER), SI_SUCCESS);
    EXPECT_EQ(std::strlen(buf), 255u);
    EXPECT_EQ(lib.SI_GetProductString(0, buf, 7), SI_INVALID_PARAMETER);
}

TEST_F(Fixture, OpenWriteCheckReadClose) {
    bus.add_board();
    const SI_HANDLE h = open_last();
    EXPECT_GT(h, 0);
    EXPECT_EQ(write(h, kBoardCode), SI_SUCCESS);
    std::uint32_t status = 0;
    EXPECT_EQ(queued(h, &status), 1u);
    EXPECT_EQ(status, SI_RX_READY);
    std::uint8_t code = 0;
    std::uint32_t got = 0;
    EXPECT_EQ(lib.SI_Read(h, &code, 100, &got), SI_SUCCESS);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(code, 4);
    EXPECT_EQ(lib.SI_Close(h), SI_SUCCESS);
    EXPECT_EQ(lib.SI_Close(h), SI_INVALID_HANDLE);
    EXPECT_EQ(write(h, kBoardCode), SI_INVALID_HANDLE);
}

TEST_F(Fixture, OpenIsExclusiveAndIndexChecked) {
    bus.add_board();
    SI_HANDLE h = 0;
    EXPECT_EQ(lib.SI_Open(1, &h), SI_DEVICE_NOT_FOUND);
    EXPECT_EQ(lib.SI_Open(0, &h), SI_SUCCESS);
    SI_HANDLE h2 = 0;
    EXPECT_EQ(lib.SI_Open(0, &h2), SI_DEVICE_NOT_FOUND);
    lib.SI_Close(h);
    EXPECT_EQ(lib.SI_Open(0, &h2), SI_SUCCESS);
    EXPECT_NE(h2, h);
}

TEST_F(Fixture, ReadDeliversWhatIsQueuedUpToN) {
    bus.add_board();
    const SI_HANDLE h = open_last();
    write(h, block({0xFE, 0x07, 0x05, 0x00, 0xFD}));  // "V2.4\0"
    std::uint8_t buf[16] = {};
    std::uint32_t got = 0;
    EXPECT_EQ(lib.SI_Read(h, buf, 2, &got), SI_SUCCESS);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(queued(h), 3u);
    EXPECT_EQ(lib.SI_Read(h, buf, 16, &got), SI_SUCCESS);
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(std::memcmp(buf, ".4\0", 3), 0);
}

TEST_F(Fixture, ReadOnEmptyQueueWaitsForTheReadTimeOut) {
    bus.add_board();
    const SI_HANDLE h = open_last();
    lib.SI_SetTimeouts(250, 250);
    std::uint8_t buf[7];
    std::uint32_t got = 9;
    const double t0 = clock.now();
    EXPECT_EQ(lib.SI_Read(h, buf, 7, &got), SI_READ_TIMED_OUT);
    EXPECT_EQ(got, 0u);
    EXPECT_NEAR(clock.now() - t0, 0.25, 0.002);
}

TEST_F(Fixture, EmptyPollAdvancesVirtualClock) {
    bus.add_board();
    const SI_HANDLE h = open_last();
    const double t0 = clock.now();
    std::uint32_t status = 99;
    EXPECT_EQ(queued(h, &status), 0u);
    EXPECT_EQ(status, SI_RX_EMPTY);
    EXPECT_DOUBLE_EQ(clock.now() - t0, platform::VirtualClock::kPollStep);
    write(h, kBoardCode);
    const double t1 = clock.now();
    queued(h);
    EXPECT_DOUBLE_EQ(clock.now(), t1);  // a ready poll costs nothing
}

TEST_F(Fixture, ManyQueuedBytesStayReadyAndOnlyLostDataIsOverrun) {
    simboard::BoardConfig cfg;
    cfg.info_text = std::string(19, 'i');
    auto& board = bus.add_board(cfg);
    const SI_HANDLE h = open_last();
    const Bytes info = block({0xFE, 0x06, 0x05, 0x00, 0xFD});
    std::uint32_t status = 0;
    // 20 bytes per information text: 51 of them make 1020 bytes. The host judges a queue
    // above 1000 bytes itself; the library reports over-run only when data were lost.
    for (int i = 0; i < 51; ++i) write(h, info);
    EXPECT_EQ(queued(h, &status), 1020u);
    EXPECT_EQ(status, SI_RX_READY);
    board.faults().rx_overrun = true;
    EXPECT_EQ(queued(h, &status), 1020u);
    EXPECT_EQ(status, SI_RX_READY | SI_RX_OVERRUN);
    EXPECT_EQ(status, 3u);
}

// The driver's queue holds a second of the fastest stream: a late poll finds the bytes there;
// a much later one finds the queue full, the newest bytes lost and the status saying so, even
// once the queue has been read empty, until a flush.
TEST_F(Fixture, SimulatedStreamWaitsInTheQueueAndOnlyAFullQueueLoses) {
    auto& board = bus.add_board();
    const SI_HANDLE h = open_last();
    write(h, block({0xFE, 0x03, 0x0B, 0x00, 0x10, 0x00, 0x00, 0x04, 0x00, 0x00, 0xFD}));
    std::uint32_t status = 0;
    std::uint8_t buf[4096];
    std::uint32_t got = 0;
    lib.SI_Read(h, buf, 7, &got);  // the acknowledgement
    clock.advance(0.5);
    const std::uint64_t records = board.records_sent();
    EXPECT_GT(records, 200u);
    EXPECT_EQ(queued(h, &status), 4 * records);
    EXPECT_EQ(status, SI_RX_READY);
    clock.advance(200.0);
    EXPECT_EQ(queued(h, &status), ReceiveQueue::kDefaultCapacity);
    EXPECT_EQ(status, SI_RX_READY | SI_RX_OVERRUN);
    while (queued(h) > 0) lib.SI_Read(h, buf, sizeof buf, &got);
    queued(h, &status);
    EXPECT_EQ(status, SI_RX_OVERRUN);
    lib.SI_FlushBuffers(h, 1, 1);
    queued(h, &status);
    EXPECT_EQ(status, SI_RX_EMPTY);
}

TEST_F(Fixture, FlushEmptiesQueue) {
    bus.add_board();
    const SI_HANDLE h = open_last();
    write(h, kBoardCode);
    EXPECT_EQ(queued(h), 1u);
    EXPECT_EQ(lib.SI_FlushBuffers(h, 1, 1), SI_SUCCESS);
    EXPECT_EQ(queued(h), 0u);
    write(h, kBoardCode);
    lib.SI_FlushBuffers(h, 1, 1);  // bytes still on the board's side go too
    EXPECT_EQ(queued(h), 0u);
}

TEST_F(Fixture, UnpluggedBoardFailsItsHandle) {
    auto& board = bus.add_board();
    const SI_HANDLE h = open_last();
    write(h, kBoardCode);
    board.unplug();
    std::uint32_t q = 0, s = 0, got = 0;
    std::uint8_t buf[8];
    EXPECT_EQ(write(h, kBoardCode), SI_WRITE_ERROR);
    EXPECT_EQ(lib.SI_Read(h, buf, 1, &got), SI_READ_ERROR);
    EXPECT_EQ(lib.SI_CheckRXQueue(h, &q, &s), SI_DEVICE_NOT_FOUND);
    EXPECT_EQ(lib.SI_FlushBuffers(h, 1, 1), SI_DEVICE_NOT_FOUND);
    board.plug();  // the same board again: the old handle stays dead
    EXPECT_EQ(write(h, kBoardCode), SI_WRITE_ERROR);
    EXPECT_EQ(lib.SI_Close(h), SI_SUCCESS);
    const SI_HANDLE h2 = open_last();
    EXPECT_EQ(write(h2, kBoardCode), SI_SUCCESS);
}

TEST_F(Fixture, SoftResetEndsHandleAndBoardComesBack) {
    bus.add_board();
    const SI_HANDLE h = open_last();
    write(h, block({0xFE, 0x05, 0x05, 0x00, 0xFD}));
    std::uint32_t n = 9;
    lib.SI_GetNumDevices(&n);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(lib.SI_FlushBuffers(h, 1, 1), SI_DEVICE_NOT_FOUND);
    clock.advance(1.5);
    lib.SI_GetNumDevices(&n);
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(write(h, kBoardCode), SI_WRITE_ERROR);
    lib.SI_Close(h);
    const SI_HANDLE h2 = open_last();
    EXPECT_EQ(write(h2, kBoardCode), SI_SUCCESS);
    EXPECT_EQ(queued(h2), 1u);
}

TEST_F(Fixture, BadArgumentsAreRefused) {
    bus.add_board();
    const SI_HANDLE h = open_last();
    std::uint32_t x = 0;
    std::uint8_t buf[8];
    EXPECT_EQ(lib.SI_Write(h, nullptr, 1, &x), SI_INVALID_PARAMETER);
    EXPECT_EQ(lib.SI_Write(h, buf, 0, &x), SI_INVALID_REQUEST_LENGTH);
    EXPECT_EQ(lib.SI_Read(h, buf, 0, &x), SI_INVALID_REQUEST_LENGTH);
    EXPECT_EQ(lib.SI_CheckRXQueue(h, nullptr, &x), SI_INVALID_PARAMETER);
    EXPECT_EQ(lib.SI_Open(0, nullptr), SI_INVALID_PARAMETER);
    EXPECT_EQ(lib.SI_CheckRXQueue(0, &x, &x), SI_INVALID_HANDLE);
}

}  // namespace
}  // namespace usb

// The wire-protocol module on its own: frames byte for byte, reply checks, the one wait on
// the receive queue under both time rules, and the read-failure hook. Built against the
// transport library alone, with no application, panel or popup behind it.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "boardlink/transport/protocol.h"
#include "boardlink/transport/transport.h"
#include "platform/clock/clock.h"
#include "platform/usb/device_library.h"
#include "platform/usb/sim_bus.h"

using boardlink::Clocking;
using boardlink::Limit;
using boardlink::Reply;
using boardlink::Request;
using Bytes = std::vector<std::uint8_t>;

namespace {

namespace wire = usb::wire;

Bytes bytes_of(const Request& r) {
    return Bytes(r.begin(), r.end());
}

Bytes padded(Bytes frame) {
    frame.resize(wire::kRequestBytes, 0);
    return frame;
}

// One simulated board opened through the device library, and the port the transport uses,
// on a virtual clock starting at the given time.
struct BarePort {
    explicit BarePort(double start = 0.0) : clock(start) {
        board = &sim.add_board(simboard::BoardConfig{});
        lib.SI_Open(0, &link.cyHandle);
    }

    platform::VirtualClock clock;
    usb::SimBus sim{clock};
    usb::DeviceLibrary lib{sim, clock};
    boardlink::Connection link;
    std::vector<core::Status> failures;
    boardlink::Port port{lib,
                         link,
                         [this] { return clock.now(); },
                         [this](double s) { clock.sleep(s); },
                         [this](const core::Status& s) { failures.push_back(s); },
                         {}};
    simboard::SimBoard* board = nullptr;
};

}  // namespace

TEST(ProtocolFrames, EveryRequestOfTheTableByteForByte) {
    const int six[] = {0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5};
    const int nine[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const int wide[] = {0x1AB, -1};
    const struct {
        const char* name;
        Request request;
        Bytes frame;
    } cases[] = {
        {"SPI write of 6",
         *boardlink::chip_write_request(0x03, six),
         {0xFE, 0x01, 0x0C, 0x02, 0x03, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xFD}},
        {"SPI write of 9",
         *boardlink::chip_write_request(0x03, nine),
         {0xFE, 0x01, 0x0F, 0x02, 0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xFD}},
        {"low bytes only",
         *boardlink::chip_write_request(0x109, wide),
         {0xFE, 0x01, 0x08, 0x02, 0x09, 0xAB, 0xFF, 0xFD}},
        {"SPI read",
         boardlink::chip_read_request(0x2E),
         {0xFE, 0x02, 0x09, 0x03, 0x2E, 0x00, 0x00, 0x00, 0xFD}},
        {"EEPROM write enable",
         boardlink::eeprom_instruction_request(0x06),
         {0xFE, 0x01, 0x05, 0x06, 0xFD}},
        {"EEPROM byte write",
         *boardlink::eeprom_write_request(0x1234, std::span(wide).first(1)),
         {0xFE, 0x01, 0x08, 0x02, 0x12, 0x34, 0xAB, 0xFD}},
        {"EEPROM write of 8",
         *boardlink::eeprom_write_request(0x0001, std::span(nine).first(8)),
         {0xFE, 0x01, 0x0F, 0x02, 0x00, 0x01, 1, 2, 3, 4, 5, 6, 7, 8, 0xFD}},
        {"EEPROM byte read",
         *boardlink::eeprom_read_request(0xBEEF, 1),
         {0xFE, 0x02, 0x07, 0x03, 0xBE, 0xEF, 0xFD}},
        {"EEPROM read of 9",
         *boardlink::eeprom_read_request(0x0102, 9),
         {0xFE, 0x02, 0x0F, 0x03, 0x01, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0xFD}},
        {"capture start",
         boardlink::capture_start_request(0x00102030, 4, 0x0506),
         {0xFE, 0x03, 0x0B, 0x00, 0x10, 0x20, 0x30, 0x04, 0x05, 0x06, 0xFD}},
        {"capture start, largest",
         boardlink::capture_start_request(1048576, 1, 0xFFFF),
         {0xFE, 0x03, 0x0B, 0x00, 0x10, 0x00, 0x00, 0x01, 0xFF, 0xFF, 0xFD}},
        {"soft reset", boardlink::query_request(wire::kSoftReset), {0xFE, 0x05, 0x05, 0x00, 0xFD}},
        {"target info",
         boardlink::query_request(wire::kTargetInfo),
         {0xFE, 0x06, 0x05, 0x00, 0xFD}},
        {"version",
         boardlink::query_request(wire::kFirmwareVersion),
         {0xFE, 0x07, 0x05, 0x00, 0xFD}},
        {"board id", boardlink::query_request(wire::kBoardId), {0xFE, 0x08, 0x05, 0x00, 0xFD}},
        {"enter update",
         boardlink::query_request(wire::kEnterUpdate),
         {0xFE, 0x09, 0x05, 0x00, 0xFD}},
        {"flash erase",
         boardlink::flash_erase_request(0x1200),
         {0xFE, 0x0A, 0x12, 0x00, 0x00, 0xFD}},
        {"flash program",
         boardlink::flash_program_request(0x3FC0),
         {0xFE, 0x0B, 0x3F, 0xC0, 0x40, 0xFD}},
    };
    for (const auto& c : cases) EXPECT_EQ(bytes_of(c.request), padded(c.frame)) << c.name;
}

TEST(ProtocolFrames, SpiWritesThatDoNotFitTheBlockAreNotBuilt) {
    const int ten[10] = {};
    EXPECT_FALSE(boardlink::chip_write_request(0x03, std::span(ten, 0)));
    EXPECT_FALSE(boardlink::chip_write_request(0x03, ten));
    EXPECT_TRUE(boardlink::chip_write_request(0x03, std::span(ten, 1)));
    EXPECT_FALSE(boardlink::eeprom_write_request(0, std::span(ten, 0)));
    EXPECT_FALSE(boardlink::eeprom_write_request(0, std::span(ten, 9)));
    EXPECT_FALSE(boardlink::eeprom_read_request(0, 0));
    EXPECT_FALSE(boardlink::eeprom_read_request(0, 10));
}

TEST(ProtocolReplies, TypeStatusAndDataBytes) {
    const struct {
        Reply reply;
        wire::RequestType type;
        bool answers, accepted;
    } cases[] = {
        {{0xFE, 0x01, 0x00, 0, 0, 0, 0xFD}, wire::kSpiWrite, true, true},
        {{0xFE, 0x02, 0x00, 0, 0, 0, 0xFD}, wire::kSpiWrite, false, false},
        {{0xFE, 0x09, 0x00, 0, 0, 0, 0xFD}, wire::kEnterUpdate, true, true},
        {{0xFE, 0x0A, 0x01, 0, 0, 0, 0xFD}, wire::kFlashErase, true, false},
        {{0xFE, 0x0C, 0x00, 0, 0, 0, 0xFD}, wire::kSkipDone, true, true},
        {{}, wire::kCaptureStart, false, false},  // nothing read
    };
    for (const auto& c : cases) {
        EXPECT_EQ(boardlink::answers(c.reply, c.type), c.answers) << int(c.type);
        EXPECT_EQ(boardlink::accepted(c.reply, c.type), c.accepted) << int(c.type);
    }
    EXPECT_EQ(boardlink::reply_word({0xFE, 0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFD}), 16777215);
    EXPECT_EQ(boardlink::reply_word({0xFE, 0x02, 0x00, 0x76, 0x01, 0x10, 0xFD}), 0x760110);
    EXPECT_EQ(boardlink::reply_eeprom_byte({0xFE, 0x02, 0x00, 0x11, 0xA5, 0x22, 0xFD}), 0xA5);
}

// Nothing ever arrives: how long each rule waits, from where in a second it starts.
TEST(ProtocolWait, WholeSecondAndFractionalLimitsOnAnEmptyQueue) {
    const struct {
        Limit limit;
        double start;
        double waited;  // until the first poll past the limit
    } cases[] = {
        {boardlink::kSpiWriteLimit, 10.05, 5.95},  // more than 5 whole seconds: 5 to 6 s
        {boardlink::kSpiWriteLimit, 10.95, 5.05},
        {boardlink::kSpiReadLimit, 10.5, 4.5},
        {boardlink::kCaptureStartLimit, 10.05, 5.0},  // 5.0 s wherever it starts
        {boardlink::kCaptureStartLimit, 10.95, 5.0},
        {boardlink::kFlashEraseLimit, 10.5, 10.0},
        {boardlink::kFlashDataLimit, 10.5, 20.0},
        {boardlink::skip_reply_limit(0.5), 10.25, 5.75},  // whole seconds beyond 5.5: 6
        {boardlink::skip_reply_limit(1.0), 10.95, 6.05},  // ... beyond 6.0: 7
    };
    for (const auto& c : cases) {
        BarePort b(c.start);
        EXPECT_FALSE(boardlink::wait_ready(b.port, c.limit)) << c.start;
        const double waited = b.clock.now() - c.start;
        EXPECT_GE(waited, c.waited - 1e-6) << c.limit.seconds << " from " << c.start;
        EXPECT_LE(waited, c.waited + 2 * platform::VirtualClock::kPollStep)
            << c.limit.seconds << " from " << c.start;
    }
}

TEST(ProtocolWait, ReadyReturnsTheQueuedCountAtOnceAndOverrunIsNotReady) {
    BarePort b;
    boardlink::send(b.port, boardlink::query_request(wire::kEnterUpdate));
    double before = b.clock.now();
    EXPECT_EQ(boardlink::wait_ready(b.port, boardlink::kEnterUpdateLimit),
              std::optional<std::uint32_t>(wire::kReplyBytes));
    EXPECT_EQ(b.clock.now(), before);
    EXPECT_TRUE(boardlink::accepted(boardlink::receive_reply(b.port), wire::kEnterUpdate));

    // Status 3: the reply is in the queue, but the queue says bytes were lost.
    b.board->faults().rx_overrun = true;
    boardlink::send(b.port, boardlink::query_request(wire::kEnterUpdate));
    before = b.clock.now();
    EXPECT_FALSE(boardlink::wait_ready(b.port, boardlink::kEnterUpdateLimit));
    EXPECT_GT(b.clock.now() - before, 5.0);
}

TEST(ReadFailureHook, GetsEachFailedReadAndNothingElse) {
    BarePort b;
    int value = -1;
    ASSERT_TRUE(boardlink::spi_read(b.port, 0x06, &value));
    const int data[] = {1, 2, 3};
    b.board->faults().silent_types = simboard::Faults::type_bit(wire::kSpiWrite);
    EXPECT_FALSE(boardlink::spi_write(b.port, 3, 0x06, data));
    EXPECT_TRUE(b.failures.empty());  // write failures are the caller's to report

    b.board->faults().silent_types = simboard::Faults::type_bit(wire::kSpiRead);
    EXPECT_EQ(boardlink::spi_read(b.port, 0x06, &value).fault, core::Fault::NoReply);
    b.board->faults().silent_types = 0;
    b.board->faults().wrong_types = simboard::Faults::type_bit(wire::kSpiRead);
    EXPECT_EQ(boardlink::USB_read(b.port, 0x06), 0);

    ASSERT_EQ(b.failures.size(), 2u);
    EXPECT_EQ(b.failures[0].fault, core::Fault::NoReply);
    EXPECT_EQ(b.failures[0].step, "SPI read");
    EXPECT_EQ(b.failures[0].title, "        Time Out!");
    EXPECT_EQ(b.failures[0].text, "No return within 4 seconds");
    EXPECT_EQ(b.failures[1].fault, core::Fault::WrongReply);
    EXPECT_EQ(b.failures[1].title, "        Incorrect Response!");
    EXPECT_EQ(b.failures[1].text, "Return value is invalid");

    // Without a hook the read still fails.
    b.port.on_read_failure = nullptr;
    EXPECT_FALSE(boardlink::spi_read(b.port, 0x06, &value));
    EXPECT_EQ(value, 0);
}

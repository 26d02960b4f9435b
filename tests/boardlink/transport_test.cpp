// The framed exchanges as they appear on the wire, and how they end when the board answers
// late, wrongly or not at all.
#include <gtest/gtest.h>

#include "boardlink/transport/protocol.h"
#include "boardlink/transport/transport.h"
#include "support/wire_app.h"

using simboard::Faults;
using testing_support::block;
using testing_support::Bytes;
using testing_support::WireApp;
using testing_support::WireEvent;

namespace {

const char* const kTimeOut = "        Time Out!|No return within 4 seconds";
const char* const kIncorrect = "        Incorrect Response!|Return value is invalid";

constexpr int kReadFailureDims[] = {SETUP_CONFIGURE, SETUP_GOREAD, SETUP_GOWRITE, SETUP_CAPTURE2};

class Transport : public ::testing::Test {
  protected:
    void SetUp() override {
        board = &t.add_board(4);
        t.start();
        t.connect();
    }
    Faults& faults() { return board->faults(); }
    // Moves virtual time on so the next wait starts at the given fraction of a second.
    void start_at_fraction(double fraction) {
        const double now = t.clock.now();
        t.clock.advance(static_cast<double>(static_cast<long>(now)) + 1.0 + fraction - now);
    }

    WireApp t;
    simboard::SimBoard* board = nullptr;
};

}  // namespace

TEST_F(Transport, SpiWritesOfSixAndNineBytesFillTheBlockAndPadWithZeros) {
    const int six[] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
    ASSERT_EQ(boardlink::USB_write(t->port, 6, 0x03, six), 1);
    ASSERT_EQ(t.bus.events.size(), 2u);
    EXPECT_EQ(t.bus.events[0].kind, WireEvent::Purge);  // both buffers flushed first
    EXPECT_EQ(t.bus.events[1].bytes,
              block({0xFE, 0x01, 0x0C, 0x02, 0x03, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0xFD}));

    t.bus.clear();
    const int nine[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    ASSERT_EQ(boardlink::SPI_write(t->port, 9, 0x03, nine), 1);
    const Bytes expected{0xFE, 0x01, 0x0F, 0x02, 0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xFD};
    EXPECT_EQ(t.bus.writes(), std::vector<Bytes>{expected});
}

TEST_F(Transport, SpiWriteUsesTheLowByteOfAddressAndData) {
    const int data[] = {0x1AB, -1, 0x7F00};
    ASSERT_EQ(boardlink::USB_write(t->port, 3, 0x109, data), 1);
    EXPECT_EQ(t.bus.writes().at(0), block({0xFE, 0x01, 0x09, 0x02, 0x09, 0xAB, 0xFF, 0x00, 0xFD}));
    EXPECT_EQ(board->chip().port_word(0x09), 0xABFF00u);
}

TEST_F(Transport, SpiWriteBeyondNineBytesIsRefusedWithoutSendingAnything) {
    const int ten[10] = {};
    EXPECT_EQ(boardlink::USB_write(t->port, 10, 0x03, ten), 0);
    EXPECT_EQ(boardlink::USB_write(t->port, 0, 0x03, ten), 0);
    EXPECT_TRUE(t.bus.events.empty());
    EXPECT_TRUE(t.frontend.popups.empty());
}

TEST_F(Transport, ReadFrameIsFixedAndTheWordIsNotSignExtended) {
    const int ones[] = {0xFF, 0xFF, 0xFF};
    ASSERT_EQ(boardlink::SPI_write(t->port, 3, 0x09, ones), 1);
    t.bus.clear();
    EXPECT_EQ(boardlink::USB_read(t->port, 0x09), 16777215);
    EXPECT_EQ(t.bus.writes(),
              std::vector<Bytes>{block({0xFE, 0x02, 0x09, 0x03, 0x09, 0x00, 0x00, 0x00, 0xFD})});
    EXPECT_EQ(t.bus.events.front().kind, WireEvent::Purge);
}

TEST_F(Transport, SpiReadIgnoresTheByteCount) {
    const int word[] = {0x12, 0x34, 0x56};
    ASSERT_EQ(boardlink::SPI_write(t->port, 3, 0x06, word), 1);
    t.bus.clear();
    for (int n : {0, 1, 3, 9}) EXPECT_EQ(boardlink::SPI_read(t->port, n, 0x06), 0x123456) << n;
    for (const Bytes& w : t.bus.writes())
        EXPECT_EQ(w, block({0xFE, 0x02, 0x09, 0x03, 0x06, 0x00, 0x00, 0x00, 0xFD}));
}

TEST_F(Transport, ChipReadsFloatingHighGiveAllOnes) {
    faults().chip_select_broken = true;
    EXPECT_EQ(boardlink::SPI_read(t->port, 3, 0x06), 0xFFFFFF);
    EXPECT_TRUE(t.frontend.popups.empty());
}

TEST_F(Transport, MissingWriteReplyEndsAfterMoreThanFiveWholeSecondsWithoutMessage) {
    faults().silent_types = Faults::type_bit(0x01);
    const int data[] = {0, 0, 0};
    // Both ends of the whole-second truncation: the wait lasts between 5 and 6 seconds.
    for (double fraction : {0.05, 0.5, 0.95}) {
        start_at_fraction(fraction - boardlink::kSettleDelay);
        const double before = t.clock.now();
        EXPECT_EQ(boardlink::USB_write(t->port, 3, 0x06, data), 0);
        const double waited = t.clock.now() - before - boardlink::kSettleDelay;
        EXPECT_GT(waited, 5.0) << fraction;
        EXPECT_LE(waited, 6.01) << fraction;
    }
    EXPECT_TRUE(t.frontend.popups.empty());
    for (int c : kReadFailureDims) EXPECT_EQ(t.setup_dimmed(c), c == SETUP_CAPTURE2);
}

TEST_F(Transport, MissingReadReplyTimesOutGreysTheBoardCommandsAndSaysSo) {
    faults().silent_types = Faults::type_bit(0x02);
    for (int c : kReadFailureDims) EXPECT_EQ(t.setup_dimmed(c), c == SETUP_CAPTURE2);
    start_at_fraction(0.5);
    const double before = t.clock.now();
    EXPECT_EQ(boardlink::USB_read(t->port, 0x06), 0);
    const double waited = t.clock.now() - before - boardlink::kSettleDelay;
    EXPECT_GT(waited, 4.0);
    EXPECT_LE(waited, 5.01);
    EXPECT_EQ(t.frontend.messages(), std::vector<std::string>{kTimeOut});
    for (int c : kReadFailureDims) EXPECT_TRUE(t.setup_dimmed(c)) << c;
    // Only those four: the rest of the board group stays usable.
    EXPECT_FALSE(t.setup_dimmed(SETUP_RATE));
    EXPECT_FALSE(t.setup_dimmed(SETUP_RESET));

    // Connecting again brings back all but the capture control.
    faults().silent_types = 0;
    t.toggle_connect();
    t.connect();
    for (int c : kReadFailureDims) EXPECT_EQ(t.setup_dimmed(c), c == SETUP_CAPTURE2) << c;
}

TEST_F(Transport, WrongReadReplyIsReportedAtOnce) {
    faults().wrong_types = Faults::type_bit(0x02);
    const double before = t.clock.now();
    EXPECT_EQ(boardlink::SPI_read(t->port, 3, 0x06), 0);
    EXPECT_LT(t.clock.now() - before, 0.2);
    EXPECT_EQ(t.frontend.messages(), std::vector<std::string>{kIncorrect});
    for (int c : kReadFailureDims) EXPECT_TRUE(t.setup_dimmed(c)) << c;
}

TEST_F(Transport, ReadyWithOverrunCountsAsNotReady) {
    faults().rx_overrun = true;  // the queue reports status 3 with the reply in it
    const double before = t.clock.now();
    EXPECT_EQ(boardlink::USB_read(t->port, 0x06), 0);
    EXPECT_GT(t.clock.now() - before - boardlink::kSettleDelay, 4.0);
    EXPECT_EQ(t.frontend.messages(), std::vector<std::string>{kTimeOut});

    t.frontend.popups.clear();
    const int data[] = {0, 0, 0};
    const double write_start = t.clock.now();
    EXPECT_EQ(boardlink::USB_write(t->port, 3, 0x06, data), 0);
    EXPECT_GT(t.clock.now() - write_start - boardlink::kSettleDelay, 5.0);
    EXPECT_TRUE(t.frontend.popups.empty());

    // The same replies are taken once the status is plain ready again.
    faults().rx_overrun = false;
    EXPECT_EQ(boardlink::USB_write(t->port, 3, 0x06, data), 1);
}

TEST_F(Transport, SpiWriteAnsweredWithTheReadTypeFailsWithoutWaiting) {
    faults().wrong_types = Faults::type_bit(0x01);  // the reply carries 0x02
    const int data[] = {1, 2, 3};
    const double before = t.clock.now();
    EXPECT_EQ(boardlink::USB_write(t->port, 3, 0x06, data), 0);
    EXPECT_LT(t.clock.now() - before, boardlink::kSettleDelay + 0.01);
    EXPECT_TRUE(t.frontend.popups.empty());
}

TEST_F(Transport, TargetInfoAsksThreeQuestionsWithoutFlushing) {
    char info[100], version[100];
    std::int8_t code = 0;
    board->config().firmware_version = "V3.1";
    ASSERT_EQ(boardlink::USB_GetTargetInfo(t->port, info, version, &code), 1);
    EXPECT_EQ(t.bus.writes(), (std::vector<Bytes>{block({0xFE, 0x06, 0x05, 0x00, 0xFD}),
                                                  block({0xFE, 0x07, 0x05, 0x00, 0xFD}),
                                                  block({0xFE, 0x08, 0x05, 0x00, 0xFD})}));
    for (const auto& e : t.bus.events) EXPECT_EQ(e.kind, WireEvent::Write);
    EXPECT_STREQ(info, "SB USB bridge rev 3");
    EXPECT_STREQ(version, "V3.1");
    EXPECT_EQ(code, 4);
}

TEST_F(Transport, LongInformationTextDoesNotSpillIntoTheVersion) {
    for (std::size_t length : {98u, 99u, 100u, 150u}) {
        board->config().info_text = std::string(length, 'i');
        char info[100], version[100];
        std::int8_t code = 0;
        ASSERT_EQ(boardlink::USB_GetTargetInfo(t->port, info, version, &code), 1) << length;
        EXPECT_EQ(std::string(info), std::string(std::min<std::size_t>(length, 99), 'i'));
        EXPECT_STREQ(version, "V2.4") << length;
        EXPECT_EQ(code, 4) << length;
    }
}

TEST_F(Transport, TargetInfoGivesUpSilentlyAtTheFirstUnansweredQuery) {
    faults().silent_types = Faults::type_bit(0x07);
    char info[100], version[100];
    std::int8_t code = 0;
    const double before = t.clock.now();
    EXPECT_EQ(boardlink::USB_GetTargetInfo(t->port, info, version, &code), 0);
    EXPECT_GT(t.clock.now() - before, 4.0);
    EXPECT_EQ(t.bus.writes().size(), 2u);  // the board code is never asked for
    EXPECT_TRUE(t.frontend.popups.empty());
}

TEST_F(Transport, SkipReplyWaitFlushesAndFailsAfterItsLimit) {
    const double before = t.clock.now();
    EXPECT_EQ(boardlink::wait_capture_reply(t->port, 1.0), 0);
    const double waited = t.clock.now() - before;
    EXPECT_GT(waited, 6.0);
    EXPECT_LE(waited, 7.01);
    ASSERT_FALSE(t.bus.events.empty());
    EXPECT_EQ(t.bus.events.back().kind, WireEvent::Purge);
    EXPECT_TRUE(t.frontend.popups.empty());
}

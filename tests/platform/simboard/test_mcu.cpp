// The MCU on the wire: framing, replies, identification, reset and the reply faults.
#include <gtest/gtest.h>

#include <string>

#include "frames.h"

namespace simboard::test {
namespace {

const Bytes kAckWrite{0xFE, 0x01, 0x00, 0x00, 0x00, 0x00, 0xFD};

TEST(Mcu, SpiWriteRepliesWithSevenByteBlock) {
    Harness h;
    EXPECT_EQ(h.exchange(spi_write(0x03, words({0, 0, 0}))), kAckWrite);
    EXPECT_EQ(h.exchange(spi_write(0x09, words({0x123456}))), kAckWrite);
    EXPECT_EQ(h.exchange(spi_write(0x00, words({1, 2}))), kAckWrite);
}

TEST(Mcu, SpiReadReplyCarriesWordInBytesThreeToFive) {
    Harness h;
    h.exchange(spi_write(0x09, words({0xFFFFFF})));
    EXPECT_EQ(h.exchange(spi_read(0x09)), (Bytes{0xFE, 0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFD}));
}

TEST(Mcu, IdentificationReplies) {
    BoardConfig cfg;
    cfg.info_text = "Bridge 7";
    cfg.firmware_version = "D2.4";
    cfg.board_code = 11;
    Harness h(cfg);
    EXPECT_EQ(h.exchange(simple(0x06)), (Bytes{'B', 'r', 'i', 'd', 'g', 'e', ' ', '7', 0}));
    EXPECT_EQ(h.exchange(simple(0x07)), (Bytes{'D', '2', '.', '4', 0}));
    EXPECT_EQ(h.exchange(simple(0x08)), (Bytes{11}));
    h.board.config().firmware_version = "V2.4";
    EXPECT_EQ(h.exchange(simple(0x07)), (Bytes{'V', '2', '.', '4', 0}));
}

TEST(Mcu, MalformedFramesGetNoReplyAndAreLogged) {
    Harness h;
    EXPECT_TRUE(h.exchange(block({0x00, 0x01, 0x05, 0x06, 0xFD})).empty());  // no start
    EXPECT_TRUE(h.exchange(block({0xFE, 0x01, 0x06, 0x06, 0xFD})).empty());  // FD misplaced
    EXPECT_TRUE(h.exchange(block({0xFE, 0x04, 0x05, 0x00, 0xFD})).empty());  // no type 0x04
    EXPECT_TRUE(h.exchange(block({0xFE, 0x01, 0x10, 0x06, 0xFD})).empty());  // length > 15
    EXPECT_TRUE(h.exchange(Bytes{0xFE, 0x01}).empty());                      // short transfer
    int bad = 0;
    for (const auto& e : h.board.log()) bad += e.kind == LogEntry::Kind::BadFrame;
    EXPECT_EQ(bad, 5);
}

TEST(Mcu, SoftResetLeavesBusForAMomentAndForgets) {
    Harness h;
    h.reg_write(0x21, 0x123456);
    const auto attachment = h.board.attachment();
    EXPECT_TRUE(h.exchange(simple(0x05)).empty());
    EXPECT_FALSE(h.board.on_bus());
    h.clock.advance(1.4);
    EXPECT_FALSE(h.board.on_bus());
    h.clock.advance(0.2);
    EXPECT_TRUE(h.board.on_bus());
    EXPECT_NE(h.board.attachment(), attachment);
    EXPECT_EQ(h.reg_read(0x21), 0x400000u);  // back to its power-on value
}

TEST(Mcu, NothingIsHeardWhileOffTheBus) {
    Harness h;
    h.board.unplug();
    EXPECT_FALSE(h.board.on_bus());
    EXPECT_TRUE(h.exchange(simple(0x08)).empty());
    h.board.plug();
    EXPECT_EQ(h.exchange(simple(0x08)), (Bytes{4}));
}

TEST(Mcu, SilentRepliesStillAct) {
    Harness h;
    h.board.faults().silent_types = Faults::type_bit(0x01);
    EXPECT_TRUE(h.reg_write(0x21, 0x111111).empty());
    h.board.faults().silent_types = 0;
    EXPECT_EQ(h.reg_read(0x21), 0x111111u);
    h.board.faults().silent_types = Faults::kAllTypes;
    EXPECT_TRUE(h.exchange(simple(0x06)).empty());
    EXPECT_TRUE(h.exchange(simple(0x08)).empty());
    EXPECT_TRUE(h.exchange(spi_read(0x06)).empty());
}

TEST(Mcu, WrongReplyTypeIsTheNextType) {
    Harness h;
    h.board.faults().wrong_types = Faults::type_bit(0x01);
    const Bytes r = h.reg_write(0x21, 1);
    ASSERT_EQ(r.size(), 7u);
    EXPECT_EQ(r[1], 0x02);
    EXPECT_EQ(h.exchange(spi_read(0x06))[1], 0x02);  // reads unaffected
}

TEST(Mcu, RepliesQueueInOrder) {
    Harness h;
    h.send(simple(0x08));
    h.send(spi_read(0x00));
    const Bytes r = h.take();
    ASSERT_EQ(r.size(), 8u);
    EXPECT_EQ(r[0], 4);
    EXPECT_EQ(r[2], 0x02);
}

TEST(Mcu, PurgeDropsUndeliveredBytes) {
    Harness h;
    h.send(simple(0x07));
    h.board.purge_output();
    EXPECT_TRUE(h.take().empty());
}

}  // namespace
}  // namespace simboard::test

// The boot EEPROM behind its frames and the MCU flash behind the update requests.
#include <gtest/gtest.h>

#include "frames.h"

namespace simboard::test {
namespace {

const Bytes kAckWrite{0xFE, 0x01, 0x00, 0x00, 0x00, 0x00, 0xFD};

Bytes eeprom_config(std::uint8_t i) {
    return block({0xFE, 0x01, 0x05, i, 0xFD});
}
Bytes eeprom_write(std::uint16_t a, std::uint8_t d) {
    return block({0xFE, 0x01, 0x08, 0x02, static_cast<std::uint8_t>(a >> 8),
                  static_cast<std::uint8_t>(a), d, 0xFD});
}
Bytes eeprom_read(std::uint16_t a) {
    return block({0xFE, 0x02, 0x07, 0x03, static_cast<std::uint8_t>(a >> 8),
                  static_cast<std::uint8_t>(a), 0xFD});
}
Bytes read_reply(std::uint8_t v) {
    return {0xFE, 0x02, 0x00, 0x00, v, 0x00, 0xFD};
}

Bytes erase(std::uint16_t a) {
    return block(
        {0xFE, 0x0A, static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a), 0x00, 0xFD});
}
Bytes program(std::uint16_t a) {
    return block(
        {0xFE, 0x0B, static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a), 0x40, 0xFD});
}
Bytes status(std::uint8_t type, std::uint8_t s) {
    return {0xFE, type, s, 0x00, 0x00, 0x00, 0xFD};
}

Bytes chunk(std::uint8_t first) {
    Bytes b(64);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(first + i);
    return b;
}

TEST(Eeprom, WriteNeedsEnableAndConsumesIt) {
    Harness h;
    EXPECT_EQ(h.exchange(eeprom_write(0x0010, 0x5A)), kAckWrite);
    EXPECT_EQ(h.exchange(eeprom_read(0x0010)), read_reply(0xFF));  // not enabled: not stored
    EXPECT_EQ(h.exchange(eeprom_config(0x06)), kAckWrite);
    EXPECT_TRUE(h.board.eeprom().write_enabled());
    EXPECT_EQ(h.exchange(eeprom_write(0x0010, 0x5A)), kAckWrite);
    EXPECT_FALSE(h.board.eeprom().write_enabled());
    EXPECT_EQ(h.exchange(eeprom_read(0x0010)), read_reply(0x5A));
    h.exchange(eeprom_write(0x0010, 0x00));
    EXPECT_EQ(h.exchange(eeprom_read(0x0010)), read_reply(0x5A));
}

TEST(Eeprom, WholeAddressRangeAndChipUntouched) {
    Harness h;
    for (std::uint16_t a : {0x0000, 0x1234, 0xFFFF}) {
        h.exchange(eeprom_config(0x06));
        h.exchange(eeprom_write(a, static_cast<std::uint8_t>(a ^ 0xA5)));
        EXPECT_EQ(h.exchange(eeprom_read(a)), read_reply(static_cast<std::uint8_t>(a ^ 0xA5)));
    }
    for (std::uint8_t p = 0; p < 0x1E; p += 3) EXPECT_EQ(h.board.chip().port_word(p), 0u) << int(p);
}

TEST(Eeprom, MultiByteWriteWrapsInsideItsPage) {
    Harness h;
    h.exchange(eeprom_config(0x06));
    // Three data bytes: a two-byte write would have the length of a filter-chip word write.
    h.exchange(block({0xFE, 0x01, 0x0A, 0x02, 0x00, 0x3E, 0x11, 0x22, 0x33, 0xFD}));
    EXPECT_EQ(h.board.eeprom().read(0x003E), 0x11);
    EXPECT_EQ(h.board.eeprom().read(0x003F), 0x22);
    EXPECT_EQ(h.board.eeprom().read(0x0000), 0x33);
    EXPECT_EQ(h.board.eeprom().read(0x0040), 0xFF);
}

TEST(Eeprom, WriteFailureIsAcknowledgedButNotStored) {
    Harness h;
    h.board.faults().eeprom_write_fail = true;
    h.exchange(eeprom_config(0x06));
    EXPECT_EQ(h.exchange(eeprom_write(0x0100, 0x42)), kAckWrite);
    EXPECT_EQ(h.exchange(eeprom_read(0x0100)), read_reply(0xFF));
    const auto& e = h.board.log().back();
    EXPECT_EQ(e.kind, LogEntry::Kind::EepromRead);
}

TEST(Eeprom, ContentsSurviveResetAndPowerLoss) {
    Harness h;
    h.exchange(eeprom_config(0x06));
    h.exchange(eeprom_write(0x0200, 0x77));
    h.exchange(eeprom_config(0x06));
    h.exchange(simple(0x05));
    h.clock.advance(2.0);
    EXPECT_FALSE(h.board.eeprom().write_enabled());
    h.board.unplug();
    h.board.plug();
    EXPECT_EQ(h.exchange(eeprom_read(0x0200)), read_reply(0x77));
}

TEST(Flash, UpdateRequestsNeedUpdateMode) {
    Harness h;
    EXPECT_EQ(h.exchange(erase(0x0200)), status(0x0A, 0x01));
    EXPECT_EQ(h.exchange(program(0x0200)), status(0x0B, 0x01));
    EXPECT_EQ(h.exchange(simple(0x09)), status(0x09, 0x00));
    EXPECT_TRUE(h.board.update_mode());
    EXPECT_EQ(h.exchange(erase(0x0200)), status(0x0A, 0x00));
}

TEST(Flash, EraseProgramAndReadBack) {
    Harness h;
    h.exchange(simple(0x09));
    EXPECT_EQ(h.exchange(erase(0x0200)), status(0x0A, 0x00));
    EXPECT_EQ(h.exchange(program(0x0200)), status(0x0B, 0x00));
    EXPECT_EQ(h.exchange(chunk(0x10)), status(0x0B, 0x00));
    EXPECT_EQ(h.exchange(program(0x0240)), status(0x0B, 0x00));
    EXPECT_EQ(h.exchange(chunk(0x80)), status(0x0B, 0x00));
    for (std::size_t i = 0; i < 64; ++i) {
        EXPECT_EQ(h.board.flash().at(0x0200 + i), 0x10 + i);
        EXPECT_EQ(h.board.flash().at(0x0240 + i), 0x80 + i);
    }
    // Programming over programmed cells can only clear bits.
    h.exchange(program(0x0200));
    h.exchange(chunk(0x0F));
    EXPECT_EQ(h.board.flash().at(0x0200), 0x10 & 0x0F);
    h.exchange(erase(0x03FF));  // any address inside the page erases all of it
    EXPECT_EQ(h.board.flash().at(0x0200), 0xFF);
    EXPECT_EQ(h.board.flash().at(0x03FF), 0xFF);
}

TEST(Flash, OutOfRangeAndFailureSwitch) {
    Harness h;
    h.exchange(simple(0x09));
    EXPECT_EQ(h.exchange(program(0x2DC0)), status(0x0B, 0x00));  // the last 64 bytes
    h.exchange(chunk(0x00));
    EXPECT_EQ(h.exchange(program(0x2DC1)), status(0x0B, 0x01));
    EXPECT_EQ(h.exchange(erase(0x2E00)), status(0x0A, 0x01));
    h.board.faults().flash_fail = true;
    EXPECT_EQ(h.exchange(erase(0x0000)), status(0x0A, 0x01));
    EXPECT_EQ(h.exchange(program(0x0000)), status(0x0B, 0x01));
}

TEST(Flash, RequestInsteadOfDataIsARequest) {
    Harness h;
    h.exchange(simple(0x09));
    h.exchange(program(0x0000));
    EXPECT_EQ(h.exchange(simple(0x08)), (Bytes{4}));
    EXPECT_EQ(h.board.flash().at(0x0000), 0xFF);
}

TEST(Flash, ResetAfterUpdateWaitsForPowerCycleAndKeepsFlash) {
    Harness h;
    h.exchange(simple(0x09));
    h.exchange(erase(0x0000));
    h.exchange(program(0x0000));
    h.exchange(chunk(0x00));
    h.exchange(simple(0x05));
    h.clock.advance(60.0);
    EXPECT_FALSE(h.board.on_bus());
    h.board.power_cycle();
    EXPECT_TRUE(h.board.on_bus());
    EXPECT_FALSE(h.board.update_mode());
    EXPECT_EQ(h.board.flash().at(0x0001), 0x01);
    EXPECT_EQ(h.exchange(simple(0x08)), (Bytes{4}));
}

}  // namespace
}  // namespace simboard::test

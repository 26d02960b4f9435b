// The filter chip through its command port, exactly as the host drives it.
#include <gtest/gtest.h>

#include "frames.h"

namespace simboard::test {
namespace {

BoardConfig board(std::uint8_t code) {
    BoardConfig c;
    c.board_code = code;
    return c;
}

TEST(FilterChip, RegisterReadIsSixByteWriteThenReadOfSpidat1) {
    Harness h;
    h.board.clear_log();
    EXPECT_EQ(h.reg_read(0x2E) >> 16, 0x76u);
    const auto& log = h.board.log();
    // Request, two port words, the RD_DFREG command, the register read, then the port read.
    ASSERT_GE(log.size(), 6u);
    EXPECT_EQ(log[1].kind, LogEntry::Kind::PortWrite);
    EXPECT_EQ(log[1].a, 0x03u);
    EXPECT_EQ(log[1].b, 0x000002u);
    EXPECT_EQ(log[2].a, 0x06u);
    EXPECT_EQ(log[2].b, 0x00002Eu);
    EXPECT_EQ(log[3].kind, LogEntry::Kind::Command);
    EXPECT_EQ(log[4].kind, LogEntry::Kind::RegisterRead);
    EXPECT_EQ(log.back().kind, LogEntry::Kind::PortRead);
    EXPECT_EQ(log.back().a, 0x06u);
}

TEST(FilterChip, VersionTellsTheVariant) {
    for (std::uint8_t code : {1, 4, 7, 9, 10}) {
        Harness h(board(code));
        EXPECT_EQ(h.reg_read(0x2E) >> 16, 0x76u) << int(code);
    }
    for (std::uint8_t code : {0, 2, 3, 5, 6, 8, 11, 200}) {
        Harness h(board(code));
        const std::uint32_t v = h.reg_read(0x2E);
        EXPECT_EQ(v & 0xF00000, 0x700000u) << int(code);
        EXPECT_NE(v >> 16, 0x76u) << int(code);
    }
}

TEST(FilterChip, WriteAndReadEveryRegister) {
    Harness h;
    for (std::uint8_t r = 0; r < 0x30; ++r) {
        if (r == 0x2E) continue;
        h.reg_write(r, 0x010101u * r);
        EXPECT_EQ(h.reg_read(r), 0x010101u * r) << int(r);
    }
    h.reg_write(0x2E, 0);
    EXPECT_EQ(h.reg_read(0x2E), kVersionFourChannel);  // read-only
    EXPECT_EQ(h.reg_read(0x30), 0u);                   // beyond the map
}

TEST(FilterChip, SingleChannelVariantLacksSecondChannelRegisters) {
    Harness h(board(2));
    h.reg_write(0x21, 0x123456);
    h.reg_write(0x22, 0x123456);
    h.reg_write(0x0F, 0x0F0008);
    EXPECT_EQ(h.reg_read(0x21), 0x123456u);
    EXPECT_EQ(h.reg_read(0x22), 0u);
    EXPECT_EQ(h.reg_read(0x0F), 0u);
}

TEST(FilterChip, PortWriteOfThreeWordsFillsConsecutiveRegisters) {
    Harness h;
    h.exchange(spi_write(0x06, words({0xAABBCC, 0x112233})));
    EXPECT_EQ(h.board.chip().port_word(0x06), 0xAABBCCu);
    EXPECT_EQ(h.board.chip().port_word(0x09), 0x112233u);
    h.exchange(spi_write(0x12, words({1, 2, 3})));
    EXPECT_EQ(h.board.chip().port_word(0x12), 1u);
    EXPECT_EQ(h.board.chip().port_word(0x15), 2u);
    EXPECT_EQ(h.board.chip().port_word(0x18), 3u);
    h.exchange(spi_write(0x1E, words({0xABCDEF})));  // runs off the end of the port
    EXPECT_EQ(h.board.chip().port_word(0x1E), 0xABCD00u);
}

TEST(FilterChip, ReadsOnlyAfterCommandWriteDoNotRunCommands) {
    Harness h;
    h.exchange(spi_write(0x06, words({0x2E})));  // SPIDAT1 alone: no command
    EXPECT_EQ(h.board.chip().port_word(0x06), 0x2Eu);
    h.exchange(spi_write(0x03, words({0x02})));  // SPICMD alone: RD_DFREG of 0x2E
    EXPECT_EQ(h.board.chip().port_word(0x06), kVersionFourChannel);
}

TEST(FilterChip, CoefficientAndTbsWordsAreStoredInOrder) {
    Harness h;
    h.command(cmd::WR_FIR_COEF, 0x1A2B3C, 0xFFFFFF);
    h.command(cmd::WR_FIR_COEF, 0x000001, 0x1000002);  // bits above 23 dropped
    h.command(cmd::WR_IIR_COEF, 5, 6);
    h.command(cmd::WR_TBS_DATA, 7, 0);
    EXPECT_EQ(h.board.chip().fir_words(), (std::vector<std::uint32_t>{0x1A2B3C, 0xFFFFFF, 1, 2}));
    EXPECT_EQ(h.board.chip().iir_words(), (std::vector<std::uint32_t>{5, 6}));
    EXPECT_EQ(h.board.chip().tbs_words(), (std::vector<std::uint32_t>{7, 0}));
    h.command(cmd::WR_ROM_COEF, 0x000120);
    EXPECT_EQ(h.board.chip().rom_coef_selection(), 0x000120u);
    EXPECT_TRUE(h.board.chip().fir_words().empty());
    h.command(cmd::WR_ROM_TBS);
    EXPECT_TRUE(h.board.chip().rom_tbs_selected());
    EXPECT_TRUE(h.board.chip().tbs_words().empty());
}

TEST(FilterChip, CoefficientMemoryStopsAtCapacity) {
    Harness h;
    for (int i = 0; i < 600; ++i) h.command(cmd::WR_FIR_COEF, i, i);
    EXPECT_EQ(h.board.chip().fir_words().size(), FilterChip::kCoefCapacity);
}

TEST(FilterChip, TbsCommandsIgnoredOnSingleChannelVariant) {
    Harness h(board(5));
    h.command(cmd::WR_TBS_DATA, 1, 2);
    h.command(cmd::WR_ROM_TBS);
    EXPECT_TRUE(h.board.chip().tbs_words().empty());
    EXPECT_FALSE(h.board.chip().rom_tbs_selected());
}

TEST(FilterChip, RamWordsWriteAndReadBackThroughSpidat1) {
    Harness h;
    h.command(cmd::WR_PM, 0x3000, 0xABCDEF);
    h.command(cmd::WR_DM, 0x0010, 0x123456);
    h.command(cmd::RD_PM, 0x3000);
    EXPECT_EQ(h.board.chip().port_word(0x06), 0xABCDEFu);
    h.command(cmd::RD_DM, 0x0010);
    EXPECT_EQ(h.board.chip().port_word(0x06), 0x123456u);
    h.command(cmd::RD_PM, 0x3001);
    EXPECT_EQ(h.board.chip().port_word(0x06), 0u);
    h.command(cmd::RUN, 0x3000, 0x123456);
    ASSERT_EQ(h.board.chip().dsp_starts().size(), 1u);
    EXPECT_EQ(h.board.chip().dsp_starts()[0].address, 0x3000u);
    EXPECT_EQ(h.board.chip().dsp_starts()[0].word, 0x123456u);
}

TEST(FilterChip, FilterStartAndStop) {
    Harness h;
    h.command(cmd::FL_START);
    EXPECT_TRUE(h.board.chip().converting());
    h.command(cmd::FL_STOP);
    EXPECT_FALSE(h.board.chip().converting());
}

TEST(FilterChip, SecondSerialPortRecordsModulatorWords) {
    Harness h(board(10));
    const std::uint32_t w = 2u << 20 | 5u << 16;
    const std::uint32_t data[5] = {w, w, 0x400000, 0x8F0000, 0};
    for (std::uint32_t n = 1; n <= 5; ++n) {
        h.reg_write(0x12, data[n - 1]);
        h.reg_write(0x11, 0x000200 + n);
        h.reg_write(0x10, 0x3F0161);
        h.reg_write(0x10, 0x3F4162);
    }
    const auto& mod = h.board.chip().modulator_words();
    ASSERT_EQ(mod.size(), 5u);
    for (std::uint32_t n = 1; n <= 5; ++n) {
        EXPECT_EQ(mod[n - 1].command, 0x000200 + n);
        EXPECT_EQ(mod[n - 1].data, data[n - 1]);
    }
}

TEST(FilterChip, LogKeepsRegisterWritesAndCommandsInOrder) {
    Harness h;
    h.board.clear_log();
    h.command(cmd::FL_STOP);
    h.reg_write(0x20, 0x000041);
    h.command(cmd::WR_ROM_COEF, 0x11);
    std::vector<LogEntry> picked;
    for (const auto& e : h.board.log()) {
        if (e.kind == LogEntry::Kind::Command || e.kind == LogEntry::Kind::RegisterWrite) {
            picked.push_back(e);
        }
    }
    ASSERT_EQ(picked.size(), 4u);
    EXPECT_EQ(picked[0].a, cmd::FL_STOP);
    EXPECT_EQ(picked[1].a, cmd::WR_DFREG);
    EXPECT_EQ(picked[1].b, 0x20u);
    EXPECT_EQ(picked[1].c, 0x41u);
    EXPECT_EQ(picked[2].kind, LogEntry::Kind::RegisterWrite);
    EXPECT_EQ(picked[2].a, 0x20u);
    EXPECT_EQ(picked[2].b, 0x41u);
    EXPECT_EQ(picked[3].a, cmd::WR_ROM_COEF);
    EXPECT_EQ(picked[3].b, 0x11u);
}

TEST(FilterChip, ChipSelectBrokenReadsFloatHigh) {
    Harness h;
    h.board.faults().chip_select_broken = true;
    const std::uint32_t v = h.reg_read(0x2E);
    EXPECT_EQ(v, 0xFFFFFFu);
    EXPECT_NE(v & 0xF00000, 0x700000u);
    h.reg_write(0x21, 0x000001);
    h.board.faults().chip_select_broken = false;
    EXPECT_EQ(h.reg_read(0x21), 0x400000u);  // the write never reached the chip
}

}  // namespace
}  // namespace simboard::test

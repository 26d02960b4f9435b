// The engine on the wire: SPI bursts, the miscellaneous commands, waits and the read log.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "macros/board_port.h"
#include "macros/engine.h"
#include "support/wire_app.h"

using macros::Entry;
using testing_support::block;
using testing_support::Bytes;
using testing_support::WireApp;

namespace {

constexpr int DF = macros::kDf, SPI = macros::kSpi, CMD = macros::kCmd;
constexpr int W = macros::kWrite, R = macros::kRead;

Bytes spi_write(std::uint8_t address, std::initializer_list<std::uint8_t> data) {
    Bytes b(15, 0);
    b[0] = 0xFE;
    b[1] = 0x01;
    b[2] = static_cast<std::uint8_t>(data.size() + 6);
    b[3] = 0x02;
    b[4] = address;
    std::copy(data.begin(), data.end(), b.begin() + 5);
    b[5 + data.size()] = 0xFD;
    return b;
}
Bytes spi_read(std::uint8_t address) {
    return block({0xFE, 0x02, 0x09, 0x03, address, 0x00, 0x00, 0x00, 0xFD});
}

class Engine : public ::testing::Test {
  protected:
    void SetUp() override {
        board = &t.add_board(4);
        t.start();
        t.connect();
    }
    core::Status run(std::vector<Entry> entries) {
        macros::BoardPort port(*t);
        return macros::run_macro_cmds(port, entries);
    }
    WireApp t;
    simboard::SimBoard* board = nullptr;
};

struct WireCase {
    const char* name;
    std::vector<Entry> entries;
    std::vector<Bytes> frames;
};

}  // namespace

TEST_F(Engine, SpiWritesGoOutInBurstsOfUpToThreeRegisters) {
    const WireCase cases[] = {
        {"three and a gap",
         {{SPI, W, 0x00, 0x0A0B0C},
          {SPI, W, 0x03, 0},
          {SPI, W, 0x06, 0x111111},
          {SPI, W, 0x0C, 0x22},
          macros::kEndEntry},
         {spi_write(0x00, {0x0A, 0x0B, 0x0C, 0, 0, 0, 0x11, 0x11, 0x11}),
          spi_write(0x0C, {0, 0, 0x22})}},
        {"five in a row",
         {{SPI, W, 0x00, 1},
          {SPI, W, 0x03, 0},
          {SPI, W, 0x06, 3},
          {SPI, W, 0x09, 4},
          {SPI, W, 0x0C, 5},
          macros::kEndEntry},
         {spi_write(0x00, {0, 0, 1, 0, 0, 0, 0, 0, 3}), spi_write(0x09, {0, 0, 4, 0, 0, 5})}},
        {"write then read",
         {{SPI, W, 0x03, 0}, {SPI, R, 0x06, 0}, macros::kEndEntry},
         {spi_write(0x03, {0, 0, 0}), spi_read(0x06)}},
        {"nothing before the end entry", {macros::kEndEntry, {SPI, W, 0x00, 1}}, {}},
    };
    for (const WireCase& c : cases) {
        t.bus.clear();
        EXPECT_TRUE(run(c.entries)) << c.name;
        EXPECT_EQ(t.bus.writes(), c.frames) << c.name;
    }
}

TEST_F(Engine, LookAheadStopsAtTheTwoHundredthEntry) {
    // 201 consecutive writes with no end entry: entry 200 is never taken into the last burst.
    std::vector<Entry> entries;
    for (int i = 0; i < 201; ++i) entries.push_back({SPI, W, 3 * (i % 3), i});
    EXPECT_TRUE(run(entries));
    const auto w = t.bus.writes();
    ASSERT_EQ(w.size(), 67u);  // 66 bursts of three, then the 199th and 200th entries
    EXPECT_EQ(w.back(), spi_write(0x00, {0, 0, 198, 0, 0, 199}));
}

TEST_F(Engine, CommandsLoadSpicmdAndWaitOneSecond) {
    const WireCase cases[] = {
        {"WR_COEF", {{CMD, W, 1, 0x123456}}, {spi_write(0x03, {0, 0, 0x05, 0x12, 0x34, 0x56})}},
        {"WR_TBS read", {{CMD, R, 2, 0}}, {spi_write(0x03, {0, 0, 0x07, 0, 0, 0})}},
        {"FILT_STRT", {{CMD, W, 3, 0x777777}}, {spi_write(0x03, {0, 0, 0x08})}},
        {"no command 5", {{CMD, W, 5, 1}}, {}},
        {"unknown kind", {{7, W, 0x00, 1}}, {}},
    };
    for (const WireCase& c : cases) {
        t.bus.clear();
        const double before = t.clock.now();
        auto entries = c.entries;
        entries.push_back(macros::kEndEntry);
        EXPECT_TRUE(run(entries)) << c.name;
        EXPECT_EQ(t.bus.writes(), c.frames) << c.name;
        const double waited = t.clock.now() - before;
        if (c.frames.empty())
            EXPECT_LT(waited, 0.01) << c.name;
        else
            EXPECT_GE(waited, 1.09) << c.name;  // the settle delay, then one second
    }
    EXPECT_TRUE(board->chip().converting());
}

TEST_F(Engine, DelayWaitsWholeSecondsOfItsMicroseconds) {
    for (auto [data, seconds] : {std::pair{2'500'000, 2.0}, {999'999, 0.0}, {-5'000'000, 0.0}}) {
        const double before = t.clock.now();
        EXPECT_TRUE(run({{CMD, W, 0, data}, macros::kEndEntry}));
        EXPECT_DOUBLE_EQ(t.clock.now() - before, seconds) << data;
    }
    EXPECT_TRUE(t.bus.events.empty());
}

TEST_F(Engine, ReadsArePrintedWithNineCharacterNames) {
    EXPECT_TRUE(run({{DF, R, 0x2E, 0},
                     {DF, R, 0x2F, 0},
                     {SPI, W, 0x0F, 0xABCD},
                     {SPI, R, 0x0F, 0},
                     {DF, W, 0x21, 0x3FEDCB},
                     {DF, R, 0x21, 0},
                     {DF, R, 0x40, 0},
                     macros::kEndEntry}));
    EXPECT_EQ(
        t.frontend.stdout_lines,
        (std::vector<std::string>{"DSP  0x2E  VERSION   0x760110", "DSP  0x2F  SELFTEST  0x000000",
                                  "SPI  0x0F  DEB_STAT  0x00ABCD", "DSP  0x21  GAIN1     0x3FEDCB",
                                  "DSP  0x40  ????????? 0x000000"}));
}

TEST_F(Engine, AFailedTransferIsReportedAndTheRestStillRuns) {
    board->faults().silent_types = simboard::Faults::type_bit(0x01);
    const core::Status s = run({{SPI, W, 0x00, 1}, {DF, W, 0x21, 2}, macros::kEndEntry});
    EXPECT_EQ(s.fault, core::Fault::NoReply);
    EXPECT_EQ(t.bus.writes().size(), 2u);
    EXPECT_EQ(board->chip().reg(0x21), 2u);  // the request acted; only its reply was lost
}

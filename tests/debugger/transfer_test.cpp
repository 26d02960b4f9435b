// One debugger command on the wire: the command word, the transfer patterns, the arming of
// the debug interrupt around it, and the four ways a transfer fails.
#include "debugtools/debugger/transfer.h"
#include "fixture.h"

using namespace debugger;
using debugger_test::Debugger;
using simboard::LogEntry;
using Writes = std::vector<std::pair<int, int>>;

namespace {

Writes data_words(std::initializer_list<int> words) {
    Writes w;
    for (int v : words) w.emplace_back(DEB_DATA, v);
    return w;
}

Writes operator+(Writes a, const Writes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST_F(Debugger, EachPatternPutsItsWordsOnTheWire) {
    struct Case {
        const char* what;
        int code, count, address;
        std::vector<int> words;
        Writes wire;
        int read_code, read_index, in_core;  // a register the core then holds
    };
    const Case cases[] = {
        {"WR_AR3 0x1234: value in the command word",
         0x16,
         0,
         0,
         {0x1234},
         {{DEB_DATA, 0}, {DEB_STAT, 0x161234}},
         0x17,
         0,
         0x1234},
        {"WR_ACC0 with S 0x7F sends 0x3F",
         WR_ACC0,
         2,
         0,
         {0x7F, 0xABCDEF, 0x123456},
         {{DEB_DATA, 0xABCDEF}, {DEB_STAT, 0x2A803F}, {DEB_DATA, 0x123456}},
         RD_ACC0,
         0,
         0x3F},
        {"count 8 carries 3",
         0x0E,
         8,
         0,
         {1, 2, 3, 4, 5, 6, 7, 8},
         Writes{{DEB_DATA, 1}, {DEB_STAT, 0x0EC000}} + data_words({2, 3, 4, 5, 6, 7, 8}),
         RD_ALL_AR,
         7,
         8},
        {"block write of one I/O register",
         WR_IOREG,
         1,
         5,
         {0x00BEEF},
         {{DEB_DATA, 0x00BEEF}, {DEB_STAT, 0x0C4005}},
         RD_IOREG,
         5,
         0x00BEEF},
        {"plain HALT", HALT, 0, 0, {}, {{DEB_DATA, 0}, {DEB_STAT, 0x010000}}, -1, 0, 0},
        {"blank code sends nothing", 0x06, 0, 0, {}, {}, -1, 0, 0},
        {"code above 0x33 sends nothing", 0x34, 0, 0, {}, {}, -1, 0, 0},
    };
    for (const Case& c : cases) {
        board->clear_log();
        std::vector<int> words = c.words;
        EXPECT_TRUE(DEBUG_command(*t, c.code, c.count, c.address, words)) << c.what;
        EXPECT_EQ(debugger_writes(), c.wire) << c.what;
        EXPECT_FALSE(armed()) << c.what;
        if (c.read_code >= 0) {
            EXPECT_EQ(core().read_register(c.read_code, c.read_index),
                      static_cast<std::uint32_t>(c.in_core))
                << c.what;
        }
    }
    EXPECT_TRUE(t.frontend.messages().empty()) << t.popups_text();
}

TEST_F(Debugger, ReadsFillTheWordsAndTheInterruptIsArmedAroundEachCommand) {
    std::vector<int> ar{0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666, 0x7777, 0x8888};
    ASSERT_TRUE(DEBUG_command(*t, 0x0E, 8, 0, ar));
    std::vector<int> acc{0x3F, 0xABCDEF, 0x123456};
    ASSERT_TRUE(DEBUG_command(*t, WR_ACC1, 2, 0, acc));
    board->clear_log();

    std::vector<int> read_ar, read_acc, read_short;
    ASSERT_TRUE(DEBUG_command(*t, RD_ALL_AR, 8, 0, read_ar));
    ASSERT_TRUE(DEBUG_command(*t, RD_ACC1, 2, 0, read_acc));
    ASSERT_TRUE(DEBUG_command(*t, 0x15, 0, 0, read_short));  // RD_AR2: 14 bits
    EXPECT_EQ(read_ar, ar);
    EXPECT_EQ(read_acc, acc);
    EXPECT_EQ(read_short[0], 0x3333);

    // TEST2 then TEST0 armed, TEST0 then TEST2 disarmed.
    std::vector<std::pair<int, int>> test_writes;
    for (const auto& e : board->log())
        if (e.kind == LogEntry::Kind::PortWrite && (e.a == TEST2 || e.a == TEST0))
            test_writes.emplace_back(static_cast<int>(e.a), static_cast<int>(e.b));
    ASSERT_GE(test_writes.size(), 4u);
    EXPECT_EQ(std::vector(test_writes.begin(), test_writes.begin() + 4),
              (Writes{{TEST2, 0x6B}, {TEST0, 0x2000}, {TEST0, 0}, {TEST2, 0}}));
}

TEST_F(Debugger, EachDebugErrorStopsTheCommandAndLeavesTheInterruptArmed) {
    struct Case {
        const char* message;
        core::Fault fault;
        std::function<void()> fault_on;
        bool left_armed;  // a lost SPI write fails before TEST0 is armed
    };
    const Case cases[] = {
        {"Error reading back debugger command.", core::Fault::WrongReply,
         [&] { core().faults().wrong_echo = true; }, true},
        {"Debugger set ERR bit in CMD word.", core::Fault::NotAcknowledged,
         [&] { core().faults().reject.set(RD_ALL_AR); }, true},
        {"Debugger failed to clear e2dreq bit.", core::Fault::NoReply,
         [&] { core().settings().e2dreq_polls = 20; }, true},
        {"Debugger Error.", core::Fault::NoReply,
         [&] { board->faults().silent_types = simboard::Faults::type_bit(0x01); }, false},
    };
    for (const Case& c : cases) {
        std::vector<int> none;
        ASSERT_TRUE(DEBUG_command(*t, HALT, 0, 0, none)) << t.popups_text();  // disarms
        t.frontend.popups.clear();
        board->clear_log();
        c.fault_on();
        std::vector<int> words;
        const core::Status s = DEBUG_command(*t, RD_ALL_AR, 8, 0, words);
        EXPECT_EQ(s.fault, c.fault) << c.message;
        EXPECT_EQ(t.frontend.messages(),
                  std::vector<std::string>{"Debug Error|" + std::string(c.message)});
        EXPECT_EQ(debugger_writes().size(), c.left_armed ? 2u : 0u) << c.message;  // no words
        EXPECT_EQ(armed(), c.left_armed) << c.message;
        board->faults() = {};
        core().faults() = {};
        core().settings() = {};
    }
}

TEST_F(Debugger, E2dreqHeldForNineteenPollsIsStillTaken) {
    core().settings().e2dreq_polls = 19;
    board->clear_log();
    std::vector<int> none;
    EXPECT_TRUE(DEBUG_command(*t, HALT, 0, 0, none));
    EXPECT_EQ(port_reads(SPICTRL), 20);
    EXPECT_TRUE(t.frontend.messages().empty()) << t.popups_text();
}

// The register primitives and the control panel's register tool, checked on the wire and
// against the simulated chip.
#include <gtest/gtest.h>

#include "chip/register_tool.h"
#include "chip/registers.h"
#include "support/wire_app.h"

using simboard::LogEntry;
using testing_support::block;
using testing_support::Bytes;
using testing_support::WireApp;

namespace {

Bytes read_frame(std::uint8_t address) {
    return block({0xFE, 0x02, 0x09, 0x03, address, 0x00, 0x00, 0x00, 0xFD});
}

class Chip : public ::testing::Test {
  protected:
    void SetUp() override {
        board = &t.add_board(4);
        t.start();
        t.connect();
        board->clear_log();
    }
    std::vector<LogEntry> board_log(LogEntry::Kind kind) const {
        std::vector<LogEntry> out;
        for (const auto& e : board->log())
            if (e.kind == kind) out.push_back(e);
        return out;
    }
    int control_int(int ctrl) {
        int v = -1;
        t->ui.GetCtrlVal(t->shell.controlpanel, ctrl, &v);
        return v;
    }
    void commit(int ctrl) { ASSERT_EQ(t->ui.UserCommit(t->shell.controlpanel, ctrl), 0); }
    void set(int ctrl, int value) {
        ASSERT_EQ(t->ui.SetCtrlVal(t->shell.controlpanel, ctrl, value), 0);
    }

    WireApp t;
    simboard::SimBoard* board = nullptr;
};

}  // namespace

TEST_F(Chip, RegisterReadIsASixByteWriteThenARead) {
    EXPECT_EQ(chip::REG_read(t->port, 0x2E), 0x760110);
    EXPECT_EQ(t.bus.writes(), (std::vector<Bytes>{block({0xFE, 0x01, 0x0C, 0x02, 0x03, 0x00, 0x00,
                                                         0x02, 0x00, 0x00, 0x2E, 0xFD}),
                                                  read_frame(0x06)}));
}

TEST_F(Chip, RegisterWriteIsOneNineByteWrite) {
    EXPECT_NE(chip::REG_write(t->port, 0x21, 0x3FEDCB), 0);
    EXPECT_EQ(t.bus.writes(), (std::vector<Bytes>{{0xFE, 0x01, 0x0F, 0x02, 0x03, 0x00, 0x00, 0x01,
                                                   0x00, 0x00, 0x21, 0x3F, 0xED, 0xCB, 0xFD}}));
    EXPECT_EQ(board->chip().reg(0x21), 0x3FEDCBu);
    EXPECT_EQ(chip::REG_read(t->port, 0x21), 0x3FEDCB);
}

TEST_F(Chip, AllOnesRegisterReadsBackUnsigned) {
    ASSERT_NE(chip::REG_write(t->port, 0x25, 0xFFFFFF), 0);
    EXPECT_EQ(chip::REG_read(t->port, 0x25), 16777215);
}

TEST_F(Chip, BitsAboveTwentyThreeAreDroppedWithoutNotice) {
    EXPECT_NE(chip::REG_write(t->port, 0x22, 0x7F123456), 0);
    EXPECT_EQ(board->chip().reg(0x22), 0x123456u);
    EXPECT_EQ(t.bus.writes().at(0)[11], 0x12);

    t.bus.clear();
    int d1 = -1, d2 = 0x01ABCDEF;                                 // -1 is all bits set
    EXPECT_NE(chip::DSP_command(t->port, 0x11, &d1, &d2, 0), 0);  // write a program word
    EXPECT_EQ(t.bus.writes(), (std::vector<Bytes>{{0xFE, 0x01, 0x0F, 0x02, 0x03, 0x00, 0x00, 0x11,
                                                   0xFF, 0xFF, 0xFF, 0xAB, 0xCD, 0xEF, 0xFD}}));
    EXPECT_EQ(board->chip().program_word(0xFFFFFF), 0xABCDEFu);
    EXPECT_TRUE(t.frontend.popups.empty());
}

TEST_F(Chip, CommandWithoutReadBackLeavesTheDataAlone) {
    int d1 = 0x000101, d2 = 0x000202;
    EXPECT_NE(chip::DSP_command(t->port, chip::FL_STOP, &d1, &d2, 0), 0);
    EXPECT_EQ(d1, 0x000101);
    EXPECT_EQ(d2, 0x000202);
    EXPECT_EQ(t.bus.writes().size(), 1u);
}

TEST_F(Chip, CommandReadBackTakesBothDataRegisters) {
    int d1 = chip::REG_VERSION, d2 = 0x123456;
    EXPECT_NE(chip::DSP_command(t->port, chip::RD_DFREG, &d1, &d2, 1), 0);
    EXPECT_EQ(d1, 0x760110);  // the register value lands in SPIDAT1
    EXPECT_EQ(d2, 0x123456);
    const auto w = t.bus.writes();
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(w[1], read_frame(0x06));
    EXPECT_EQ(w[2], read_frame(0x09));
}

TEST_F(Chip, MemoryReadCommandReturnsSpidat1InBothOutputs) {
    int address = 0x0042, word = 0x5A5A5A;
    ASSERT_NE(chip::DSP_command(t->port, 0x11, &address, &word, 0), 0);
    for (int command : {0x13, 0x14}) {
        if (command == 0x14) {
            int a = 0x0042, w = 0x0F0F0F;
            ASSERT_NE(chip::DSP_command(t->port, 0x12, &a, &w, 0), 0);
        }
        t.bus.clear();
        int d1 = 0x0042, d2 = 0x777777;
        EXPECT_NE(chip::DSP_command(t->port, command, &d1, &d2, 1), 0);
        const int expected = command == 0x13 ? 0x5A5A5A : 0x0F0F0F;
        EXPECT_EQ(d1, expected) << command;
        EXPECT_EQ(d2, expected) << command;
        const auto w = t.bus.writes();
        ASSERT_EQ(w.size(), 4u);
        EXPECT_EQ((std::vector<Bytes>{w[1], w[2], w[3]}),
                  (std::vector<Bytes>{read_frame(0x06), read_frame(0x09), read_frame(0x06)}));
    }
}

TEST_F(Chip, CommandResultIsTheWriteResultWhateverTheReadBack) {
    board->faults().silent_types = simboard::Faults::type_bit(0x02);
    int d1 = 0x2E, d2 = 0;
    EXPECT_NE(chip::DSP_command(t->port, chip::RD_DFREG, &d1, &d2, 1), 0);
    EXPECT_EQ(d1, 0);
    EXPECT_EQ(d2, 0);
    EXPECT_EQ(t.frontend.popups.size(), 2u);  // each failed read reports itself

    board->faults().silent_types = simboard::Faults::type_bit(0x01);
    t.frontend.popups.clear();
    EXPECT_EQ(chip::REG_write(t->port, 0x21, 1), 0);
    EXPECT_TRUE(t.frontend.popups.empty());  // a failed write shows nothing here
}

// --- the control panel's tool ---------------------------------------------------------------

TEST_F(Chip, ToolReadsAndWritesTheSelectedRegister) {
    const int cp = t->shell.controlpanel;
    int index = -1;
    ASSERT_EQ(t->ui.GetIndexFromValue(cp, CONTROL_REGLIST, &index, 0x23), 0);
    ASSERT_EQ(t->ui.SetCtrlIndex(cp, CONTROL_REGLIST, index), 0);
    set(CONTROL_REGVALUE, 0xC0FFEE);
    commit(CONTROL_REGWRITE);
    EXPECT_EQ(board->chip().reg(0x23), 0xC0FFEEu);
    set(CONTROL_REGVALUE, 0);
    commit(CONTROL_REGREAD);
    EXPECT_EQ(control_int(CONTROL_REGVALUE), 0xC0FFEE);
}

TEST_F(Chip, ToolSkipsASeparatorInTheCommandList) {
    const int cp = t->shell.controlpanel;
    ASSERT_EQ(t->ui.InsertListItem(cp, CONTROL_CMDLIST, 3, "---- more ----", 901), 0);
    ASSERT_EQ(t->ui.UserSetIndex(cp, CONTROL_CMDLIST, 3), 0);
    int index = -1;
    t->ui.GetCtrlIndex(cp, CONTROL_CMDLIST, &index);
    EXPECT_EQ(index, 4);
    EXPECT_EQ(control_int(CONTROL_CMDLIST), chip::WR_FIR_COEF);

    // An ordinary entry stays selected.
    ASSERT_EQ(t->ui.UserSetIndex(cp, CONTROL_CMDLIST, 2), 0);
    t->ui.GetCtrlIndex(cp, CONTROL_CMDLIST, &index);
    EXPECT_EQ(index, 2);

    // A separator at the end has nowhere to go.
    int count = 0;
    t->ui.GetNumListItems(cp, CONTROL_CMDLIST, &count);
    ASSERT_EQ(t->ui.InsertListItem(cp, CONTROL_CMDLIST, -1, "---- end ----", 999), 0);
    ASSERT_EQ(t->ui.UserSetIndex(cp, CONTROL_CMDLIST, count), 0);
    t->ui.GetCtrlIndex(cp, CONTROL_CMDLIST, &index);
    EXPECT_EQ(index, count);
    EXPECT_TRUE(t.bus.events.empty());  // choosing a command sends nothing
}

TEST_F(Chip, ToolSendsACommandAndShowsTheReadBack) {
    set(CONTROL_CMDLIST, chip::RD_DFREG);
    set(CONTROL_CMDDATA1, chip::REG_VERSION);
    set(CONTROL_CMDDATA2, 0x00BEEF);
    commit(CONTROL_CMDSEND);
    EXPECT_EQ(control_int(CONTROL_CMDRESULT1), 0x760110);
    EXPECT_EQ(control_int(CONTROL_CMDRESULT2), 0x00BEEF);
    const auto cmds = board_log(LogEntry::Kind::Command);
    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(cmds[0].a, static_cast<std::uint32_t>(chip::RD_DFREG));

    set(CONTROL_CMDLIST, chip::FL_START);
    commit(CONTROL_CMDSEND);
    EXPECT_TRUE(board->chip().converting());
    EXPECT_EQ(control_int(CONTROL_CMDRESULT1), chip::REG_VERSION);  // SPIDAT1 as written
    EXPECT_EQ(control_int(CONTROL_CMDRESULT2), 0x00BEEF);
}

TEST_F(Chip, ToolOpensTheFileLoaderForTheDataCommands) {
    const std::pair<int, const char*> loaders[] = {
        {chip::WR_FIR_COEF, "Select FIR coefficient file"},
        {chip::WR_IIR_COEF, "Select IIR coefficient file"},
        {chip::WR_TBS_DATA, "Select TBS data file"}};
    set(CONTROL_CMDDATA1, 0x111111);
    set(CONTROL_CMDDATA2, 0x222222);
    for (auto [command, title] : loaders) {
        t.frontend.popups.clear();
        set(CONTROL_CMDLIST, command);
        commit(CONTROL_CMDSEND);  // the dialog is cancelled
        ASSERT_EQ(t.frontend.popups.size(), 1u) << command;
        EXPECT_EQ(t.frontend.popups[0].kind, ui::Popup::FileSelect);
        EXPECT_EQ(t.frontend.popups[0].title, title);
    }
    EXPECT_TRUE(t.bus.events.empty());  // the data fields are never sent
}

TEST_F(Chip, ToolReadsThreePortWordsWithThreeTransfers) {
    int d1 = 0x00AAAA, d2 = 0x00BBBB;
    ASSERT_NE(chip::DSP_command(t->port, chip::NOP, &d1, &d2, 0), 0);
    t.bus.clear();
    set(CONTROL_PORTADDR, 0x03);
    commit(CONTROL_PORTREAD3);
    EXPECT_EQ(t.bus.writes(),
              (std::vector<Bytes>{read_frame(0x03), read_frame(0x06), read_frame(0x09)}));
    EXPECT_EQ(control_int(CONTROL_PORTWORD1), chip::NOP);
    EXPECT_EQ(control_int(CONTROL_PORTWORD2), 0x00AAAA);
    EXPECT_EQ(control_int(CONTROL_PORTWORD3), 0x00BBBB);
}

TEST_F(Chip, ToolReadsOneWordAndClearsTheOthers) {
    set(CONTROL_PORTWORD2, 7);
    set(CONTROL_PORTWORD3, 8);
    set(CONTROL_PORTADDR, 0x00);
    commit(CONTROL_PORTREAD1);
    EXPECT_EQ(t.bus.writes(), std::vector<Bytes>{read_frame(0x00)});
    EXPECT_EQ(control_int(CONTROL_PORTWORD1), static_cast<int>(board->chip().port_word(0x00)));
    EXPECT_EQ(control_int(CONTROL_PORTWORD2), 0);
    EXPECT_EQ(control_int(CONTROL_PORTWORD3), 0);
}

TEST_F(Chip, ToolWritesPortWordsInOneTransfer) {
    set(CONTROL_PORTADDR, 0x03);
    set(CONTROL_PORTWORD1, chip::WR_DFREG);
    set(CONTROL_PORTWORD2, 0x24);
    set(CONTROL_PORTWORD3, 0x123456);
    commit(CONTROL_PORTWRITE3);
    EXPECT_EQ(t.bus.writes(), (std::vector<Bytes>{{0xFE, 0x01, 0x0F, 0x02, 0x03, 0x00, 0x00, 0x01,
                                                   0x00, 0x00, 0x24, 0x12, 0x34, 0x56, 0xFD}}));
    EXPECT_EQ(board->chip().reg(0x24), 0x123456u);

    t.bus.clear();
    set(CONTROL_PORTADDR, 0x09);
    set(CONTROL_PORTWORD1, 0xABCDEF);
    commit(CONTROL_PORTWRITE1);
    EXPECT_EQ(t.bus.writes(),
              std::vector<Bytes>{block({0xFE, 0x01, 0x09, 0x02, 0x09, 0xAB, 0xCD, 0xEF, 0xFD})});
    EXPECT_EQ(board->chip().port_word(0x09), 0xABCDEFu);
}

TEST(ChipWithoutBoard, ToolTimesOutWhenNoBoardIsConnected) {
    WireApp t;
    t.start();
    ASSERT_EQ(t->ui.UserCommit(t->shell.controlpanel, CONTROL_REGREAD), 0);
    EXPECT_EQ(t.frontend.messages(),
              std::vector<std::string>{"        Time Out!|No return within 4 seconds"});
    EXPECT_GT(t.clock.now(), 9.0);  // the write's wait, then the read's
}

// With the board silent each tool operation names its exchange and adds no message to the
// transport's own (one per failed read); the port read still makes all three reads and shows
// zeros.
TEST_F(Chip, ToolOperationsNameTheirFailedExchange) {
    board->faults().silent_types = simboard::Faults::kAllTypes;
    set(CONTROL_CMDLIST, chip::NOP);
    set(CONTROL_PORTWORD2, 7);
    const struct {
        const char* step;
        core::Status (*op)(App&);
        size_t messages;
    } ops[] = {
        {"REG_read", chip::register_read, 1},
        {"REG_write", chip::register_write, 0},
        {"DSP_command", chip::send_command, 2},
        {"SPI_read", [](App& a) { return chip::port_read(a, 3); }, 3},
        {"SPI_write", [](App& a) { return chip::port_write(a, 1); }, 0},
    };
    for (const auto& o : ops) {
        t.frontend.popups.clear();
        const core::Status s = o.op(*t);
        EXPECT_EQ(s.step, o.step);
        EXPECT_EQ(s.fault, core::Fault::NoReply) << o.step;
        EXPECT_TRUE(s.title.empty()) << o.step;
        EXPECT_EQ(t.frontend.messages().size(), o.messages) << o.step;
    }
    EXPECT_EQ(control_int(CONTROL_PORTWORD2), 0);
}

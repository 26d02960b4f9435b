// The two debugger panels, opened from the Panels menu and driven as a person would.
#include <cstdio>

#include "chipfiles/temp_dir.h"
#include "fixture.h"

using namespace debugger;
using debugger_test::Debugger;

namespace {

class Panels : public Debugger {
  protected:
    void SetUp() override {
        Debugger::SetUp();
        ASSERT_EQ(t->ui.UserMenu(t->shell.menu, MENUBAR_PANELS_DEBUG), 0);
        cmd = t->shell.debugpanel1;
        reg = t->shell.debugpanel2;
        ASSERT_GT(cmd, 0);
        ASSERT_TRUE(t->ui.panel(cmd)->visible && t->ui.panel(reg)->visible);
    }
    int value(int panel, int ctrl) {
        int v = -1;
        t->ui.GetCtrlVal(panel, ctrl, &v);
        return v;
    }
    bool dimmed(int panel, int ctrl) { return t->ui.control(panel, ctrl)->dimmed; }
    void set(int panel, int ctrl, int v) { ASSERT_EQ(t->ui.UserSetValue(panel, ctrl, v), 0); }
    void commit(int panel, int ctrl) { ASSERT_EQ(t->ui.UserCommit(panel, ctrl), 0); }
    std::vector<std::string> lines(int panel, int ctrl) {
        return t->ui.control(panel, ctrl)->lines;
    }

    // Dumps PMEM start..end to the file "pmem.txt" of dir, as picked in the file dialog.
    void dump_pmem(const testing_support::TempDir& dir, int start, int end) {
        t.frontend.files.push_back(dir.path("pmem.txt").string());
        t->ui.SetCtrlVal(cmd, DBGCMD_PMEMSTART, start);
        t->ui.SetCtrlVal(cmd, DBGCMD_PMEMEND, end);
        t->ui.SetCtrlVal(cmd, DBGCMD_PMEMSAVE, 1);
        commit(cmd, DBGCMD_PMEMREAD);
    }

    int cmd = 0, reg = 0;
};

}  // namespace

TEST_F(Panels, RingHeadingSelectsItsCommandAndTheFieldsFollowTheTable) {
    const int data[] = {DBGCMD_DATA1, DBGCMD_DATA2, DBGCMD_DATA3, DBGCMD_DATA8};
    struct Case {
        int ring, code;
        bool words, address;
        std::vector<bool> data_on;  // fields 1, 2, 3 and 8
    };
    t->ui.SetCtrlVal(cmd, DBGCMD_NUMWORDS, 2);
    for (Case c : {Case{908, WR_DMEM, true, true, {true, true, false, false}},
                   Case{RD_PMEM, RD_PMEM, true, true, {false, false, false, false}},
                   Case{WR_ACC1, WR_ACC1, false, false, {true, true, true, false}},
                   Case{0x0E, 0x0E, false, false, {true, true, true, true}},
                   Case{WR_IOREG, WR_IOREG, false, true, {true, false, false, false}},
                   Case{948, WR_PC, false, false, {true, false, false, false}}}) {
        set(cmd, DBGCMD_CMDRING, c.ring);
        EXPECT_EQ(value(cmd, DBGCMD_CMDRING), c.code);
        EXPECT_EQ(t->debugger.panel.code, c.code);
        EXPECT_EQ(!dimmed(cmd, DBGCMD_NUMWORDS), c.words) << c.ring;
        EXPECT_EQ(!dimmed(cmd, DBGCMD_ADDRESS), c.address) << c.ring;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(!dimmed(cmd, data[i]), c.data_on[i]) << c.ring;
    }
}

TEST_F(Panels, SendLogsTheCommandWordWithItsSaturatedCountAndTheWordsRead) {
    set(cmd, DBGCMD_CMDRING, 0x0E);  // WR_ALL_AR, eight words
    const int fields[] = {DBGCMD_DATA1, DBGCMD_DATA2, DBGCMD_DATA3, DBGCMD_DATA4,
                          DBGCMD_DATA5, DBGCMD_DATA6, DBGCMD_DATA7, DBGCMD_DATA8};
    for (int i = 0; i < 8; ++i) set(cmd, fields[i], 0xA0 + i);
    commit(cmd, DBGCMD_SEND);
    set(cmd, DBGCMD_CMDRING, RD_ALL_AR);
    commit(cmd, DBGCMD_SEND);
    const auto log = lines(cmd, DBGCMD_CMDLOG);
    ASSERT_EQ(log.size(), 20u);
    EXPECT_EQ(log[0], "WR_ALL_AR               0x0EC000");
    EXPECT_EQ(log[1], "    0x0000A0");
    EXPECT_EQ(log[10], "RD_ALL_AR               0x0FC000");
    EXPECT_EQ(log[18], "    0x0000A7");
    EXPECT_EQ(log[19], "");

    // A failed command logs nothing.
    core().faults().reject.set(RD_ALL_AR);
    commit(cmd, DBGCMD_SEND);
    EXPECT_EQ(lines(cmd, DBGCMD_CMDLOG).size(), 20u);
    commit(cmd, DBGCMD_CMDCLEAR);
    EXPECT_TRUE(lines(cmd, DBGCMD_CMDLOG).empty());
}

TEST_F(Panels, DumpToTheListAndAFile) {
    core().set_program_word(2, 0xABCDEF);
    testing_support::TempDir dir;
    dump_pmem(dir, 1, 3);
    std::vector<std::string> listed;
    for (const auto& it : t->ui.control(cmd, DBGCMD_PMEMLIST)->items) listed.push_back(it.label);
    EXPECT_EQ(listed, (std::vector<std::string>{"0x0001 0x000000", "0x0002 0xABCDEF",
                                                "0x0003 0x000000", "---------------"}));
    EXPECT_EQ(dir.read("pmem.txt"), "0x0001 0x000000\n0x0002 0xABCDEF\n0x0003 0x000000\n");
    EXPECT_EQ(t.frontend.popups.back().title, "Save PMEM Data");
}

// A dump that fails part-way keeps every word read in its file, with a last line saying where
// and why it stopped; the failure itself is shown once, by the debugger's own message.
TEST_F(Panels, ADumpThatFailsPartWayKeepsWhatItRead) {
    testing_support::TempDir dir;
    // After the first chunk the debugger starts refusing reads.
    t.frontend.run([&](ui::Runtime&) { core().faults().reject.set(RD_PMEM); });
    dump_pmem(dir, 0x10, 0x30);
    std::string expected;
    for (int a = 0x10; a < 0x18; ++a) {
        char line[32];
        std::snprintf(line, sizeof line, "0x%04X 0x000000\n", a);
        expected += line;
    }
    EXPECT_EQ(dir.read("pmem.txt"),
              expected + "-- dump stopped at PMEM 0x0018: not_acknowledged in ERR\n");
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{
                  "Debug Error|Debugger set ERR bit in CMD word.",
                  "Dump Incomplete|The PMEM dump stopped at 0x0018. The 8 words read before it "
                  "are in " +
                      dir.path("pmem.txt").string() + ", which ends with a line saying so."}));
}

// The transport shows a time-out once; the debugger's operations add no second copy.
TEST_F(Panels, ATimeOutIsShownOnce) {
    testing_support::TempDir dir;
    const std::string pmg = dir.write("p.pmg", " 10 123456\n");
    const struct {
        const char* name;
        int panel_is_reg;
        int ctrl;
    } cases[] = {{"download", 0, DBGCMD_PMG}, {"run to breakpoint", 1, DBGREG_RUNTOGGLE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        t.frontend.popups.clear();
        t.frontend.files.push_back(pmg);
        board->faults().silent_types = simboard::Faults::type_bit(0x02);
        if (c.panel_is_reg)
            set(reg, c.ctrl, 1);
        else
            commit(cmd, c.ctrl);
        board->faults().silent_types = 0;
        EXPECT_EQ(t.frontend.messages(),
                  std::vector<std::string>{"        Time Out!|No return within 4 seconds"});
    }
}

TEST_F(Panels, BreakpointRunGreysTheOtherButtonsAndStopsWhenTheToggleGoesOff) {
    // With the toggle off, a commit does nothing.
    commit(reg, DBGREG_RUNTOGGLE);
    EXPECT_TRUE(debugger_writes().empty());

    core().settings().instruction_s = 0.01;  // far from the breakpoint for minutes
    t->ui.SetCtrlVal(reg, DBGREG_BREAKADDR, 0x2000);
    bool greyed = false, toggle_live = false;
    t.frontend.run([&](ui::Runtime& ui) {
        greyed = ui.control(reg, DBGREG_HALT)->dimmed && ui.control(cmd, DBGCMD_SEND)->dimmed;
        toggle_live = !ui.control(reg, DBGREG_RUNTOGGLE)->dimmed;
        EXPECT_EQ(ui.UserCommit(reg, DBGREG_HALT), ui::UIE_WRONG_TYPE);
    });
    t.frontend.set_value(reg, DBGREG_RUNTOGGLE, 0);
    set(reg, DBGREG_RUNTOGGLE, 1);
    EXPECT_TRUE(greyed);
    EXPECT_TRUE(toggle_live);
    EXPECT_FALSE(dimmed(reg, DBGREG_HALT));
    EXPECT_EQ(value(reg, DBGREG_RUNTOGGLE), 0);
    EXPECT_EQ(core().program_word(0x2000), 0u);  // restored
    EXPECT_FALSE(core().halted());
    EXPECT_EQ(lines(reg, DBGREG_DUMP).size(), 19u);  // refreshed
    std::string pc;
    t->ui.GetCtrlVal(reg, DBGREG_PCDISPLAY, &pc);
    EXPECT_EQ(pc, "----");
}

TEST_F(Panels, RegisterSelectorHeadingsAndTheAccumulatorFields) {
    set(reg, DBGREG_REGSELECT, 9912);
    EXPECT_EQ(value(reg, DBGREG_REGSELECT), WR_IOREG);
    EXPECT_TRUE(dimmed(reg, DBGREG_REGS) && dimmed(reg, DBGREG_REGLO));
    set(reg, DBGREG_REGSELECT, 9942);
    EXPECT_EQ(value(reg, DBGREG_REGSELECT), WR_ACC0);
    EXPECT_FALSE(dimmed(reg, DBGREG_REGS) || dimmed(reg, DBGREG_REGLO));
    t->ui.SetCtrlVal(reg, DBGREG_REGS, 0x7F);
    t->ui.SetCtrlVal(reg, DBGREG_REGVALUE, 0x123456);
    commit(reg, DBGREG_REGWRITE);
    EXPECT_EQ(core().read_register(RD_ACC0, 0), 0x3Fu);
    EXPECT_EQ(core().read_register(RD_ACC0, 1), 0x123456u);
    EXPECT_EQ(lines(reg, DBGREG_DUMP)[1].substr(0, 24), "   A0 3F 123456 000000  ");
}

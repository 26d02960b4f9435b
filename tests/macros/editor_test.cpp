// The macro editor on the control panel and the external-macro buttons, driven as a person
// would, against a private copy of the program's folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "macros/editor.h"
#include "macros/external.h"
#include "support/test_app.h"
#include "uir_ids.h"

namespace fs = std::filesystem;
using macros::Entry;

namespace {

std::string read_file(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ops(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "0 1 2e 0\n";
    return s;
}

class Editor : public ::testing::Test {
  protected:
    void SetUp() override {
        board = &t.add_board(4);
        t.start();
        cp = t->shell.controlpanel;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const auto& it : t.app->ui.control(cp, CONTROL_MACROLIST)->items)
            out.push_back(it.label);
        return out;
    }
    std::string title() const {
        std::string s;
        t.app->ui.GetCtrlVal(cp, CONTROL_MACROTITLE, &s);
        return s;
    }
    void select(int line) { ASSERT_EQ(t->ui.SetCtrlIndex(cp, CONTROL_MACROLIST, line), 0); }
    void commit(int ctrl) { ASSERT_EQ(t->ui.UserCommit(cp, ctrl), 0); }
    void insert(int at, int direction, int selector, int data) {
        select(at);
        t->ui.SetCtrlVal(cp, CONTROL_MACRODIR, direction);
        ASSERT_EQ(t->ui.SetCtrlVal(cp, CONTROL_MACROREG, selector), 0);
        t->ui.SetCtrlVal(cp, CONTROL_MACRODATA, data);
        commit(CONTROL_MACROINS);
    }
    std::string caption(int panel, int ctrl) const {
        std::string s;
        t.app->ui.GetCtrlAttribute(panel, ctrl, ui::ATTR_LABEL_TEXT, &s);
        return s;
    }
    fs::path macro_dir() const { return fs::path(dir) / "macros"; }
    void connect() {
        ASSERT_EQ(t->ui.UserSetValue(t->shell.setuppanel, SETUP_CONNECT, 1), 0);
        ASSERT_EQ(t->link.usb_opened, 1);
        t.frontend.popups.clear();
    }

    std::string dir = testing_support::copy_resources_to_temp();
    testing_support::TestApp t{dir};
    simboard::SimBoard* board = nullptr;
    int cp = 0;
};

const char* const kFilt = "DF    W   0x20  FILT_CFG   0x000012";
const char* const kSpi = "SPI   R   0x06  SPIDAT1  ";

}  // namespace

TEST_F(Editor, InsertDeleteAndSwitchWorkOnTheList) {
    EXPECT_EQ(title(), "MACRO 1");
    EXPECT_EQ(lines(), std::vector<std::string>{""});
    insert(0, 0, 0x20, 0x12);  // the empty line is selected: appends
    insert(0, 1, 64 + 0x06, 0x99);
    EXPECT_EQ(lines(), (std::vector<std::string>{kSpi, kFilt, ""}));
    select(2);
    commit(CONTROL_MACRODEL);  // the empty line is never deleted
    select(0);
    commit(CONTROL_MACRODEL);
    EXPECT_EQ(lines(), (std::vector<std::string>{kFilt, ""}));
    insert(1, 1, 96 + 1, 5);  // a command entered as a read: shown and stored without data
    EXPECT_EQ(lines()[1], "CMD   R   0x01  WR_COEF  ");

    commit(CONTROL_MACRO2);
    EXPECT_EQ(title(), "MACRO 2");
    EXPECT_EQ(lines(), std::vector<std::string>{""});
    commit(CONTROL_MACRO1);
    EXPECT_EQ(lines(), (std::vector<std::string>{kFilt, "CMD   R   0x01  WR_COEF  ", ""}));
    EXPECT_EQ(t->macros.store[0][1], (Entry{2, 1, 1, 0}));
    EXPECT_EQ(t->macros.store[0][2], macros::kEndEntry);
}

TEST_F(Editor, RegisterSelectorSkipsHeadings) {
    int index = -1, heading = -1;
    ASSERT_EQ(t->ui.GetIndexFromValue(cp, CONTROL_MACROREG, &heading, 902), 0);
    ASSERT_EQ(t->ui.UserSetIndex(cp, CONTROL_MACROREG, heading), 0);
    t->ui.GetCtrlIndex(cp, CONTROL_MACROREG, &index);
    EXPECT_EQ(index, heading + 1);
}

TEST_F(Editor, ClearLoadAndSaveGoThroughTheStore) {
    insert(0, 0, 0x20, 0x12);
    commit(CONTROL_MACROCLEAR);  // answered no
    EXPECT_EQ(lines().size(), 2u);
    t.frontend.confirms.push_back(1);
    commit(CONTROL_MACROCLEAR);
    EXPECT_EQ(lines(), std::vector<std::string>{""});

    // The third line has three numbers: the macro ends before it.
    const fs::path in = macro_dir() / "in.mac";
    std::ofstream(in) << "0 0 20 12\n1 0 01 123\n2 0 1\n0 1 2e 0\n";
    t.frontend.files.push_back(in.string());
    commit(CONTROL_MACROLOAD);
    EXPECT_EQ(lines(),
              (std::vector<std::string>{kFilt, "SPI   W   0x01             0x000123", ""}));
    commit(CONTROL_MACROLOAD);  // cancelled: nothing changes
    EXPECT_EQ(lines().size(), 3u);

    const fs::path out = macro_dir() / "out.mac";
    t.frontend.files.push_back(out.string());
    commit(CONTROL_MACROSAVE);
    EXPECT_EQ(read_file(out), "0  0  20  000012\n1  0  01  000123\n");
    EXPECT_FALSE(fs::exists(out.string() + ".tmp"));
}

TEST_F(Editor, MoreThan199OperationsAreRefusedAndNothingIsLost) {
    const fs::path full = macro_dir() / "full.mac", over = macro_dir() / "over.mac";
    std::ofstream(full) << ops(199);
    std::ofstream(over) << ops(200);
    t.frontend.files.push_back(full.string());
    commit(CONTROL_MACROLOAD);
    ASSERT_EQ(lines().size(), 200u);
    t.frontend.files.push_back(over.string());
    commit(CONTROL_MACROLOAD);
    insert(0, 0, 0x20, 1);
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{
                  "Load Macro|File " + over.string() +
                      " holds more than 199 operations; a macro holds at most 199. The macro "
                      "was not changed.",
                  "Insert Macro Line|A macro holds at most 199 operations; MACRO 1 is full."}));
    EXPECT_EQ(lines().size(), 200u);
    EXPECT_EQ(macros::operation_count(t->macros.store[0]), 199);

    // A list grown past the limit by other means is not stored.
    t->ui.InsertListItem(cp, CONTROL_MACROLIST, 0, kFilt, 0);
    EXPECT_FALSE(macros::read_macro_listbox(*t));
    EXPECT_EQ(t->macros.store[0][0], (Entry{0, 1, 0x2E, 0}));
    EXPECT_EQ(macros::operation_count(t->macros.store[0]), 199);
}

TEST_F(Editor, NamesFileGivesBothPanelsTheirCaptions) {
    const int sp = t->shell.setuppanel;
    EXPECT_EQ(caption(sp, SETUP_EXTMACRO1), "IDENT");
    EXPECT_EQ(caption(cp, CONTROL_EXTMACRO8), "GAINRST");

    t.frontend.prompts.push_back("SEVENCH");
    ASSERT_EQ(t->ui.UserRightClick(cp, CONTROL_EXTMACRO3), 0);
    EXPECT_EQ(caption(sp, SETUP_EXTMACRO3), "SEVENCH");
    EXPECT_EQ(caption(cp, CONTROL_EXTMACRO3), "SEVENCH");
    const fs::path names = macro_dir() / "Mnames.txt";
    EXPECT_EQ(read_file(names),
              "IDENT\nFLSTART\nSEVENCH\nCFGREAD\nTBSON\nTBSOFF\nSPIPORT\nGAINRST\n");

    const std::string before = read_file(names);
    t.frontend.prompts.push_back(std::nullopt);  // cancelled
    t.frontend.prompts.push_back("TWO WORD");
    t->ui.UserRightClick(sp, SETUP_EXTMACRO1);
    t->ui.UserRightClick(sp, SETUP_EXTMACRO1);
    EXPECT_EQ(read_file(names), before);
    EXPECT_EQ(caption(cp, CONTROL_EXTMACRO1), "IDENT");

    // A short file sets the captions it has and keeps the others.
    std::ofstream(names) << "ONE\nTWO\n";
    macros::init_external_macros(*t);
    EXPECT_EQ(caption(sp, SETUP_EXTMACRO2), "TWO");
    EXPECT_EQ(caption(sp, SETUP_EXTMACRO4), "CFGREAD");
    ASSERT_TRUE(macros::rename_ext_macro(*t, 5, "FIVE"));
    EXPECT_EQ(read_file(names), "ONE\nTWO\nSEVENCH\nCFGREAD\nFIVE\nTBSOFF\nSPIPORT\nGAINRST\n");

    fs::remove(names);
    t.frontend.popups.clear();
    EXPECT_FALSE(macros::rename_ext_macro(*t, 1, "X"));
    EXPECT_EQ(t.frontend.messages(),
              std::vector<std::string>{"File Error|File " + names.string() + " does not exist."});
}

TEST_F(Editor, ExternalMacrosRunAfterConfirmation) {
    connect();
    ASSERT_EQ(t->ui.UserCommit(t->shell.setuppanel, SETUP_EXTMACRO7), 0);  // answered no
    EXPECT_TRUE(t.frontend.stdout_lines.empty());
    EXPECT_EQ(t.frontend.popups.at(0).text,
              "This selection will run external macro M7 (SPIPORT).  Continue?");

    t.frontend.confirms = {1, 1, 1};
    commit(CONTROL_EXTMACRO7);
    EXPECT_EQ(t.frontend.stdout_lines.size(), 4u);
    EXPECT_EQ(t.frontend.stdout_lines[0].substr(0, 25), "SPI  0x00  SPICTRL   0x00");

    // A run takes the file's first 200 entries, all a macro table holds.
    std::ofstream(macro_dir() / "M2.mac") << ops(201);
    commit(CONTROL_EXTMACRO2);
    EXPECT_EQ(t.frontend.stdout_lines.size(), 4u + 200u);

    fs::remove(macro_dir() / "M3.mac");
    t.frontend.popups.clear();
    t.frontend.stdout_lines.clear();
    commit(CONTROL_EXTMACRO3);
    EXPECT_TRUE(t.frontend.stdout_lines.empty());
    EXPECT_EQ(t.frontend.messages(),
              std::vector<std::string>{"File Error|File " + (macro_dir() / "M3.mac").string() +
                                       " does not exist."});

    // The internal macro of a fresh start holds nothing to send.
    t.frontend.confirms = {1};
    board->clear_log();
    commit(CONTROL_MACRORUN);
    EXPECT_TRUE(board->log().empty());
}

// The word-file loaders against the simulated board: what the chip receives, in order.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "boardlink/discovery.h"
#include "chip/coef_loaders.h"
#include "support/test_app.h"
#include "uir_ids.h"

using testing_support::TestApp;

namespace {

struct Loaders : ::testing::Test {
    TestApp t;
    simboard::SimBoard* board = nullptr;
    std::filesystem::path dir;

    void SetUp() override {
        board = &t.add_board(4);
        t.start();
        t->ui.SetCtrlVal(t->shell.setuppanel, SETUP_CONNECT, 1);
        boardlink::USB_port_init(*t);
        ASSERT_EQ(t->link.usb_opened, 1);
        t.frontend.popups.clear();
        dir = std::filesystem::temp_directory_path() /
              ("seisbench-loaders-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string file(const std::string& name, const std::string& text) {
        const auto p = dir / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
};

}  // namespace

TEST_F(Loaders, FirFileWithACommentSendsOnePairAndReportsCompletion) {
    t.frontend.files = {file("fir.txt", "1A2B3C\n# comment\nFFFFFF\n")};
    t->ui.UserCommit(t->shell.controlpanel, CONTROL_LOADFIR);
    EXPECT_EQ(board->chip().fir_words(), (std::vector<std::uint32_t>{0x1A2B3C, 0xFFFFFF}));
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{
                  "FIR Coefficient Write Complete|FIR coefficient write completed successfully."}));
}

TEST_F(Loaders, OddTbsCountIsPaddedWithAZeroWord) {
    t.frontend.files = {file("tbs.txt", "000001\r\n000002\r\n000003\r\n")};
    t->ui.UserCommit(t->shell.controlpanel, CONTROL_LOADTBS);
    EXPECT_EQ(board->chip().tbs_words(), (std::vector<std::uint32_t>{1, 2, 3, 0}));
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{
                  "TBS Data Write Complete|TBS data write completed successfully."}));
}

TEST_F(Loaders, IirFromTheSendCommandToolGoesThroughTheDialog) {
    const auto path = file("iir.txt", "10\n20\n");
    const int cp = t->shell.controlpanel;
    t->ui.SetCtrlVal(cp, CONTROL_CMDLIST, 4);  // WR_IIR_COEF
    t.frontend.files = {path};
    t->ui.UserCommit(cp, CONTROL_CMDSEND);
    EXPECT_EQ(board->chip().iir_words(), (std::vector<std::uint32_t>{0x10, 0x20}));
    ASSERT_FALSE(t.frontend.popups.empty());
    EXPECT_EQ(t.frontend.popups[0].kind, ui::Popup::FileSelect);
    EXPECT_EQ(t.frontend.popups[0].title, "Select IIR coefficient file");
}

TEST_F(Loaders, CancellingTheDialogSendsNothing) {
    board->clear_log();
    t->ui.UserCommit(t->shell.controlpanel, CONTROL_LOADFIR);
    EXPECT_TRUE(board->log().empty());
    EXPECT_TRUE(t.frontend.messages().empty());
}

TEST_F(Loaders, BadOrOversizedFilesAreReportedAndNothingIsSent) {
    board->clear_log();
    std::string big;
    for (int i = 0; i < 1025; ++i) big += "1\n";
    const struct {
        chip::WordFileKind kind;
        std::string path;
        const char* why;
    } cases[] = {
        {chip::WordFileKind::Fir, file("bad.txt", "12\nzz\n"), "Line 2 of"},
        {chip::WordFileKind::Iir, file("big.txt", big), "more than 1024 words (line 1025)"},
        {chip::WordFileKind::Tbs, (dir / "none.txt").string(), "cannot be read"},
    };
    for (const auto& c : cases) {
        const core::Status s = chip::send_word_file(*t, c.kind, c.path);
        EXPECT_EQ(s.fault, core::Fault::BadInput) << c.path;
        EXPECT_EQ(s.title, "File Error");
        EXPECT_NE(s.text.find(c.why), std::string::npos) << s.text;
    }
    EXPECT_TRUE(board->log().empty());
    EXPECT_TRUE(t.frontend.messages().empty());  // the caller shows the outcome
}

// Every pair is sent even when the board stops acknowledging, and the completion message is
// kept; the outcome still says the load failed and at which command.
TEST_F(Loaders, UnacknowledgedCommandsMakeTheLoadAFailure) {
    board->faults().silent_types = simboard::Faults::kAllTypes;
    const core::Status s =
        chip::send_word_file(*t, chip::WordFileKind::Iir, file("iir.txt", "1\n2\n3\n4\n"));
    EXPECT_EQ(board->chip().iir_words(), (std::vector<std::uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(s.fault, core::Fault::NoReply);
    EXPECT_EQ(s.step, "WR_IIR_COEF");
    EXPECT_EQ(s.title, "IIR Coefficient Write Complete");
}

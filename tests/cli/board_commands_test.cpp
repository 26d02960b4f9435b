// The board commands decide on the returned outcome: a failure names its step and fault,
// and the person still sees the messages the panels would show.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "cli/board_commands.h"
#include "cli/cli.h"
#include "cli/command.h"
#include "support/wire_app.h"

using simboard::Faults;
using testing_support::WireApp;

namespace {

const char* const kTimeOut = "        Time Out!|No return within 4 seconds";
const char* const kIncorrect = "        Incorrect Response!|Return value is invalid";
const char* const kNoBoard =
    "Notice|Can't find a target board. Please check connection \n If connection is good, "
    "Please cycle the power to the board";
const char* const kNoRegisters =
    "Notice|Can't access registers. \n Please disconnect USB and then check Chip Select of the "
    "Filter IC";

struct CliOnWire {
    WireApp t;
    std::ostringstream out, err;
    cli::Context ctx{*t, t.frontend, true, out, err, nullptr};

    CliOnWire() {
        if (cli::commands().empty()) cli::add_board_commands();
        t.start();
    }
    cli::Result run(const std::string& line) {
        std::istringstream in(line);
        std::vector<std::string> words;
        for (std::string w; in >> w;) words.push_back(w);
        return cli::commands().at(words[0]).handler(ctx, words);
    }
};

}  // namespace

TEST(BoardCommands, FailuresCarryTheirStepAndFaultAndShowTheirMessages) {
    const struct {
        const char* line;
        std::function<void(Faults&)> arrange;  // after connecting
        const char* fault;
        const char* step;
        std::vector<std::string> messages;
    } cases[] = {
        {"reg read 0x2E",
         [](Faults& f) { f.silent_types = Faults::type_bit(0x02); },
         "no_reply",
         "SPI read",
         {kTimeOut}},
        {"reg write 0x21 5",
         [](Faults& f) { f.wrong_types = Faults::type_bit(0x01); },
         "wrong_reply",
         "SPI write",
         {}},
        {"port read 6 3",
         [](Faults& f) { f.wrong_types = Faults::type_bit(0x02); },
         "wrong_reply",
         "SPI read",
         {kIncorrect, kIncorrect, kIncorrect}},  // every word is still read
        {"port write 6 1",
         [](Faults& f) { f.silent_types = Faults::type_bit(0x01); },
         "no_reply",
         "SPI write",
         {}},
        {"cmd 2 0x2E",
         [](Faults& f) { f.silent_types = Faults::type_bit(0x02); },
         "no_reply",
         "SPI read",
         {kTimeOut, kTimeOut}},
    };
    for (const auto& c : cases) {
        CliOnWire w;
        simboard::SimBoard& board = w.t.add_board(4);
        w.t.connect();
        c.arrange(board.faults());
        const cli::Result r = w.run(c.line);
        EXPECT_EQ(r.status, cli::kFailed) << c.line;
        EXPECT_EQ(r.data.value("fault", ""), c.fault) << c.line;
        EXPECT_EQ(r.data.value("step", ""), c.step) << c.line;
        // The internal names are for scripts (fault, step), not in the words people read.
        EXPECT_EQ(r.error.find("(" + std::string(c.fault) + ")"), std::string::npos) << r.error;
        EXPECT_EQ(w.t.frontend.messages(), c.messages) << c.line;
    }
}

TEST(BoardCommands, ResetAsksAndEndsTheConnectionOnlyWhenConfirmed) {
    for (int answer : {0, 1}) {
        CliOnWire w;
        w.t.add_board(4);
        w.t.connect();
        w.t.frontend.confirms.push_back(answer);
        const cli::Result r = w.run("reset");
        EXPECT_EQ(r.status, answer ? cli::kOk : cli::kFailed);
        EXPECT_EQ(r.data.value("fault", ""), answer ? "" : "cancelled");
        ASSERT_EQ(w.t.frontend.popups.size(), 1u);
        EXPECT_EQ(w.t.frontend.popups[0].title, "Confirm");
        EXPECT_EQ(w.t.frontend.popups[0].text, "Do you want to reset the target board?");
        EXPECT_EQ(w.t->link.usb_opened, answer ? 0 : 1);
    }
}

TEST(BoardCommands, ConnectReportsWhyItFailedAndTheRegisterNoticeIsNoFailure) {
    {
        CliOnWire w;  // nothing attached
        const cli::Result r = w.run("connect");
        EXPECT_EQ(r.status, cli::kFailed);
        EXPECT_EQ(r.data.value("fault", ""), "no_board");
        EXPECT_EQ(r.data.value("step", ""), "SI_GetNumDevices");
        EXPECT_EQ(w.t.frontend.messages(), std::vector<std::string>{kNoBoard});
    }
    {
        CliOnWire w;
        w.t.add_board(4).faults().silent_types = Faults::type_bit(0x08);
        const cli::Result r = w.run("connect");
        EXPECT_EQ(r.data.value("fault", ""), "no_board");
        EXPECT_EQ(r.data.value("step", ""), "USB_GetTargetInfo");
        EXPECT_EQ(w.t->link.usb_opened, 0);
    }
    {
        CliOnWire w;
        w.t.add_board(4).config().firmware_version = "v2.4";
        const cli::Result r = w.run("connect");
        EXPECT_EQ(r.data.value("fault", ""), "not_customer");
        EXPECT_EQ(w.t.setup_int(SETUP_CONNECT), 0);
    }
    {
        CliOnWire w;
        w.t.add_board(4).faults().chip_select_broken = true;
        const cli::Result r = w.run("connect");
        EXPECT_EQ(r.status, cli::kOk);
        EXPECT_EQ(r.data.value("code", 0), 4);
        EXPECT_EQ(w.t.frontend.messages(), std::vector<std::string>{kNoRegisters});
        // Disconnecting turns the toggle off as a person would.
        EXPECT_EQ(w.run("disconnect").status, cli::kOk);
        EXPECT_EQ(w.t.setup_int(SETUP_CONNECT), 0);
        EXPECT_EQ(w.t->link.usb_opened, 0);
    }
}

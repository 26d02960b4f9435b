// Connecting, identifying, adapting the panels to the board, noticing a lost board and
// resetting it, all through the panel controls as a user drives them.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <streambuf>
#include <utility>

#include "boardlink/boards.h"
#include "chip/register_map.h"
#include "support/wire_app.h"

using simboard::Faults;
using testing_support::block;
using testing_support::Bytes;
using testing_support::WireApp;

namespace {

const char* const kNoBoard =
    "Notice|Can't find a target board. Please check connection \n If connection is good, "
    "Please cycle the power to the board";
const char* const kNotCustomer =
    "Notice|The firmware is not a customer version. \n Program the MCU with a customer version "
    "and then try again.";
const char* const kNoRegisters =
    "Notice|Can't access registers. \n Please disconnect USB and then check Chip Select of the "
    "Filter IC";
const char* const kBoardLost =
    "Notice|Can't find the target board any more. Please check connection\n";
const char* const kTimeOut = "        Time Out!|No return within 4 seconds";
const char* const kVersionTitle = "Korvane Seismic Evaluation V2.8";

using Messages = std::vector<std::string>;

std::vector<std::string> labels_of(std::span<const chip::PickItem> items) {
    std::vector<std::string> out;
    for (const auto& it : items) out.emplace_back(it.label);
    return out;
}

std::string main_title(WireApp& t) {
    return t->ui.panel(t->shell.mainpanel)->title;
}
std::string about_caption(WireApp& t) {
    std::string s;
    t->ui.GetCtrlVal(t->shell.aboutpanel, ABOUT_CAPTION, &s);
    return s;
}
bool menu_dimmed(WireApp& t, int item) {
    return t->ui.menu_item(t->shell.menu, item)->dimmed;
}

void tick(WireApp& t) {
    t->ui.TimerTick(t->shell.setuppanel, SETUP_BOARDTIMER);
}

// Leaves something in each setup control a connection's end must clear.
void fill_setup(WireApp& t) {
    const int sp = t->shell.setuppanel;
    ASSERT_EQ(t->ui.SetCtrlVal(sp, SETUP_CHANNELS, 3), 0);
    ASSERT_EQ(t->ui.SetCtrlVal(sp, SETUP_BOARDNAME, "stale"), 0);
    ASSERT_EQ(t->ui.SetCtrlVal(sp, SETUP_FIRMWARE, "stale"), 0);
}

// What every end of a connection leaves behind.
void expect_disconnected(WireApp& t) {
    EXPECT_EQ(t->link.usb_opened, 0);
    EXPECT_EQ(t->link.board_id, 0);
    EXPECT_EQ(t.setup_int(SETUP_CONNECT), 0);
    EXPECT_EQ(t.setup_text(SETUP_BOARDNAME), "");
    EXPECT_EQ(t.setup_text(SETUP_FIRMWARE), "");
    EXPECT_EQ(t.setup_int(SETUP_CHANNELS), 0);
    for (int c : {SETUP_RESET, SETUP_RATE, SETUP_CONFIGURE, SETUP_GOREAD, SETUP_CAPTURE2})
        EXPECT_TRUE(t.setup_dimmed(c)) << c;
    for (int m : {MENUBAR_BOARD_FIRMWARE, MENUBAR_BOARD_EEPROM, MENUBAR_BOARD_CAPTURE})
        EXPECT_TRUE(menu_dimmed(t, m)) << m;
}

}  // namespace

TEST(Connect, WithoutABoardSaysSoAndTurnsTheToggleOff) {
    WireApp t;
    t.start();
    t.toggle_connect();
    EXPECT_EQ(t.frontend.messages(), Messages{kNoBoard});
    EXPECT_EQ(t.setup_int(SETUP_CONNECT), 0);
    EXPECT_EQ(t->link.usb_opened, 0);
}

TEST(Connect, UnansweredIdentificationClosesTheDevice) {
    WireApp t;
    auto& board = t.add_board(4);
    t.start();
    board.faults().silent_types = Faults::type_bit(0x08);
    t.toggle_connect();
    EXPECT_EQ(t.frontend.messages(), Messages{kNoBoard});
    EXPECT_EQ(t.setup_int(SETUP_CONNECT), 0);
    EXPECT_EQ(t->link.usb_opened, 0);
    // The device was released: a second try can open it again.
    board.faults().silent_types = 0;
    t.connect();
    EXPECT_EQ(t->link.board_id, 4);
}

TEST(Connect, OpensTheDeviceWithTheHighestIndex) {
    WireApp t;
    auto& first = t.add_board(2, "FIRST");
    auto& second = t.add_board(9, "SECOND");
    t.start();
    t.connect();
    EXPECT_STREQ(t->link.DeviceString, "SECOND");
    EXPECT_EQ(t->link.board_id, 9);
    EXPECT_EQ(t.setup_text(SETUP_BOARDNAME), "EVK4810 RevD");
    EXPECT_TRUE(first.log().empty());
    EXPECT_FALSE(second.log().empty());
}

TEST(Connect, KnownBoardEnablesTheBoardControlsButNotCapture) {
    WireApp t;
    t.add_board(4);
    t.start();
    t.toggle_connect();
    EXPECT_TRUE(t.frontend.popups.empty()) << t.popups_text();
    EXPECT_EQ(t->link.usb_opened, 1);
    EXPECT_EQ(t->link.board_id, 4);
    EXPECT_EQ(t.setup_text(SETUP_FIRMWARE), "V2.4");
    EXPECT_EQ(t.setup_text(SETUP_BOARDNAME), "EVK4810 RevC");
    for (int c : {SETUP_RESET, SETUP_RATE, SETUP_CONFIGURE, SETUP_GOREAD, SETUP_GOWRITE})
        EXPECT_FALSE(t.setup_dimmed(c)) << c;
    EXPECT_TRUE(t.setup_dimmed(SETUP_CAPTURE));
    EXPECT_TRUE(t.setup_dimmed(SETUP_CAPTURE2));
    EXPECT_FALSE(menu_dimmed(t, MENUBAR_BOARD_FIRMWARE));
    EXPECT_FALSE(menu_dimmed(t, MENUBAR_BOARD_EEPROM));
    EXPECT_TRUE(menu_dimmed(t, MENUBAR_BOARD_CAPTURE));
    EXPECT_FALSE(t->ui.timers_suspended());
    // Identification, then the register check twice (a register read is two exchanges).
    const auto w = t.bus.writes();
    ASSERT_EQ(w.size(), 7u);
    EXPECT_EQ(w[0], block({0xFE, 0x06, 0x05, 0x00, 0xFD}));
    EXPECT_EQ(w[1], block({0xFE, 0x07, 0x05, 0x00, 0xFD}));
    EXPECT_EQ(w[2], block({0xFE, 0x08, 0x05, 0x00, 0xFD}));
    const Bytes ask_version =
        block({0xFE, 0x01, 0x0C, 0x02, 0x03, 0x00, 0x00, 0x02, 0x00, 0x00, 0x2E, 0xFD});
    const Bytes read_dat1 = block({0xFE, 0x02, 0x09, 0x03, 0x06, 0x00, 0x00, 0x00, 0xFD});
    EXPECT_EQ((std::vector<Bytes>{w[3], w[4], w[5], w[6]}),
              (std::vector<Bytes>{ask_version, read_dat1, ask_version, read_dat1}));
}

TEST(Connect, DisconnectGreysEverythingAndSuspendsTheTimer) {
    WireApp t;
    t.add_board(1);
    t.start();
    t.connect();
    fill_setup(t);
    t.toggle_connect();
    EXPECT_TRUE(t.frontend.popups.empty());
    expect_disconnected(t);
    EXPECT_TRUE(t->ui.timers_suspended());
}

TEST(Connect, NonCustomerFirmwareIsRefused) {
    for (const char* version : {"v2.4", "D2.4"}) {
        WireApp t;
        auto& board = t.add_board(4);
        board.config().firmware_version = version;
        t.start();
        fill_setup(t);
        // What the panel shows when the message comes: the version it speaks of, still connected.
        std::string shown_version;
        int opened_then = -1;
        struct Witness : std::streambuf {
            std::function<void()> seen;
            int overflow(int c) override {
                if (seen) std::exchange(seen, nullptr)();
                return c;
            }
        } witness;
        witness.seen = [&] {
            t->ui.GetCtrlVal(t->shell.setuppanel, SETUP_FIRMWARE, &shown_version);
            opened_then = t->link.usb_opened;
        };
        std::ostream echo(&witness);
        t.frontend.echo = &echo;
        t.toggle_connect();
        t.frontend.echo = nullptr;
        EXPECT_EQ(shown_version, version);
        EXPECT_EQ(opened_then, 1);
        EXPECT_EQ(t.frontend.messages(), Messages{kNotCustomer}) << version;
        expect_disconnected(t);
        EXPECT_TRUE(t->ui.timers_suspended());
        // The device was closed: a customer build connects at once.
        board.config().firmware_version = "V2.4";
        t.frontend.popups.clear();
        t.toggle_connect();
        EXPECT_EQ(t->link.usb_opened, 1) << t.popups_text();
        EXPECT_FALSE(t->ui.timers_suspended());
    }
}

TEST(Connect, UnknownCodeChangesOnlyTheNameAndTitles) {
    for (int code : {0, 11}) {
        WireApp t;
        auto& board = t.add_board(2);
        t.start();
        t.connect();  // single-channel lists and settings
        t.toggle_connect();
        const int cp = t->shell.controlpanel;
        const auto regs = t.list_labels(cp, CONTROL_REGLIST);
        const auto cmds = t.list_labels(cp, CONTROL_CMDLIST);
        const auto macro = t.list_labels(cp, CONTROL_MACROREG);

        board.config().board_code = static_cast<std::uint8_t>(code);
        board.unplug();
        board.plug();
        t.toggle_connect();
        EXPECT_EQ(t->link.usb_opened, 1) << code;
        EXPECT_TRUE(t.frontend.popups.empty()) << t.popups_text();
        EXPECT_EQ(t->link.board_id, code);
        EXPECT_EQ(t.setup_text(SETUP_BOARDNAME), "Unknown target");
        EXPECT_EQ(main_title(t), "Korvane Seismic Evaluation - Unknown target");
        EXPECT_EQ(about_caption(t), "Korvane Seismic Evaluation - Unknown target");
        EXPECT_EQ(t.list_labels(cp, CONTROL_REGLIST), regs);
        EXPECT_EQ(t.list_labels(cp, CONTROL_CMDLIST), cmds);
        EXPECT_EQ(t.list_labels(cp, CONTROL_MACROREG), macro);
        EXPECT_EQ(regs.size(), 12u);
    }
}

TEST(Connect, ReconnectingLeavesEachListWithExactlyItsEntries) {
    {
        WireApp t;
        t.add_board(5);
        t.start();
        const int cp = t->shell.controlpanel;
        for (int round = 0; round < 2; ++round) {
            t.connect();
            EXPECT_EQ(t.list_labels(cp, CONTROL_REGLIST),
                      labels_of(chip::single_channel_registers()));
            EXPECT_EQ(t.list_labels(cp, CONTROL_CMDLIST),
                      labels_of(chip::single_channel_commands()));
            EXPECT_EQ(t.list_labels(cp, CONTROL_MACROREG),
                      labels_of(chip::single_channel_macro_registers()));
            EXPECT_EQ(t.list_labels(cp, CONTROL_REGLIST).size(), 12u);
            EXPECT_EQ(t.list_labels(cp, CONTROL_CMDLIST).size(), 8u);
            EXPECT_EQ(t.list_labels(cp, CONTROL_MACROREG).size(), 22u);
            t.toggle_connect();
        }
    }
    {
        WireApp t;
        t.add_board(10);
        t.start();
        const int cp = t->shell.controlpanel;
        const auto macro = t.list_labels(cp, CONTROL_MACROREG);
        for (int round = 0; round < 2; ++round) {
            t.connect();
            EXPECT_EQ(t.list_labels(cp, CONTROL_REGLIST),
                      labels_of(chip::four_channel_registers()));
            EXPECT_EQ(t.list_labels(cp, CONTROL_CMDLIST), labels_of(chip::four_channel_commands()));
            EXPECT_EQ(t.list_labels(cp, CONTROL_REGLIST).size(), 22u);
            EXPECT_EQ(t.list_labels(cp, CONTROL_CMDLIST).size(), 10u);
            EXPECT_EQ(t.list_labels(cp, CONTROL_MACROREG), macro);  // the panel's own list
            t.toggle_connect();
        }
    }
}

TEST(Connect, EachBoardGetsItsFamilyProfile) {
    for (int code = 1; code <= 10; ++code) {
        WireApp t;
        t.add_board(code);
        t.start();
        t.toggle_connect();
        const boardlink::BoardInfo* b = boardlink::find_board(code);
        ASSERT_NE(b, nullptr);
        const bool four = code == 1 || code == 4 || code == 7 || code == 9 || code == 10;
        EXPECT_TRUE(t.frontend.popups.empty()) << code << t.popups_text();
        EXPECT_EQ(t.setup_text(SETUP_BOARDNAME), b->name);
        EXPECT_EQ(t.setup_int(SETUP_CHANNELS), four ? 0 : 1) << code;
        EXPECT_EQ(t.setup_dimmed(SETUP_CHANNELS), !four) << code;
        EXPECT_EQ(t.setup_dimmed(SETUP_PWDN), code != 1 && code != 7) << code;
        const int regs =
            static_cast<int>(t->ui.control(t->shell.controlpanel, CONTROL_REGLIST)->items.size());
        EXPECT_EQ(regs, four ? 22 : 12) << code;
        // The analysis panel offers channels 2 to 4 on four-channel boards only.
        const int ap = t->shell.analysispanel;
        for (int ctrl : {ANALYSIS_STATCH, ANALYSIS_CH2, ANALYSIS_CH3, ANALYSIS_CH4})
            EXPECT_EQ(t->ui.control(ap, ctrl)->dimmed, !four) << code << " " << ctrl;
        if (!four) {
            int ch1 = 0, ch2 = 1;
            t->ui.GetCtrlVal(ap, ANALYSIS_CH1, &ch1);
            t->ui.GetCtrlVal(ap, ANALYSIS_CH2, &ch2);
            EXPECT_EQ(ch1, 1) << code;
            EXPECT_EQ(ch2, 0) << code;
        }
        // Known boards keep the program's own title.
        EXPECT_EQ(main_title(t), kVersionTitle);
    }
}

TEST(Connect, BrokenChipSelectStillConnectsWithTheRegisterMessage) {
    WireApp t;
    auto& board = t.add_board(4);
    board.faults().chip_select_broken = true;
    t.start();
    t.toggle_connect();
    EXPECT_EQ(t.frontend.messages(), Messages{kNoRegisters});
    EXPECT_EQ(t->link.usb_opened, 1);
    EXPECT_EQ(t->link.board_id, 4);
    EXPECT_EQ(t.setup_text(SETUP_BOARDNAME), "EVK4810 RevC");
}

TEST(Connect, UnansweredRegisterReadsShowTheTransportMessageFirst) {
    WireApp t;
    auto& board = t.add_board(2);
    board.faults().silent_types = Faults::type_bit(0x02);
    t.start();
    t.toggle_connect();
    // The check runs twice; each failed read reports itself.
    EXPECT_EQ(t.frontend.messages(), (Messages{kTimeOut, kTimeOut, kNoRegisters}));
    EXPECT_EQ(t->link.usb_opened, 1);
    EXPECT_EQ(t.setup_text(SETUP_BOARDNAME), "EVK4820 RevA");
    EXPECT_TRUE(t.setup_dimmed(SETUP_CONFIGURE));
    EXPECT_FALSE(t->ui.timers_suspended());
}

TEST(BoardTimer, NoticesALostBoard) {
    WireApp t;
    auto& board = t.add_board(7);
    t.start();
    t.connect();
    tick(t);  // still there: nothing happens
    EXPECT_TRUE(t.frontend.popups.empty());
    EXPECT_EQ(t->link.usb_opened, 1);

    board.unplug();
    fill_setup(t);
    tick(t);
    EXPECT_EQ(t.frontend.messages(), Messages{kBoardLost});
    expect_disconnected(t);
    EXPECT_EQ(main_title(t), "Korvane Seismic Evaluation");
    EXPECT_EQ(about_caption(t), "Korvane Seismic Evaluation");
    EXPECT_TRUE(t.bus.writes().empty());  // the board is not queried

    // Already disconnected: further ticks do nothing.
    tick(t);
    EXPECT_EQ(t.frontend.messages().size(), 1u);
    // The device was closed: the board plugged back in connects again.
    board.plug();
    t.frontend.popups.clear();
    t.toggle_connect();
    EXPECT_EQ(t->link.usb_opened, 1) << t.popups_text();
}

TEST(BoardTimer, DoesNothingWhileDisconnected) {
    WireApp t;
    t.start();  // no board at all
    ASSERT_FALSE(t->ui.timers_suspended());
    tick(t);
    EXPECT_TRUE(t.frontend.popups.empty());
    EXPECT_EQ(main_title(t), kVersionTitle);
    EXPECT_EQ(about_caption(t), kVersionTitle);
}

TEST(BoardTimer, TicksAreDroppedWhileSuspended) {
    WireApp t;
    auto& board = t.add_board(4);
    t.start();
    t.connect();
    t->ui.SuspendTimerCallbacks();  // as a long board sequence does
    board.unplug();
    tick(t);
    EXPECT_TRUE(t.frontend.popups.empty());
    EXPECT_EQ(t->link.usb_opened, 1);
    t->ui.ResumeTimerCallbacks();
    tick(t);
    EXPECT_EQ(t.frontend.messages(), Messages{kBoardLost});
}

TEST(Reset, AsksAndDoesNothingOnNo) {
    WireApp t;
    auto& board = t.add_board(4);
    t.start();
    t.connect();
    board.clear_log();
    t.frontend.confirms.push_back(0);
    ASSERT_EQ(t->ui.UserCommit(t->shell.setuppanel, SETUP_RESET), 0);
    ASSERT_EQ(t.frontend.popups.size(), 1u);
    EXPECT_EQ(t.frontend.popups[0].kind, ui::Popup::Confirm);
    EXPECT_EQ(t.frontend.popups[0].title, "Confirm");
    EXPECT_EQ(t.frontend.popups[0].text, "Do you want to reset the target board?");
    EXPECT_TRUE(t.bus.events.empty());
    EXPECT_TRUE(board.log().empty());
    EXPECT_EQ(t->link.usb_opened, 1);
    EXPECT_EQ(t.setup_text(SETUP_BOARDNAME), "EVK4810 RevC");
}

TEST(Reset, OnYesRestartsTheMcuAndEndsTheConnection) {
    WireApp t;
    auto& board = t.add_board(4);
    t.start();
    t.connect();
    const usb::SI_HANDLE old = t->link.cyHandle;
    t.frontend.confirms.push_back(1);
    ASSERT_EQ(t->ui.UserCommit(t->shell.setuppanel, SETUP_RESET), 0);
    EXPECT_EQ(t.bus.writes(), std::vector<Bytes>{block({0xFE, 0x05, 0x05, 0x00, 0xFD})});
    ASSERT_FALSE(board.log().empty());
    EXPECT_EQ(board.log().back().kind, simboard::LogEntry::Kind::Reset);
    EXPECT_EQ(t->link.usb_opened, 0);
    EXPECT_EQ(t->link.board_id, 4);  // a reset clears the open flag only
    EXPECT_EQ(t.setup_int(SETUP_CONNECT), 0);
    EXPECT_EQ(t.setup_text(SETUP_BOARDNAME), "");
    EXPECT_EQ(t.setup_text(SETUP_FIRMWARE), "");
    for (int c : {SETUP_RESET, SETUP_RATE, SETUP_CONFIGURE}) EXPECT_TRUE(t.setup_dimmed(c)) << c;
    EXPECT_TRUE(menu_dimmed(t, MENUBAR_BOARD_FIRMWARE));
    EXPECT_EQ(t.frontend.popups.size(), 1u);  // the question only
    // The old handle is released, and the board, back on the bus, connects again.
    std::uint32_t queued = 0, status = 0;
    EXPECT_EQ(t->usb.SI_CheckRXQueue(old, &queued, &status), usb::SI_INVALID_HANDLE);
    t.clock.advance(board.config().reset_absence_s + 0.1);
    t.frontend.popups.clear();
    t.toggle_connect();
    EXPECT_EQ(t->link.usb_opened, 1) << t.popups_text();
}

// The MCU firmware update through the board menu, against the simulated board's update mode
// and flash: the requests on the wire, the erase rule, the wait after the data, every way it
// can fail with its message, and the whole-file check that refuses a broken file before the
// board hears anything.
#include <gtest/gtest.h>

#include <filesystem>

#include "boardlink/firmware/flash_board.h"
#include "boardlink/firmware/update_requests.h"
#include "chipfiles/temp_dir.h"
#include "support/wire_app.h"
#include "test_image.h"

using simboard::Faults;
using testing_support::block;
using testing_support::Bytes;
using testing_support::WireApp;

namespace {

using Messages = std::vector<std::string>;

const char* const kQuestion =
    "Do you want to program the MCU? \n You must not turn off power while programming!";
const char* const kSuccess =
    "Notice|MCU is successfully programmed. \n Please cycle the power to the board";
const char* const kNoUpdateMode =
    "Notice|Incorrect response from target board. \n Progrmaing MCU is terminated";
const char* const kEraseFailed =
    "Notice|Error while erasing a page. \n Progrmaing MCU is terminated";
const char* const kProgramFailed =
    "Notice|Incorrect while programming a page. \n Progrmaing MCU is terminated";
const char* const kNoDataReply =
    "ERROR!!!|No return from target board. \n Progrmaing MCU is terminated \n Please return the "
    "board to Factory";

const Bytes kEnter = block({0xFE, 0x09, 0x05, 0x00, 0xFD});
const Bytes kReset = block({0xFE, 0x05, 0x05, 0x00, 0xFD});

std::size_t open_files() {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                      std::filesystem::directory_iterator{}));
}

// A connected board of code 4 whose own firmware file lies in the program's directory.
struct Rig {
    explicit Rig(int code = 4) : board(t.add_board(code)) {
        t.start();
        t->shell.projectDir = dir.path().string();
        t.connect();
        board.clear_log();
    }

    // Writes the board's own file (an image of `bytes`) and returns the image.
    test_firmware::Bytes own_file(std::size_t bytes) {
        const auto image = test_firmware::image_bytes(4, bytes);
        dir.write("evk4810C_mcu.thx", test_firmware::firmware_text(image));
        return image;
    }
    // The person picks the menu item and answers the question.
    void flash(int answer = 1) {
        t.frontend.confirms.push_back(answer);
        ASSERT_EQ(t->ui.UserMenu(t->shell.menu, MENUBAR_BOARD_FIRMWARE), 0);
        ASSERT_FALSE(t.frontend.popups.empty());
        EXPECT_EQ(t.frontend.popups[0].kind, ui::Popup::Confirm);
        EXPECT_EQ(t.frontend.popups[0].title, "Confirm");
        EXPECT_EQ(t.frontend.popups[0].text, kQuestion);
    }
    Bytes flash_contents() const {
        const auto c = board.flash().contents();
        return Bytes(c.begin(), c.end());
    }
    const ui::Control& bar() const {
        return *t.app->ui.control(t.app->shell.mainpanel, MAIN_FLASHPROGRESS);
    }
    int bar_value() const {
        int v = -1;
        t.app->ui.GetCtrlVal(t.app->shell.mainpanel, MAIN_FLASHPROGRESS, &v);
        return v;
    }

    WireApp t;
    simboard::SimBoard& board;
    testing_support::TempDir dir;
};

// The update requests among the writes, as (type, address) pairs; data writes as (0x40, 0).
std::vector<std::pair<int, int>> update_traffic(const std::vector<Bytes>& writes) {
    std::vector<std::pair<int, int>> out;
    for (const Bytes& w : writes) {
        if (w.size() == 64)
            out.emplace_back(0x40, 0);
        else if (w[1] == 0x0A || w[1] == 0x0B)
            out.emplace_back(w[1], w[2] << 8 | w[3]);
        else
            out.emplace_back(w[1], -1);
    }
    return out;
}

}  // namespace

TEST(Firmware, WholeImageIsProgrammedAndTheBoardRestarted) {
    Rig r;
    const auto image = r.own_file(test_firmware::image_bytes(4, 0x2E00).size());
    r.flash();
    EXPECT_EQ(r.t.frontend.messages(), (Messages{kSuccess}));
    EXPECT_EQ(r.flash_contents(), test_firmware::flash_after(image));

    // Update mode, then per page one erase, per record an announcement and its 64 bytes,
    // then the restart; nothing is flushed before the restart.
    const auto w = r.t.bus.writes();
    ASSERT_EQ(w.size(), 1u + 23 + 184 * 2 + 1);
    EXPECT_EQ(w.front(), kEnter);
    EXPECT_EQ(w[1], block({0xFE, 0x0A, 0x00, 0x00, 0x00, 0xFD}));
    EXPECT_EQ(w[2], block({0xFE, 0x0B, 0x00, 0x00, 0x40, 0xFD}));
    EXPECT_EQ(w[3], Bytes(image.begin(), image.begin() + 64));
    EXPECT_EQ(w[4], block({0xFE, 0x0B, 0x00, 0x40, 0x40, 0xFD}));
    EXPECT_EQ(w.back(), kReset);
    EXPECT_EQ(r.t.bus.events.front().kind, testing_support::WireEvent::Write);
    // The MCU gets its settle delay and half a second to start update mode.
    EXPECT_GE(r.t.bus.events[1].time - r.t.bus.events[0].time, 0.6 - 1e-9);

    // The connection ended as a restart ends it; the code stays until the next connect.
    EXPECT_EQ(r.t->link.usb_opened, 0);
    EXPECT_EQ(r.t->link.board_id, 4);
    EXPECT_EQ(r.t.setup_int(SETUP_CONNECT), 0);
    EXPECT_EQ(r.t.setup_text(SETUP_BOARDNAME), "");
    EXPECT_EQ(r.t.setup_text(SETUP_FIRMWARE), "");
    EXPECT_TRUE(r.t->ui.menu_item(r.t->shell.menu, MENUBAR_BOARD_FIRMWARE)->dimmed);
    EXPECT_EQ(r.bar_value(), 184);
    EXPECT_EQ(r.bar().max, 184);
    EXPECT_FALSE(r.bar().visible);

    // The board stays away until its power is cycled, then runs as before on the new image.
    r.t.clock.advance(30.0);
    EXPECT_FALSE(r.board.on_bus());
    r.board.power_cycle();
    r.t.connect();
    EXPECT_EQ(r.t->link.board_id, 4);
    EXPECT_EQ(r.flash_contents(), test_firmware::flash_after(image));
}

TEST(Firmware, PagesAreErasedOnlyAtTheirFirstRecord) {
    // Records at 0x0000..0x0240 (ten), and a file that begins with its end record.
    struct Case {
        std::string text;
        std::vector<std::pair<int, int>> traffic;
    } cases[] = {
        {test_firmware::firmware_text(test_firmware::image_bytes(4, 640)), {}},
        {test_firmware::firmware_text({}), {{0x09, -1}, {0x05, -1}}},
    };
    auto& ten = cases[0].traffic;
    ten.emplace_back(0x09, -1);
    for (int a = 0; a < 640; a += 64) {
        if (a % 512 == 0) ten.emplace_back(0x0A, a);
        ten.emplace_back(0x0B, a);
        ten.emplace_back(0x40, 0);
    }
    ten.emplace_back(0x05, -1);
    for (const Case& c : cases) {
        Rig fresh;
        fresh.dir.write("evk4810C_mcu.thx", c.text);
        fresh.flash();
        EXPECT_EQ(fresh.t.frontend.messages(), (Messages{kSuccess}));
        EXPECT_EQ(update_traffic(fresh.t.bus.writes()), c.traffic);
        EXPECT_EQ(fresh.t->link.usb_opened, 0);
    }
}

TEST(Firmware, AWrongReplyToTheDataIsDroppedNotFatal) {
    Rig r;
    const auto image = r.own_file(256);
    r.board.faults().flash_data_stray_reply = true;
    r.flash();
    EXPECT_EQ(r.t.frontend.messages(), (Messages{kSuccess}));
    EXPECT_EQ(r.flash_contents(), test_firmware::flash_after(image));
}

TEST(Firmware, EveryFailureStopsWithItsMessageAndClosesTheFile) {
    struct Case {
        const char* name;
        void (*fault)(Faults&);
        const char* message;
        double waited;  // from the last write to the end, settle delay included
        int records;    // records the bar shows done
    } cases[] = {
        {"enter unanswered", [](Faults& f) { f.silent_types = Faults::type_bit(0x09); },
         kNoUpdateMode, 5.1, 0},
        {"enter refused", [](Faults& f) { f.wrong_types = Faults::type_bit(0x09); }, kNoUpdateMode,
         0.1, 0},
        {"erase unanswered", [](Faults& f) { f.silent_types = Faults::type_bit(0x0A); },
         kEraseFailed, 10.1, 0},
        {"erase failed", [](Faults& f) { f.flash_fail = true; }, kEraseFailed, 0.1, 0},
        {"announcement unanswered", [](Faults& f) { f.silent_types = Faults::type_bit(0x0B); },
         kProgramFailed, 5.1, 0},
        {"data unanswered", [](Faults& f) { f.flash_data_silent = true; }, kNoDataReply, 20.0, 0},
    };
    for (const Case& c : cases) {
        Rig r;
        r.own_file(1024);
        c.fault(r.board.faults());
        const std::size_t files = open_files();
        r.flash();
        EXPECT_EQ(r.t.frontend.messages(), (Messages{c.message})) << c.name;
        EXPECT_EQ(open_files(), files) << c.name;
        const double waited = r.t.clock.now() - r.t.bus.events.back().time;
        EXPECT_GT(waited, c.waited - 1e-9) << c.name;
        EXPECT_LT(waited, c.waited + 0.01) << c.name;
        // The connection is left as it was, the MCU in update mode, the restart never sent.
        EXPECT_EQ(r.t->link.usb_opened, 1) << c.name;
        EXPECT_NE(r.t.bus.writes().back(), kReset) << c.name;
        EXPECT_EQ(r.bar_value(), c.records) << c.name;
        EXPECT_FALSE(r.bar().visible) << c.name;
    }
}

TEST(Firmware, NothingIsSentWithoutConsentBoardOrFile) {
    struct Case {
        const char* name;
        int code;
        int answer;
        bool file;
        Messages messages;
    } cases[] = {
        {"declined", 4, 0, true, {}},
        {"unknown board", 11, 1, true, {"Notice|Unknown target."}},
        {"no file",
         4,
         1,
         false,
         {"File Error|File evk4810C_mcu.thx does not exist or can't be opened."}},
    };
    for (const Case& c : cases) {
        Rig r(c.code);
        if (c.file) r.own_file(256);
        r.flash(c.answer);
        EXPECT_EQ(r.t.frontend.messages(), c.messages) << c.name;
        EXPECT_TRUE(r.t.bus.writes().empty()) << c.name;
        EXPECT_EQ(r.t->link.usb_opened, 1) << c.name;
    }
}

TEST(Firmware, BrokenFileIsRefusedBeforeTheBoardHearsAnything) {
    const std::string whole = test_firmware::firmware_text(test_firmware::image_bytes(4, 1024));
    const std::size_t line = whole.find('\n') + 1;  // every record is one line this long
    std::string non_hex = whole;
    non_hex.replace(line + 6, 2, "0G");  // record 2's address, low byte
    std::string beyond = whole;
    beyond.replace(line + 3, 5, "2D C1");
    const std::string last_record = "\n40 2E 00";
    struct Case {
        const char* name;
        std::string text;
        const char* detail;
    } cases[] = {
        {"truncated", whole.substr(0, 8 * line + 10 * 3),
         "Record 9 (line 9): the file ends after 10 of the record's 69 numbers."},
        {"non-hex", non_hex, "Record 2 (line 2): \"0G\" is not a hexadecimal number."},
        {"no end record", whole.substr(0, whole.rfind(last_record) + 1),
         "Record 17 (line 16): the file ends before the record at address 0x2E00."},
        {"beyond the flash", beyond,
         "Record 2 (line 2): its data at 0x2DC1 to 0x2E00 lie outside the flash below 0x2E00."},
    };
    for (const Case& c : cases) {
        Rig r;
        const std::string path = r.dir.write("candidate.thx", c.text);
        const core::Status s = boardlink::flash_board(*r.t, {true, path, {}});
        EXPECT_EQ(s.fault, core::Fault::BadInput) << c.name;
        EXPECT_EQ(s.title, "File Error") << c.name;
        EXPECT_EQ(s.text, "File " + path + " is not a complete firmware image. \n " + c.detail +
                              " \n Nothing was sent to the board.")
            << c.name;
        EXPECT_TRUE(r.t.bus.events.empty()) << c.name;
        EXPECT_FALSE(r.board.update_mode()) << c.name;
        EXPECT_EQ(r.t->link.usb_opened, 1) << c.name;
    }
}

TEST(Firmware, UpdateRequestsAnswerOneOrZero) {
    Rig r;
    auto& port = r.t->port;
    EXPECT_EQ(boardlink::flash_erase_page(port, 0x0200), 0);  // not in update mode yet
    EXPECT_EQ(boardlink::flash_enter_update(port), 1);
    EXPECT_EQ(boardlink::flash_erase_page(port, 0x0200), 1);
    EXPECT_EQ(boardlink::flash_program_page(port, 0x0200), 1);
    EXPECT_EQ(boardlink::flash_program_page(port, 0x2DC1), 0);
    EXPECT_EQ(r.t.bus.writes().back(), block({0xFE, 0x0B, 0x2D, 0xC1, 0x40, 0xFD}));
}

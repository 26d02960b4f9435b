// The MCU firmware update through the board menu, against the simulated board's update mode
// and flash: the requests on the wire, the erase rule, the wait after the data, every way it
// stops with its message, and the whole-file check that refuses a broken file before the
// board hears anything.
#include <gtest/gtest.h>

#include <algorithm>
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
namespace tf = test_firmware;

const char* const kSuccess =
    "Notice|MCU is successfully programmed. \n Please cycle the power to the board";
const char* const kTerminated = " \n Progrmaing MCU is terminated";
const std::string kNoUpdateMode =
    "Notice|Incorrect response from target board." + std::string(kTerminated);
const std::string kEraseFailed = "Notice|Error while erasing a page." + std::string(kTerminated);
const std::string kProgramFailed =
    "Notice|Incorrect while programming a page." + std::string(kTerminated);
const std::string kNoDataReply = "ERROR!!!|No return from target board." +
                                 std::string(kTerminated) +
                                 " \n Please return the board to Factory";
const Bytes kReset = block({0xFE, 0x05, 0x05, 0x00, 0xFD});

std::size_t open_files() {
    using std::filesystem::directory_iterator;
    return static_cast<std::size_t>(
        std::distance(directory_iterator("/proc/self/fd"), directory_iterator{}));
}

// A connected board whose own firmware file may lie in the program's directory.
struct Rig {
    explicit Rig(int code = 4) : board(t.add_board(code)) {
        t.start();
        t->shell.projectDir = dir.path().string();
        t.connect();
    }
    tf::Bytes own_file(std::size_t bytes) {
        const auto image = tf::image_bytes(4, bytes);
        dir.write("evk4810C_mcu.thx", tf::firmware_text(image));
        return image;
    }
    // The person picks the menu item and answers the question it asks.
    void flash(int answer = 1) {
        t.frontend.confirms.push_back(answer);
        ASSERT_EQ(t->ui.UserMenu(t->shell.menu, MENUBAR_BOARD_FIRMWARE), 0);
        ASSERT_FALSE(t.frontend.popups.empty());
        question = t.frontend.popups[0].title + "|" + t.frontend.popups[0].text;
        EXPECT_EQ(question.rfind("Confirm|Do you want to program the MCU? \n You must not turn "
                                 "off power while programming!",
                                 0),
                  0u);
        t.frontend.popups.erase(t.frontend.popups.begin());
    }
    std::string question;
    tf::Bytes flash_contents() const {
        const auto c = board.flash().contents();
        return tf::Bytes(c.begin(), c.end());
    }
    const ui::Control& bar() const {
        return *t.app->ui.control(t.app->shell.mainpanel, MAIN_FLASHPROGRESS);
    }

    WireApp t;
    simboard::SimBoard& board;
    testing_support::TempDir dir;
};

// The writes as (type, address): data writes as (0x40, 0), other requests with address -1.
std::vector<std::pair<int, int>> traffic(const std::vector<Bytes>& writes) {
    std::vector<std::pair<int, int>> out;
    for (const Bytes& w : writes) {
        const bool page = w.size() == 15 && (w[1] == 0x0A || w[1] == 0x0B);
        out.emplace_back(w.size() == 64 ? 0x40 : w[1], w.size() == 64 ? 0
                                                       : page         ? w[2] << 8 | w[3]
                                                                      : -1);
    }
    return out;
}

}  // namespace

TEST(Firmware, WholeImageIsProgrammedAndTheBoardRestarted) {
    Rig r;
    const auto image = r.own_file(0x2E00);
    r.flash();
    EXPECT_EQ(r.t.frontend.messages(), (Messages{kSuccess}));
    EXPECT_EQ(r.flash_contents(), tf::flash_after(image));
    const auto w = r.t.bus.writes();
    ASSERT_EQ(w.size(), 1u + 23 + 184 * 2 + 1);  // enter, 23 pages, 184 records, restart
    EXPECT_EQ(w[0], block({0xFE, 0x09, 0x05, 0x00, 0xFD}));
    EXPECT_EQ(w[1], block({0xFE, 0x0A, 0x00, 0x00, 0x00, 0xFD}));
    EXPECT_EQ(w[2], block({0xFE, 0x0B, 0x00, 0x00, 0x40, 0xFD}));
    EXPECT_EQ(w[3], Bytes(image.begin(), image.begin() + 64));
    EXPECT_EQ(w.back(), kReset);
    // No flush before the restart; the settle delay and half a second for update mode.
    const auto& e = r.t.bus.events;
    EXPECT_TRUE(std::none_of(e.begin(), e.begin() + w.size(), [](const auto& x) {
        return x.kind == testing_support::WireEvent::Purge;
    }));
    EXPECT_GE(r.t.bus.events[1].time - r.t.bus.events[0].time, 0.6 - 1e-9);
    // The connection ends as a restart ends it; the code stays until the next connect.
    EXPECT_EQ(r.t->link.usb_opened, 0);
    EXPECT_EQ(r.t->link.board_id, 4);
    EXPECT_TRUE(r.t->ui.menu_item(r.t->shell.menu, MENUBAR_BOARD_FIRMWARE)->dimmed);
    EXPECT_EQ(std::get<double>(r.bar().value), 184);
    EXPECT_EQ(r.bar().max, 184);
    EXPECT_FALSE(r.bar().visible);
    // Off the bus until the power is cycled; then it connects with the new image in place.
    r.t.clock.advance(30.0);
    EXPECT_FALSE(r.board.on_bus());
    r.board.power_cycle();
    r.t.connect();
    EXPECT_EQ(r.flash_contents(), tf::flash_after(image));
}

TEST(Firmware, ErasesAtPageStartsOnlyAndDropsWrongDataReplies) {
    std::vector<std::pair<int, int>> ten{{0x09, -1}};  // records 0x0000..0x0240
    for (int a = 0; a < 640; a += 64) {
        if (a % 512 == 0) ten.emplace_back(0x0A, a);
        ten.emplace_back(0x0B, a);
        ten.emplace_back(0x40, 0);
    }
    ten.emplace_back(0x05, -1);
    struct Case {
        tf::Bytes image;
        bool stray_replies;
        std::vector<std::pair<int, int>> traffic;
    } cases[] = {
        {tf::image_bytes(4, 640), false, ten},
        {tf::image_bytes(4, 640), true, ten},
        {{}, false, {{0x09, -1}, {0x05, -1}}},  // the file begins with its end record
    };
    for (const Case& c : cases) {
        Rig r;
        r.dir.write("evk4810C_mcu.thx", tf::firmware_text(c.image));
        r.board.faults().flash_data_stray_reply = c.stray_replies;
        r.flash();
        EXPECT_EQ(r.t.frontend.messages(), (Messages{kSuccess}));
        EXPECT_EQ(traffic(r.t.bus.writes()), c.traffic);
        EXPECT_EQ(r.flash_contents(), tf::flash_after(c.image));
    }
}

TEST(Firmware, EveryStopShowsItsMessageClosesTheFileAndKeepsTheConnection) {
    struct Case {
        const char* name;
        int code, answer;
        void (*fault)(Faults&);
        std::string message;  // empty: none
        double waited;        // from the last write to the end; -1: nothing was sent
    } cases[] = {
        {"declined", 4, 0, [](Faults&) {}, "", -1},
        {"unknown board", 11, 1, [](Faults&) {}, "Notice|Unknown target.", -1},
        {"no file", 4, 1, [](Faults&) {},
         "File Error|File evk4810C_mcu.thx does not exist or can't be opened.", -1},
        {"enter unanswered", 4, 1, [](Faults& f) { f.silent_types = Faults::type_bit(0x09); },
         kNoUpdateMode, 5.1},
        {"enter refused", 4, 1, [](Faults& f) { f.wrong_types = Faults::type_bit(0x09); },
         kNoUpdateMode, 0.1},
        {"erase unanswered", 4, 1, [](Faults& f) { f.silent_types = Faults::type_bit(0x0A); },
         kEraseFailed, 10.1},
        {"erase failed", 4, 1, [](Faults& f) { f.flash_fail = true; }, kEraseFailed, 0.1},
        {"announcement unanswered", 4, 1,
         [](Faults& f) { f.silent_types = Faults::type_bit(0x0B); }, kProgramFailed, 5.1},
        {"data unanswered", 4, 1, [](Faults& f) { f.flash_data_silent = true; }, kNoDataReply,
         20.0},
    };
    for (const Case& c : cases) {
        Rig r(c.code);
        if (c.name != std::string("no file")) r.own_file(1024);
        c.fault(r.board.faults());
        const std::size_t files = open_files();
        r.flash(c.answer);
        EXPECT_EQ(r.t.frontend.messages(), c.message.empty() ? Messages{} : Messages{c.message})
            << c.name;
        EXPECT_EQ(open_files(), files) << c.name;
        EXPECT_EQ(r.t->link.usb_opened, 1) << c.name;
        EXPECT_FALSE(r.bar().visible) << c.name;
        if (c.waited < 0) {
            EXPECT_TRUE(r.t.bus.events.empty()) << c.name;
            continue;
        }
        // Stopped on its own limit, the MCU left in update mode and never restarted.
        const double waited = r.t.clock.now() - r.t.bus.events.back().time;
        EXPECT_GT(waited, c.waited - 1e-9) << c.name;
        EXPECT_LT(waited, c.waited + 0.01) << c.name;
        EXPECT_NE(r.t.bus.writes().back(), kReset) << c.name;
    }
}

// A copy in the user's data folder is taken before the shipped file; the question says which
// file will be flashed, so nobody flashes a forgotten copy unawares.
TEST(Firmware, TheQuestionNamesTheFileThatWillBeFlashed) {
    const std::string kQuestion =
        "Confirm|Do you want to program the MCU? \n You must not turn off power while "
        "programming!";
    const struct {
        const char* name;
        int code;
        bool user_copy;
    } cases[] = {
        {"shipped file", 4, false}, {"user's copy", 4, true}, {"unknown board", 11, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(c.code);
        testing_support::TempDir user;
        r.t->shell.userDir = user.path().string();
        r.own_file(1024);
        std::string expected = kQuestion + "\n\nFile: " + r.dir.path("evk4810C_mcu.thx").string();
        if (c.user_copy)
            expected = kQuestion + "\n\nFile: " +
                       user.write("evk4810C_mcu.thx", r.dir.read("evk4810C_mcu.thx"));
        if (c.code == 11) expected = kQuestion;
        r.flash(0);
        EXPECT_EQ(r.question, expected);
    }
}

TEST(Firmware, BrokenFileIsRefusedBeforeTheBoardHearsAnything) {
    const std::string whole = tf::firmware_text(tf::image_bytes(4, 1024));
    const std::size_t line = whole.find('\n') + 1;  // every record is one line this long
    std::string non_hex = whole, beyond = whole;
    non_hex.replace(line + 6, 2, "0G");  // record 2's address, low byte
    beyond.replace(line + 3, 5, "2D C1");
    struct Case {
        std::string text;
        const char* detail;
    } cases[] = {
        {whole.substr(0, 8 * line + 10 * 3),
         "Record 9 (line 9): the file ends after 10 of the record's 69 numbers."},
        {non_hex, "Record 2 (line 2): \"0G\" is not a hexadecimal number."},
        {whole.substr(0, whole.rfind("\n40 2E 00") + 1),
         "Record 17 (line 16): the file ends before the record at address 0x2E00."},
        {beyond,
         "Record 2 (line 2): its data at 0x2DC1 to 0x2E00 lie outside the flash below 0x2E00."},
    };
    for (const Case& c : cases) {
        Rig r;
        const std::string path = r.dir.write("candidate.thx", c.text);
        const core::Status s = boardlink::flash_board(*r.t, {true, path, {}});
        EXPECT_EQ(s.fault, core::Fault::BadInput);
        EXPECT_EQ(s.title + "|" + s.text, "File Error|File " + path +
                                              " is not a complete firmware image. \n " + c.detail +
                                              " \n Nothing was sent to the board.");
        EXPECT_TRUE(r.t.bus.events.empty()) << c.detail;
        EXPECT_FALSE(r.board.update_mode()) << c.detail;
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

// Asked to stop (Ctrl-C on the command line), the update ends between two records and says
// what the board is left with; no restart is sent to a half-programmed MCU.
TEST(Firmware, AStopBetweenRecordsSaysTheMcuIsLeftInUpdateMode) {
    Rig r;
    r.own_file(0x2E00);
    int asked = 0;
    r.t->port.stop_requested = [&asked] { return ++asked >= 10; };
    r.flash();
    const auto m = r.t.frontend.messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0],
              "Firmware Update Stopped|The update stopped after 10 of 184 records: the MCU "
              "is left in update mode. Flash the firmware again to recover it.");
    EXPECT_NE(r.t.bus.writes().back(), kReset);
}

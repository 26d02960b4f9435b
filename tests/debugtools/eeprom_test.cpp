// Boot-EEPROM programming, verification and dump against the simulated EEPROM: frames on the
// wire, the lines printed, the messages in order, and faults at each kind of frame.
#include <gtest/gtest.h>

#include <functional>

#include "debugtools/eeprom_file.h"
#include "debugtools/eeprom_tools.h"
#include "tools_rig.h"
#include "uir_ids.h"

using namespace debugtools;
using simboard::Faults;
using simboard::LogEntry;
using testing_support::block;
using testing_support::ToolsRig;

namespace {

const char* const kComplete = "Programming Complete|EEPROM programming complete.";
const char* const kProgramError = "EEPROM Error|Error programming EEPROM.";
const char* const kTimeOut = "        Time Out!|No return within 4 seconds";
constexpr std::uint32_t kEnable = 1u << 0x06, kWrite = 1u << 0x02, kRead = 1u << 0x03;

}  // namespace

TEST(EepromFrames, OneByteWrittenIsEnableWriteReadEachAfterAFlush) {
    ToolsRig r;
    r.t.bus.clear();
    const auto s = program_eeprom(r.app(), r.dir.write("a.txt", "# one byte\nA5\n"));
    ASSERT_TRUE(s) << s.step;
    using testing_support::WireEvent;
    std::vector<testing_support::Bytes> writes;
    for (std::size_t i = 0; i < r.t.bus.events.size(); ++i)
        if (r.t.bus.events[i].kind == WireEvent::Write) {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(r.t.bus.events[i - 1].kind, WireEvent::Purge);
            writes.push_back(r.t.bus.events[i].bytes);
        }
    EXPECT_EQ(writes,
              (std::vector<testing_support::Bytes>{
                  block({0xFE, 0x01, 0x05, 0x06, 0xFD}), block({0xFE, 0x01, 0x05, 0x06, 0xFD}),
                  block({0xFE, 0x01, 0x08, 0x02, 0x00, 0x00, 0xA5, 0xFD}),
                  block({0xFE, 0x02, 0x07, 0x03, 0x00, 0x00, 0xFD})}));
    EXPECT_EQ(r.output(),
              std::vector<std::string>{"Address: 0000: eeprom_write: a5  eeprom_readback: a5"});
}

TEST(EepromProgram, OutcomesAndMessagesInOrder) {
    const struct {
        const char* name;
        const char* file;
        std::function<void(ToolsRig&)> arrange;
        std::vector<std::string> messages;
        int enables, writes, lines_printed;
    } cases[] = {
        {"comments and empty lines only", "# a\n\n#b\n", {}, {kComplete}, 3, 0, 0},
        {"two bytes", "01\n\n0x2f\n", {}, {kComplete}, 3, 2, 2},
        {"write enable fails",
         "01\n02\n",
         [](ToolsRig& r) { r.board.faults().eeprom_unanswered = kEnable; },
         {"EEPROM Error|Error enabling EEPROM write", kProgramError},
         1,
         0,
         0},
        {"write fails: one attempt, read back and printed",
         "01\n02\n",
         [](ToolsRig& r) { r.board.faults().eeprom_unanswered = kWrite; },
         {kProgramError},
         1,
         1,
         1},
        {"read fails: no byte taken for written",
         "00\n",
         [](ToolsRig& r) { r.board.faults().eeprom_unanswered = kRead; },
         {kTimeOut, kProgramError},
         1,
         1,
         1},
        {"never stored: 127 attempts, the rest read but not written",
         "01\n02\n# end\n",
         [](ToolsRig& r) { r.board.faults().eeprom_write_fail = true; },
         {"Timeout error|Error Programming"},
         3 + 126,
         127,
         127},
        {"read back wrong once: the retry enables again and matches",
         "01\n",
         [](ToolsRig& r) { r.board.eeprom().misread_once(0); },
         {kComplete},
         2,
         2,
         2},
    };
    for (const auto& c : cases) {
        ToolsRig r;
        if (c.arrange) c.arrange(r);
        r.t.bus.clear();
        show_eeprom_outcome(r.app(), program_eeprom(r.app(), r.dir.write("f.txt", c.file)));
        EXPECT_EQ(r.messages(), c.messages) << c.name;
        EXPECT_EQ(r.logged(LogEntry::Kind::EepromEnable).size(), c.enables) << c.name;
        EXPECT_EQ(r.logged(LogEntry::Kind::EepromWrite).size(), c.writes) << c.name;
        EXPECT_EQ(r.output().size(), c.lines_printed) << c.name;
    }
}

TEST(EepromProgram, BadFilesAreRefusedByLineBeforeAnyFrame) {
    const struct {
        const char* file;
        const char* says;
    } cases[] = {
        {"01\n# ok\n1FF\n", "line 3"},
        {"01\nzz\n", "line 2"},
        {"123456789AB\n", "line 1"},
    };
    for (const auto& c : cases) {
        ToolsRig r;
        r.t.bus.clear();
        const auto s = program_eeprom(r.app(), r.dir.write("bad.txt", c.file));
        EXPECT_EQ(s.fault, core::Fault::BadInput) << c.file;
        EXPECT_NE(s.text.find(c.says), std::string::npos) << s.text;
        EXPECT_TRUE(r.t.bus.writes().empty()) << c.file;
    }
    ToolsRig r;
    EXPECT_EQ(program_eeprom(r.app(), r.dir.path("absent").string()).fault, core::Fault::BadInput);
}

TEST(EepromProgram, ProgressCountsBytesAndCancelStopsBetweenThem) {
    ToolsRig r;
    std::vector<int> seen;
    const auto s = program_eeprom(r.app(), r.dir.write("f.txt", "11\n22\n#\n33\n44\n"),
                                  [&](int done, int total, double left) {
                                      EXPECT_EQ(total, 4);
                                      EXPECT_GE(left, 0.0);
                                      seen.push_back(done);
                                      return done < 2;
                                  });
    EXPECT_EQ(s.fault, core::Fault::Cancelled);
    EXPECT_NE(s.text.find("after 2 of 4 bytes"), std::string::npos) << s.text;
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    EXPECT_EQ(r.board.eeprom().read(1), 0x22);
    EXPECT_EQ(r.board.eeprom().read(2), 0xFF);  // never written
}

TEST(EepromVerify, SecondReadAndMismatches) {
    const struct {
        const char* name;
        std::function<void(ToolsRig&)> arrange;
        std::vector<std::string> lines;
        const char* message;
        int reads;
    } cases[] = {
        {"all match",
         {},
         {"Address: 0000  File: 12  EEPROM: 12  Status: OK",
          "Address: 0001  File: 34  EEPROM: 34  Status: OK", ""},
         "EEPROM Verify Successful|EEPROM verified successfully.",
         2},
        {"wrong once, right the second time",
         [](ToolsRig& r) { r.board.eeprom().misread_once(1); },
         {"Address: 0000  File: 12  EEPROM: 12  Status: OK",
          "Address: 0001  File: 34  EEPROM: 34  Status: OK", ""},
         "EEPROM Verify Successful|EEPROM verified successfully.",
         3},
        {"wrong twice",
         [](ToolsRig& r) { r.board.eeprom().poke(0, 0x13); },
         {"Address: 0000  File: 12  EEPROM: 13  Status: ERROR",
          "Address: 0001  File: 34  EEPROM: 34  Status: OK", ""},
         "EEPROM Verify Error|EEPROM verification error.",
         3},
        {"no answer: never OK, the rest not asked",
         [](ToolsRig& r) { r.board.faults().eeprom_unanswered = kRead; },
         {"Address: 0000  File: 12  EEPROM: 00  Status: ERROR", ""},
         "EEPROM Verify Error|EEPROM verification error.",
         1},
    };
    for (const auto& c : cases) {
        ToolsRig r;
        r.board.eeprom().poke(0, 0x12);
        r.board.eeprom().poke(1, 0x34);
        if (c.arrange) c.arrange(r);
        show_eeprom_outcome(r.app(), verify_eeprom(r.app(), r.dir.write("f.txt", "# x\n12\n34\n")));
        EXPECT_EQ(r.output(), c.lines) << c.name;
        EXPECT_EQ(r.messages().back(), c.message) << c.name;
        EXPECT_EQ(r.logged(LogEntry::Kind::EepromRead).size(), c.reads) << c.name;
        EXPECT_TRUE(r.logged(LogEntry::Kind::EepromEnable).empty()) << c.name;
    }
}

// A value above FF is no byte: verifying reports it as ERROR at its address and goes on; a
// line that is no number refuses the file in a verify's own words.
TEST(EepromVerify, AValueAboveOneByteIsAnErrorAtItsAddress) {
    ToolsRig r;
    r.board.eeprom().poke(0, 0x12);
    r.board.eeprom().poke(2, 0x34);
    show_eeprom_outcome(r.app(), verify_eeprom(r.app(), r.dir.write("f.txt", "12\n1FF\n34\n")));
    EXPECT_EQ(r.output(),
              (std::vector<std::string>{"Address: 0000  File: 12  EEPROM: 12  Status: OK",
                                        "Address: 0001  File: 1ff  EEPROM: ff  Status: ERROR",
                                        "Address: 0002  File: 34  EEPROM: 34  Status: OK", ""}));
    EXPECT_EQ(r.messages(),
              std::vector<std::string>{"EEPROM Verify Error|EEPROM verification error."});

    const std::string bad = r.dir.write("bad.txt", "12\nzz\n");
    const core::Status s = verify_eeprom(r.app(), bad);
    EXPECT_EQ(s.text, bad + ": line 2 holds no hexadecimal byte\nNothing was verified.");
}

TEST(EepromDump, RangesAndAnswers) {
    const struct {
        const char* start;
        const char* end;
        bool file_exists;
        const char* content;
        std::vector<std::string> messages;
    } cases[] = {
        {"10",
         "14",
         true,
         "a0\na1\na2\na3\n",
         {"EEPROM Dump Completed|EEPROM contents written to file."}},
        {"0x12", " 13", true, "a2\n", {"EEPROM Dump Completed|EEPROM contents written to file."}},
        {"20", "20", true, "", {"EEPROM Dump Completed|EEPROM contents written to file."}},
        {"zz", "20", true, "", {}},
        {"10", "", true, "", {}},
        // An end below the start is an empty range.
        {"14", "10", true, "", {"EEPROM Dump Completed|EEPROM contents written to file."}},
    };
    for (const auto& c : cases) {
        ToolsRig r;
        for (int a = 0x10; a < 0x14; ++a)
            r.board.eeprom().poke(a, static_cast<std::uint8_t>(0x90 + a));
        const std::string path = r.dir.path("dump.txt").string();
        show_eeprom_outcome(r.app(), dump_eeprom(r.app(), path, c.start, c.end));
        EXPECT_EQ(std::filesystem::exists(path), c.file_exists) << c.start;
        EXPECT_EQ(r.dir.read("dump.txt"), c.content) << c.start;
        EXPECT_EQ(r.messages(), c.messages) << c.start;
        // Only the dump file itself is left in the folder.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(r.dir.path()), {}),
                  c.file_exists ? 1 : 0);
    }
}

TEST(EepromDump, AFailedReadLeavesTheEarlierFileAlone) {
    ToolsRig r;
    const std::string path = r.dir.write("dump.txt", "kept\n");
    r.board.faults().eeprom_unanswered = kRead;
    const auto s = dump_eeprom(r.app(), path, "0", "4");
    EXPECT_EQ(s.fault, core::Fault::NoReply);
    EXPECT_EQ(r.dir.read("dump.txt"), "kept\n");
    EXPECT_EQ(r.messages(), std::vector<std::string>{kTimeOut});
    EXPECT_TRUE(r.t.setup_dimmed(SETUP_CONFIGURE));
}

TEST(EepromPanel, MenuItemAndButtonsAskForTheirFilesAndPrompts) {
    ToolsRig r;
    auto& fe = r.t.frontend;
    const std::string data = r.dir.write("img.txt", "5A\n");
    fe.files = {data, std::nullopt, data, r.dir.path("out.txt").string()};
    fe.prompts = {"0", "1"};
    r.app().ui.UserMenu(r.app().shell.menu, MENUBAR_BOARD_EEPROM);
    r.app().ui.UserCommit(r.app().shell.controlpanel, CONTROL_EEPROG);  // cancelled: nothing
    r.app().ui.UserCommit(r.app().shell.controlpanel, CONTROL_EEVERIFY);
    r.app().ui.UserCommit(r.app().shell.controlpanel, CONTROL_EEDUMP);
    std::vector<std::string> asked;
    for (const auto& p : fe.popups) asked.push_back(p.title);
    EXPECT_EQ(asked,
              (std::vector<std::string>{
                  "Select EEPROM Data File", "Programming Complete", "Select EEPROM Data File",
                  "Select EEPROM Data File", "EEPROM Verify Successful", "Select EEPROM Dump File",
                  "EEPROM Start Address", "EEPROM End Address", "EEPROM Dump Completed"}));
    EXPECT_EQ(r.dir.read("out.txt"), "5a\n");
    EXPECT_GT(fe.progress_updates, 0);
}

TEST(EepromFile, HexScanAsTheFormatTakesIt) {
    const struct {
        const char* text;
        std::optional<std::uint32_t> value;
    } cases[] = {
        {"A5", 0xA5}, {"  0x1f junk", 0x1F},    {"0", 0},         {"0x", 0}, {"g1", {}}, {"", {}},
        {"-1", {}},   {"FFFFFFFF", 0xFFFFFFFF}, {"100000000", {}}};
    for (const auto& c : cases) EXPECT_EQ(scan_hex(c.text), c.value) << c.text;
}

TEST(EepromFile, ARefusedFileLeavesTheLinesReadBefore) {
    testing_support::TempDir dir;
    std::vector<DataLine> lines;
    ASSERT_TRUE(read_data_file(dir.write("good.txt", "# x\n5A\n"), &lines));
    for (const char* bad : {"5A\nzz\n", "12\n-1\n"}) {
        EXPECT_EQ(read_data_file(dir.write("bad.txt", bad), &lines).fault, core::Fault::BadInput);
        ASSERT_EQ(lines.size(), 2u) << bad;
        EXPECT_EQ(lines[1].value, std::uint8_t{0x5A}) << bad;
    }
}

TEST(EepromPanel, CancelInTheProgressWindowSaysHowFarItGot) {
    ToolsRig r;
    r.t.frontend.files = {r.dir.write("img.txt", "01\n02\n")};
    r.t.frontend.cancel_progress_at = 1;
    write_eeprom_cmd_usb(r.app());
    EXPECT_EQ(r.messages(), std::vector<std::string>{
                                "Cancelled|EEPROM programming cancelled after 1 of 2 bytes.\n"
                                "Addresses 0000 to 0000 were done; the rest was not."});
    EXPECT_EQ(r.t.frontend.last_progress, "Programming EEPROM: 1 of 2 bytes, 0 min 00 s left");
    EXPECT_EQ(r.board.eeprom().read(1), 0xFF);
}

// The debugger's operations against the simulated core: memory dumps in chunks, image files
// and their download, the register dump's lines, register writes, runs to a breakpoint.
#include "debugtools/debugger/operations.h"
#include "chipfiles/temp_dir.h"
#include "debugtools/debugger/image_file.h"
#include "debugtools/debugger/register_dump.h"
#include "debugtools/debugger/transfer.h"
#include "debugtools/ram_download.h"
#include "fixture.h"

using namespace debugger;
using debugger_test::Debugger;

namespace {

std::vector<std::string> dump(App& app, Memory m, int start, int end, core::Status* s,
                              std::vector<int>* chunks = nullptr) {
    std::vector<std::string> lines;
    *s = dump_memory(app, m, start, end, [&](const std::vector<std::string>& l) {
        if (chunks) chunks->push_back(static_cast<int>(l.size()));
        lines.insert(lines.end(), l.begin(), l.end());
    });
    return lines;
}

}  // namespace

TEST_F(Debugger, DumpsReadEightThenTwoThenOneWords) {
    for (std::uint32_t a = 0; a < 16; ++a) core().set_program_word(a, 0x100000 + a);
    struct Case {
        int start, end;
        std::vector<int> chunks, count_fields;
        std::string last;
    };
    for (const Case& c : {Case{5, 5, {1}, {1}, "0x0005 0x100005"},
                          Case{0, 10, {8, 2, 1}, {3, 2, 1}, "0x000A 0x10000A"},
                          Case{3, 12, {8, 2}, {3, 2}, "0x000C 0x10000C"}}) {
        const std::size_t before = core().commands().size();
        std::vector<int> chunks;
        core::Status s;
        const auto lines = dump(*t, Memory::Program, c.start, c.end, &s, &chunks);
        ASSERT_TRUE(s);
        EXPECT_EQ(chunks, c.chunks);
        std::vector<int> fields;
        for (std::size_t i = before; i < core().commands().size(); ++i) {
            const std::uint32_t word = core().commands()[i].first;
            if ((word >> 16) == RD_PMEM) fields.push_back(static_cast<int>((word >> 14) & 3));
        }
        EXPECT_EQ(fields, c.count_fields);
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(c.end - c.start + 1));
        EXPECT_EQ(lines.back(), c.last);
    }
    // Refused before anything is sent.
    board->clear_log();
    for (auto [start, end] : {std::pair{5, 4}, {0x3FF0, 0x4000}}) {
        core::Status s;
        dump(*t, Memory::Data, start, end, &s);
        EXPECT_EQ(s.title + "|" + s.text, "Address Error|Address range is invalid.");
    }
    EXPECT_TRUE(board->log().empty());
}

TEST(DebuggerImages, RecordsAreReadAsAStreamAndBadOnesNamedByLine) {
    std::vector<ImageRecord> r;
    ASSERT_TRUE(parse_image(" 0000 123456\n0001 ABCDEF\r\n0002 000001\n\n", "a.pmg", &r));
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1].address, 1);
    EXPECT_EQ(r[1].word, 0xABCDEF);
    struct Bad {
        const char* text;
        const char* message;
    };
    for (Bad b :
         {Bad{" 0000 123456\n0001 zz\n", "b.pmg: line 2 does not hold an address and a word."},
          Bad{" 0000 123456\n\n0001\n", "b.pmg: line 3 does not hold an address and a word."},
          Bad{" 4000 000001\n", "b.pmg: line 1 holds an address above 3FFF."},
          Bad{" 0000 1000000\n", "b.pmg: line 1 holds a word wider than 24 bits."}}) {
        const core::Status s = parse_image(b.text, "b.pmg", &r);
        EXPECT_EQ(s.fault, core::Fault::BadInput) << b.text;
        EXPECT_EQ(s.title + "|" + s.text, std::string("Image File Error|") + b.message);
        EXPECT_EQ(r.size(), 3u) << "a refused file keeps the records read before";
    }
}

// One core, one pair of memories: what the RAM tool downloads, the debugger dumps, and the
// reverse.
TEST_F(Debugger, TheRamToolAndTheDebuggerSeeTheSameMemories) {
    testing_support::TempDir dir;
    ASSERT_TRUE(debugtools::load_ram(*t, dir.write("a.pmg", "\n1 ABCDEF\n"),
                                     dir.write("a.dmg", "\n11 000022\n")));
    core::Status s;
    EXPECT_EQ(dump(*t, Memory::Program, 1, 1, &s).back(), "0x0001 0xABCDEF");
    EXPECT_EQ(dump(*t, Memory::Data, 0x11, 0x11, &s).back(), "0x0011 0x000022");
    ASSERT_TRUE(download_image(*t, Memory::Data, dir.write("d.dmg", " 0012 00BEEF\n")));
    EXPECT_EQ(board->chip().data_word(0x12), 0x00BEEFu);
}

TEST_F(Debugger, ADownloadWritesEveryRecordAndABadFileSendsNothing) {
    testing_support::TempDir dir;
    const std::string good = dir.write("p.pmg", " 0010 111111\n0011 222222\n0010 333333\n");
    ASSERT_TRUE(download_image(*t, Memory::Program, good));
    EXPECT_EQ(core().program_word(0x10), 0x333333u);  // a later record rewrites
    EXPECT_EQ(core().program_word(0x11), 0x222222u);
    ASSERT_TRUE(download_image(*t, Memory::Data, dir.write("d.dmg", " 0003 0000AA\n")));
    EXPECT_EQ(core().data_word(3), 0xAAu);

    board->clear_log();
    EXPECT_EQ(download_image(*t, Memory::Program, dir.write("x.pmg", " 0000 1\n0001 q\n")).fault,
              core::Fault::BadInput);
    EXPECT_EQ(download_image(*t, Memory::Program, dir.path("none.pmg").string()).fault,
              core::Fault::BadInput);
    EXPECT_TRUE(board->log().empty());
}

TEST_F(Debugger, RegisterDumpOfAKnownCoreState) {
    const std::vector<std::string> expected = {
        "     S    HI     LO          PC   LC            IO00 010000 IO16 010010",
        "   A0 12 ABCDEF 123456    ->0021 0042           IO01 010001 IO17 010011",
        "   A1 3F 000001 FFFFFF      0000 0000           STAT 000100 IO18 010012",
        "                            0000 0000           SHAD 010003 IO19 010013",
        "   STATUS   000100          0000 0000           IO04 010004 IO20 010014",
        "   SHADOW   010003          0000 0000           IO05 010005 IO21 010015",
        "   CONTROL  00C0DE          0000 0000           IO06 010006 IO22 010016",
        "                            0000 0000           IO07 010007 IO23 010017",
        "   AR0 1000  MAR0 100 200   0000 0000           IO08 010008 IO24 010018",
        "   AR1 1001  MAR1 101 201   0000 0000           IO09 010009 IO25 010019",
        "   AR2 1002  MAR2 102 202   0000 0000           IO10 01000A IO26 01001A",
        "   AR3 1003  MAR3 103 203   0000 0000           IO11 01000B IO27 01001B",
        "   AR4 1004  MAR4 104 204   0000 0000           IO12 01000C IO28 01001C",
        "   AR5 1005  MAR5 105 205   0000 0000           IO13 01000D IO29 01001D",
        "   AR6 1006  MAR6 106 206   0000 0000           IO14 01000E IO30 01001E",
        "   AR7 1007  MAR7 107 207   0000 0000           IO15 01000F IO31 01001F",
        "                            0000 0000",
        "   PAR0 0A0A MPAR0 0C0C",
        "   PAR1 0B0B MPAR1 0D0D",
    };
    std::vector<int> io(32);
    for (int k = 0; k < 32; ++k) io[static_cast<std::size_t>(k)] = k == 2 ? 0 : 0x010000 + k;
    std::vector<int> ar, mar;
    for (int n = 0; n < 8; ++n) {
        ar.push_back(0x1000 + n);
        mar.push_back(n == 2 ? 0 : (0x100 + n) << 12 | (0x200 + n));  // MAR2 written alone
    }
    core().set_program_word(0x20, 0xE00000);
    ASSERT_TRUE(simple_command(*t, CONTINUE));  // stops at 0x20, 0x21 on the stack
    ASSERT_TRUE(DEBUG_command(*t, WR_IOREG, 32, 0, io));
    ASSERT_TRUE(DEBUG_command(*t, 0x0E, 8, 0, ar));
    ASSERT_TRUE(DEBUG_command(*t, WR_ALL_MAR, 8, 0, mar));
    // Register writes by selector value: v mod 100 the code, v div 100 the index.
    struct Write {
        int v, first, second, third;
    };
    for (Write w : {Write{WR_ACC0, 0x12, 0xABCDEF, 0x123456},
                    {WR_ACC1, 0x3F, 1, 0xFFFFFF},
                    {0x22, 0, 0x0A0A, 0},
                    {0x24, 0, 0x0B0B, 0},
                    {0x26, 0, 0x0C0C, 0},
                    {0x28, 0, 0x0D0D, 0},
                    {WR_CR, 0, 0x00C0DE, 0},
                    {WR_LC, 0, 0x42, 0},
                    {2 * 100 + WR_ALL_MAR, 0, 0x102202, 0}})
        ASSERT_TRUE(write_register(*t, w.v, w.first, w.second, w.third)) << w.v;
    EXPECT_FALSE(write_register(*t, 8 * 100 + WR_ALL_MAR, 0, 1, 0));  // there is no MAR8
    EXPECT_FALSE(write_register(*t, RD_CR, 0, 1, 0));                 // not a write

    CoreRegisters r;
    const double before = t.clock.now();
    ASSERT_TRUE(read_registers(*t, &r));
    EXPECT_GE(t.clock.now() - before, 4.3);  // 43 reads, each followed by 0.1 s
    EXPECT_EQ(dump_lines(r), expected);
    EXPECT_EQ(pc_text(current_pc(r)), "0021");

    // Running: the stack is empty, no slot is marked and the PC shows as unknown.
    core().set_program_word(0x20, 0);
    ASSERT_TRUE(simple_command(*t, CONTINUE));
    ASSERT_TRUE(read_registers(*t, &r));
    EXPECT_EQ(pc_text(current_pc(r)), "----");
    for (const std::string& line : dump_lines(r)) EXPECT_EQ(line.find("->"), std::string::npos);
}

TEST_F(Debugger, RunToBreakpointRestoresTheWordOrWarns) {
    core().set_program_word(0x10, 0x123456);
    auto run = [&](int b, std::function<bool()> on, bool* reached) {
        t.frontend.popups.clear();
        return run_to_break(
            *t, b, on, [](std::optional<int>) {}, reached);
    };
    bool reached = false;

    // Reached: the PC is set back to the breakpoint and the saved word restored.
    ASSERT_TRUE(run(
        0x10, [] { return true; }, &reached));
    EXPECT_TRUE(reached);
    EXPECT_TRUE(core().halted());
    EXPECT_EQ(core().program_word(0x10), 0x123456u);
    EXPECT_EQ(core().read_register(RD_ALL_STACKPCS, core().stack_pointer() - 1), 0x10u);

    // Stopped by the toggle before the core got there: restored, the core left running.
    core().settings().instruction_s = 0.01;
    int polls = 0;
    ASSERT_TRUE(run(
        0x3000, [&] { return polls++ < 1; }, &reached));
    EXPECT_FALSE(reached);
    EXPECT_FALSE(core().halted());
    EXPECT_EQ(core().program_word(0x3000), 0u);

    // CONTINUE refused after the breakpoint word went in: the warning, the word left there.
    core().faults().reject.set(CONTINUE);
    const core::Status s = run(
        0x10, [] { return true; }, &reached);
    EXPECT_EQ(t.frontend.messages(),
              std::vector<std::string>{"Debug Error|Debugger set ERR bit in CMD word."});
    EXPECT_EQ(s.title + "|" + s.text, "Warning|Program in memory might be corrupted at PMEM 10.");
    EXPECT_EQ(core().program_word(0x10), 0xE00000u);
}

// The progress window's Cancel ends a register dump or a memory dump between two reads: the
// status says so, the registers are left as they were and the dump keeps the lines read.
TEST_F(Debugger, CancelInTheProgressWindowEndsADumpBetweenReads) {
    for (std::uint32_t a = 0; a < 32; ++a) core().set_program_word(a, 0x200000 + a);
    t.frontend.cancel_progress_at = 3;
    CoreRegisters r;
    r.cr = 0x5A;
    const std::size_t before = core().commands().size();
    const core::Status regs = read_registers(*t, &r);
    EXPECT_EQ(regs.fault, core::Fault::Cancelled);
    EXPECT_EQ(regs.text, "Register read cancelled.");
    EXPECT_EQ(r.cr, 0x5A);
    EXPECT_EQ(core().commands().size() - before, 2u) << "reads after the Cancel";
    EXPECT_EQ(t.frontend.last_progress, "Reading DSP Registers: 2 of 43 reads");

    t.frontend.progress_updates = 0;
    core::Status s;
    const std::vector<std::string> lines = dump(*t, Memory::Program, 0, 31, &s);
    EXPECT_EQ(s.fault, core::Fault::Cancelled);
    EXPECT_EQ(s.text, "Dump cancelled.");
    ASSERT_EQ(lines.size(), 16u);  // two chunks of eight before the third update
    EXPECT_EQ(lines.back(), "0x000F 0x20000F");
    EXPECT_EQ(t.frontend.last_progress, "Dumping PMEM: 16 of 32 words");
}

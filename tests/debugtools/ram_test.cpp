// RAM download: the image stream format, every word verified with retries, the start
// command, and a failure that names its address.
#include <gtest/gtest.h>

#include "debugtools/debugtools.h"
#include "debugtools/ram_download.h"
#include "tools_rig.h"
#include "uir_ids.h"

using namespace debugtools;
using simboard::LogEntry;
using testing_support::ToolsRig;

namespace {

// The first character of each record is read and dropped: the file begins with one extra.
const char* const kPmg = "\n0 123456\n1 ABCDEF\n2 000001\n";
const char* const kDmg = "\n10 000011\n11 000022\n";

int commands_logged(ToolsRig& r, std::uint32_t code, std::uint32_t address) {
    int n = 0;
    for (const auto& e : r.logged(LogEntry::Kind::Command)) n += e.a == code && e.b == address;
    return n;
}

}  // namespace

TEST(RamImage, RecordsReadAsOneStream) {
    const struct {
        const char* text;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> words;
    } cases[] = {
        {"\n0 1\n2 3\n", {{0, 1}, {2, 3}}},
        {"X0 1Y2 3", {{0, 1}, {2, 3}}},
        {"X0 1 Y2 3", {{0, 1}}},  // the space is the dropped character; Y is no number
        {"0 1\n", {}},            // the first digit is the dropped character
        {"\n0 1\n2\n", {{0, 1}}},
        {"\n0 1\n\n\n2 3", {{0, 1}, {2, 3}}},  // blank lines are white space before a number
        {"", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> got;
        for (const auto& w : parse_memory_image(c.text)) got.emplace_back(w.address, w.word);
        EXPECT_EQ(got, c.words) << c.text;
    }
}

TEST(RamDownload, EveryWordVerifiedThenStarted) {
    ToolsRig r;
    const auto s = load_ram(r.app(), r.dir.write("a.pmg", kPmg), r.dir.write("a.dmg", kDmg));
    EXPECT_TRUE(s);
    EXPECT_EQ(s.text, "RAM download complete. Started execution at 0x3000.");
    EXPECT_EQ(r.board.chip().program_word(1), 0xABCDEFu);
    EXPECT_EQ(r.board.chip().data_word(0x11), 0x22u);
    EXPECT_EQ(commands_logged(r, 0x13, 2), 1);
    EXPECT_EQ(commands_logged(r, 0x14, 0x10), 1);
    ASSERT_EQ(r.board.chip().dsp_starts().size(), 1u);
    EXPECT_EQ(r.board.chip().dsp_starts()[0].address, 0x3000u);
    EXPECT_EQ(r.board.chip().dsp_starts()[0].word, 0x22u);  // the last data word
}

TEST(RamDownload, RetriesAndFailuresNameTheirAddress) {
    const struct {
        const char* name;
        bool program;
        std::uint32_t address;
        int lost, writes;
        const char* detail;  // on the standard output; empty: success
    } cases[] = {
        {"lost three times, verified on the fourth", true, 1, 3, 4, ""},
        {"an early program word never verifies", true, 0, 10, 10,
         "RAM download: Program memory word at 0x0000 did not verify after 10 attempts."},
        {"a data word never verifies", false, 0x10, 10, 10,
         "RAM download: Data memory word at 0x0010 did not verify after 10 attempts."},
    };
    for (const auto& c : cases) {
        ToolsRig r;
        (c.program ? r.board.program_memory() : r.board.data_memory())
            .lose_writes(c.address, c.lost);
        r.t.frontend.files = {r.dir.write("a.pmg", kPmg), r.dir.write("a.dmg", kDmg)};
        r.app().ui.UserCommit(r.app().shell.controlpanel, CONTROL_LOADRAM);
        EXPECT_EQ(commands_logged(r, c.program ? 0x11 : 0x12, c.address), c.writes) << c.name;
        const bool ok = *c.detail == 0;
        EXPECT_EQ(r.messages(),
                  std::vector<std::string>{ok ? "Done|RAM download complete. Started execution at "
                                                "0x3000."
                                              : "RAM download Failed|Please Re-Try!"})
            << c.name;
        EXPECT_EQ(r.t.frontend.stdout_lines,
                  ok ? std::vector<std::string>{} : std::vector<std::string>{c.detail})
            << c.name;
        // Started either way; the person is asked to try again.
        EXPECT_EQ(r.board.chip().dsp_starts().size(), 1u) << c.name;
    }
}

TEST(FilterCommands, StartAndStopSendTheirCommandWordWithZeroData) {
    ToolsRig r;
    start_filter_cmd(r.app());
    stop_filter_cmd(r.app());
    const auto cmds = r.logged(LogEntry::Kind::Command);
    ASSERT_EQ(cmds.size(), 2u);
    EXPECT_EQ(std::vector<std::uint32_t>({cmds[0].a, cmds[0].b, cmds[0].c, cmds[1].a}),
              std::vector<std::uint32_t>({0x08, 0, 0, 0x09}));
    EXPECT_TRUE(r.logged(LogEntry::Kind::PortRead).empty());
    EXPECT_TRUE(r.messages().empty());
}

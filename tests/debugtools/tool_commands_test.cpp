// The tools from the command line: the loop mkboot -> eeprom write -> verify -> dump gives
// back the image's bytes; the pins; output lines as text or in JSON; usage errors.
#include <gtest/gtest.h>

#include <array>
#include <sstream>

#include "chipfiles/temp_dir.h"
#include "cli/cli.h"
#include "mkboot/mkboot.h"

namespace {

struct CliRun {
    int status;
    std::string out, err;
};

CliRun cli_run(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = cli::run(args, SEISBENCH_TEST_RESOURCE_DIR, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::uint8_t> bytes_of_lines(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(line, nullptr, 16)));
    return bytes;
}

}  // namespace

TEST(ToolCommands, MkbootImageRoundTripsThroughTheEeprom) {
    testing_support::TempDir dir;
    dir.write("ioreg", "20 000431\n0 1\n2C 123456\n");
    std::ostringstream mk_out;
    const std::array<std::string, 1> mk_args{dir.path("ioreg").string()};
    ASSERT_EQ(mkboot::run(mk_args, dir.path(), mk_out), 0) << mk_out.str();
    const std::string image = dir.read("mkboot.out");
    const auto bytes = bytes_of_lines(image);
    char end[8];
    std::snprintf(end, sizeof end, "%zX", bytes.size());
    const std::string img = dir.path("mkboot.out").string(), back = dir.path("back.txt").string();
    const CliRun r = cli_run({"--simulate", "--virtual-time", "eeprom write " + img,
                              "eeprom verify " + img, "eeprom dump " + back + " 0 " + end});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(bytes_of_lines(dir.read("back.txt")), bytes);
    // One line per byte written, one per byte verified and the verification's empty line.
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2 * bytes.size() + 1 + 3);
    EXPECT_NE(r.out.find("Address: 0000  File: 00  EEPROM: 00  Status: OK\n"), std::string::npos);
    EXPECT_EQ(r.err.find("Address:"), std::string::npos);
}

TEST(ToolCommands, OutputLinesGoIntoTheJsonObject) {
    testing_support::TempDir dir;
    const CliRun r = cli_run({"--simulate", "--virtual-time", "--json",
                              "eeprom write " + dir.write("d.txt", "#\n7e\n")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"command\":\"eeprom\",\"ok\":true,\"result\":\"EEPROM programming complete.\","
              "\"output\":[\"Address: 0000: eeprom_write: 7e  eeprom_readback: 7e\"]}\n");
}

TEST(ToolCommands, PinsWrittenAreReadBackWithTheirCaptions) {
    const CliRun four =
        cli_run({"--simulate=4", "--virtual-time", "gpio write 0=101 9=010", "gpio read"});
    ASSERT_EQ(four.status, 0) << four.err;
    EXPECT_NE(four.out.find("pin 0:  MUX0 101\n"), std::string::npos) << four.out;
    EXPECT_NE(four.out.find("pin 9:  SW0 010\n"), std::string::npos);
    EXPECT_NE(four.out.find("GPCFG0: 0x010001"), std::string::npos);
    EXPECT_NE(four.out.find("GPCFG1: 0x000200"), std::string::npos);
    const CliRun one = cli_run({"--simulate=2", "--virtual-time", "--json", "gpio read"});
    EXPECT_NE(one.out.find("{\"pin\":3,\"caption\":\"MODE3\",\"bits\":\"000\"}"),
              std::string::npos);
}

TEST(ToolCommands, BadArgumentsAreUsageErrorsAndFailuresReportTheirFault) {
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"--simulate", "gpio write 12=000"}, 2, "usage: gpio"},
        {{"--simulate", "gpio write 1=12"}, 2, "usage: gpio"},
        {{"--simulate", "eeprom dump f 0 10000"}, 2, "usage: eeprom"},
        {{"--simulate", "ram load a.pmg"}, 2, "usage: ram"},
        {{"--simulate", "filter go"}, 2, "usage: filter"},
        {{"--simulate", "--virtual-time", "eeprom dump /nonexistent/f 0 4"},
         1,
         "EEPROM not dumped: The file /nonexistent/f cannot be written."},
        {{"--simulate", "--virtual-time", "eeprom write /nonexistent/f"}, 1, "/nonexistent/f"},
        {{"--simulate", "--virtual-time", "filter start", "filter stop"}, 0, ""},
    };
    for (const auto& c : cases) {
        const CliRun r = cli_run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back() << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
}

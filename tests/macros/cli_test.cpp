// The macro and trace commands of seisbench-cli, end to end on the simulated board.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "chipfiles/temp_dir.h"
#include "cli/cli.h"
#include "support/cli_run.h"
#include "support/test_app.h"

using cli_run::Outcome;
using cli_run::run;

TEST(MacroCli, RunShowsBurstsInTheTraceAndTheReadOnStandardOutput) {
    testing_support::TempDir dir;
    const std::string mac = dir.write("M.mac",
                                      "1 0 00 000000\n1 0 03 000000\n1 0 06 000011\n"
                                      "1 0 09 000022\n1 0 0C 000033\n0 1 2E 000000\n");
    const std::string trace = dir.path("t.jsonl").string();
    Outcome r = run({"--simulate", "--virtual-time", "--trace", trace, "macro run " + mac});
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "DSP  0x2E  VERSION   0x760110");

    std::vector<std::string> spi;
    std::ifstream in(trace);
    for (std::string line; std::getline(in, line);) {
        const auto j = nlohmann::json::parse(line);
        const std::string data = j.value("data", "");
        if (j["op"] == "write" && data.rfind("fe01", 0) == 0) spi.push_back(data);
    }
    ASSERT_GE(spi.size(), 3u);
    const std::vector<std::string> tail(spi.end() - 3, spi.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"fe010f0200000000000000000011fd",
                                              "fe010c0209000022000033fd000000",
                                              "fe010c020300000200002efd000000"}));

    r = run({"--json", "trace show " + trace});
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    const auto shown = nlohmann::json::parse(r.out)["exchanges"];
    const std::string last_write = shown[shown.size() - 3]["text"];
    EXPECT_EQ(last_write, "SPI write 0x09 SPIDAT2=000022 DEB_DATA=000033  reply 01 ok");
    EXPECT_EQ(shown[shown.size() - 2]["text"],
              "SPI write 0x03 SPICMD=000002 RD_DFREG SPIDAT1=00002E  reply 01 ok");
    EXPECT_EQ(shown.back()["text"], "SPI read 0x06 SPIDAT1  reply 02 ok value 760110");

    dir.write("bad.jsonl", "{\"t\":0,\"op\":\"open\"}\nnot json\n");
    r = run({"trace show " + dir.path("bad.jsonl").string()});
    EXPECT_EQ(r.status, cli::kFailed);
    EXPECT_NE(r.err.find("line 2"), std::string::npos);
}

TEST(MacroCli, ExternalMacrosNamesAndListings) {
    const std::string res = testing_support::copy_resources_to_temp();
    const std::filesystem::path macros = std::filesystem::path(res) / "macros";

    Outcome r = run({"--simulate", "--virtual-time", "--json", "macro ext 7"}, res);
    EXPECT_EQ(r.status, cli::kFailed);  // not confirmed
    r = run({"--simulate", "--virtual-time", "--json", "--yes", "macro ext 7"}, res);
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["output"].size(), 4u);

    EXPECT_EQ(run({"macro name 2 TOOLONGX"}, res).status, cli::kFailed);
    EXPECT_EQ(run({"macro name 9 X"}, res).status, cli::kUsage);
    ASSERT_EQ(run({"macro name 2 START"}, res).status, cli::kOk);
    std::ifstream names(macros / "Mnames.txt");
    std::string first, second;
    names >> first >> second;
    EXPECT_EQ(second, "START");

    r = run({"macro show " + (macros / "M5.mac").string()}, res);
    ASSERT_EQ(r.status, cli::kOk);
    EXPECT_NE(r.out.find("3: DF    W   0x2A  TBS_CFG    0x07C800"), std::string::npos) << r.out;
    std::filesystem::remove_all(res);
}

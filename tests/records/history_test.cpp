// Judged runs kept by the program itself: the main job run by two benches at once against one
// real PostgreSQL server, none lost or doubled; runs made while the server is down reach it
// with the first run after it is back; the SQLite file in the user's data folder with no
// option at all, its history filtered and exported, and a board's report listing its runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include "chipfiles/temp_dir.h"
#include "records/pg_server.h"
#include "support/cli_run.h"

namespace {

using Json = nlohmann::ordered_json;
using testing_support::TempDir;

// The user's data folder for the runs in this process, put back afterwards.
class DataHome {
  public:
    explicit DataHome(const std::string& dir) {
        if (const char* old = std::getenv("XDG_DATA_HOME")) old_ = old;
        setenv("XDG_DATA_HOME", dir.c_str(), 1);
    }
    ~DataHome() {
        if (old_.empty())
            unsetenv("XDG_DATA_HOME");
        else
            setenv("XDG_DATA_HOME", old_.c_str(), 1);
    }

  private:
    std::string old_;
};

Json last(const cli_run::Outcome& r) {
    Json j;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] == '{') j = Json::parse(line);
    return j;
}

// The main job, runs times over: configure once, then capture and analyse with the limits.
std::vector<std::string> main_job(const std::string& limits, int runs,
                                  std::vector<std::string> options = {}) {
    std::vector<std::string> a = {"--simulate", "--virtual-time", "--limits", limits};
    a.insert(a.end(), options.begin(), options.end());
    a.push_back("configure --rate 500 --channels 4");
    for (int i = 0; i < runs; ++i) {
        a.push_back("capture --samples 4096");
        a.push_back("analyze --test signal");
    }
    return a;
}

std::string quoted(const std::vector<std::string>& args) {
    std::string s;
    for (const std::string& a : args) s += " '" + a + "'";
    return s;
}

Json history(const std::vector<std::string>& options) {
    std::vector<std::string> a = {"--json"};
    a.insert(a.end(), options.begin(), options.end());
    a.push_back("history");
    return last(cli_run::run(a));
}

// Every record whole: a board, its firmware, the settings, the figures of the four channels
// and their verdicts; and no record twice.
void expect_whole_and_single(const Json& records) {
    std::set<std::string> ids;
    for (const Json& r : records) {
        EXPECT_TRUE(ids.insert(r["id"].get<std::string>()).second) << "doubled: " << r["id"];
        EXPECT_EQ(r["serial"], "SB0000001");
        EXPECT_EQ(r["firmware"], "V2.4");
        EXPECT_EQ(r["settings"]["setup"]["rate"], 500);
        EXPECT_EQ(r["verdict"], "pass");
        int channels = 0;
        for (const Json& f : r["figures"]) channels += f["key"] == "signal.S/N" ? 1 : 0;
        EXPECT_EQ(channels, 4);
        EXPECT_EQ(r["verdicts"].size(), 4u);
    }
}

struct Line : testing::Test {
    void SetUp() override {
        ASSERT_EQ(server.error(), "");
        url = server.create_database("line");
        ASSERT_NE(url, "") << server.error();
    }
    testing_support::PgServer server;
    std::string url;
    TempDir dir;
    std::string limits = dir.write("limits.json", R"({"signal": {"S/N": {"min": 110}}})");
};

TEST_F(Line, TwoBenchesAtOnceOnOneServerLoseAndDoubleNothing) {
    // Two programs started together, each with its own data folder (and so its own spool).
    const std::string job = quoted(main_job(limits, 50, {"--records", url}));
    const std::string a = dir.path("a").string(), b = dir.path("b").string();
    const std::string both = "(XDG_DATA_HOME=" + a + " " SEISBENCH_CLI + job + " >" + a +
                             ".out 2>&1) & (XDG_DATA_HOME=" + b + " " SEISBENCH_CLI + job + " >" +
                             b + ".out 2>&1) & wait";
    ASSERT_EQ(std::system(both.c_str()), 0);
    for (const std::string& bench : {a, b}) {
        std::ifstream out(bench + ".out");
        const std::string text((std::istreambuf_iterator<char>(out)), {});
        EXPECT_EQ(text.find("not kept"), std::string::npos) << text.substr(0, 400);
        EXPECT_EQ(text.find("kept locally"), std::string::npos);
    }
    const DataHome home(a);
    const Json h = history({"--records", url});
    ASSERT_EQ(h["records"].size(), 100u) << h.dump().substr(0, 300);
    expect_whole_and_single(h["records"]);
}

TEST_F(Line, RunsWhileTheServerIsDownReachItWithTheFirstRunAfter) {
    const DataHome home(dir.path("bench").string());
    ASSERT_EQ(cli_run::run(main_job(limits, 2, {"--records", url})).status, 0);
    ASSERT_TRUE(server.stop());
    const Json down = last(cli_run::run(main_job(limits, 3, {"--json", "--records", url})));
    EXPECT_EQ(down["record"]["spooled"], true) << down.dump().substr(0, 300);
    EXPECT_EQ(cli_run::run({"--records", url, "history"}).status, 1);
    ASSERT_TRUE(server.start());
    ASSERT_EQ(cli_run::run(main_job(limits, 1, {"--records", url})).status, 0);
    const Json h = history({"--records", url});
    ASSERT_EQ(h["records"].size(), 6u);
    expect_whole_and_single(h["records"]);
    // Sent once: a further run sends nothing again.
    ASSERT_EQ(cli_run::run(main_job(limits, 1, {"--records", url})).status, 0);
    EXPECT_EQ(history({"--records", url})["records"].size(), 7u);
}

TEST(LocalRecords, TheDefaultIsTheUsersSqliteFileFilteredExportedAndInTheReport) {
    TempDir dir;
    const DataHome home(dir.path("home").string());
    const std::string strict = dir.write("strict.json", R"({"signal": {"S/N": {"min": 200}}})");
    const std::string html = dir.path("board.html").string();
    ASSERT_EQ(
        cli_run::run({"--simulate", "--virtual-time", "configure --rate 500 --channels 4",
                      "capture --samples 4096", "analyze --test signal", "analyze --test psd"})
            .status,
        0);
    EXPECT_TRUE(std::filesystem::exists(dir.path("home") / "seisbench" / "records.sqlite"));
    EXPECT_EQ(cli_run::run(main_job(strict, 1)).status, 3);
    ASSERT_EQ(cli_run::run({"--no-records", "--simulate", "--virtual-time",
                            "configure --rate 500 --channels 4", "capture --samples 4096",
                            "analyze", "report " + html})
                  .status,
              0);
    const Json all = history({});
    ASSERT_EQ(all["records"].size(), 3u);
    EXPECT_EQ(all["records"][1]["test"], "psd");
    EXPECT_EQ(all["records"][2]["limits"]["file"], strict);
    EXPECT_EQ(all["records"][2]["limits"]["sha256"].get<std::string>().size(), 64u);
    const struct {
        std::vector<std::string> filter;
        std::size_t count;
    } filters[] = {{{"--verdict", "fail"}, 1},
                   {{"--verdict", "pass"}, 0},
                   {{"--figure", "psd.Noise density"}, 1},
                   {{"--serial", "NOBOARD"}, 0},
                   {{"--since", "2000-01-01"}, 3},
                   {{"--since", "2999-01-01"}, 0}};
    for (const auto& f : filters) {
        std::string line = "history";
        for (const std::string& w : f.filter) line += " '" + w + "'";
        const Json h = last(cli_run::run({"--json", line}));
        EXPECT_EQ(h["records"].size(), f.count) << line;
    }
    const std::string csv = dir.path("h.csv").string();
    ASSERT_EQ(cli_run::run({"history export " + csv}).status, 0);
    std::ifstream in(csv);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("signal.S/N"), std::string::npos);
    // A report names the board's earlier runs, and is kept as one more.
    ASSERT_EQ(cli_run::run({"--simulate", "--virtual-time", "configure --rate 500 --channels 4",
                            "capture --samples 4096", "report " + html})
                  .status,
              0);
    std::ifstream report(html);
    const std::string page((std::istreambuf_iterator<char>(report)), {});
    EXPECT_NE(page.find("Earlier runs of this board"), std::string::npos);
    EXPECT_EQ(history({})["records"].size(), 4u);
    EXPECT_EQ(cli_run::run({"--records", "mysql://x", "history"}).status, 2);
}

}  // namespace

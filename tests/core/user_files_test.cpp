// The per-user folders of an installed program: where they are, the one-time copy of a shipped
// folder (never half made, never redone over the user's changes) and the user-first lookup.
#include "core/user_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "chipfiles/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& p) {
    std::ifstream in(p);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(UserDataDir, FollowsTheBaseDirectoryRules) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* want;
    };
    const Case cases[] = {
        {"/x/data", "/home/a", "/x/data/seisbench"},
        {nullptr, "/home/a", "/home/a/.local/share/seisbench"},
        {"relative", "/home/a", "/home/a/.local/share/seisbench"},
        {"", "/home/a", "/home/a/.local/share/seisbench"},
        {nullptr, nullptr, ""},
        {nullptr, "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(core::user_data_dir(c.xdg, c.home).string(), c.want)
            << (c.xdg ? c.xdg : "null") << " " << (c.home ? c.home : "null");
}

class UserFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(shipped / "macros" / "sub");
        dir.write("shipped/macros/Mnames.txt", "A\nB\n");
        dir.write("shipped/macros/sub/M1.mac", "1 0 20 000431\n");
        dir.write("shipped/fw.thx", "shipped");
    }
    testing_support::TempDir dir;
    fs::path shipped = dir.path("shipped");
    fs::path user = dir.path("home") / "seisbench";
};

TEST_F(UserFiles, BuildTreeUsesTheShippedFolder) {
    EXPECT_EQ(core::writable_folder(shipped, {}, "macros"), shipped / "macros");
    EXPECT_FALSE(fs::exists(dir.path("home")));
    EXPECT_EQ(core::user_or_shipped(shipped, {}, "fw.thx"), shipped / "fw.thx");
}

TEST_F(UserFiles, CopiesOnceAndKeepsTheUsersChanges) {
    const fs::path own = core::writable_folder(shipped, user, "macros");
    ASSERT_EQ(own, user / "macros");
    EXPECT_EQ(read(own / "Mnames.txt"), "A\nB\n");
    EXPECT_EQ(read(own / "sub" / "M1.mac"), "1 0 20 000431\n");
    // Only the finished copy is left, no temporary folder beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(user), fs::directory_iterator()), 1);

    dir.write("home/seisbench/macros/Mnames.txt", "Mine\n");
    EXPECT_EQ(core::writable_folder(shipped, user, "macros"), own);
    EXPECT_EQ(read(own / "Mnames.txt"), "Mine\n");
    EXPECT_EQ(read(shipped / "macros" / "Mnames.txt"), "A\nB\n");
}

TEST_F(UserFiles, FallsBackToTheShippedFolderWhenNoCopyCanBeMade) {
    // A file where the user's data folder should be: nothing can be created under it.
    dir.write("home", "in the way");
    EXPECT_EQ(core::writable_folder(shipped, user, "macros"), shipped / "macros");
    // A shipped folder that is not there cannot be copied either.
    EXPECT_EQ(core::writable_folder(shipped, dir.path("other"), "missing"), shipped / "missing");
    EXPECT_FALSE(fs::exists(dir.path("other") / "missing"));
}

TEST_F(UserFiles, TakesTheUsersFileFirst) {
    EXPECT_EQ(core::user_or_shipped(shipped, user, "fw.thx"), shipped / "fw.thx");
    fs::create_directories(user);
    dir.write("home/seisbench/fw.thx", "mine");
    EXPECT_EQ(core::user_or_shipped(shipped, user, "fw.thx"), user / "fw.thx");
    EXPECT_EQ(core::user_or_shipped(shipped, user, "other.thx"), shipped / "other.thx");
}

TEST_F(UserFiles, InstalledMeansTheUserFolderFromTheEnvironment) {
    const char* before = std::getenv("XDG_DATA_HOME");
    const std::string saved = before ? before : "";
    ::setenv("XDG_DATA_HOME", dir.path("data").c_str(), 1);
    const fs::path got = core::user_dir_for(shipped, dir.path("bin"));
    before ? ::setenv("XDG_DATA_HOME", saved.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(got, dir.path("data") / "seisbench");
}

TEST_F(UserFiles, BesideTheProgramMeansNoUserFolder) {
    EXPECT_EQ(core::user_dir_for(shipped, shipped), fs::path());
    EXPECT_EQ(core::user_dir_for(shipped, shipped / "."), fs::path());
}

}  // namespace

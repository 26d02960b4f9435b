// The file writer leaves either the whole new file or the old one, never a temporary file,
// and never takes over a file that happens to carry a temporary name.
#include "core/atomic_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "chipfiles/temp_dir.h"

namespace {

using core::Fault;
using core::write_file_atomically;

class AtomicFile : public ::testing::Test {
  protected:
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            names.insert(e.path().filename().string());
        return names;
    }
    testing_support::TempDir dir;
};

TEST_F(AtomicFile, WritesAndReplacesWhole) {
    ASSERT_TRUE(write_file_atomically(dir.path("out"), "first\n").ok());
    EXPECT_EQ(dir.read("out"), "first\n");
    const core::Status s = write_file_atomically(dir.path("out"), [](std::ostream& out) {
        for (int i = 0; i < 100000; ++i) out << i << '\n';  // past any buffer
        return true;
    });
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(dir.read("out").substr(0, 4), "0\n1\n");
    EXPECT_EQ(dir.read("out").size(), 588890u);
    EXPECT_EQ(files(), std::set<std::string>{"out"});
}

TEST_F(AtomicFile, FilesWithTheTemporaryNamesAreNeverTakenOver) {
    dir.write("out", "old");
    dir.write("out.tmp", "someone else's");
    dir.write("out.1.tmp", "a stale one");
    ASSERT_TRUE(write_file_atomically(dir.path("out"), "new").ok());
    EXPECT_EQ(dir.read("out"), "new");
    EXPECT_EQ(dir.read("out.tmp"), "someone else's");
    EXPECT_EQ(dir.read("out.1.tmp"), "a stale one");
    EXPECT_EQ(files(), (std::set<std::string>{"out", "out.tmp", "out.1.tmp"}));
}

TEST_F(AtomicFile, AFailureKeepsTheOldFileAndLeavesNoTemporary) {
    struct Case {
        const char* what;
        std::string target;
        bool content_ok;
        const char* step;
    };
    std::filesystem::create_directory(dir.path("folder"));
    dir.write("folder/keep", "x");
    dir.write("out", "old");
    const Case cases[] = {
        {"content abandoned", "out", false, "write"},
        {"target is a folder", "folder", true, "create"},
        {"no such folder", "missing/out", true, "create"},
    };
    for (const Case& c : cases) {
        const core::Status s = write_file_atomically(dir.path(c.target), [&](std::ostream& out) {
            out << "new";
            return c.content_ok;
        });
        EXPECT_EQ(s.fault, Fault::FileError) << c.what;
        EXPECT_EQ(s.step, c.step) << c.what;
        EXPECT_EQ(dir.read("out"), "old") << c.what;
        EXPECT_EQ(dir.read("folder/keep"), "x") << c.what;
        EXPECT_EQ(files(), (std::set<std::string>{"folder", "out"})) << c.what;
    }

    // Leftovers of killed saves never stand in the way of the next one.
    for (int i = 0; i < 60; ++i) dir.write(".out.killed" + std::to_string(i), "stale");
    EXPECT_TRUE(write_file_atomically(dir.path("out"), "new").ok());
    EXPECT_EQ(dir.read("out"), "new");
}

// What the replaced file was stays true of the new one: its permissions, the link that named
// it, and that the user could not write it. A device is no file to replace.
TEST_F(AtomicFile, TheNewFileTakesTheOldOnesPlace) {
    namespace fs = std::filesystem;
    dir.write("out", "old");
    fs::permissions(dir.path("out"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(write_file_atomically(dir.path("out"), "new").ok());
    EXPECT_EQ(fs::status(dir.path("out")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::create_symlink("out", dir.path("link"));
    ASSERT_TRUE(write_file_atomically(dir.path("link"), "through the link").ok());
    EXPECT_TRUE(fs::is_symlink(dir.path("link")));
    EXPECT_EQ(dir.read("out"), "through the link");

    if (::geteuid() != 0) {  // root may write anything
        fs::permissions(dir.path("out"), fs::perms::owner_read);
        const core::Status s = write_file_atomically(dir.path("out"), "refused");
        EXPECT_EQ(s.fault, Fault::FileError);
        EXPECT_NE(s.text.find("read-only"), std::string::npos) << s.text;
        EXPECT_EQ(dir.read("out"), "through the link");
    }

    const core::Status full = write_file_atomically("/dev/full", "x");
    EXPECT_EQ(full.fault, Fault::FileError);
    EXPECT_FALSE(full.text.empty());
}

}  // namespace

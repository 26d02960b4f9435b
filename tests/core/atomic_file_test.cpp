// The file writer leaves either the whole new file or the old one, never a temporary file,
// and never takes over a file that happens to carry a temporary name.
#include "core/atomic_file.h"

#include <gtest/gtest.h>

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
        {"target is a folder", "folder", true, "replace"},
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

    // Every temporary name taken: nothing is written, nothing is removed.
    for (int i = 0; i < 16; ++i)
        dir.write(i == 0 ? "out.tmp" : "out." + std::to_string(i) + ".tmp", "taken");
    const core::Status s = write_file_atomically(dir.path("out"), "new");
    EXPECT_EQ(s.step, "create");
    EXPECT_EQ(dir.read("out"), "old");
    EXPECT_EQ(files().size(), 18u);
}

}  // namespace

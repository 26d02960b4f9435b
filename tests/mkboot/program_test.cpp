// The mkboot executable itself: arguments, current directory, standard output, exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "chipfiles/temp_dir.h"

namespace {

int run_program(const testing_support::TempDir& dir, const std::string& args) {
    const std::string command =
        "cd '" + dir.path().string() + "' && '" MKBOOT_PROGRAM "' " + args + " > stdout.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MkbootProgram, WritesTheImageIntoTheCurrentDirectory) {
    testing_support::TempDir dir;
    dir.write("ioreg", "20 000431\n0 1\n");
    EXPECT_EQ(run_program(dir, "ioreg"), 0);
    EXPECT_EQ(dir.read("stdout.txt"),
              "mkboot: wrote mkboot.out: 58 bytes, 2 registers, ROM coefficients, ROM TBS\n");
    const std::string image = dir.read("mkboot.out");
    EXPECT_EQ(std::count(image.begin(), image.end(), '\n'), 58);
    EXPECT_EQ(image.substr(16 * 3, 21), "01\n00\n00\n20\n00\n04\n31\n");
}

TEST(MkbootProgram, ErrorsGoToStandardOutputWithStatusOne) {
    testing_support::TempDir dir;
    EXPECT_EQ(run_program(dir, "absent"), 1);
    EXPECT_EQ(dir.read("stdout.txt"), "\n\n*** Error opening IOREG data file absent ***\n\n");
    EXPECT_EQ(run_program(dir, "a b c d e f g"), 1);
    EXPECT_EQ(dir.read("stdout.txt").substr(0, 10), "\n\nUsage:  ");
    EXPECT_FALSE(std::filesystem::exists(dir.path("mkboot.out")));
}

}  // namespace

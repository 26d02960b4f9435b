// Ctrl-C as a person presses it: the real program on the simulated board at its real pace,
// interrupted once its capture has started.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "chipfiles/temp_dir.h"
#include "cli/cli.h"

extern char** environ;

namespace {

using testing_support::TempDir;

// Waits until the trace holds the capture request (frame type 03), or gives up.
bool capture_started(const TempDir& dir) {
    for (int i = 0; i < 600; ++i) {
        if (dir.read("trace.jsonl").find("\"data\":\"fe03") != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

TEST(Interrupt, CtrlCDuringACaptureStopsTheStreamAndExits130) {
    TempDir dir;
    const std::string trace = dir.path("trace.jsonl").string();
    std::vector<std::string> args = {SEISBENCH_CLI,
                                     "--simulate",
                                     "--trace",
                                     trace,
                                     "configure --rate 500 --channels 4",
                                     "capture --samples 262144",
                                     "analyze --test time"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const std::string err = dir.path("err.txt").string();
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, SEISBENCH_CLI, &files, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&files);
    const bool started = capture_started(dir);
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(started);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const std::string said = dir.read("err.txt");
    EXPECT_NE(said.find("Capture cancelled."), std::string::npos) << said;
    EXPECT_NE(said.find("interrupted"), std::string::npos) << said;
    // The run ends there: the analysis after the capture never runs.
    EXPECT_EQ(said.find("analyze --test time"), std::string::npos) << said;

    std::ostringstream out, ignored;
    ASSERT_EQ(cli::run({"trace show " + trace}, SEISBENCH_TEST_RESOURCE_DIR, out, ignored), 0);
    const std::string decoded = out.str();
    const std::size_t start = decoded.find("capture start");
    ASSERT_NE(start, std::string::npos) << decoded.substr(0, 2000);
    EXPECT_NE(decoded.find("FL_STOP", start), std::string::npos);
}

}  // namespace

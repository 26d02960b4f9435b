// Ctrl-C and SIGTERM as a person or a session manager sends them: the real programs on the
// simulated board at its real pace, interrupted once the capture has started.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
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

// Runs the program, interrupts it with the signal once its capture has started, and returns
// its exit status (-1 when it did not exit by itself) with what it printed.
int interrupted_run(std::vector<std::string> args, int signal, const TempDir& dir,
                    std::string* said) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const std::string out = dir.path("out.txt").string();
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_adddup2(&files, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&files);
    const bool started = capture_started(dir);
    kill(pid, signal);
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(started);
    *said = dir.read("out.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Interrupt, ASignalDuringACaptureStopsTheStreamAndEndsTheRun) {
    // The desktop program needs no display for this.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::vector<std::string> commands = {"configure --rate 500 --channels 4",
                                               "capture --samples 262144", "analyze --test time"};
    const struct {
        const char* program;
        bool script;  // the desktop program takes its commands from a script
        int signal, status;
        const char* said;
    } cases[] = {
        {SEISBENCH_CLI, false, SIGINT, 130, "interrupted"},
        {SEISBENCH_CLI, false, SIGTERM, 143, "interrupted"},
        {SEISBENCH_DESKTOP, true, SIGTERM, 143, "Capture cancelled."},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string trace = dir.path("trace.jsonl").string();
        std::vector<std::string> args = {c.program, "--simulate", "--yes", "--trace", trace};
        if (c.script) {
            std::string text;
            for (const std::string& line : commands) text += line + "\n";
            args.insert(args.end(), {"--script", dir.write("run.txt", text), "--quit"});
        } else {
            args.insert(args.end(), commands.begin(), commands.end());
        }
        std::string said;
        EXPECT_EQ(interrupted_run(args, c.signal, dir, &said), c.status) << c.program << said;
        EXPECT_NE(said.find("Capture cancelled."), std::string::npos) << said;
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        // The run ends there: the analysis after the capture never runs.
        EXPECT_EQ(said.find("analyze --test time"), std::string::npos) << said;

        std::ostringstream out, ignored;
        ASSERT_EQ(cli::run({"trace show " + trace}, SEISBENCH_TEST_RESOURCE_DIR, out, ignored), 0);
        const std::string decoded = out.str();
        const std::size_t start = decoded.find("capture start");
        ASSERT_NE(start, std::string::npos) << decoded.substr(0, 2000);
        EXPECT_NE(decoded.find("FL_STOP", start), std::string::npos) << c.program;
    }
}

}  // namespace

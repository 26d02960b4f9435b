#include "tests/platform/usb/emulated/child_run.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace usb_emulated {

namespace {

constexpr char kPreload[] = "libumockdev-preload.so.0";
constexpr auto kPoll = std::chrono::milliseconds(5);

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

// The preload library must come first among the preloads to see every call.
std::string umockdev_preload_list() {
    const char* now = std::getenv("LD_PRELOAD");
    const std::string list = now != nullptr ? now : "";
    if (list.find("libumockdev-preload") != std::string::npos) return list;
    return list.empty() ? kPreload : std::string(kPreload) + ":" + list;
}

ChildResult run_on_bus(EmulatedBridge& bus, const std::vector<std::string>& argv,
                       double limit_seconds) {
    ChildResult r;
    char out_path[] = "/tmp/emulated-bridge-out-XXXXXX";
    char err_path[] = "/tmp/emulated-bridge-err-XXXXXX";
    const int out_fd = mkstemp(out_path);
    const int err_fd = mkstemp(err_path);
    if (out_fd < 0 || err_fd < 0 || argv.empty()) return r;
    const std::string preload = umockdev_preload_list();

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out_fd, STDOUT_FILENO);
        dup2(err_fd, STDERR_FILENO);
        setenv("LD_PRELOAD", preload.c_str(), 1);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        std::perror(args[0]);
        _exit(127);
    }
    close(out_fd);
    close(err_fd);

    int status = 0;
    const auto limit = std::chrono::duration<double>(limit_seconds);
    while (pid > 0 && waitpid(pid, &status, WNOHANG) == 0) {
        bus.remove_gone();
        if (std::chrono::steady_clock::now() - start > limit) {
            r.timed_out = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(kPoll);
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (pid > 0) r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = slurp(out_path);
    r.err = slurp(err_path);
    unlink(out_path);
    unlink(err_path);
    return r;
}

}  // namespace usb_emulated

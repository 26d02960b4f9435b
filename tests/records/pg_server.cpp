#include "records/pg_server.h"

#include <fcntl.h>
#include <grp.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

namespace testing_support {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUser = "bench";

// The newest server programs the postgresql package installed.
std::string find_bin() {
    std::string best;
    int best_version = -1;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        const fs::path bin = e.path() / "bin";
        const int version = std::atoi(e.path().filename().c_str());
        if (fs::exists(bin / "initdb") && fs::exists(bin / "postgres") && version > best_version) {
            best_version = version;
            best = bin.string();
        }
    }
    return best;
}

std::string tail(const std::string& file) {
    std::ifstream in(file);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return text.size() > 1000 ? text.substr(text.size() - 1000) : text;
}

}  // namespace

PgServer::PgServer() {
    bin_ = find_bin();
    if (bin_.empty()) {
        error_ =
            "no PostgreSQL server programs in /usr/lib/postgresql/*/bin: install the "
            "postgresql package (scripts/bootstrap.sh)";
        return;
    }
    // Directly under /tmp: a socket path holds at most 107 characters.
    char name[] = "/tmp/sb-pg-XXXXXX";
    if (!mkdtemp(name)) {
        error_ = "cannot make a folder for the server";
        return;
    }
    dir_ = name;
    if (getuid() == 0) {
        const passwd* pw = getpwnam("postgres");
        if (!pw || chown(dir_.c_str(), pw->pw_uid, pw->pw_gid) != 0) {
            error_ = "running as root, and the folder cannot be given to a postgres user";
            return;
        }
    }
    // The socket lies in our own folder, so any port is free; a random one keeps two runs'
    // names apart in the logs.
    port_ = 20000 + static_cast<int>(std::random_device{}() % 40000);
    if (run("initdb", {"-D", dir_ + "/data", "-U", kUser, "-A", "trust", "--no-locale", "-E",
                       "UTF8", "--no-sync"}))
        start();
}

PgServer::~PgServer() {
    stop();
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
}

std::string PgServer::url(const std::string& name) const {
    return "postgresql:///" + name + "?host=" + dir_ + "&port=" + std::to_string(port_) +
           "&user=" + kUser;
}

std::string PgServer::create_database(const std::string& name) {
    PGconn* conn = PQconnectdb(url("postgres").c_str());
    PGresult* res = PQexec(conn, ("CREATE DATABASE " + name).c_str());
    const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK;
    if (!ok) error_ = "CREATE DATABASE " + name + ": " + PQerrorMessage(conn);
    PQclear(res);
    PQfinish(conn);
    return ok ? url(name) : std::string{};
}

pid_t PgServer::spawn(const std::string& program, const std::vector<std::string>& args,
                      const std::string& log) {
    std::vector<std::string> words = {bin_ + "/" + program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const passwd* pw = getuid() == 0 ? getpwnam("postgres") : nullptr;
    const uid_t uid = pw ? pw->pw_uid : 0;
    const gid_t gid = pw ? pw->pw_gid : 0;

    const pid_t pid = fork();
    if (pid != 0) return pid;
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0 || dup2(fd, 1) < 0 || dup2(fd, 2) < 0) _exit(126);
    if (pw && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) _exit(126);
    // A test killed halfway takes its server with it (set after setuid, which clears it).
    prctl(PR_SET_PDEATHSIG, SIGINT);
    if (chdir(dir_.c_str()) != 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
}

bool PgServer::run(const std::string& program, const std::vector<std::string>& args) {
    const std::string log = dir_ + "/" + program + ".log";
    const pid_t pid = spawn(program, args, log);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    error_ = program + " failed: " + tail(log);
    return false;
}

bool PgServer::start() {
    if (server_ > 0) return true;
    const std::string log = dir_ + "/server.log";
    server_ =
        spawn("postgres",
              {"-D", dir_ + "/data", "-p", std::to_string(port_), "-c", "listen_addresses=", "-c",
               "unix_socket_directories=" + dir_, "-c", "fsync=off"},
              log);
    // Waits as long as the server lives; two minutes only guard against a hang.
    const std::string probe = url("postgres");
    for (int i = 0; i < 1200; ++i) {
        if (PQping(probe.c_str()) == PQPING_OK) return true;
        int status = 0;
        if (server_ < 0 || waitpid(server_, &status, WNOHANG) == server_) {
            server_ = -1;
            error_ = "the server stopped as it started: " + tail(log);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    error_ = "the server takes no connections: " + tail(log);
    return false;
}

bool PgServer::stop() {
    if (server_ <= 0) return false;
    kill(server_, SIGINT);  // fast shutdown: open sessions are ended
    int status = 0;
    waitpid(server_, &status, 0);
    server_ = -1;
    return true;
}

}  // namespace testing_support

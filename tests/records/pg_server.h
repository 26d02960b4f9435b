// A real PostgreSQL server for the records tests: a fresh cluster from the Debian postgresql
// package in a temporary folder, reached only through a Unix socket in that folder (so it never
// meets a server already running on the machine), trusting local connections. As root, the
// server runs as the package's postgres user, since PostgreSQL refuses to run as root.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testing_support {

class PgServer {
  public:
    // Makes the cluster and starts it; error() says why when it could not.
    PgServer();
    // Stops the server (fast shutdown) and removes the folder.
    ~PgServer();
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // Empty while all went well, else what failed.
    const std::string& error() const { return error_; }

    // Creates the database name and returns its URL; empty, with error() set, on failure.
    std::string create_database(const std::string& name);
    // The URL of database name on this server.
    std::string url(const std::string& name) const;
    // The socket folder and the port.
    const std::string& socket_dir() const { return dir_; }
    int port() const { return port_; }

    // Stops the server, fast shutdown; false when it was not running.
    bool stop();
    // Starts it again on the same data and waits until it takes connections.
    bool start();

  private:
    // Runs a server program to its end; false with error() set when it fails.
    bool run(const std::string& program, const std::vector<std::string>& args);
    pid_t spawn(const std::string& program, const std::vector<std::string>& args,
                const std::string& log);

    std::string bin_, dir_, error_;
    int port_ = 0;
    pid_t server_ = -1;
};

}  // namespace testing_support

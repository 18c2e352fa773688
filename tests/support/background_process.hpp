#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include "support/temp_environment.hpp"

namespace quenlith::test {

// A program the test starts and owns: its output goes to a file, and it is ended (SIGTERM, then
// SIGKILL) when the object goes away.
class BackgroundProcess {
public:
    // `environment` adds to (or replaces in) the test's own environment; `input` is written to the
    // program's standard input, which is then closed.
    BackgroundProcess(const std::vector<std::string>& argv, const std::string& outputPath,
                      const std::map<std::string, std::string>& environment = {},
                      const std::optional<std::string>& input = std::nullopt);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    bool running();
    // Its process id, for signals a test sends it (SIGSTOP freezes it).
    pid_t pid() const { return pid_; }
    // Its standard output and error so far.
    std::string output() const;
    // Spins the main loop until the program ends by itself or the timeout passes; returns whether
    // it ended.
    bool waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // The exit status (as waitpid gives it) once the program has ended.
    int status() const { return status_; }
    // Ends the program now and waits for it.
    void stop();

private:
    pid_t pid_ = -1;
    bool exited_ = false;
    int status_ = 0;
    std::string outputPath_;
};

// A TCP port on 127.0.0.1 that was free a moment ago (for programs that need a port number).
int freeTcpPort();

// Spins the main loop until something listens on 127.0.0.1:port (read from /proc/net/tcp, so
// nothing connects and no log line is caused), or `process` ends, or the timeout passes.
bool waitForTcpPort(int port, BackgroundProcess* process = nullptr,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Whether a program of that name is on PATH.
bool programAvailable(const std::string& name);

}  // namespace quenlith::test

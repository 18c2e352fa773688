#include "support/background_process.hpp"

#include <cerrno>
#include <cstdio>
#include <sstream>
#include <csignal>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <glib.h>

#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"

namespace quenlith::test {

namespace {

// A test process ended outright (by a time limit, or a planted fault's hang) takes the servers it
// started with it, rather than leaving them running on the machine.
void endWithTheTestProcess(gpointer) { prctl(PR_SET_PDEATHSIG, SIGKILL); }

}  // namespace

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv, const std::string& outputPath,
                                     const std::map<std::string, std::string>& environment,
                                     const std::optional<std::string>& input)
    : outputPath_(outputPath) {
    std::vector<char*> args;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    char** envp = g_get_environ();
    for (const auto& [name, value] : environment) envp = g_environ_setenv(envp, name.c_str(), value.c_str(), TRUE);

    int outputFd = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (outputFd < 0) {
        g_strfreev(envp);
        throw std::runtime_error("cannot create " + outputPath);
    }
    int inputFd = -1;
    GError* error = nullptr;
    gboolean started = g_spawn_async_with_pipes_and_fds(
        nullptr, args.data(), envp,
        static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), endWithTheTestProcess, nullptr,
        -1, outputFd, outputFd, nullptr, nullptr, 0, &pid_, input ? &inputFd : nullptr, nullptr, nullptr, &error);
    close(outputFd);
    g_strfreev(envp);
    if (!started) {
        std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("cannot start " + argv.front() + ": " + message);
    }
    if (input) {
        const char* data = input->data();
        size_t left = input->size();
        while (left > 0) {
            ssize_t written = write(inputFd, data, left);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) break;
            data += written;
            left -= static_cast<size_t>(written);
        }
        close(inputFd);
    }
}

BackgroundProcess::~BackgroundProcess() { stop(); }

bool BackgroundProcess::running() {
    if (exited_ || pid_ <= 0) return false;
    pid_t result = waitpid(pid_, &status_, WNOHANG);
    if (result == pid_ || (result < 0 && errno == ECHILD)) exited_ = true;
    return !exited_;
}

bool BackgroundProcess::waitForExit(std::chrono::milliseconds timeout) {
    return spinUntil([this] { return !running(); }, timeout);
}

std::string BackgroundProcess::output() const { return readFile(outputPath_); }

void BackgroundProcess::stop() {
    if (!running()) return;
    kill(pid_, SIGTERM);
    // Bounded wait for the exit; a program that ignores SIGTERM is killed.
    for (int i = 0; i < 300 && running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
        exited_ = true;
    }
}

int freeTcpPort() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0) close(fd);
        throw std::runtime_error("no free TCP port");
    }
    close(fd);
    return ntohs(address.sin_port);
}

namespace {
// Whether /proc/net/tcp lists a listening socket on 127.0.0.1 (or any address) and that port.
bool listening(int port) {
    std::istringstream table(readFile("/proc/net/tcp"));
    char wanted[8];
    snprintf(wanted, sizeof wanted, ":%04X", port);
    std::string line;
    std::getline(table, line);  // header
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (state != "0A") continue;  // LISTEN
        if (local.size() > 5 && local.compare(local.size() - 5, 5, wanted) == 0 &&
            (local.rfind("0100007F", 0) == 0 || local.rfind("00000000", 0) == 0))
            return true;
    }
    return false;
}
}  // namespace

bool waitForTcpPort(int port, BackgroundProcess* process, std::chrono::milliseconds timeout) {
    bool ready = false;
    spinUntil(
        [&] {
            if (process && !process->running()) return true;
            ready = listening(port);
            return ready;
        },
        timeout);
    return ready;
}

bool programAvailable(const std::string& name) {
    char* path = g_find_program_in_path(name.c_str());
    bool found = path != nullptr;
    g_free(path);
    return found;
}

}  // namespace quenlith::test

#include "support/tcp_relay.hpp"

#include <cerrno>
#include <stdexcept>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quenlith::test {

namespace {
constexpr size_t kKeptBytes = 64 * 1024;

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    return address;
}
}  // namespace

struct TcpRelay::Connection {
    int client = -1;
    int upstream = -1;
    std::string sent;
};

TcpRelay::TcpRelay(int targetPort) : targetPort_(targetPort) {
    if (pipe2(stopPipe_, O_CLOEXEC) != 0) throw std::runtime_error("relay: no pipe");
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd_, 64) != 0 || getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("relay: cannot listen");
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

TcpRelay::~TcpRelay() {
    stopping_ = true;
    char byte = 0;
    (void)!write(stopPipe_[1], &byte, 1);
    acceptThread_.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        threads.swap(threads_);
    }
    for (auto& thread : threads) thread.join();
    close(listenFd_);
    close(stopPipe_[0]);
    close(stopPipe_[1]);
}

int TcpRelay::connectionCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(connections_.size());
}

std::vector<std::string> TcpRelay::clientStreams() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> streams;
    for (const auto& connection : connections_) streams.push_back(connection->sent);
    return streams;
}

void TcpRelay::acceptLoop() {
    while (!stopping_) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        int client = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        int upstream = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in target = loopback(targetPort_);
        if (upstream < 0 || connect(upstream, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
            if (upstream >= 0) close(upstream);
            close(client);
            continue;
        }
        auto connection = std::make_shared<Connection>();
        connection->client = client;
        connection->upstream = upstream;
        std::lock_guard lock(mutex_);
        connections_.push_back(connection);
        threads_.emplace_back([this, connection] { pump(connection); });
    }
}

void TcpRelay::pump(std::shared_ptr<Connection> connection) {
    char buffer[16384];
    bool clientOpen = true, upstreamOpen = true;
    while (!stopping_ && (clientOpen || upstreamOpen)) {
        pollfd fds[3] = {{clientOpen ? connection->client : -1, POLLIN, 0},
                         {upstreamOpen ? connection->upstream : -1, POLLIN, 0},
                         {stopPipe_[0], POLLIN, 0}};
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[2].revents) break;
        if (fds[0].revents) {
            ssize_t count = recv(connection->client, buffer, sizeof buffer, 0);
            if (count <= 0) {
                clientOpen = false;
                shutdown(connection->upstream, SHUT_WR);
            } else {
                {
                    std::lock_guard lock(mutex_);
                    if (connection->sent.size() < kKeptBytes)
                        connection->sent.append(buffer, std::min<size_t>(count, kKeptBytes - connection->sent.size()));
                }
                if (send(connection->upstream, buffer, count, MSG_NOSIGNAL) != count) break;
            }
        }
        if (fds[1].revents) {
            ssize_t count = recv(connection->upstream, buffer, sizeof buffer, 0);
            if (count <= 0) {
                upstreamOpen = false;
                shutdown(connection->client, SHUT_WR);
            } else if (send(connection->client, buffer, count, MSG_NOSIGNAL) != count) {
                break;
            }
        }
    }
    close(connection->client);
    close(connection->upstream);
}

std::vector<SocksRequest> parseSocksRequests(const std::vector<std::string>& streams) {
    std::vector<SocksRequest> requests;
    for (const auto& stream : streams) {
        auto byte = [&](size_t index) { return static_cast<unsigned char>(stream[index]); };
        // Greeting: version 5, the number of methods, the methods.
        if (stream.size() < 2 || byte(0) != 5) continue;
        size_t position = 2 + byte(1);
        SocksRequest request;
        // Username/password sub-negotiation (version 1) when the server chose it.
        if (position < stream.size() && byte(position) == 1) {
            if (position + 2 > stream.size()) continue;
            size_t userLength = byte(position + 1);
            if (position + 2 + userLength + 1 > stream.size()) continue;
            request.username = stream.substr(position + 2, userLength);
            size_t passwordLength = byte(position + 2 + userLength);
            request.password = stream.substr(position + 3 + userLength, passwordLength);
            position += 3 + userLength + passwordLength;
        }
        // Request: version 5, command, reserved, address type, address, port.
        if (position + 4 > stream.size() || byte(position) != 5) continue;
        int type = byte(position + 3);
        position += 4;
        if (type == 1 && position + 6 <= stream.size()) {
            request.host = std::to_string(byte(position)) + "." + std::to_string(byte(position + 1)) + "." +
                           std::to_string(byte(position + 2)) + "." + std::to_string(byte(position + 3));
            position += 4;
        } else if (type == 3 && position < stream.size()) {
            size_t length = byte(position);
            if (position + 1 + length + 2 > stream.size()) continue;
            request.host = stream.substr(position + 1, length);
            position += 1 + length;
        } else if (type == 4 && position + 18 <= stream.size()) {
            char text[INET6_ADDRSTRLEN] = {};
            inet_ntop(AF_INET6, stream.data() + position, text, sizeof text);
            request.host = text;
            position += 16;
        } else {
            continue;
        }
        request.port = byte(position) << 8 | byte(position + 1);
        requests.push_back(request);
    }
    return requests;
}

}  // namespace quenlith::test

#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quenlith::test {

// A TCP forwarder on 127.0.0.1 in front of another local port. It keeps the first bytes each
// client sent, so a test can see what went to a proxy that keeps no log of its own. It runs on
// threads of its own: it keeps forwarding while the test blocks.
class TcpRelay {
public:
    explicit TcpRelay(int targetPort);
    ~TcpRelay();
    TcpRelay(const TcpRelay&) = delete;
    TcpRelay& operator=(const TcpRelay&) = delete;

    int port() const { return port_; }
    int connectionCount() const;
    // The first bytes (up to 64 KiB) each connection sent towards the target, oldest first.
    std::vector<std::string> clientStreams() const;

private:
    struct Connection;
    void acceptLoop();
    void pump(std::shared_ptr<Connection> connection);

    int targetPort_;
    int port_ = 0;
    int listenFd_ = -1;
    int stopPipe_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Connection>> connections_;
    std::vector<std::thread> threads_;
    std::thread acceptThread_;
};

// One SOCKS5 request read from a client's byte stream.
struct SocksRequest {
    std::string username;  // empty when the client did not authenticate
    std::string password;
    std::string host;      // a domain name or an IP address
    int port = 0;
};

// The SOCKS5 requests in the streams of a TcpRelay (streams that are not SOCKS5 are skipped).
std::vector<SocksRequest> parseSocksRequests(const std::vector<std::string>& streams);

}  // namespace quenlith::test

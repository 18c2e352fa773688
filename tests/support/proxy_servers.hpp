#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/background_process.hpp"
#include "support/tcp_relay.hpp"

namespace quenlith::test {

// tinyproxy on 127.0.0.1 and a free port, in the foreground as the current user, with a
// temporary configuration and log. With a user name it demands Basic authentication (tinyproxy
// accepts only letters, digits, "-", ".", "_" in its configured credentials). With `connectPort`
// it refuses a CONNECT to any other port (403), as proxies that tunnel only to 443 do.
class TinyproxyServer {
public:
    explicit TinyproxyServer(const std::string& username = "", const std::string& password = "",
                             int connectPort = 0);
    ~TinyproxyServer();

    int port() const { return port_; }
    std::string log() const;
    // The request lines the proxy received: "GET http://127.0.0.1:8080/ HTTP/1.1",
    // "CONNECT 127.0.0.1:8443 HTTP/1.1".
    std::vector<std::string> requestLines() const;
    // Whether any received request line names that text (an address or "host:port").
    bool sawRequestFor(const std::string& text) const;

private:
    TemporaryFolder folder_{"quenlith-tinyproxy"};
    int port_ = 0;
    std::unique_ptr<BackgroundProcess> process_;
};

// microsocks (SOCKS5) on 127.0.0.1 behind a recording relay: port() is the relay's, so every
// request the proxy receives can be read back with requests().
class SocksProxyServer {
public:
    explicit SocksProxyServer(const std::string& username = "", const std::string& password = "");
    ~SocksProxyServer();

    int port() const { return relay_->port(); }
    std::vector<SocksRequest> requests() const;
    int connectionCount() const { return relay_->connectionCount(); }

private:
    TemporaryFolder folder_{"quenlith-socks"};
    std::unique_ptr<BackgroundProcess> process_;
    std::unique_ptr<TcpRelay> relay_;
};

// A self-signed certificate for 127.0.0.1 made by openssl at test time.
class TestCertificate {
public:
    TestCertificate();
    const std::string& certificatePath() const { return certificate_; }
    const std::string& keyPath() const { return key_; }
    // The system's trusted certificates followed by this one (to trust it in a child process).
    std::string trustBundlePath() const;

private:
    TemporaryFolder folder_{"quenlith-certificate"};
    std::string certificate_;
    std::string key_;
};

// The file of certificates that the TLS library of this system trusts.
std::string systemTrustFile();

// stunnel on 127.0.0.1: TLS in front of a local plain-TCP port (an HTTPS proxy in front of
// tinyproxy).
class TlsFront {
public:
    TlsFront(int targetPort, const std::string& certificatePath, const std::string& keyPath);
    ~TlsFront();

    int port() const { return port_; }
    std::string log() const;
    // Connections that completed the TLS handshake and reached the target.
    int forwardedConnections() const;
    // Connections accepted at all (TLS or not).
    int acceptedConnections() const;

private:
    TemporaryFolder folder_{"quenlith-stunnel"};
    int port_ = 0;
    std::unique_ptr<BackgroundProcess> process_;
};

}  // namespace quenlith::test

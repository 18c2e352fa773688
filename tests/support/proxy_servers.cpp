#include "support/proxy_servers.hpp"

#include <sstream>
#include <stdexcept>

#include "support/temp_environment.hpp"

namespace quenlith::test {

namespace {
int countOccurrences(const std::string& text, const std::string& needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++count;
    return count;
}

void requireReady(int port, BackgroundProcess& process, const std::string& name) {
    if (!waitForTcpPort(port, &process))
        throw std::runtime_error(name + " did not start listening: " + process.output());
}
}  // namespace

TinyproxyServer::TinyproxyServer(const std::string& username, const std::string& password, int connectPort) {
    port_ = freeTcpPort();
    std::ostringstream config;
    config << "Port " << port_ << "\n"
           << "Listen 127.0.0.1\n"
           << "Allow 127.0.0.1\n"
           << "Timeout 30\n"
           << "MaxClients 64\n"
           << "LogFile \"" << folder_.file("tinyproxy.log") << "\"\n"
           << "LogLevel Info\n"
           << "DisableViaHeader Yes\n";
    if (!username.empty()) config << "BasicAuth " << username << " " << password << "\n";
    if (connectPort > 0) config << "ConnectPort " << connectPort << "\n";
    writeFile(folder_.file("tinyproxy.conf"), config.str());
    process_ = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{"tinyproxy", "-d", "-c", folder_.file("tinyproxy.conf")}, folder_.file("output.txt"));
    requireReady(port_, *process_, "tinyproxy");
}

TinyproxyServer::~TinyproxyServer() = default;

std::string TinyproxyServer::log() const { return readFile(folder_.file("tinyproxy.log")) + process_->output(); }

std::vector<std::string> TinyproxyServer::requestLines() const {
    std::vector<std::string> lines;
    std::istringstream in(readFile(folder_.file("tinyproxy.log")));
    const std::string marker = "]: Request (file descriptor ";
    for (std::string line; std::getline(in, line);) {
        size_t at = line.find(marker);
        if (at == std::string::npos) continue;
        size_t colon = line.find("): ", at);
        if (colon != std::string::npos) lines.push_back(line.substr(colon + 3));
    }
    return lines;
}

bool TinyproxyServer::sawRequestFor(const std::string& text) const {
    for (const auto& line : requestLines())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

SocksProxyServer::SocksProxyServer(const std::string& username, const std::string& password) {
    int socksPort = freeTcpPort();
    std::vector<std::string> argv = {"microsocks", "-i", "127.0.0.1", "-p", std::to_string(socksPort)};
    if (!username.empty()) argv.insert(argv.end(), {"-u", username, "-P", password});
    process_ = std::make_unique<BackgroundProcess>(argv, folder_.file("output.txt"));
    requireReady(socksPort, *process_, "microsocks");
    relay_ = std::make_unique<TcpRelay>(socksPort);
}

SocksProxyServer::~SocksProxyServer() {
    relay_.reset();
    process_.reset();
}

std::vector<SocksRequest> SocksProxyServer::requests() const { return parseSocksRequests(relay_->clientStreams()); }

std::string systemTrustFile() { return "/etc/ssl/certs/ca-certificates.crt"; }

TestCertificate::TestCertificate() {
    certificate_ = folder_.file("certificate.pem");
    key_ = folder_.file("key.pem");
    BackgroundProcess openssl({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key_, "-out",
                               certificate_, "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                               "subjectAltName=IP:127.0.0.1"},
                              folder_.file("openssl.txt"));
    openssl.waitForExit();
    if (readFile(certificate_).find("BEGIN CERTIFICATE") == std::string::npos)
        throw std::runtime_error("openssl made no certificate: " + openssl.output());
    writeFile(folder_.file("bundle.pem"), readFile(systemTrustFile()) + "\n" + readFile(certificate_));
}

std::string TestCertificate::trustBundlePath() const { return folder_.file("bundle.pem"); }

TlsFront::TlsFront(int targetPort, const std::string& certificatePath, const std::string& keyPath) {
    port_ = freeTcpPort();
    std::ostringstream config;
    config << "foreground = yes\n"
           << "pid =\n"
           << "[proxy]\n"
           << "accept = 127.0.0.1:" << port_ << "\n"
           << "connect = 127.0.0.1:" << targetPort << "\n"
           << "cert = " << certificatePath << "\n"
           << "key = " << keyPath << "\n";
    writeFile(folder_.file("stunnel.conf"), config.str());
    const std::string program = programAvailable("stunnel4") ? "stunnel4" : "stunnel";
    process_ = std::make_unique<BackgroundProcess>(std::vector<std::string>{program, folder_.file("stunnel.conf")},
                                                   folder_.file("stunnel.log"));
    requireReady(port_, *process_, "stunnel");
}

TlsFront::~TlsFront() = default;

std::string TlsFront::log() const { return process_->output(); }

int TlsFront::forwardedConnections() const { return countOccurrences(log(), "connected remote server"); }

int TlsFront::acceptedConnections() const { return countOccurrences(log(), "accepted connection from"); }

}  // namespace quenlith::test

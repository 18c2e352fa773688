#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quenlith::test {

// One response of the local test server.
struct TestResponse {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    std::string body;
    std::map<std::string, std::string> headers;
};

// One request the server received.
struct TestRequest {
    std::string method;
    std::string path;  // with the query, as requested
    std::string host;  // the Host header
    std::map<std::string, std::string> headers;
};

// A libsoup HTTP server on 127.0.0.1 and a free port, served from the default main context. Paths
// without a handler answer 404. A test that needs a second host names the server by a name under
// "localhost", which the resolver maps to the loopback addresses.
class TestHttpServer {
public:
    using Handler = std::function<TestResponse(const TestRequest&)>;

    // Port 0 takes a free port; a given port lets a test bring a server back where one was.
    explicit TestHttpServer(int port = 0);
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    void route(const std::string& path, Handler handler);
    void page(const std::string& path, const std::string& html);

    int port() const;
    // "http://HOST:PORT/path"
    std::string url(const std::string& path = "/", const std::string& host = "127.0.0.1") const;
    const std::vector<TestRequest>& requests() const;
    int requestCount(const std::string& path) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace quenlith::test

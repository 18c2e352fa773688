#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

typedef struct _SoupServer SoupServer;
typedef struct _SoupServerMessage SoupServerMessage;

namespace quenlith::test {

// A libsoup server on 127.0.0.1 whose responses are held open: each request of a streamed path gets
// its headers and a first chunk, then waits until the test sends more, ends or breaks it. Used for
// downloads that must still be running while a test acts on them.
class StreamingServer {
public:
    StreamingServer();
    ~StreamingServer();
    StreamingServer(const StreamingServer&) = delete;
    StreamingServer& operator=(const StreamingServer&) = delete;

    // Requests of `path` are answered with `contentType` and `headers`, starting with `firstChunk`;
    // chunked, or with a Content-Length of `announcedLength` when it is positive. Other paths
    // answer 404.
    void stream(const std::string& path, const std::string& contentType, const std::string& firstChunk,
                std::map<std::string, std::string> headers = {}, long announcedLength = 0);

    std::string url(const std::string& path) const;
    // Responses started and neither ended nor broken.
    int openCount() const;
    // Sends `lastChunk` and ends every open response.
    void finishAll(const std::string& lastChunk);
    // Closes the connection of every open response in the middle of its body.
    void breakAll();

private:
    struct Route {
        std::string contentType;
        std::string firstChunk;
        std::map<std::string, std::string> headers;
        long announcedLength = 0;
    };
    static void handle(SoupServer*, SoupServerMessage* message, const char* path, void*, void* self);
    static void onFinished(SoupServerMessage* message, void* self);

    SoupServer* server_ = nullptr;
    int port_ = 0;
    std::map<std::string, Route> routes_;
    std::vector<SoupServerMessage*> open_;
};

}  // namespace quenlith::test

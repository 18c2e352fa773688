#include "browser/streaming_server.hpp"

#include <algorithm>
#include <stdexcept>

#include <gio/gio.h>
#include <libsoup/soup.h>

namespace quenlith::test {

StreamingServer::StreamingServer() {
    server_ = soup_server_new("server-header", "QuenlithTest", nullptr);
    soup_server_add_handler(server_, nullptr, reinterpret_cast<SoupServerCallback>(&StreamingServer::handle), this,
                            nullptr);
    GInetAddress* inet = g_inet_address_new_from_string("127.0.0.1");
    GSocketAddress* address = g_inet_socket_address_new(inet, 0);
    GError* error = nullptr;
    bool listening = soup_server_listen(server_, address, static_cast<SoupServerListenOptions>(0), &error);
    g_object_unref(address);
    g_object_unref(inet);
    if (!listening) {
        std::string message = error ? error->message : "unknown";
        g_clear_error(&error);
        throw std::runtime_error("streaming server cannot listen: " + message);
    }
    GSList* uris = soup_server_get_uris(server_);
    port_ = g_uri_get_port(static_cast<GUri*>(uris->data));
    g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
}

StreamingServer::~StreamingServer() {
    for (SoupServerMessage* message : open_) {
        g_signal_handlers_disconnect_by_data(message, this);
        g_object_unref(message);
    }
    soup_server_disconnect(server_);
    g_object_unref(server_);
}

void StreamingServer::stream(const std::string& path, const std::string& contentType, const std::string& firstChunk,
                             std::map<std::string, std::string> headers, long announcedLength) {
    routes_[path] = Route{contentType, firstChunk, std::move(headers), announcedLength};
}

std::string StreamingServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

int StreamingServer::openCount() const { return static_cast<int>(open_.size()); }

void StreamingServer::handle(SoupServer*, SoupServerMessage* message, const char* path, void*, void* data) {
    auto* self = static_cast<StreamingServer*>(data);
    auto route = self->routes_.find(path);
    if (route == self->routes_.end()) {
        soup_server_message_set_status(message, 404, nullptr);
        return;
    }
    SoupMessageHeaders* headers = soup_server_message_get_response_headers(message);
    if (route->second.announcedLength > 0)
        soup_message_headers_set_content_length(headers, route->second.announcedLength);
    else
        soup_message_headers_set_encoding(headers, SOUP_ENCODING_CHUNKED);
    soup_message_headers_set_content_type(headers, route->second.contentType.c_str(), nullptr);
    for (const auto& [name, value] : route->second.headers) soup_message_headers_replace(headers, name.c_str(), value.c_str());
    soup_server_message_set_status(message, 200, nullptr);
    SoupMessageBody* body = soup_server_message_get_response_body(message);
    soup_message_body_append(body, SOUP_MEMORY_COPY, route->second.firstChunk.data(), route->second.firstChunk.size());
    self->open_.push_back(message);
    g_object_ref(message);
    g_signal_connect(message, "finished", G_CALLBACK(&StreamingServer::onFinished), self);
}

void StreamingServer::onFinished(SoupServerMessage* message, void* data) {
    auto* self = static_cast<StreamingServer*>(data);
    auto found = std::find(self->open_.begin(), self->open_.end(), message);
    if (found == self->open_.end()) return;
    self->open_.erase(found);
    g_signal_handlers_disconnect_by_data(message, self);
    g_object_unref(message);
}

void StreamingServer::finishAll(const std::string& lastChunk) {
    for (SoupServerMessage* message : std::vector<SoupServerMessage*>(open_)) {
        SoupMessageBody* body = soup_server_message_get_response_body(message);
        soup_message_body_append(body, SOUP_MEMORY_COPY, lastChunk.data(), lastChunk.size());
        soup_message_body_complete(body);
        soup_server_message_unpause(message);
    }
}

void StreamingServer::breakAll() {
    for (SoupServerMessage* message : std::vector<SoupServerMessage*>(open_)) {
        GIOStream* stream = soup_server_message_steal_connection(message);
        if (stream) {
            g_io_stream_close(stream, nullptr, nullptr);
            g_object_unref(stream);
        }
        onFinished(message, this);
    }
}

}  // namespace quenlith::test

#include "support/test_http_server.hpp"

#include <stdexcept>

#include <gio/gio.h>
#include <libsoup/soup.h>

namespace quenlith::test {

struct TestHttpServer::Impl {
    SoupServer* server = nullptr;
    int port = 0;
    std::map<std::string, Handler> handlers;
    std::vector<TestRequest> requests;

    static void handle(SoupServer*, SoupServerMessage* message, const char* path, GHashTable*, gpointer data) {
        auto* self = static_cast<Impl*>(data);
        TestRequest request;
        request.method = soup_server_message_get_method(message);
        GUri* uri = soup_server_message_get_uri(message);
        request.path = path;
        if (const char* query = g_uri_get_query(uri)) request.path += std::string("?") + query;
        SoupMessageHeaders* headers = soup_server_message_get_request_headers(message);
        SoupMessageHeadersIter iter;
        soup_message_headers_iter_init(&iter, headers);
        const char* name;
        const char* value;
        while (soup_message_headers_iter_next(&iter, &name, &value)) request.headers[name] = value;
        if (const char* host = soup_message_headers_get_one(headers, "Host")) request.host = host;
        self->requests.push_back(request);

        auto it = self->handlers.find(path);
        TestResponse response;
        if (it == self->handlers.end()) {
            response.status = 404;
            response.body = "not found";
            response.contentType = "text/plain";
        } else {
            response = it->second(request);
        }
        SoupMessageHeaders* out = soup_server_message_get_response_headers(message);
        for (const auto& [key, val] : response.headers) soup_message_headers_replace(out, key.c_str(), val.c_str());
        soup_server_message_set_status(message, response.status, nullptr);
        soup_server_message_set_response(message, response.contentType.c_str(), SOUP_MEMORY_COPY,
                                         response.body.data(), response.body.size());
    }
};

TestHttpServer::TestHttpServer(int port) : impl_(std::make_unique<Impl>()) {
    impl_->server = soup_server_new("server-header", "QuenlithTest", nullptr);
    soup_server_add_handler(impl_->server, nullptr, &Impl::handle, impl_.get(), nullptr);
    GInetAddress* inet = g_inet_address_new_from_string("127.0.0.1");
    GSocketAddress* socketAddress = g_inet_socket_address_new(inet, static_cast<guint16>(port));
    GError* error = nullptr;
    gboolean listening = soup_server_listen(impl_->server, socketAddress, static_cast<SoupServerListenOptions>(0), &error);
    g_object_unref(socketAddress);
    g_object_unref(inet);
    if (!listening) {
        std::string message = error ? error->message : "unknown";
        g_clear_error(&error);
        throw std::runtime_error("test server cannot listen: " + message);
    }
    GSList* uris = soup_server_get_uris(impl_->server);
    impl_->port = g_uri_get_port(static_cast<GUri*>(uris->data));
    g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
}

TestHttpServer::~TestHttpServer() {
    soup_server_disconnect(impl_->server);
    g_object_unref(impl_->server);
}

void TestHttpServer::route(const std::string& path, Handler handler) { impl_->handlers[path] = std::move(handler); }

void TestHttpServer::page(const std::string& path, const std::string& html) {
    route(path, [html](const TestRequest&) {
        TestResponse response;
        response.body = html;
        return response;
    });
}

int TestHttpServer::port() const { return impl_->port; }

std::string TestHttpServer::url(const std::string& path, const std::string& host) const {
    return "http://" + host + ":" + std::to_string(impl_->port) + path;
}

const std::vector<TestRequest>& TestHttpServer::requests() const { return impl_->requests; }

int TestHttpServer::requestCount(const std::string& path) const {
    int count = 0;
    for (const auto& request : impl_->requests)
        if (request.path == path) ++count;
    return count;
}

}  // namespace quenlith::test

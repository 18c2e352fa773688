// Serves one small page under each path given on the command line, on 127.0.0.1 and a free port
// ("PATH+field": a page whose text field has the focus and whose title becomes "typed TEXT" as it is
// typed into; "PATH+print": a page that asks to print every 200 ms; "PATH+download": a file offered
// for download, named after the path's last part), and reports on stdout, one line each:
//   port N            once listening
//   request PATH      when a page is requested (with its query as requested)
// Ends on SIGTERM or SIGINT.
#include <iostream>
#include <string>
#include <string_view>
#include <utility>

#include <glib-unix.h>
#include <glib.h>

#include "support/test_http_server.hpp"

namespace {

void say(const std::string& line) {
    std::cout << line << std::endl;  // flushed: the checking script reads as we go
}

enum class Extra { none, field, print, download };

std::string pageFor(const std::string& path, Extra extra) {
    const std::string input =
        extra == Extra::field   ? "<input autofocus oninput=\"document.title = 'typed ' + this.value\">"
        : extra == Extra::print ? "<script>setInterval(() => print(), 200)</script>"
                                : std::string();
    return "<!doctype html><html><head><meta charset=\"utf-8\"><title>Page " + path +
           "</title></head><body>" + path + input + "</body></html>";
}

gboolean quit(gpointer loop) {
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_REMOVE;
}

}  // namespace

int main(int argc, char** argv) {
    quenlith::test::TestHttpServer server;
    for (int i = 1; i < argc; ++i) {
        std::string path = argv[i];
        Extra extra = Extra::none;
        for (const auto& [suffix, kind] : {std::pair<std::string_view, Extra>{"+field", Extra::field},
                                           std::pair<std::string_view, Extra>{"+print", Extra::print},
                                           std::pair<std::string_view, Extra>{"+download", Extra::download}})
            if (path.ends_with(suffix)) {
                extra = kind;
                path.resize(path.size() - suffix.size());
            }
        server.route(path, [path, extra](const quenlith::test::TestRequest& request) {
            say("request " + request.path);
            quenlith::test::TestResponse response;
            if (extra == Extra::download) {
                response.contentType = "application/octet-stream";
                response.headers["Content-Disposition"] =
                    "attachment; filename=\"" + path.substr(path.find_last_of('/') + 1) + "\"";
                response.body = "downloaded " + path + "\n";
                return response;
            }
            response.body = pageFor(path, extra);
            return response;
        });
    }
    say("port " + std::to_string(server.port()));

    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_unix_signal_add(SIGTERM, quit, loop);
    g_unix_signal_add(SIGINT, quit, loop);
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
    return 0;
}

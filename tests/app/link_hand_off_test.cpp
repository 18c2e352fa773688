// Links handed to the application are routed by kind: a website link closes the launcher and
// opens its page, a page-group link reaches the library's group, anything else opens nothing.
// Links of the first start and the 20-link limit are checked end to end by tests/wm.
#include <gtest/gtest.h>

#include <glib.h>

#include "app/app_delegate.hpp"
#include "app/app_environment.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"
#include "windows/browser_window_manager.hpp"

namespace quenlith {
namespace {

using test::spinFor;
using test::spinUntil;

TEST(LinkHandOff, RoutesEachLinkByItsKind) {
    test::TemporaryEnvironment folders;
    test::TestHttpServer server;
    server.page("/a", "<!doctype html><title>A</title>");
    const auto link = [&](const std::string& path) {
        gchar* escaped = g_uri_escape_string(server.url(path).c_str(), nullptr, FALSE);
        std::string result = std::string("quenlith://open?url=") + escaped;
        g_free(escaped);
        return result;
    };

    AppDelegate delegate;
    delegate.finishLaunching();
    int dismissed = 0;
    std::vector<Uuid> scenes;
    delegate.environment->dismissLauncher = [&] { ++dismissed; };
    delegate.environment->openScene = [&](const BrowserScene& scene) { scenes.push_back(scene.id); };
    BrowserScene group;
    group.id = Uuid::random();
    group.name = "Group";
    group.windows.push_back(SceneWindow{Uuid::random(), "A", {server.url("/a")}, 0, {0, 0, 400, 300}});
    ASSERT_TRUE(delegate.environment->library.update([&](LibraryDocument& d) { d.scenes.push_back(group); }));

    delegate.open({link("/a"), "quenlith://workspace?id=" + Uuid::random().string(),
                   "quenlith://workspace?id=" + group.id.string(), "quenlith://open?url=ftp%3A%2F%2F127.0.0.1%2Fa"});
    EXPECT_EQ(dismissed, 1) << "only the website link closes the launcher";
    EXPECT_EQ(scenes, std::vector<Uuid>{group.id});
    EXPECT_TRUE(spinUntil([&] { return server.requestCount("/a") == 1; }));
    spinFor(std::chrono::milliseconds(200));
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(delegate.environment->windows().windows().size(), 1u);
    delegate.terminate();
}

}  // namespace
}  // namespace quenlith

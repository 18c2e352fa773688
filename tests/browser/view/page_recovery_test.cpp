// Recovering a tab: from a refused connection and from a web process killed from outside.

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <unistd.h>

#include "browser/browser_view_fixture.hpp"

namespace quenlith::test {
namespace {

// The web-content processes started for this test process (directly or through a sandbox
// launcher), found by walking the process table up from every web process.
std::set<pid_t> webProcessesOfThisProcess() {
    std::map<pid_t, std::pair<pid_t, std::string>> table;  // pid: parent, command
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        const auto open = line.npos;
        if (!std::getline(stat, line) || line.find('(') == open || line.rfind(')') == open) continue;
        // "pid (comm) state ppid ...": the command may contain spaces, so read after the last ')'.
        std::istringstream rest(line.substr(line.rfind(')') + 2));
        char state;
        pid_t parent = 0;
        rest >> state >> parent;
        table[std::stoi(line)] = {parent, line.substr(line.find('(') + 1, line.rfind(')') - line.find('(') - 1)};
    }
    std::set<pid_t> found;
    for (const auto& [pid, process] : table) {
        if (process.second.rfind("WebKitWebProces", 0) != 0) continue;
        for (pid_t up = process.first; up > 1; up = table.count(up) ? table[up].first : 0)
            if (up == getpid()) found.insert(pid);
    }
    return found;
}

using PageRecovery = BrowserViewFixture;

TEST_F(PageRecovery, TryAgainLoadsOnceTheServerIsBackAndRebuildsAKilledTabWithItsCookies) {
    int port = 0;
    {
        TestHttpServer gone;
        port = gone.port();
    }
    auto profile = website("/home");
    profile.homeURL = "http://127.0.0.1:" + std::to_string(port) + "/home";
    open(profile);
    ASSERT_TRUE(spinUntil([&] { return active().error.has_value() && controller->errorBoxView().get_visible(); }));
    TestHttpServer back("127.0.0.1", port);
    back.page("/home", htmlPage("Home", "<script>document.cookie = 'kept=yes; max-age=600';</script>"));
    back.page("/check", "<title>check</title><script>document.title = 'cookie ' + document.cookie;</script>");
    controller->retryLoading();
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_EQ(back.requestCount("/home"), 1);
    EXPECT_TRUE(spinUntil([&] { return !controller->errorBoxView().get_visible(); }));

    const Uuid id = active().id;
    active().pendingReadingPosition = PendingReadingPosition{back.url("/elsewhere"), 0.25};
    WebKitWebView* before = active().webView();
    for (pid_t pid : webProcessesOfThisProcess()) ::kill(pid, SIGKILL);
    const std::string crashed = "The page stopped responding. Try again to reconnect.";
    ASSERT_TRUE(spinUntil([&] { return controller->errorLabel().get_text() == crashed; }));
    controller->retryLoading();
    EXPECT_NE(active().webView(), before);
    EXPECT_EQ(active().id, id);
    EXPECT_EQ(controller->tabs().size(), 1u);
    EXPECT_EQ(active().pendingReadingPosition, (PendingReadingPosition{back.url("/elsewhere"), 0.25}));
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_FALSE(active().pendingReadingPosition.has_value()) << "used up on another page without scrolling";
    controller->load(back.url("/check"));
    EXPECT_TRUE(waitForTitle("cookie kept=yes"));
}

}  // namespace
}  // namespace quenlith::test

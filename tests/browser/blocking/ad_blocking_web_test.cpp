// Content blocking in a real web view: pages on 127.0.0.1 load resources from a listed host on
// 127.0.0.2.

#include <gtest/gtest.h>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "browser/blocking/ad_blocking.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// Pages report through their title, tagged with their query so that a title left from the
// previous page is never taken for the answer.
constexpr const char* kResultScript = R"(<script>function report(text) { document.title = text + '|' + location.search; }</script>)";

class AdBlockingWebTest : public ::testing::Test {
protected:
    test::TemporaryEnvironment environment;
    test::TestHttpServer site{"127.0.0.1"};
    test::TestHttpServer adHost{"127.0.0.2"};
    AdBlocking blocker{std::make_unique<WebKitContentRuleCompiler>(AdBlocking::storeDirectory()),
                       std::vector<std::string>{"127.0.0.2"}};
    GObjectPtr<WebKitUserContentManager> manager =
        GObjectPtr<WebKitUserContentManager>::adopt(webkit_user_content_manager_new());
    GtkWidget* window = nullptr;
    WebKitWebView* view = nullptr;

    void SetUp() override {
        adHost.route("/ad.js", [](const test::TestRequest&) {
            return test::TestResponse{200, "application/javascript", "window.adRan = true;", {{"Cache-Control", "no-store"}}};
        });
        adHost.route("/own.js", [](const test::TestRequest&) {
            return test::TestResponse{200, "application/javascript", "window.ownRan = true;", {{"Cache-Control", "no-store"}}};
        });
        site.page("/page.html", std::string("<html><head>") + kResultScript + "<script src=\"" + adHost.url("/ad.js") +
                                    "\" onload=\"report('loaded')\" onerror=\"report('blocked')\"></script></head>"
                                    "<body>text</body></html>");
        adHost.page("/own.html", std::string("<html><head>") + kResultScript +
                                     "<script src=\"/own.js\" onload=\"report('loaded')\" onerror=\"report('blocked')\">"
                                     "</script></head><body>own page</body></html>");
        const char* placeholders =
            R"(<html><head><script>
            addEventListener('load', () => {
              const style = id => getComputedStyle(document.getElementById(id)).display;
              document.title = style('banner') + ',' + style('google') + ',' + style('article') + '|' + location.search;
            });</script></head><body>
            <div id="banner" class="ad-banner">ad</div>
            <ins id="google" class="adsbygoogle" style="display:block">ad</ins>
            <div id="article" class="story">text</div></body></html>)";
        site.page("/placeholders.html", placeholders);

        static WebKitWebContext* context = webkit_web_context_new_ephemeral();
        view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "user-content-manager",
                                            manager.get(), nullptr));
        window = gtk_offscreen_window_new();
        gtk_window_set_default_size(GTK_WINDOW(window), 400, 300);
        gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
        gtk_widget_show_all(window);
    }

    void TearDown() override { gtk_widget_destroy(window); }

    void applySettings(const AdFilterSettings& settings) {
        bool done = false;
        std::optional<Error> error;
        blocker.apply(settings, manager.get(), [&](Status status) {
            done = true;
            if (!status.ok()) error = status.error();
        });
        ASSERT_TRUE(spinUntil([&] { return done; }, std::chrono::seconds(30)));
        ASSERT_FALSE(error) << error->message;
    }

    // Loads `url` with a query of its own and waits for the page's report.
    std::string load(const std::string& url) {
        const std::string query = "?load=" + std::to_string(++loads);
        const std::string suffix = "|" + query;
        webkit_web_view_load_uri(view, (url + query).c_str());
        auto answer = [&]() -> std::string {
            const char* title = webkit_web_view_get_title(view);
            std::string text = title ? title : "";
            if (text.size() < suffix.size() || text.compare(text.size() - suffix.size(), suffix.size(), suffix) != 0) return "";
            return text.substr(0, text.size() - suffix.size());
        };
        spinUntil([&] { return !answer().empty(); });
        return answer();
    }
    int loads = 0;

    static AdFilterSettings enabled() {
        AdFilterSettings settings;
        settings.enabled = true;
        return settings;
    }
};

TEST_F(AdBlockingWebTest, AListedHostIsBlockedOnOtherSitesButServesItsOwnPages) {
    applySettings(enabled());
    EXPECT_EQ(load(site.url("/page.html")), "blocked");
    EXPECT_EQ(adHost.requestCount("/ad.js"), 0);

    EXPECT_EQ(load(adHost.url("/own.html")), "loaded");
    EXPECT_EQ(adHost.requestCount("/own.js"), 1);
}

TEST_F(AdBlockingWebTest, NothingIsBlockedWhenOffOrOnAnAllowedSite) {
    AdFilterSettings allowed = enabled();
    allowed.allowedSites = {"127.0.0.1"};
    applySettings(allowed);
    EXPECT_EQ(load(site.url("/page.html")), "loaded");
    EXPECT_EQ(adHost.requestCount("/ad.js"), 1);

    // Turning blocking on for the site again, then off altogether.
    applySettings(enabled());
    EXPECT_EQ(load(site.url("/page.html")), "blocked");
    applySettings(AdFilterSettings{});
    EXPECT_EQ(load(site.url("/page.html")), "loaded");
    EXPECT_EQ(adHost.requestCount("/ad.js"), 2);
}

TEST_F(AdBlockingWebTest, PlaceholdersAreHiddenOnlyWhenAsked) {
    applySettings(enabled());
    EXPECT_EQ(load(site.url("/placeholders.html")), "none,none,block");

    AdFilterSettings shown = enabled();
    shown.hidePlaceholders = false;
    applySettings(shown);
    EXPECT_EQ(load(site.url("/placeholders.html")), "block,block,block");

    AdFilterSettings allowed = enabled();
    allowed.allowedSites = {"127.0.0.1"};
    applySettings(allowed);
    EXPECT_EQ(load(site.url("/placeholders.html")), "block,block,block");
}

}  // namespace
}  // namespace quenlith

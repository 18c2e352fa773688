#include "browser/engine/page_icons.hpp"

#include <gtest/gtest.h>

#include "support/main_loop.hpp"
#include "support/test_http_server.hpp"
#include "support/test_images.hpp"

namespace quenlith {
namespace {

GObjectPtr<SoupSession> directSession() {
    return GObjectPtr<SoupSession>::adopt(soup_session_new());
}

TEST(PageIconsTest, WithoutASessionNothingIsFetched) {
    test::TestHttpServer server;
    PageIcons icons;
    int answers = 0;
    icons.request(server.url("/icon.png"), {}, [&](Glib::RefPtr<Gdk::Pixbuf> image) {
        EXPECT_FALSE(image);
        ++answers;
    });
    EXPECT_EQ(answers, 1) << "answered at once";
    EXPECT_EQ(icons.pendingCount(), 0u);
    EXPECT_EQ(server.requestCount("/icon.png"), 0) << "no request around the website's proxy";
}

TEST(PageIconsTest, EachAddressIsFetchedOnceForItsWaitersAndTheKeptCountIsBounded) {
    test::TestHttpServer server;
    const std::string icon = test::blackPng(16, 16);
    server.route("/icon.png", [&](const test::TestRequest&) { return test::TestResponse{200, "image/png", icon}; });
    PageIcons icons;
    std::vector<int> widths;
    for (int i = 0; i < 2; ++i)
        icons.request(server.url("/icon.png"), directSession(),
                      [&](Glib::RefPtr<Gdk::Pixbuf> image) { widths.push_back(image ? image->get_width() : 0); });
    ASSERT_TRUE(test::spinUntil([&] { return widths.size() == 2; }));
    EXPECT_EQ(widths, (std::vector<int>{16, 16}));
    EXPECT_EQ(server.requestCount("/icon.png"), 1);

    // Addresses that answer without a picture are kept as having none, the oldest dropped first.
    // A few at a time: the test server takes a few connections at once.
    for (std::size_t i = 0; i < PageIcons::kCapacity; ++i) {
        icons.request(server.url("/none/" + std::to_string(i)), directSession(), [](Glib::RefPtr<Gdk::Pixbuf>) {});
        if (i % 8 == 7) {
            ASSERT_TRUE(test::spinUntil([&] { return icons.pendingCount() == 0; }));
        }
    }
    EXPECT_EQ(icons.size(), PageIcons::kCapacity);
    icons.request(server.url("/icon.png"), directSession(), [&](Glib::RefPtr<Gdk::Pixbuf>) {});
    EXPECT_EQ(icons.pendingCount(), 1u) << "the first address was dropped";
}

TEST(PageIconsTest, ThePagesDeclaredWebsiteIconElseTheOriginsFavicon) {
    const std::string page = "http://127.0.0.1:8080/a/b?c";
    EXPECT_EQ(PageIcons::iconAddress(page, "http://127.0.0.1:8080/i.png"), "http://127.0.0.1:8080/i.png");
    for (const std::optional<std::string>& declared :
         {std::optional<std::string>(), std::optional<std::string>("data:image/png;base64,AAAA"),
          std::optional<std::string>("file:///etc/icon.png"),
          std::optional<std::string>("http://user:pw@127.0.0.1:8080/i.png")})
        EXPECT_EQ(PageIcons::iconAddress(page, declared), "http://127.0.0.1:8080/favicon.ico")
            << declared.value_or("(none)");
    EXPECT_EQ(PageIcons::iconAddress("about:blank", std::nullopt), std::nullopt);
}

}  // namespace
}  // namespace quenlith

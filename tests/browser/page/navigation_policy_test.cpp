#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "browser/page/navigation_policy.hpp"

namespace quenlith {
namespace {

TEST(NavigationPolicyTest, JudgesEveryAddressByItsScheme) {
    using enum NavigationVerdict;
    const std::pair<const char*, NavigationVerdict> cases[] = {
        {"https://example.com/", allow}, {"http://127.0.0.1:8080/a?b#c", allow}, {"HTTPS://Example.com/", allow},
        {"about:blank", allow}, {"blob:https://example.com/0f1e", allow}, {"data:text/html,<p>hi</p>", allow},
        // Never navigated to, and never offered to another application either.
        {"file:///etc/passwd", refuse}, {"FILE:///etc/passwd", refuse}, {"javascript:alert(1)", refuse},
        {"JavaScript:alert(1)", refuse}, {"", refuse},
        // Other applications' links are asked about.
        {"mailto:someone@example.com", askToOpenOutside}, {"MailTo:someone@example.com", askToOpenOutside},
        {"tel:+4912345", askToOpenOutside}, {"zoommtg://zoom.us/join?confno=1", askToOpenOutside},
        {"web+custom:thing", askToOpenOutside}, {"com.example.app-1:open", askToOpenOutside},
        // No scheme at all is not another application's link.
        {"/relative/path", allow}, {"1http:odd", allow}};
    for (const auto& [uri, verdict] : cases) EXPECT_EQ(navigationVerdict(uri), verdict) << uri;

    const std::pair<const char*, const char*> schemes[] = {
        {"MailTo:a@b", "MailTo"}, {"web+custom:x", "web+custom"}, {"no scheme here", ""}, {":empty", ""}, {"a b:c", ""}};
    for (const auto& [uri, scheme] : schemes) EXPECT_EQ(uriScheme(uri), scheme) << uri;
    EXPECT_EQ(outsideLinkQuestion("MailTo:someone@example.com").information,
              "This page wants to open a MailTo link outside Quenlith.");

    const std::pair<const char*, bool> web[] = {
        {"https://example.com", true}, {"http://example.com", true}, {"HTTPS://example.com", true},
        {"mailto:a@example.com", false}, {"ftp://example.com", false}, {"httpx://example.com", false},
        {"example.com", false}, {"", false}};
    for (const auto& [uri, isWeb] : web) EXPECT_EQ(isWebAddress(uri), isWeb) << uri;
}

TEST(NavigationPolicyTest, ComparesWebsiteHostsWithoutRegardToCase) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"https://example.com/inbox", "https://example.com", true},
        // A website saved with capitals still gets its title and icon.
        {"https://example.com/inbox", "https://Example.COM", true}, {"https://example.com/", "HTTPS://EXAMPLE.COM/", true},
        {"http://example.com:8080/", "https://example.com/", true}, {"https://mail.example.com/", "https://example.com/", false},
        {"https://www.example.com/", "https://example.com/", false}, {"https://example.org/", "https://example.com/", false},
        // Two addresses without a host count as the same.
        {"about:blank", "example.com", true}, {"about:blank", "", true}, {"https://example.com/", "example.com", false},
        {"about:blank", "https://example.com", false}};
    for (const auto& [page, home, same] : cases) EXPECT_EQ(isSameWebsiteHost(page, home), same) << page << " vs " << home;

    EXPECT_EQ(uriHost("https://Example.com:8443/a"), "Example.com");
    EXPECT_EQ(uriHost("http://127.0.0.1:9/"), "127.0.0.1");
    for (const char* hostless : {"about:blank", "file:///tmp/x", "not an address"}) EXPECT_EQ(uriHost(hostless), std::nullopt);
}

TEST(NavigationPolicyTest, VisitTitlesAndReadingPositions) {
    EXPECT_EQ(visitTitle(std::string("Inbox"), "https://mail.example.com/"), "Inbox");
    EXPECT_EQ(visitTitle(std::string(""), "https://mail.example.com/"), "mail.example.com");
    EXPECT_EQ(visitTitle(std::nullopt, "https://mail.example.com/"), "mail.example.com");
    EXPECT_EQ(visitTitle(std::nullopt, "about:blank"), "");

    for (double usable : {0.0, 0.5, 1.0}) EXPECT_TRUE(isUsableReadingPosition(usable)) << usable;
    for (double unusable : {1.2, -0.01, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(isUsableReadingPosition(unusable)) << unusable;
    EXPECT_FALSE(isUsableReadingPosition(std::nullopt));

    EXPECT_TRUE(readingPositionApplies("https://Example.com/article", std::string("https://example.com/article")));
    EXPECT_TRUE(readingPositionApplies("HTTPS://example.com", std::string("https://example.com/")));
    EXPECT_FALSE(readingPositionApplies("https://example.com/article", std::string("https://example.com/other")));
    EXPECT_FALSE(readingPositionApplies("https://example.com/a?page=2", std::string("https://example.com/a")));
    EXPECT_FALSE(readingPositionApplies("https://example.com/a", std::nullopt));
}

}  // namespace
}  // namespace quenlith

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "browser/page/navigation_policy.hpp"

namespace quenlith {
namespace {

struct VerdictCase {
    const char* uri;
    NavigationVerdict verdict;
};
void PrintTo(const VerdictCase& c, std::ostream* out) { *out << '"' << c.uri << '"'; }

class NavigationVerdictTest : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(NavigationVerdictTest, JudgesTheAddress) {
    EXPECT_EQ(navigationVerdict(GetParam().uri), GetParam().verdict) << GetParam().uri;
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, NavigationVerdictTest,
    ::testing::Values(VerdictCase{"https://example.com/", NavigationVerdict::allow},
                      VerdictCase{"http://127.0.0.1:8080/a?b#c", NavigationVerdict::allow},
                      VerdictCase{"HTTPS://Example.com/", NavigationVerdict::allow},
                      VerdictCase{"about:blank", NavigationVerdict::allow},
                      VerdictCase{"blob:https://example.com/0f1e", NavigationVerdict::allow},
                      VerdictCase{"data:text/html,<p>hi</p>", NavigationVerdict::allow},
                      // Never navigated to, and never offered to another application either.
                      VerdictCase{"file:///etc/passwd", NavigationVerdict::refuse},
                      VerdictCase{"FILE:///etc/passwd", NavigationVerdict::refuse},
                      VerdictCase{"javascript:alert(1)", NavigationVerdict::refuse},
                      VerdictCase{"JavaScript:alert(1)", NavigationVerdict::refuse},
                      VerdictCase{"", NavigationVerdict::refuse},
                      // Other applications' links are asked about.
                      VerdictCase{"mailto:someone@example.com", NavigationVerdict::askToOpenOutside},
                      VerdictCase{"MailTo:someone@example.com", NavigationVerdict::askToOpenOutside},
                      VerdictCase{"tel:+4912345", NavigationVerdict::askToOpenOutside},
                      VerdictCase{"zoommtg://zoom.us/join?confno=1", NavigationVerdict::askToOpenOutside},
                      VerdictCase{"web+custom:thing", NavigationVerdict::askToOpenOutside},
                      // No scheme at all is not another application's link.
                      VerdictCase{"/relative/path", NavigationVerdict::allow},
                      VerdictCase{"1http:odd", NavigationVerdict::allow}));

TEST(NavigationPolicyTest, SchemeIsTakenAsWritten) {
    EXPECT_EQ(uriScheme("MailTo:a@b"), "MailTo");
    EXPECT_EQ(uriScheme("web+custom:x"), "web+custom");
    EXPECT_EQ(uriScheme("no scheme here"), "");
    EXPECT_EQ(uriScheme(":empty"), "");
    EXPECT_EQ(uriScheme("a b:c"), "");
}

TEST(NavigationPolicyTest, OutsideLinkQuestionNamesTheSchemeAsWritten) {
    OutsideLinkQuestion question = outsideLinkQuestion("MailTo:someone@example.com");
    EXPECT_EQ(question.message, "Open another application?");
    EXPECT_EQ(question.information, "This page wants to open a MailTo link outside Quenlith.");
    EXPECT_EQ(question.openButton, "Open");
    EXPECT_EQ(question.cancelButton, "Cancel");
}

TEST(NavigationPolicyTest, WebAddressesAreHttpAndHttpsOnly) {
    EXPECT_TRUE(isWebAddress("https://example.com"));
    EXPECT_TRUE(isWebAddress("http://example.com"));
    EXPECT_TRUE(isWebAddress("HTTPS://example.com"));
    EXPECT_FALSE(isWebAddress("mailto:a@example.com"));
    EXPECT_FALSE(isWebAddress("ftp://example.com"));
    EXPECT_FALSE(isWebAddress("httpx://example.com"));
    EXPECT_FALSE(isWebAddress("example.com"));
    EXPECT_FALSE(isWebAddress(""));
}

struct HostCase {
    const char* page;
    const char* home;
    bool same;
};
void PrintTo(const HostCase& c, std::ostream* out) { *out << c.page << " vs " << c.home; }

class WebsiteHostTest : public ::testing::TestWithParam<HostCase> {};

TEST_P(WebsiteHostTest, ComparesHostsWithoutRegardToCase) {
    EXPECT_EQ(isSameWebsiteHost(GetParam().page, GetParam().home), GetParam().same)
        << GetParam().page << " vs " << GetParam().home;
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, WebsiteHostTest,
    ::testing::Values(HostCase{"https://example.com/inbox", "https://example.com", true},
                      // A website saved with capitals still gets its title and icon.
                      HostCase{"https://example.com/inbox", "https://Example.COM", true},
                      HostCase{"https://example.com/", "HTTPS://EXAMPLE.COM/", true},
                      HostCase{"http://example.com:8080/", "https://example.com/", true},
                      HostCase{"https://mail.example.com/", "https://example.com/", false},
                      HostCase{"https://www.example.com/", "https://example.com/", false},
                      HostCase{"https://example.org/", "https://example.com/", false},
                      // Two addresses without a host count as the same.
                      HostCase{"about:blank", "example.com", true},
                      HostCase{"about:blank", "", true},
                      HostCase{"https://example.com/", "example.com", false},
                      HostCase{"about:blank", "https://example.com", false}));

TEST(NavigationPolicyTest, HostOfAnAddress) {
    EXPECT_EQ(uriHost("https://Example.com:8443/a"), "Example.com");
    EXPECT_EQ(uriHost("http://127.0.0.1:9/"), "127.0.0.1");
    EXPECT_EQ(uriHost("about:blank"), std::nullopt);
    EXPECT_EQ(uriHost("file:///tmp/x"), std::nullopt);
    EXPECT_EQ(uriHost("not an address"), std::nullopt);
}

}  // namespace
}  // namespace quenlith

namespace quenlith {
namespace {

TEST(PageEventsTest, VisitTitleFallsBackToTheHost) {
    EXPECT_EQ(visitTitle(std::string("Inbox"), "https://mail.example.com/"), "Inbox");
    EXPECT_EQ(visitTitle(std::string(""), "https://mail.example.com/"), "mail.example.com");
    EXPECT_EQ(visitTitle(std::nullopt, "https://mail.example.com/"), "mail.example.com");
    EXPECT_EQ(visitTitle(std::nullopt, "about:blank"), "");
}

TEST(PageEventsTest, ReadingPositionsOutsideZeroToOneAreIgnored) {
    EXPECT_TRUE(isUsableReadingPosition(0.0));
    EXPECT_TRUE(isUsableReadingPosition(0.5));
    EXPECT_TRUE(isUsableReadingPosition(1.0));
    EXPECT_FALSE(isUsableReadingPosition(1.2));
    EXPECT_FALSE(isUsableReadingPosition(-0.01));
    EXPECT_FALSE(isUsableReadingPosition(std::nan("")));
    EXPECT_FALSE(isUsableReadingPosition(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(isUsableReadingPosition(std::nullopt));
}

TEST(PageEventsTest, ReadingPositionAppliesToTheSamePageOnly) {
    EXPECT_TRUE(readingPositionApplies("https://Example.com/article", std::string("https://example.com/article")));
    EXPECT_TRUE(readingPositionApplies("HTTPS://example.com", std::string("https://example.com/")));
    EXPECT_FALSE(readingPositionApplies("https://example.com/article", std::string("https://example.com/other")));
    EXPECT_FALSE(readingPositionApplies("https://example.com/a?page=2", std::string("https://example.com/a")));
    EXPECT_FALSE(readingPositionApplies("https://example.com/a", std::nullopt));
}

}  // namespace
}  // namespace quenlith

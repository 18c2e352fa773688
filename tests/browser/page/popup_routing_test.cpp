#include <gtest/gtest.h>

#include "browser/page/popup_routing.hpp"

namespace quenlith {
namespace {

struct RouteCase {
    bool persistent;
    LinkBehavior behavior;
    std::optional<const char*> uri;
    PopupRoute route;
};
void PrintTo(const RouteCase& c, std::ostream* out) {
    *out << (c.persistent ? "" : "private ") << rawValue(c.behavior) << " " << (c.uri ? *c.uri : "(none)");
}

class PopupRoutingTest : public ::testing::TestWithParam<RouteCase> {};

TEST_P(PopupRoutingTest, RoutesNewWindowRequests) {
    const auto& c = GetParam();
    std::optional<std::string_view> uri;
    if (c.uri) uri = *c.uri;
    EXPECT_EQ(popupRoute(c.persistent, c.behavior, uri), c.route)
        << rawValue(c.behavior) << " " << (c.uri ? *c.uri : "(none)") << (c.persistent ? "" : " private");
}

INSTANTIATE_TEST_SUITE_P(
    Routes, PopupRoutingTest,
    ::testing::Values(
        RouteCase{true, LinkBehavior::newTab, "https://example.com/", PopupRoute::popupTab},
        RouteCase{true, LinkBehavior::newWindow, "https://example.com/", PopupRoute::floatingWindow},
        RouteCase{true, LinkBehavior::newWindow, std::nullopt, PopupRoute::floatingWindow},
        RouteCase{true, LinkBehavior::external, "https://example.com/", PopupRoute::defaultBrowser},
        RouteCase{true, LinkBehavior::external, "http://example.com/", PopupRoute::defaultBrowser},
        // The default browser takes only web addresses.
        RouteCase{true, LinkBehavior::external, "mailto:someone@example.com", PopupRoute::popupTab},
        RouteCase{true, LinkBehavior::external, "about:blank", PopupRoute::popupTab},
        RouteCase{true, LinkBehavior::external, "", PopupRoute::popupTab},
        RouteCase{true, LinkBehavior::external, std::nullopt, PopupRoute::popupTab},
        // Private windows ignore the preference.
        RouteCase{false, LinkBehavior::newTab, "https://example.com/", PopupRoute::popupTab},
        RouteCase{false, LinkBehavior::newWindow, "https://example.com/", PopupRoute::popupTab},
        RouteCase{false, LinkBehavior::external, "https://example.com/", PopupRoute::popupTab}));

}  // namespace
}  // namespace quenlith

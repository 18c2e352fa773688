// The display-free decisions of the window manager: which tab an address reuses, where the arrange
// commands put a window, and what a close request does.
#include <gtest/gtest.h>

#include "model/address_routing.hpp"
#include "model/window_arrangement.hpp"
#include "model/window_close_policy.hpp"

namespace quenlith {
namespace {

RoutingTab tab(std::optional<std::string> address, bool startPage = false) {
    return RoutingTab{Uuid::random(), std::move(address), startPage};
}

TEST(AddressRouting, ReusesTheFirstSharedSessionTabShowingTheSamePage) {
    RoutingWindow older{Uuid::random(), 1, true, {tab(std::nullopt), tab("https://example.com/", true),
                                                  tab("http://127.0.0.1:8080/a?q=1"), tab("https://example.com/")}};
    RoutingWindow newer{Uuid::random(), 2, true,
                        {tab("https://example.com/"), tab("https://other.org/Path"), tab("HTTPS://Third.Example?x")}};
    RoutingWindow own{Uuid::random(), 0, false, {tab("https://own.example/"), tab("https://other.org/Path")}};
    // Listed out of sequence order: the oldest window still wins.
    const std::vector<RoutingWindow> windows = {newer, own, older};
    const auto in = [](const RoutingWindow& window, std::size_t index) {
        return std::optional(WebsiteWindowTarget{window.id, window.tabs[index].id});
    };
    const std::optional<WebsiteWindowTarget> none;
    struct Case {
        const char* address;
        std::optional<WebsiteWindowTarget> expected;
    } cases[] = {
        {"https://example.com/", in(older, 3)},
        {"HTTPS://EXAMPLE.COM", in(older, 3)},
        {"http://127.0.0.1:8080/a?q=1", in(older, 2)},
        {"HTTP://127.0.0.1:8080/a?q=1", in(older, 2)},
        {"http://127.0.0.1:8080/a?q=2", none},
        {"http://127.0.0.1:8080/A?q=1", none},
        {"http://127.0.0.1:9090/a?q=1", none},
        {"https://example.com/?x=1", none},
        {"https://other.org/Path", in(newer, 1)},
        {"https://third.example/?x", in(newer, 2)},
        {"https://third.example/", none},
        {"https://own.example/", none},
    };
    AddressComparisonForms forms;
    for (const auto& c : cases) EXPECT_EQ(reusableTab(windows, c.address, forms), c.expected) << c.address;
}

TEST(AddressRouting, ComparisonFormsStayCorrectPastTheirLimit) {
    AddressComparisonForms forms;
    for (std::size_t i = 0; i < AddressComparisonForms::kLimit + 10; ++i)
        EXPECT_EQ(forms.form("HTTPS://Host" + std::to_string(i) + ".example"),
                  "https://host" + std::to_string(i) + ".example/");
}

TEST(WindowArrangement, HalvesAndCentreOfTheWorkAreaOfTheWindowsScreen) {
    ScreenLayout one{{ScreenArea{{0, 0, 1440, 900}, {0, 0, 1440, 875}, std::nullopt}}, 0};
    const Rect frame{100, 100, 500, 400};
    EXPECT_EQ(arrangedFrame(WindowArrangement::left, frame, one), (Rect{8, 8, 708, 859}));
    EXPECT_EQ(arrangedFrame(WindowArrangement::right, frame, one), (Rect{724, 8, 708, 859}));
    EXPECT_EQ(arrangedFrame(WindowArrangement::center, frame, one), (Rect{470, 237.5, 500, 400}));

    // Two screens, the second with panels: the screen holding most of the window counts; a window
    // on no screen goes to the main one.
    ScreenLayout two{{ScreenArea{{0, 0, 1280, 800}, {0, 0, 1280, 800}, std::nullopt},
                      ScreenArea{{1280, 0, 1000, 700}, {1310, 40, 970, 600}, std::nullopt}},
                     0};
    EXPECT_EQ(arrangedFrame(WindowArrangement::left, Rect{1200, 50, 400, 300}, two), (Rect{1318, 48, 473, 584}));
    EXPECT_EQ(arrangedFrame(WindowArrangement::right, Rect{1200, 50, 400, 300}, two), (Rect{1799, 48, 473, 584}));
    EXPECT_EQ(arrangedFrame(WindowArrangement::right, Rect{5000, 50, 400, 300}, two), (Rect{644, 8, 628, 784}));
    EXPECT_EQ(arrangedFrame(WindowArrangement::left, frame, ScreenLayout{}), std::nullopt);
}

TEST(WindowClosePolicy, HidesOnlyOwnPersistentWindowsWhileTheBehaviourIsHide) {
    using enum CloseAction;
    struct Case {
        CloseBehavior behavior;
        bool own, persistent;
        CloseAction expected;
    } cases[] = {
        {CloseBehavior::hide, true, true, hide},        {CloseBehavior::hide, true, false, release},
        {CloseBehavior::hide, false, true, release},    {CloseBehavior::hide, false, false, release},
        {CloseBehavior::release, true, true, release},  {CloseBehavior::release, false, true, release},
    };
    for (const auto& c : cases)
        EXPECT_EQ(closeAction(c.behavior, c.own, c.persistent), c.expected) << c.own << c.persistent;
}

}  // namespace
}  // namespace quenlith

// The display-free decisions of the window manager: which tab an address reuses and where the
// arrange commands put a window. What a close request does is checked on live windows.
#include <gtest/gtest.h>

#include "model/address_routing.hpp"
#include "model/window_arrangement.hpp"

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

TEST(WindowArrangement, HalvesAndCentreOfTheWorkAreaOfTheWindowsScreen) {
    ScreenLayout one{{ScreenArea{{0, 0, 1440, 900}, {0, 0, 1440, 875}, std::nullopt}}, 0};
    const Rect frame{100, 100, 500, 400};
    EXPECT_EQ(arrangedFrame(WindowArrangement::left, frame, one), (Rect{8, 8, 708, 859}));
    EXPECT_EQ(arrangedFrame(WindowArrangement::right, frame, one), (Rect{724, 8, 708, 859}));
    EXPECT_EQ(arrangedFrame(WindowArrangement::center, frame, one), (Rect{470, 237.5, 500, 400}));

    // Two screens, the second with panels: the screen holding most of the window counts.
    ScreenLayout two{{one.screens[0], ScreenArea{{1440, 0, 1000, 700}, {1470, 40, 970, 600}, std::nullopt}}, 0};
    EXPECT_EQ(arrangedFrame(WindowArrangement::right, Rect{1400, 50, 400, 300}, two), (Rect{1959, 48, 473, 584}));
    EXPECT_EQ(arrangedFrame(WindowArrangement::left, frame, ScreenLayout{}), std::nullopt);
    two.mainScreen = 2;  // past the last screen: names none
    EXPECT_EQ(arrangedFrame(WindowArrangement::left, Rect{9000, 0, 400, 300}, two), std::nullopt);
}

}  // namespace
}  // namespace quenlith

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "model/website_details_lookup.hpp"

namespace quenlith {
namespace {

struct LookupHarness {
    ManualScheduler scheduler;
    WebAppProfile draft;
    std::vector<std::string> asked;
    std::vector<std::function<void(LookedUpWebsiteDetails)>> answers;
    int shown = 0;  // how often the editor was told to show the draft again
    WebsiteDetailsLookup lookup;

    explicit LookupHarness(bool isNew = true)
        : lookup(
              isNew,
              [this](const std::string& address, std::function<void(LookedUpWebsiteDetails)> done) {
                  asked.push_back(address);
                  answers.push_back(std::move(done));
              },
              [this]() -> WebAppProfile& { return draft; }, [this] { ++shown; }, scheduler) {}

    void type(const std::string& address) {
        draft.homeURL = address;
        lookup.draftChanged();
    }
};

TEST(WebsiteDetailsLookup, RapidTypingAsksOnceForTheLastAddress) {
    LookupHarness harness;
    harness.type("exa");
    harness.scheduler.advance(std::chrono::milliseconds(300));
    harness.type("example.com");
    harness.scheduler.advance(std::chrono::milliseconds(599));
    EXPECT_TRUE(harness.asked.empty());
    harness.scheduler.advance(std::chrono::milliseconds(1));
    EXPECT_EQ(harness.asked, std::vector<std::string>{"https://example.com"});
    EXPECT_TRUE(harness.lookup.fetching() && harness.shown == 1);
    harness.answers.back()({"  Example Domain ", "https://example.com/icon.png"});
    EXPECT_TRUE(!harness.lookup.fetching() && harness.shown == 2);
    EXPECT_EQ(harness.draft.name, "Example Domain");
    EXPECT_EQ(harness.draft.iconURL, "https://example.com/icon.png");
}

TEST(WebsiteDetailsLookup, LateOrUnwantedResultsChangeNothing) {
    using Change = void (*)(LookupHarness&);
    const std::tuple<const char*, Change, std::string, std::optional<std::string>> cases[] = {
        {"address changed", [](LookupHarness& h) { h.type("other.example"); }, "", std::nullopt},
        {"session on", [](LookupHarness& h) { h.draft.setIsolatedAccount(true), h.lookup.draftChanged(); },
         "", std::nullopt},
        {"name typed", [](LookupHarness& h) { h.draft.name = "Mine"; }, "Mine", "icon"},
        {"no title: the host", [](LookupHarness&) {}, "example.com", "icon"},
    };
    for (const auto& [label, meanwhile, name, icon] : cases) {
        LookupHarness harness;
        harness.type("example.com");
        harness.scheduler.advance(WebsiteDetailsLookup::kDelay);
        ASSERT_EQ(harness.answers.size(), 1u) << label;
        meanwhile(harness);
        EXPECT_EQ(harness.lookup.fetching(), name != "") << label;
        harness.answers.front()({std::nullopt, "icon"});
        EXPECT_EQ(harness.draft.name, name) << label;
        EXPECT_EQ(harness.draft.iconURL, icon) << label;
    }

    for (bool isNew : {false, true}) {
        LookupHarness harness(isNew);  // an edited website, or a new one with its own session
        if (isNew) harness.draft.setIsolatedAccount(true);
        harness.type("example.com");
        harness.scheduler.advance(std::chrono::seconds(2));
        EXPECT_TRUE(harness.asked.empty()) << isNew;
    }
}

}  // namespace
}  // namespace quenlith

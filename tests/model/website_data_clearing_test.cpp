// The order of clearing website data and its result when one step fails.
#include <gtest/gtest.h>

#include "model/website_data_clearing.hpp"

namespace quenlith {
namespace {

TEST(WebsiteDataClearing, RunsInOrderAndSucceedsOnlyWhenEveryStepDid) {
    const std::string recordsStayed =
        "Website session cleared, but saved browsing records could not be removed. Check the data error and "
        "try again.";
    struct Case {
        bool everything;
        std::string failing, steps;
        const char* message;  // nullptr: success
        std::string status;   // the settings' status line
    } cases[] = {
        {true, "", "downloads windows data session history addresses reset", nullptr,
         "Selected website data cleared."},
        {false, "", "downloads windows data session reset", nullptr, "Selected website data cleared."},
        {false, "data", "downloads windows data session reset", "Not cleared: website data.",
         "Some website data could not be cleared. Not cleared: website data."},
        {false, "session", "downloads windows data session reset", "Not cleared: saved session.",
         "Some website data could not be cleared. Not cleared: saved session."},
        {true, "history", "downloads windows data session history addresses reset", "Not cleared: history.",
         recordsStayed},
        {true, "addresses", "downloads windows data session history addresses reset",
         "Not cleared: last addresses.", recordsStayed},
    };
    for (const Case& c : cases) {
        std::string ran;
        auto step = [&ran, &c](const char* name) {
            return [&ran, &c, name] {
                ran += (ran.empty() ? "" : " ") + std::string(name);
                return c.failing != name;
            };
        };
        std::function<void(Status)> pending;
        auto removeData = [&](const std::vector<std::string>&, std::function<void(Status)> done) {
            step("data")();
            pending = std::move(done);
        };
        // clang-format off
        WebsiteDataClearingSteps steps{step("downloads"), step("windows"), removeData, step("session"),
                                       step("history"), step("addresses"), step("reset")};
        // clang-format on
        std::optional<WebsiteDataClearingResult> result;
        clearWebsiteData(steps, {"cookies"}, c.everything, [&](WebsiteDataClearingResult r) { result = r; });
        ASSERT_FALSE(result) << "the removal from the stores is awaited";
        pending(c.failing == "data" ? Status(Error{"x", "failed"}) : success());
        ASSERT_TRUE(result);
        EXPECT_EQ(ran, c.steps);
        EXPECT_EQ(result->succeeded, c.message == nullptr);
        EXPECT_EQ(result->message, c.message ? std::optional<std::string>(c.message) : std::nullopt);
        EXPECT_EQ(clearingStatusMessage(*result), c.status) << c.failing;
    }
    // A result nobody filled in (a clearing cut short) is no success.
    EXPECT_EQ(clearingStatusMessage(WebsiteDataClearingResult{}),
              "Some website data could not be cleared. ");
    // Only everything takes the history.
    EXPECT_FALSE(clearingRequest(PrivacyAction::cookies).everything || clearingRequest(PrivacyAction::cache).everything);
    EXPECT_TRUE(clearingRequest(PrivacyAction::all).everything);
}

}  // namespace
}  // namespace quenlith

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "model/sample_records.hpp"
#include "model/website_save_telling.hpp"

namespace quenlith {
namespace {

// One outcome of a write as the store reports it, and the notice expected for it.
struct Step {
    enum Kind { failed, written } kind = failed;
    bool carriedAsked = false;
    bool toldWhereAsked = false;
    std::string message;
    std::optional<SaveFailureNotice> expected;
};

Step keptFailed(std::string message, std::optional<SaveFailureNotice> expected) {
    return {Step::failed, false, false, std::move(message), std::move(expected)};
}
Step askedFailed(std::string message, std::optional<SaveFailureNotice> expected,
                 bool toldWhereAsked = false) {
    return {Step::failed, true, toldWhereAsked, std::move(message), std::move(expected)};
}
Step wroteOK() {
    return {Step::written};
}

SaveFailureNotice websiteNotSaved(std::string message) {
    return {"Could not save website", std::move(message)};
}
SaveFailureNotice stateNotSaved(std::string message) {
    return {"Could not save window state", std::move(message)};
}

TEST(WebsiteSaveTellingTest, AskedChangesAreToldEveryTimeAndWhatWindowsKeepOnce) {
    const std::string full = "Could not save your websites: disk full";
    const std::string denied = "Could not save your websites: permission denied";
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"what windows keep is told once, under a title of its own",
         {keptFailed(full, stateNotSaved(full)), keptFailed(full, std::nullopt),
          keptFailed(full, std::nullopt)}},
        {"a new reason is news",
         {keptFailed(full, stateNotSaved(full)), keptFailed(denied, stateNotSaved(denied))}},
        {"a reason that comes back after another is news again",
         {keptFailed(full, stateNotSaved(full)), keptFailed(denied, stateNotSaved(denied)),
          keptFailed(full, stateNotSaved(full))}},
        {"what the person asked for is told every time",
         {askedFailed(full, websiteNotSaved(full)), askedFailed(full, websiteNotSaved(full)),
          askedFailed(full, websiteNotSaved(full))}},
        {"asked after what windows keep failed the same way",
         {keptFailed(full, stateNotSaved(full)), askedFailed(full, websiteNotSaved(full))}},
        {"what windows keep after the person heard the reason",
         {askedFailed(full, websiteNotSaved(full)), keptFailed(full, std::nullopt)}},
        {"told where the person acted: not again here",
         {askedFailed(full, std::nullopt, true), askedFailed(full, websiteNotSaved(full)),
          askedFailed(full, std::nullopt, true), keptFailed(full, std::nullopt)}},
        {"a write that succeeds makes the next failure news",
         {keptFailed(full, stateNotSaved(full)), wroteOK(), keptFailed(full, stateNotSaved(full)),
          keptFailed(full, std::nullopt)}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        WebsiteSaveTelling telling;
        for (std::size_t i = 0; i < row.steps.size(); ++i) {
            const Step& step = row.steps[i];
            if (step.kind == Step::written) {
                telling.written();
                continue;
            }
            EXPECT_EQ(telling.failed(step.carriedAsked, step.toldWhereAsked, step.message), step.expected)
                << "step " << i;
        }
    }
}

}  // namespace
}  // namespace quenlith

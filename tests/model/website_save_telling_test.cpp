#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/sample_records.hpp"
#include "model/website_save_telling.hpp"

namespace quenlith {
namespace {

// One thing the store reports: a change, a write handed over (expected to get `number`), a write
// that got through (`number`), changes taken back elsewhere, or a failure of the last write with
// the notice expected for it.
struct Step {
    enum Kind { asked, kept, handOver, written, takenBack, failed, failedToldThere } kind;
    std::uint64_t number = 0;
    std::string message;
    std::optional<SaveFailureNotice> expected;
};

const std::string full = "Could not save your websites: disk full";
const std::string denied = "Could not save your websites: permission denied";

Step asked() { return {Step::asked}; }
Step kept() { return {Step::kept}; }
Step handOver(std::uint64_t number) { return {Step::handOver, number}; }
Step written(std::uint64_t number) { return {Step::written, number}; }
Step takenBack() { return {Step::takenBack}; }
Step fails(std::optional<SaveFailureNotice> expected, std::string message = full) {
    return {Step::failed, 0, std::move(message), std::move(expected)};
}
Step toldThere() { return {Step::failedToldThere, 0, full, std::nullopt}; }
SaveFailureNotice website(std::string message = full) { return {"Could not save website", std::move(message)}; }
SaveFailureNotice state(std::string message = full) { return {"Could not save window state", std::move(message)}; }

TEST(WebsiteSaveTellingTest, TakenBackAskedChangesAreToldEveryTimeAndWhatWindowsKeepOnce) {
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"what windows keep is told once, under a title of its own",
         {kept(), handOver(1), fails(state()), kept(), handOver(2), fails(std::nullopt), kept(), handOver(3),
          fails(std::nullopt)}},
        {"a new reason is news, and an old one that comes back",
         {kept(), handOver(1), fails(state()), kept(), handOver(2), fails(state(denied), denied), kept(),
          handOver(3), fails(state())}},
        {"what the person asked for is told every time",
         {asked(), handOver(1), fails(website()), asked(), handOver(2), fails(website()), asked(), handOver(3),
          fails(website())}},
        {"asked and still waiting when a window's write fails",
         {kept(), handOver(1), asked(), fails(website())}},
        {"asked and carried by an earlier write the failed one replaced",
         {asked(), handOver(1), kept(), handOver(2), fails(website())}},
        {"asked and on the disk already", {asked(), handOver(1), kept(), handOver(2), written(1), fails(state())}},
        {"what windows keep after the person heard the reason",
         {asked(), handOver(1), fails(website()), kept(), handOver(2), fails(std::nullopt)}},
        {"told where the person acted: not again here",
         {asked(), handOver(1), toldThere(), kept(), handOver(2), fails(std::nullopt), asked(), handOver(3),
          fails(website())}},
        {"a write that succeeds makes the next failure news",
         {kept(), handOver(1), fails(state()), kept(), handOver(2), written(2), kept(), handOver(3),
          fails(state())}},
        {"asked, then taken back where the caller told it",
         {asked(), takenBack(), kept(), handOver(1), fails(state())}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        WebsiteSaveTelling telling;
        for (std::size_t i = 0; i < row.steps.size(); ++i) {
            SCOPED_TRACE("step " + std::to_string(i));
            const Step& step = row.steps[i];
            switch (step.kind) {
                case Step::asked: telling.changed(WebsiteChange::asked); break;
                case Step::kept: telling.changed(WebsiteChange::keptByWindow); break;
                case Step::handOver:
                    EXPECT_EQ(telling.handOver(), step.number);
                    EXPECT_EQ(telling.lastHandedOver(), step.number);
                    break;
                case Step::written: telling.written(step.number); break;
                case Step::takenBack: telling.takenBack(); break;
                case Step::failed: EXPECT_EQ(telling.failed(false, step.message), step.expected); break;
                case Step::failedToldThere: EXPECT_EQ(telling.failed(true, step.message), std::nullopt); break;
            }
        }
    }
}

}  // namespace
}  // namespace quenlith

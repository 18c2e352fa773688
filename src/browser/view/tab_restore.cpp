#include "browser/view/tab_restore.hpp"

#include <algorithm>

#include "model/address.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

std::optional<std::string> initialTabAddress(const WebAppProfile& profile, bool startsDormant,
                                             bool hasInitialConfiguration,
                                             const std::optional<std::string>& initialURL) {
    if (startsDormant || hasInitialConfiguration) return std::nullopt;
    if (initialURL) return initialURL;
    if (profile.rememberLastURL && profile.lastURL)
        if (auto remembered = normalizedWebsiteURL(*profile.lastURL)) return remembered;
    return normalizedWebsiteURL(profile.homeURL);
}

std::vector<RestoredTabPlan> restoredTabPlans(const std::vector<RestorableTab>& entries) {
    std::vector<RestoredTabPlan> plans;
    for (const auto& entry : entries) {
        std::optional<std::string> address =
            entry.address ? normalizedWebsiteURL(*entry.address) : std::nullopt;
        // An address carrying a credential is never brought back, not even behind a start page.
        if (address && !isCredentialFreeURL(*address)) address.reset();
        if (!entry.startPage && !address) continue;
        RestoredTabPlan plan;
        plan.lastURL = address;
        plan.showsStartPage = entry.startPage;
        plan.isSleeping = !entry.startPage;
        plan.sleepingTitle = entry.title;
        if (entry.readingPosition && plan.lastURL)
            plan.pendingReadingPosition = PendingReadingPosition{*plan.lastURL, *entry.readingPosition};
        plans.push_back(std::move(plan));
    }
    return plans;
}

std::size_t restoredSelection(std::int64_t selectedIndex, std::size_t count) {
    if (count == 0) return 0;
    const auto last = static_cast<std::int64_t>(count) - 1;
    return static_cast<std::size_t>(std::clamp<std::int64_t>(selectedIndex, 0, last));
}

}  // namespace quenlith

#pragma once

// Which address a window's tabs open with: the first tab of a new window, and the tabs brought
// back from a saved session.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "browser/view/browser_tab.hpp"
#include "model/restorable_window.hpp"

namespace quenlith {

struct WebAppProfile;

// The first tab's address: nothing for a dormant window or a popup (the opener fills it);
// else the requested address; else the website's remembered address when it is kept and still a
// website address; else its home address normalised (nothing when that is no address either).
std::optional<std::string> initialTabAddress(const WebAppProfile& profile, bool startsDormant,
                                             bool hasInitialConfiguration,
                                             const std::optional<std::string>& initialURL);

// One tab to make from a saved entry.
struct RestoredTabPlan {
    std::optional<std::string> lastURL;
    bool showsStartPage = false;
    bool isSleeping = false;  // every restored page waits asleep until it is woken
    std::string sleepingTitle;
    std::optional<PendingReadingPosition> pendingReadingPosition;
    bool operator==(const RestoredTabPlan&) const = default;
};

// The tabs to make, in order: start pages, and pages whose address is a keepable website
// address; other entries are dropped.
std::vector<RestoredTabPlan> restoredTabPlans(const std::vector<RestorableTab>& entries);

// The index to select among `count` restored tabs for a saved selection (clamped).
std::size_t restoredSelection(std::int64_t selectedIndex, std::size_t count);

}  // namespace quenlith

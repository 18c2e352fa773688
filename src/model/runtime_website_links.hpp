#pragma once

#include <map>
#include <optional>
#include <set>
#include <vector>

#include "model/restorable_window.hpp"
#include "model/runtime_window.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// The window and tab that show a saved website.
struct WebsiteWindowTarget {
    Uuid windowID;
    Uuid tabID;

    bool operator==(const WebsiteWindowTarget&) const = default;
};

// Which window and tab currently show each saved website, resolved against the live windows by one
// rule set, so routing, application links, closing and the session snapshot agree. Several websites
// may point into the same window.
class WebsiteWindowLinks {
public:
    // Keyed by website id; at most one target per website.
    std::map<Uuid, WebsiteWindowTarget> targets;

    // The websites whose target lies in the window.
    std::set<Uuid> profileIDs(const Uuid& windowID) const;

    // The window and tab for the website among the open windows on its data store
    // (`dataStoreIdentifier`, none for the shared store), private windows never: its recorded
    // target while that window is open; else its own window (by window id, then by website id);
    // else the first tab showing its home address exactly, then the first on its host or a
    // subdomain with the same scheme and port. Windows are searched in sequence order.
    std::optional<WebsiteWindowTarget> target(const WebAppProfile& website,
                                              const std::optional<Uuid>& dataStoreIdentifier,
                                              const std::vector<RuntimeWindow>& windows) const;

    // The preferred tab of the window when it has it, else its selected tab, else its first; none
    // for a window without tabs.
    static std::optional<WebsiteWindowTarget> target(const RuntimeWindow& window,
                                                     const std::optional<Uuid>& preferredTabID);

    // Keeps every target on an open, non-private window: on the same tab while it exists, else on
    // the window's selected (or first) tab; drops targets whose window closed or has no tabs.
    void update(const std::vector<RuntimeWindow>& windows);

    void remove(const Uuid& profileID);
    // Drops every target in a window that closed.
    void removeWindow(const Uuid& windowID);

    // The window's links as the session file keeps them: each website whose target lies in the
    // window, with the position of its tab in `tabIDs` (the window's tabs in saved order); links
    // to a tab not in the list are left out. Ordered by the websites' id text.
    std::vector<RestorableWebsiteLink> restorableLinks(const Uuid& windowID, const std::vector<Uuid>& tabIDs) const;

    bool operator==(const WebsiteWindowLinks&) const = default;
};

}  // namespace quenlith

#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include <sigc++/signal.h>

#include "model/runtime_window.hpp"
#include "model/uuid.hpp"
#include "model/website_activity.hpp"

namespace quenlith {

// The live, read-only picture of every open browser window and its tabs. The window manager pushes
// a fresh snapshot after every change; views read only this. Main thread only.
class BrowserRuntimeStore {
public:
    BrowserRuntimeStore() = default;
    BrowserRuntimeStore(const BrowserRuntimeStore&) = delete;
    BrowserRuntimeStore& operator=(const BrowserRuntimeStore&) = delete;

    // Sorted by sequence, ascending.
    const std::vector<RuntimeWindow>& windows() const { return windows_; }

    // Takes the windows in any order. Publishes (signal_changed) only when the sorted list differs
    // from the current one, so views do not redraw for an unchanged picture.
    void update(std::vector<RuntimeWindow> windows);

    // Counts the published changes other than retitles (a window's or tab's title alone): where
    // pages are, what they show and how their windows stand. Views that show only those skip the
    // rest, so a page that retitles itself every second costs them nothing.
    unsigned long presenceRevision() const { return presenceRevision_; }

    // Tabs over all windows, private ones included, that do not show the start page.
    int pageCount() const;

    // What the website at `address` is doing now. `websiteID` and `sessionIdentifier` narrow the
    // windows looked at (the identifier wins when both are given); `sharedStoreOnly` keeps only
    // windows on the shared default data store. Private windows never count.
    WebsiteActivity activity(std::string_view address, const std::optional<Uuid>& websiteID,
                             bool sharedStoreOnly, const std::optional<Uuid>& sessionIdentifier) const;

    // Emitted synchronously after `windows` changed; listeners that redraw re-dispatch on idle.
    sigc::signal<void()>& signal_changed() { return changed_; }

private:
    std::vector<RuntimeWindow> windows_;
    unsigned long presenceRevision_ = 0;
    sigc::signal<void()> changed_;
};

}  // namespace quenlith

#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include <sigc++/signal.h>

#include "model/browser_runtime_store.hpp"
#include "model/runtime_website_links.hpp"
#include "model/runtime_window.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

class BrowserTab;
class BrowserWindowController;
class WebAppStore;
class WebsiteSessions;
class WindowHost;
class WindowRegistry;

// The live snapshot of windows and tabs the views read, the tabs that show saved websites, and the
// state published from them: the websites on screen, the window counts and the session error.
// Main thread only.
class RuntimePublisher {
public:
    RuntimePublisher(WindowRegistry& registry, WebAppStore& store, WebsiteSessions& sessions,
                     WindowHost& host);

    BrowserRuntimeStore& runtime() { return runtime_; }
    const BrowserRuntimeStore& runtime() const { return runtime_; }
    // Which window and tab show each saved website.
    WebsiteWindowLinks& websiteLinks() { return websiteLinks_; }
    const WebsiteWindowLinks& websiteLinks() const { return websiteLinks_; }

    // Published state, recomputed by publishState().
    const std::set<Uuid>& visibleProfiles() const { return visibleProfiles_; }
    int clickThroughCount() const { return clickThroughCount_; }
    int visibleWindowCount() const { return visibleWindowCount_; }
    int hiddenWindowCount() const { return hiddenWindowCount_; }
    const std::optional<std::string>& continuityError() const { return continuityError_; }
    // Logs a new message and publishes it.
    void setContinuityError(std::optional<std::string> message);
    // Emitted after every publishState(), also with unchanged values, and when the error changes.
    sigc::signal<void()>& signal_changed() { return changed_; }

    // Recomputes the published state from the windows, updates the websites' visibility flags and
    // pushes the live snapshot.
    void publishState();
    // Pushes the live snapshot only (tab changes).
    void pushSnapshot();
    std::vector<RuntimeWindow> runtimeWindows();
    RuntimeWindow runtimeWindow(BrowserWindowController& controller);
    RuntimeTab runtimeTab(const BrowserTab& tab, BrowserWindowController& controller);

    // The window and tab that show a saved website; `windows` defaults to runtimeWindows().
    std::optional<WebsiteWindowTarget> linkTarget(
        const WebAppProfile& website,
        const std::optional<std::vector<RuntimeWindow>>& windows = std::nullopt);
    // Whether a saved website's window is on screen (or tucked at an edge).
    bool isWebsiteVisible(const Uuid& profileID);

private:
    WindowRegistry& registry_;
    WebAppStore& store_;
    WebsiteSessions& sessions_;
    WindowHost& host_;
    BrowserRuntimeStore runtime_;
    WebsiteWindowLinks websiteLinks_;
    std::set<Uuid> visibleProfiles_;
    int clickThroughCount_ = 0;
    int visibleWindowCount_ = 0;
    int hiddenWindowCount_ = 0;
    std::optional<std::string> continuityError_;
    sigc::signal<void()> changed_;
};

}  // namespace quenlith

#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "model/scheduler.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

class BrowserWindowController;

// The open browser windows by id, with what belongs to a window and not to a website: the ad-hoc
// records of windows that show no saved website, the main browser window's id, the last active
// window and the windows opened for page groups. Main thread only.
class WindowRegistry {
public:
    explicit WindowRegistry(Scheduler& timers);
    ~WindowRegistry();
    WindowRegistry(const WindowRegistry&) = delete;
    WindowRegistry& operator=(const WindowRegistry&) = delete;

    const std::map<Uuid, std::unique_ptr<BrowserWindowController>>& windows() const { return windows_; }
    BrowserWindowController* window(const Uuid& id) const;
    // The ids of the open windows, in id order; a loop over them looks each window up again.
    std::vector<Uuid> ids() const;
    std::set<Uuid> idSet() const;
    // The open windows ordered by their number in the live snapshot.
    std::vector<BrowserWindowController*> inSequence() const;
    std::vector<int> windowSequences() const;

    // Registers a window under its id with the lowest free number; answers it.
    BrowserWindowController& add(std::unique_ptr<BrowserWindowController> controller);
    // Takes a window out of the registry (and of the page groups' windows); nothing when unknown.
    std::unique_ptr<BrowserWindowController> take(const Uuid& id);
    // A window taken out may be closing from inside one of its own signal handlers: it is
    // released on the next idle turn.
    void retire(std::unique_ptr<BrowserWindowController> controller);
    // Tears every window down and releases it at once (the end of the window manager).
    void tearDownAll(bool saveFrames);

    // The focused browser window, else the last one brought forward while it exists.
    BrowserWindowController* activeWindowController() const;
    // Whether any window is on screen or tucked at an edge.
    bool hasVisibleWindows() const;

    const std::optional<Uuid>& lastActiveID() const { return lastActiveID_; }
    void setLastActiveID(std::optional<Uuid> id);
    // The last active window that is saved with the session: a private window leaves no trace in
    // any file, so the one active before it is named instead (nothing once that one closed).
    const std::optional<Uuid>& lastSavedActiveID() const { return lastSavedActiveID_; }
    // Window id and record id of the main browser window.
    const Uuid& browserID() const { return browserID_; }
    void setBrowserID(const Uuid& id) { browserID_ = id; }

    // Records of windows that show no saved website, keyed by record id.
    const std::map<Uuid, WebAppProfile>& browsingProfiles() const { return browsingProfiles_; }
    const WebAppProfile* browsingProfile(const Uuid& id) const;
    void setBrowsingProfile(const WebAppProfile& profile) { browsingProfiles_[profile.id] = profile; }
    bool forgetBrowsingProfile(const Uuid& id) { return browsingProfiles_.erase(id) > 0; }

    // Windows opened for page groups: what changes in them stays in them.
    void markSceneWindow(const Uuid& windowID) { sceneWindows_.insert(windowID); }
    bool isSceneWindow(const Uuid& windowID) const { return sceneWindows_.contains(windowID); }

private:
    Scheduler& timers_;
    std::map<Uuid, std::unique_ptr<BrowserWindowController>> windows_;
    std::vector<std::unique_ptr<BrowserWindowController>> retired_;
    ScheduledTask retireTask_;
    std::optional<Uuid> lastActiveID_;
    std::optional<Uuid> lastSavedActiveID_;
    Uuid browserID_ = Uuid::random();
    std::map<Uuid, WebAppProfile> browsingProfiles_;
    std::set<Uuid> sceneWindows_;
};

}  // namespace quenlith

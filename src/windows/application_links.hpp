#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "model/application_link_follower.hpp"
#include "model/scheduler.hpp"
#include "model/uuid.hpp"

namespace quenlith {

class ActiveApplicationWatcher;
class BrowserWindowController;
class PreferencesStore;
class RuntimePublisher;
class WebAppStore;
class WindowFactory;
class WindowHost;
class WindowRegistry;

// Application links: the windows of websites linked to the application in front come forward
// beside it without taking the focus, and go away again when an unrelated application comes to
// the front; what the person put away or minimised stays away. Also keeps tucked windows at their
// edges when the screens change. Main thread only.
class ApplicationLinks {
public:
    // This application's desktop-file id.
    static constexpr const char* kOwnApplication = "com.quenlith.Quenlith.desktop";

    ApplicationLinks(WindowRegistry& registry, RuntimePublisher& publisher, WindowFactory& factory,
                     WebAppStore& store, PreferencesStore& preferences, Scheduler& timers, WindowHost& host);
    ~ApplicationLinks();
    ApplicationLinks(const ApplicationLinks&) = delete;
    ApplicationLinks& operator=(const ApplicationLinks&) = delete;

    // Another application came to the front (its desktop-file id; none when it has none): its
    // links apply once it stayed in front for 0.3 s.
    void applicationDidActivate(const std::optional<std::string>& application);
    // Shows, without taking the focus, the windows of the websites linked to `application` and
    // puts away those links showed for another one. Nothing before the restore, during shutdown or
    // a website-data reset.
    void applyApplicationLinks(const std::optional<std::string>& application);
    // The links of the application last in front, again (after a change of websites or preferences).
    void reapply() { applyApplicationLinks(follower_.lastApplication()); }
    // Links apply from the end of the restore, for the application in front then.
    void followFrontApplication();
    // Drops a pending application of links (shutdown, website-data reset).
    void cancel() { follower_.cancel(); }
    // The window was minimised: links leave its websites minimised as if the person had put them
    // away, until another application has come to the front.
    void windowMinimized(const Uuid& windowID);

    // The window was brought forward by the person: links no longer own its websites.
    void release(const BrowserWindowController& controller);
    void releaseWebsite(const Uuid& websiteID) { linkedWindows_.erase(websiteID); }
    // The window was put away or closed by the person: links must not bring its websites back.
    void dismiss(const BrowserWindowController& controller);
    void dismissWebsite(const Uuid& websiteID);
    // Every window was put away: no saved website comes back through a link.
    void dismissAll();

    // Whether links brought the window forward (for one of its websites) and still own it: they put
    // it away, and bring it back, with their application.
    bool broughtForward(const BrowserWindowController& controller) const;
    // Websites that application links brought forward, and those they must not bring back.
    const std::set<Uuid>& linkedWindows() const { return linkedWindows_; }
    const std::set<Uuid>& dismissedLinks() const { return follower_.dismissedLinks(); }
    const std::optional<std::string>& lastApplication() const { return follower_.lastApplication(); }

    // After a change of monitors: every window is clamped into a work area, a tucked one tucked again.
    void screenParametersChanged();

private:
    WindowRegistry& registry_;
    RuntimePublisher& publisher_;
    WindowFactory& factory_;
    WebAppStore& store_;
    PreferencesStore& preferences_;
    WindowHost& host_;
    std::set<Uuid> linkedWindows_;
    ApplicationLinkFollower follower_;
    std::unique_ptr<ActiveApplicationWatcher> activeApplications_;
};

}  // namespace quenlith

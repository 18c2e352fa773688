#pragma once

#include <vector>

#include <sigc++/signal.h>

#include "model/uuid.hpp"
#include "model/window_close_policy.hpp"

namespace quenlith {

class ApplicationLinks;
class BrowserWindowController;
class PreferencesStore;
class RuntimePublisher;
class WebAppStore;
class WebsiteSessions;
class WindowHost;
class WindowRegistry;

// Taking windows off the screen or out of the registry: close requests, hiding one window or all
// windows of a website, closing a window or a tab, deleting a website with its windows. Each keeps
// the application links in step, so that a window the user put away is not brought back by a
// link, and publishes. The operations that can end a window take their ids by value: the caller's
// id may live in a closure the ending frees (the window's own close handler). Main thread only.
class WindowClosing {
public:
    WindowClosing(WindowRegistry& registry, RuntimePublisher& publisher, ApplicationLinks& links,
                  WebAppStore& store, PreferencesStore& preferences, WebsiteSessions& sessions,
                  WindowHost& host);

    // The close button or the "close" command: a website's own window on a persistent store is
    // hidden while the close behaviour is "Hide Window"; every other window is closed.
    void requestClose(Uuid windowID);
    // Emitted after a close request has hidden or closed its window, with whether application links
    // had brought that window forward (it comes back with their application).
    sigc::signal<void(bool)>& signal_closeRequested() { return closeRequested_; }
    // Where each registered window is now.
    std::vector<WindowPresence> presence() const;
    // Closes and releases one window; the ad-hoc record of its last window goes with it.
    void close(Uuid windowID);
    // Hides every window of a saved website (its own windows and the one showing it).
    void hide(const Uuid& profileID);
    // Hides one window.
    void hideWindow(const Uuid& windowID);
    // Closes one tab, or the window when it is the only one.
    void closeTab(Uuid windowID, Uuid tabID);
    // Deletes a saved website and closes its windows; false (nothing closed) when the store
    // refuses.
    bool deleteWebsite(Uuid profileID);

private:
    // Hides one window: its links are dismissed, it is ordered out and no longer presented.
    void hideOne(BrowserWindowController& controller);

    WindowRegistry& registry_;
    RuntimePublisher& publisher_;
    ApplicationLinks& links_;
    WebAppStore& store_;
    PreferencesStore& preferences_;
    WebsiteSessions& sessions_;
    WindowHost& host_;
    sigc::signal<void(bool)> closeRequested_;
};

}  // namespace quenlith

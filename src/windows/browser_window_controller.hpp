#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtkmm/overlay.h>
#include <sigc++/connection.h>

#include "model/scheduler.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"
#include "model/window_geometry.hpp"

typedef struct _GdkEventWindowState GdkEventWindowState;
typedef struct _GdkEventAny GdkEventAny;

namespace quenlith {

class BrowserViewController;
class EdgeTuckController;
class FloatingBrowserPanel;
class PanelTuckWindow;
class PreferencesStore;
class WebAppStore;

// What a browser window reports to the window manager. Each runs through a copy (callKept): what
// it calls may end the window, and tearDown() drops them.
struct WindowReports {
    // The user asks to close the window.
    std::function<void()> onClose;
    // The window moved, was resized, minimised or brought back.
    std::function<void()> onVisibility;
    // The window became the active one.
    std::function<void()> onActive;
    // The window was minimised (by the person or the window manager, not hidden).
    std::function<void()> onMinimize;
};

// One browser window: its floating window and the browser view inside it. The window manager
// builds it (makeWindowController), owns it and shows, hides and closes it. The window's close
// button only asks the manager (WindowReports::onClose); moves and resizes of a website's own window are
// saved to the website's remembered frame. Main thread only.
class BrowserWindowController {
public:
    // Takes the finished browser view and the window made for it; the view goes into the window.
    // The controller starts `restoring`: nothing the window does is saved or reported until
    // becomeDelegate().
    BrowserWindowController(const Uuid& id, const WebAppProfile& profile, std::unique_ptr<BrowserViewController> browser,
                            std::unique_ptr<FloatingBrowserPanel> panel, PreferencesStore& preferences,
                            WebAppStore& store);
    ~BrowserWindowController();
    BrowserWindowController(const BrowserWindowController&) = delete;
    BrowserWindowController& operator=(const BrowserWindowController&) = delete;

    // The window's number in the live snapshot; set by the registry when it registers the window.
    int sequence() const { return sequence_; }
    void setSequence(int sequence) { sequence_ = sequence; }
    const Uuid id;
    // The website record the window shows (saved website or ad-hoc record of the manager).
    const Uuid profileID;

    FloatingBrowserPanel& panel() { return *panel_; }
    const FloatingBrowserPanel& panel() const { return *panel_; }
    BrowserViewController& browser() { return *browser_; }
    const BrowserViewController& browser() const { return *browser_; }
    // Where the window's reports go; set once by the window manager.
    void setReports(WindowReports reports) { reports_ = std::move(reports); }

    // Starts following the window's moves, resizes, state and focus; ends `restoring`.
    void becomeDelegate();

    // Shows the window: ends click-through, brings it back from the taskbar, clamps it to its
    // screen, raises it (taking the focus only when `activate`) and marks the browser view
    // presented, waking its active tab when `wake`. Does not publish. `eventTime` is the X time of
    // the input that asked for the window (0: the last one GDK saw), so that focus-stealing
    // prevention lets a window asked for by a global shortcut take the focus.
    void present(bool activate, bool keepTuck, bool wake, std::uint32_t eventTime = 0);

    // Applies a website record to the window and to the browser view.
    void applyProfile(const WebAppProfile& profile);
    // The record last applied (at construction or by applyProfile): what a change made in the
    // window is compared with, so that only the settings the user changed are saved.
    const WebAppProfile& appliedProfile() const { return appliedProfile_; }

    // Shows `message` at the bottom of the window until `duration` has passed on `timers`; a new
    // notice replaces the one shown at once.
    void showToast(const std::string& message, Scheduler& timers,
                   std::chrono::milliseconds duration = std::chrono::seconds(3));
    // The notice shown now, or nothing.
    std::optional<std::string> toastText() const;

    // Saves the window's frame as the website's remembered frame: only for the website's own
    // window, only when the website remembers its frame, and only when the frame changed.
    void saveFrame();

    bool isMinimized() const { return minimized_; }
    // Visible and not minimised.
    bool isOnScreen() const;

    // Tucking the window at a screen edge; made on first use and kept for the window's life.
    EdgeTuckController& edgeTuck();
    // Tucked at an edge with its handle on screen.
    bool isTuckedAway() const;

    // Ends the window: no more reports, the browser view torn down, the window hidden and emptied.
    void tearDown();

private:
    PreferencesStore& preferences_;
    WebAppStore& store_;
    int sequence_ = 0;
    // True while the window is being built or the website's settings are applied again: moves and
    // resizes are then neither saved nor reported.
    bool restoring_ = true;
    WindowReports reports_;

    void frameChanged();
    bool windowStateChanged(GdkEventWindowState* event);
    bool deleteRequested(GdkEventAny* event);
    void activeChanged();
    void disconnectWindow();

    void removeToast();

    std::unique_ptr<BrowserViewController> browser_;
    std::unique_ptr<FloatingBrowserPanel> panel_;
    // Declared after the panel: the tuck controller goes first, then the window it tucks.
    std::unique_ptr<PanelTuckWindow> tuckWindow_;
    std::unique_ptr<EdgeTuckController> edgeTuck_;
    // The window's content: the browser view, with notices laid over it.
    Gtk::Overlay content_;
    std::unique_ptr<Gtk::Widget> toast_;
    ScheduledTask toastTask_;
    WebAppProfile appliedProfile_;
    std::optional<Rect> knownFrame_;  // the frame as last seen, to tell moves from resizes
    bool minimized_ = false;
    bool tornDown_ = false;
    std::vector<sigc::connection> connections_;
    // Asks for the focus once the window presented with a time is mapped.
    sigc::connection focusOnMap_;
};

}  // namespace quenlith

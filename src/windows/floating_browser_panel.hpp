#pragma once

#include <optional>

#include <gtkmm/headerbar.h>
#include <gtkmm/window.h>
#include <sigc++/signal.h>

#include "model/codable_rect.hpp"
#include "model/normal_frame_history.hpp"
#include "model/web_app_profile.hpp"
#include "model/window_geometry.hpp"

namespace quenlith {

// The top-level window of one browser window. It floats above ordinary windows when its website
// asks for it, can show on every workspace, takes the website's opacity and drops its title bar in
// compact mode. It hosts any child widget (Gtk::Window::add).
//
// The window decorates itself: a header bar as title bar, or no decoration at all in compact mode,
// so window managers never put a frame of their own around it. Frames are visible frames in root
// coordinates (see model/window_geometry.hpp); the window moves and resizes in one request.
class FloatingBrowserPanel : public Gtk::Window {
public:
    explicit FloatingBrowserPanel(bool followAcrossSpaces);
    ~FloatingBrowserPanel() override;

    // Applies the website's window options: keep above, all workspaces, opacity, compact chrome.
    // Switching compact mode keeps the frame where it was.
    void apply(const WebAppProfile& profile);

    // Gives the window its first frame: the remembered one, else the default size centred on the
    // main monitor; clamped to a work area.
    void applyFrame(const std::optional<CodableRect>& remembered, double defaultWidth, double defaultHeight);

    // Moves and shrinks the window into the work area of the monitor holding most of it.
    void clampToScreen();

    // The visible frame in root coordinates; until the window is mapped on screen, the frame it will
    // take.
    Rect frame() const;
    // Whether the X server has mapped the window and the window has taken its frame: GTK calls a
    // window mapped as soon as it asks for that.
    bool isMappedOnScreen() const { return mappedOnScreen_; }
    void setFrame(const Rect& frame);

    // The frame as it is saved, with the display number of its monitor: the last normal frame while
    // the window is maximised or full screen.
    CodableRect savedFrame() const;
    bool isMaximizedOrFullscreen() const;

    // The monitors as the window sees them now.
    ScreenLayout screens() const;

    // Whether the window keeps out of the taskbar while it is not minimised (a minimised window is
    // always listed, so it can be restored).
    void setSkipsTaskbar(bool skips);

    bool isAlwaysOnTop() const { return alwaysOnTop_; }
    // Minimised by the window manager (and so in the taskbar).
    bool isMinimized() const { return minimized_; }
    // GDK cannot read "on all workspaces" back reliably, so the window keeps what it asked for.
    bool isOnAllWorkspaces() const { return onAllWorkspaces_; }
    bool isCompact() const { return compact_; }
    double panelOpacity() const { return opacity_; }

    Gtk::HeaderBar& headerBar() { return headerBar_; }

    // Click-through: with an empty input shape every click and scroll goes to the window below.
    void setIgnoresMouseEvents(bool ignores);
    bool ignoresMouseEvents() const { return ignoresMouseEvents_; }

    // Emitted (on idle) when the visible frame changed: moved or resized by the user, the window
    // manager or the application.
    sigc::signal<void()>& signal_frame_changed() { return frameChanged_; }

private:
    bool isOnScreen() const;
    std::optional<WindowPlacement> placement() const;
    void requestFrame(const Rect& frame);
    void showOpacity();
    bool onMapEvent(GdkEventAny* event);
    bool onConfigureEvent(GdkEventConfigure* event);
    void scheduleFrameCheck();
    void showTaskbarHint();

    Gtk::HeaderBar headerBar_;
    bool alwaysOnTop_ = false;
    bool onAllWorkspaces_ = false;
    bool compact_ = false;
    double opacity_ = 1.0;
    bool ignoresMouseEvents_ = false;
    bool skipsTaskbar_ = true;
    bool minimized_ = false;
    std::optional<Rect> lastFrame_;      // last frame known or asked for
    std::optional<Rect> pendingFrame_;   // to be applied exactly once the window is on screen
    std::optional<Rect> reportedFrame_;  // last frame signal_frame_changed announced
    NormalFrameHistory normalFrames_;    // seen while neither maximised nor full screen
    bool mappedOnScreen_ = false;
    sigc::signal<void()> frameChanged_;
    sigc::connection frameCheck_;
    sigc::connection compactRestore_;
};

}  // namespace quenlith

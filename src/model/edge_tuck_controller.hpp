#pragma once

// Tucking a browser window at the left or right edge of its screen: the window goes away and a slim
// handle stays at the edge; hovering the handle shows the window without taking the focus, the
// mouse kept away from the shown window tucks it again, a click brings it back for good. A window
// whose website asks for it tucks by itself when it is dragged next to an edge and let go.
// The decisions live here, without a display; the window layer implements EdgeTuckWindow.

#include <chrono>
#include <optional>
#include <string>

#include "model/clock.hpp"
#include "model/dock_edge.hpp"
#include "model/scheduler.hpp"
#include "model/window_geometry.hpp"

namespace quenlith {

struct ScreenPoint {
    double x = 0;
    double y = 0;
};

// What tucking needs of one window and does to it.
class EdgeTuckWindow {
public:
    virtual ~EdgeTuckWindow() = default;

    virtual Rect frame() const = 0;
    // The visible frame (work area) of the screen holding the window, else of the main screen;
    // none without a screen.
    virtual std::optional<Rect> visibleFrame() const = 0;
    virtual bool isKey() const = 0;
    // A dialog is attached to the window: it is never tucked then.
    virtual bool hasSheet() const = 0;
    virtual bool edgeTuckEnabled() const = 0;
    // The title the handle is named after.
    virtual std::string displayTitle() const = 0;
    virtual ScreenPoint mouseLocation() const = 0;
    virtual bool mouseButtonPressed() const = 0;

    // Takes the window off the screen; its page is no longer presented.
    virtual void orderOut() = 0;
    // Shows the handle at `frame` (root coordinates) under the accessible name `label`, without
    // activating the application.
    virtual void showHandle(const Rect& frame, const std::string& label) = 0;
    virtual void hideHandle() = 0;
    // Shows the window (see BrowserWindowController::present).
    virtual void present(bool activate, bool keepTuck, bool wake) = 0;
    // The window's visibility changed: the manager publishes it.
    virtual void visibilityChanged() = 0;
};

class EdgeTuckController {
public:
    static constexpr std::chrono::milliseconds kSettleTime{450};
    static constexpr double kDockTolerance = 18;
    static constexpr std::chrono::milliseconds kPollInterval{200};
    static constexpr double kRevealMargin = 8;
    static constexpr double kOutsideSeconds = 0.7;

    // `owner` must outlive the controller or be released by tearDown() first.
    EdgeTuckController(EdgeTuckWindow& owner, Scheduler& timers = mainLoopScheduler(), const Clock& clock = systemClock());
    ~EdgeTuckController();
    EdgeTuckController(const EdgeTuckController&) = delete;
    EdgeTuckController& operator=(const EdgeTuckController&) = delete;

    // Tucks the window at `edge`, or at the nearer side of its screen (a window centred exactly
    // goes right). Nothing without a screen or with a dialog attached.
    void tuck(std::optional<DockEdge> edge = std::nullopt);
    // Shows the tucked window without activating; it stays tucked and goes away again by itself.
    // The handle stays on screen meanwhile, for a click.
    void reveal();
    // The handle was clicked or pressed: the tuck ends and the window comes to the front, active.
    void click();
    // Undoes the tuck without showing or hiding the window.
    void reset();
    // reset(), then the owner is forgotten: nothing happens afterwards.
    void tearDown();
    // After every move of the window: a drag of the shown window ends its tuck; with edge tucking
    // on, the window tucks once it rests next to an edge for kSettleTime with no button pressed.
    void windowMoved();
    // The poll: hover over the handle shows the window; the mouse more than kRevealMargin away from
    // a shown window that is not key (and off its handle) for more than kOutsideSeconds tucks it
    // again.
    void tick();

    // The edge the window is tucked at (also while it is shown by hovering); none when not tucked.
    const std::optional<DockEdge>& edge() const { return edge_; }
    // Tucked with the window off the screen (not shown by hovering).
    bool isTuckedAway() const { return edge_ && !revealed_; }
    // Whether the poll runs; it runs only while the window is tucked or shown by hovering.
    bool isPolling() const { return timer_.pending(); }

private:
    void startTimer();
    void settle();

    EdgeTuckWindow* owner_;
    Scheduler& timers_;
    const Clock& clock_;
    ScheduledTask timer_;
    ScheduledTask moveTask_;
    std::optional<Date> outsideSince_;
    std::optional<DockEdge> edge_;
    std::optional<Rect> handleFrame_;
    bool revealed_ = false;
};

}  // namespace quenlith

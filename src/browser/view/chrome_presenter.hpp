#pragma once

#include "model/scheduler.hpp"

namespace Gtk {
class HeaderBar;
}

namespace quenlith {

class BrowserChrome;
class BrowserViewController;

// Shows one browser view's state in its chrome: the active tab's controls, title, boxes and the
// tab strip, the window title, and where the navigation controls go (the window's header bar, or
// the chrome in compact mode, whose hidden controls it reveals). Main thread only.
class ChromePresenter {
public:
    // `deferred` runs the refreshes put off until the current event has been handled.
    ChromePresenter(BrowserViewController& view, BrowserChrome& chrome, Scheduler& deferred);
    ChromePresenter(const ChromePresenter&) = delete;
    ChromePresenter& operator=(const ChromePresenter&) = delete;

    // The view tree is built: the chrome is laid out and refreshed from now on.
    void begin();
    // The view's browsing ended: the controls come home from the header bar and nothing is
    // refreshed any more.
    void end();

    // The window's header bar: the navigation controls and the page title go there, except in
    // compact mode, where the window has no title bar and they stay in the chrome. Null takes them
    // back; the bar must outlive the view or be taken back before it goes.
    void useHeaderBar(Gtk::HeaderBar* bar);
    // Puts the controls where the website's compact mode and the header bar ask.
    void placeToolbar();
    void layout();
    // Shows the active tab's state and reports the change to the window.
    void refresh();
    // Refreshes once the current event has been handled (many changes, one refresh).
    void scheduleRefresh();
    // Makes the start page with the window's maker once there is one.
    void installStartPage();

    // Whether compact mode shows its hidden controls. Set alone, it takes effect at the next layout.
    bool compactRevealed() const { return compactRevealed_; }
    void setCompactRevealed(bool revealed) { compactRevealed_ = revealed; }
    // The pointer entered the reveal strip (leaving it hides nothing).
    void revealCompactChrome(bool hovering);
    // Reveals compact mode's controls and puts the keyboard into the address field.
    void focusAddressField();

private:
    BrowserViewController& view_;
    BrowserChrome& chrome_;
    Scheduler& deferred_;
    Gtk::HeaderBar* headerBar_ = nullptr;
    bool compactRevealed_ = false;
    bool built_ = false;
    bool ended_ = false;
    ScheduledTask refreshTask_;
};

}  // namespace quenlith

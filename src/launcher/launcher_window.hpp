#pragma once

#include <memory>

#include <gtkmm/scrolledwindow.h>
#include <gtkmm/window.h>
#include <sigc++/connection.h>

#include "launcher/launcher_geometry.hpp"

namespace quenlith {

class MenuBarView;

// The window that holds the launcher. Opened from the tray it is an undecorated window above the
// others at the click, sized to the monitor's work area and closed when it loses the focus (not
// while one of its own menus or questions is open); without a tray it is an ordinary window,
// opened above the others until another window is in use.
class LauncherWindow : public Gtk::Window {
public:
    // `view` is managed by the window.
    explicit LauncherWindow(MenuBarView* view);
    ~LauncherWindow() override;

    MenuBarView& view() { return *view_; }

    // Opens at the point (root coordinates); (0, 0) means the pointer's position.
    void showAt(int x, int y);
    // Opens as an ordinary window in the middle of the monitor.
    void showAsWindow();
    // Closes when shown at a point, else opens there.
    void toggleAt(int x, int y);
    // Hides at once; safe inside the window's own handlers.
    void dismiss();
    bool isShown() const { return get_visible(); }
    bool isPopover() const { return popover_; }
    // The frame asked for at the last opening.
    const LauncherRect& frame() const { return frame_; }
    // Takes `frame` (root coordinates) as its size and place.
    void applyFrame(const LauncherRect& frame);

protected:
    bool on_focus_out_event(GdkEventFocus* event) override;
    void on_show() override;
    bool on_key_press_event(GdkEventKey* event) override;
    bool on_delete_event(GdkEventAny* event) override;

private:
    // Shown, it takes the focus, and asks again when the window manager gave it elsewhere.
    void askForFocus();
    // Put away by the person (Escape, its close button): the focus goes back where it came from.
    void putAway();
    void focusSearch();

    // Holds the view, which scrolls as a whole only in a frame shorter than its header, switch,
    // search field and footer together.
    Gtk::ScrolledWindow scroller_;
    MenuBarView* view_;
    bool popover_ = false;
    LauncherRect frame_;
    sigc::connection focusCheck_;
};

}  // namespace quenlith

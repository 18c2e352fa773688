#include "launcher/launcher_window.hpp"

#include <gdkmm/display.h>
#include <gdkmm/monitor.h>
#include <gdkmm/seat.h>
#include <glibmm/main.h>

#include "launcher/launcher_style.hpp"
#include "launcher/menu_bar_view.hpp"
#include "launcher/website_start_page.hpp"
#include "ui/asked_window.hpp"
#include "ui/kept_above.hpp"
#include "ui/work_area_fit.hpp"

namespace quenlith {

namespace {

LauncherRect workAreaAt(const Glib::RefPtr<Gdk::Display>& display, int x, int y) {
    auto monitor = display->get_monitor_at_point(x, y);
    if (!monitor) monitor = display->get_primary_monitor();
    if (!monitor) return {0, 0, kLauncherWidth + 24, kLauncherHeight + 36};
    Gdk::Rectangle area;
    monitor->get_workarea(area);
    return {area.get_x(), area.get_y(), area.get_width(), area.get_height()};
}

}  // namespace

LauncherWindow::LauncherWindow(MenuBarView* view) : view_(Gtk::manage(view)) {
    installLauncherStyle();
    set_title("Quenlith");
    set_default_size(kLauncherWidth, kLauncherHeight);
    // Opened as a window, its title bar comes on top of the size computed for it.
    keepInWorkArea(*this);
    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroller_.add(*view_);
    // A control reached by the keyboard is scrolled into sight.
    view_->set_focus_vadjustment(scroller_.get_vadjustment());
    add(scroller_);
    scroller_.show_all();
}

LauncherWindow::~LauncherWindow() { focusCheck_.disconnect(); }

void LauncherWindow::applyFrame(const LauncherRect& frame) {
    frame_ = frame;
    view_->set_size_request(frame.width, frame.height);
    resize(frame.width, frame.height);
    move(frame.x, frame.y);
}

void LauncherWindow::showAt(int x, int y) {
    auto display = get_display();
    if (x == 0 && y == 0)
        if (auto seat = display->get_default_seat())
            if (auto pointer = seat->get_pointer()) {
                Glib::RefPtr<Gdk::Screen> screen;
                pointer->get_position(screen, x, y);
            }
    if (!get_realized()) set_skip_pager_hint(true);
    noteAskedFrom(*this, focusedApplicationWindow());
    popover_ = true;
    set_decorated(false);
    keepAbove(*this, KeptAbove::always);
    set_skip_taskbar_hint(true);
    applyFrame(launcherFrame(workAreaAt(display, x, y), x, y, view_->neededWidth()));
    show();
    askForFocus();
}

void LauncherWindow::showAsWindow() {
    noteAskedFrom(*this, focusedApplicationWindow());
    popover_ = false;
    set_decorated(true);
    // Asked for, it comes in front of the websites kept above, until another window is in use.
    keepAbove(*this, KeptAbove::untilAnotherWindow);
    set_skip_taskbar_hint(false);
    auto area = workAreaAt(get_display(), 0, 0);
    LauncherRect frame = launcherFrame(area, area.x + area.width / 2, area.y, view_->neededWidth());
    frame.y = area.y + std::max(0, (area.height - frame.height) / 2);
    applyFrame(frame);
    show();
    askForFocus();
}

void LauncherWindow::askForFocus() {
    noteFocusRequested(askingInputTime(*this));
    present();
    askAgainIfNotFocused(*this);
    focusSearch();
}

void LauncherWindow::focusSearch() {
    // Typing right away goes to the search field, not to the first button of the header.
    if (WebsiteStartPage* page = view_->startPage()) page->searchField().grab_focus();
}

void LauncherWindow::toggleAt(int x, int y) {
    if (get_visible()) {
        dismiss();
        return;
    }
    showAt(x, y);
}

void LauncherWindow::dismiss() {
    focusCheck_.disconnect();
    hide();
}

void LauncherWindow::putAway() {
    focusCheck_.disconnect();
    // The window it was opened from has the focus back: the window manager may leave none focused.
    hideAskedWindow(*this);
}

bool LauncherWindow::on_focus_out_event(GdkEventFocus* event) {
    Gtk::Window::on_focus_out_event(event);
    // The focus-out of a withdrawn launcher comes after it hid: its check would judge the next showing.
    if (!popover_ || !get_visible()) return false;
    // Checked on the next turn: a menu or question of the launcher takes the focus for a moment.
    focusCheck_.disconnect();
    focusCheck_ = Glib::signal_idle().connect([this] {
        if (!get_visible() || has_toplevel_focus() || LauncherHold::active()) return false;
        // Being given the focus back as a window it opened closes, it may lose it to the window
        // manager for a moment: it asks once more when that has settled, instead of closing.
        if (const auto settling = focusReturnPending(*this); settling.count() > 0) {
            focusCheck_ = Glib::signal_timeout().connect(
                [this] {
                    if (get_visible() && !has_toplevel_focus()) askForFocusAgain(*this);
                    return false;
                },
                static_cast<unsigned>(settling.count()));
            return false;
        }
        dismiss();
        return false;
    });
    return false;
}

void LauncherWindow::on_show() {
    // Shown again (also as the focus comes back to it), it has the focus only once mapped: a check
    // still waiting from the last showing would close it before.
    focusCheck_.disconnect();
    Gtk::Window::on_show();
}

bool LauncherWindow::on_key_press_event(GdkEventKey* event) {
    if (event->keyval == GDK_KEY_Escape && !LauncherHold::active()) {
        putAway();
        return true;
    }
    return Gtk::Window::on_key_press_event(event);
}

bool LauncherWindow::on_delete_event(GdkEventAny*) {
    // Closing keeps the launcher for the next opening.
    putAway();
    return true;
}

}  // namespace quenlith

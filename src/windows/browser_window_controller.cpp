#include "windows/browser_window_controller.hpp"

#include <gdk/gdk.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/label.h>

#include "browser/view/browser_view_controller.hpp"
#include "model/edge_tuck_controller.hpp"
#include "model/kept_call.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "ui/asked_window.hpp"
#include "ui/toast_placement.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/panel_tuck_window.hpp"

// Last: Xlib defines macros (Status, None) that clash with ordinary names.
#include <gdk/gdkx.h>

namespace quenlith {

BrowserWindowController::BrowserWindowController(const Uuid& windowID, const WebAppProfile& profile,
                                                 std::unique_ptr<BrowserViewController> browser,
                                                 std::unique_ptr<FloatingBrowserPanel> panel,
                                                 PreferencesStore& preferencesStore,
                                                 WebAppStore& websiteStore)
    : id(windowID),
      profileID(profile.id),
      preferences_(preferencesStore),
      store_(websiteStore),
      browser_(std::move(browser)),
      panel_(std::move(panel)),
      appliedProfile_(profile) {
    // The navigation controls and the page title live in the window's title bar.
    browser_->presenter().useHeaderBar(&panel_->headerBar());
    content_.add(browser_->view());
    browser_->view().show();
    content_.show();
    // The notice keeps to the bottom, wholly inside the window, as tall as its wrapped text.
    content_.signal_get_child_position().connect(
        [this](Gtk::Widget* widget, Gdk::Rectangle& allocation) {
            if (!toast_ || widget != toast_.get()) return false;
            placeToast(*widget, {content_.get_allocated_width(), content_.get_allocated_height(), 0},
                       ToastEdge::bottom, allocation);
            return true;
        },
        false);
    panel_->add(content_);
    // The window's title follows the page from now on, and a page taken over from the start may
    // have told its title already.
    browser_->presenter().refresh();
    // The platform never closes a browser window: the close button only asks the manager.
    connections_.push_back(
        panel_->signal_delete_event().connect(sigc::mem_fun(*this, &BrowserWindowController::deleteRequested), false));
}

BrowserWindowController::~BrowserWindowController() {
    disconnectWindow();
    if (edgeTuck_) edgeTuck_->tearDown();
    removeToast();
    if (!tornDown_) {
        browser_->tearDown();
        panel_->hide();
        panel_->remove();
        content_.remove();
    }
}

void BrowserWindowController::disconnectWindow() {
    focusOnMap_.disconnect();
    for (auto& connection : connections_) connection.disconnect();
    connections_.clear();
}

void BrowserWindowController::becomeDelegate() {
    knownFrame_ = panel_->frame();
    connections_.push_back(
        panel_->signal_frame_changed().connect(sigc::mem_fun(*this, &BrowserWindowController::frameChanged)));
    connections_.push_back(panel_->signal_window_state_event().connect(
        sigc::mem_fun(*this, &BrowserWindowController::windowStateChanged), false));
    connections_.push_back(
        panel_->property_is_active().signal_changed().connect(sigc::mem_fun(*this, &BrowserWindowController::activeChanged)));
    restoring_ = false;
}

bool BrowserWindowController::isOnScreen() const { return panel_->get_visible() && !minimized_; }

EdgeTuckController& BrowserWindowController::edgeTuck() {
    if (!edgeTuck_) {
        tuckWindow_ = std::make_unique<PanelTuckWindow>(
            *panel_, *browser_,
            TuckedWindowActions{
                [this](bool activate, bool keepTuck, bool wake) { present(activate, keepTuck, wake); },
                [this] { callKept(reports_.onVisibility); }});
        edgeTuck_ = std::make_unique<EdgeTuckController>(*tuckWindow_);
        tuckWindow_->setController(*edgeTuck_);
    }
    return *edgeTuck_;
}

bool BrowserWindowController::isTuckedAway() const { return edgeTuck_ && edgeTuck_->isTuckedAway(); }

bool BrowserWindowController::deleteRequested(GdkEventAny*) {
    // The close request may end this window, and tearDown() resets the closure while it runs.
    callKept(reports_.onClose);
    return true;
}

void BrowserWindowController::frameChanged() {
    Rect now = panel_->frame();
    std::optional<Rect> before = knownFrame_;
    knownFrame_ = now;
    if (restoring_ || !before) return;
    bool moved = now.x != before->x || now.y != before->y;
    bool resized = now.width != before->width || now.height != before->height;
    if (!moved && !resized) return;
    saveFrame();
    // The edge-tuck check follows moves only, not resizes.
    if (moved) edgeTuck().windowMoved();
    callKept(reports_.onVisibility);
}

bool BrowserWindowController::windowStateChanged(GdkEventWindowState* event) {
    if (!(event->changed_mask & GDK_WINDOW_STATE_ICONIFIED)) return false;
    bool iconified = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
    if (iconified == minimized_) return false;
    minimized_ = iconified;
    if (!iconified && (event->new_window_state & GDK_WINDOW_STATE_WITHDRAWN)) {
        // A minimised window that was hidden leaves the minimised state without coming back: it
        // stays hidden and not presented until it is shown.
        callKept(reports_.onVisibility);
        return false;
    }
    if (iconified) {
        edgeTuck().reset();
        browser_->setPresented(false, true);
        callKept(reports_.onMinimize);
    } else {
        // Back from the taskbar: presented again, and a sleeping active tab wakes.
        browser_->setPresented(true, true);
    }
    callKept(reports_.onVisibility);
    return false;
}

void BrowserWindowController::activeChanged() {
    if (panel_->property_is_active().get_value()) callKept(reports_.onActive);
}

void BrowserWindowController::present(bool activate, bool keepTuck, bool wake, std::uint32_t eventTime) {
    if (!keepTuck) edgeTuck().reset();
    // Showing a window always ends click-through.
    browser_->setClickThroughEnabled(false);
    panel_->setIgnoresMouseEvents(false);
    // A window hidden while minimised would otherwise come back minimised.
    if (minimized_ || !panel_->get_visible()) panel_->deiconify();
    panel_->clampToScreen();
    if (activate) {
        // A request without the time of the input that caused it loses against the user time of
        // a window that had the focus before: the last input GDK saw stands in for it.
        GdkDisplay* display = panel_->get_display()->gobj();
        const std::uint32_t time = eventTime                     ? eventTime
                                   : GDK_IS_X11_DISPLAY(display) ? gdk_x11_display_get_user_time(display)
                                                                 : GDK_CURRENT_TIME;
        const bool wasMapped = panel_->get_mapped();
        // A window closed by the same input (the editor after "Add & Open") leaves the focus here.
        noteFocusRequested(time);
        // A window that had the focus before carries the user time of its last input, older than
        // this request's: some window managers weigh the request by the window's own user time.
        if (auto window = panel_->get_window();
            window && time != GDK_CURRENT_TIME && GDK_IS_X11_WINDOW(window->gobj()))
            gdk_x11_window_set_user_time(window->gobj(), time);
        panel_->present(time);
        askAgainIfNotFocused(*panel_);
        // A window shown again is mapped with that time, and some window managers still keep the
        // focus where it is: once it is mapped, the focus is asked for again with the same time.
        focusOnMap_.disconnect();
        if (!wasMapped && time != GDK_CURRENT_TIME)
            focusOnMap_ = panel_->signal_map_event().connect(
                [this, time](GdkEventAny*) {
                    focusOnMap_.disconnect();
                    if (auto window = panel_->get_window(); window && !minimisedNow(panel_->gobj()))
                        window->focus(time);
                    return false;
                },
                true);
        browser_->page().focusActiveContent();
    } else {
        if (!panel_->get_visible()) {
            // Shown without taking the focus from the application the user is in.
            panel_->set_focus_on_map(false);
            panel_->show();
            panel_->set_focus_on_map(true);
        }
        if (auto window = panel_->get_window()) window->raise();
    }
    browser_->setPresented(true, wake);
}

void BrowserWindowController::applyProfile(const WebAppProfile& profile) {
    const bool tuckWasOn = browser_->profile().edgeTuckEnabled.value_or(false);
    appliedProfile_ = profile;
    restoring_ = true;
    panel_->apply(profile);
    browser_->applyProfile(profile);
    restoring_ = false;
    if (!tuckWasOn || profile.edgeTuckEnabled.value_or(false)) return;
    // Edge tucking switched off: a window tucked away comes back, without taking the focus.
    const bool wasAway = isTuckedAway();
    edgeTuck().reset();
    if (!wasAway) return;
    present(false, false, true);
    callKept(reports_.onVisibility);
}

void BrowserWindowController::saveFrame() {
    if (restoring_ || id != profileID) return;
    auto website = store_.profile(profileID);
    if (!website || !website->rememberWindowFrame) return;
    CodableRect frame = panel_->savedFrame();
    // The same place is no change, even when the saved frame does not name its display yet: the
    // file is rewritten only when the person (or the window manager) moved or resized the window.
    if (website->windowFrame && rect(*website->windowFrame) == rect(frame)) return;
    store_.setWindowFrame(frame, profileID);
}

void BrowserWindowController::tearDown() {
    if (tornDown_) return;
    tornDown_ = true;
    disconnectWindow();
    if (edgeTuck_) edgeTuck_->tearDown();
    reports_ = {};
    removeToast();
    browser_->tearDown();
    panel_->hide();
    panel_->remove();
    content_.remove();
}

// ---- Notices ----------------------------------------------------------------------------------

void BrowserWindowController::showToast(const std::string& message, Scheduler& timers,
                                        std::chrono::milliseconds duration) {
    if (tornDown_) return;
    removeToast();
    static const Glib::RefPtr<Gtk::CssProvider> style = [] {
        auto provider = Gtk::CssProvider::create();
        provider->load_from_data(
            ".quenlith-toast { background-color: rgba(0, 0, 0, 0.85); color: white; font-size: 12pt;"
            " font-weight: 500; padding: 6px 12px; border-radius: 6px; }");
        return provider;
    }();
    auto label = std::make_unique<Gtk::Label>(message);
    label->get_style_context()->add_provider(style, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    label->get_style_context()->add_class("quenlith-toast");
    label->set_line_wrap(true);
    label->show();
    content_.add_overlay(*label);
    toast_ = std::move(label);
    toastTask_ = timers.schedule(duration, [this] { removeToast(); });
}

std::optional<std::string> BrowserWindowController::toastText() const {
    if (auto* label = dynamic_cast<Gtk::Label*>(toast_.get())) return label->get_text();
    return std::nullopt;
}

void BrowserWindowController::removeToast() {
    toastTask_.cancel();
    if (!toast_) return;
    static_cast<Gtk::Container&>(content_).remove(*toast_);
    toast_.reset();
}

}  // namespace quenlith

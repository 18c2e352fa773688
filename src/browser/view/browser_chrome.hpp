#pragma once

#include <functional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/overlay.h>
#include <gtkmm/progressbar.h>

#include "browser/view/browser_find_bar.hpp"
#include "browser/view/browser_layout.hpp"
#include "browser/view/browser_toolbar.hpp"
#include "browser/view/compact_reveal_view.hpp"
#include "browser/view/tab_strip.hpp"
#include "browser/view/toast.hpp"

namespace Gtk {
class HeaderBar;
class Window;
}  // namespace Gtk
typedef struct _WebKitWebView WebKitWebView;

namespace quenlith {

class Scheduler;

// The widgets of one browser view: the chrome at the top (toolbar, tab strip, sign-in notice, find
// bar), the content (the active web view with the error box, the sleep box and the start page
// above it), the reveal strip of compact mode, the progress line and the toast over them all. It
// owns them, lays them out and shows the state the browser view computes; the browser view decides
// what they show. Main thread only.
class BrowserChrome {
public:
    // What the buttons of the content's boxes do.
    struct Actions {
        std::function<void()> openExternal;
        std::function<void()> retryLoading;
        std::function<void()> wakeActiveTab;
    };

    // `deferred` runs the tab strip's work put off to after the current event; `timers` the toast's.
    BrowserChrome(Scheduler& deferred, Scheduler& timers);
    ~BrowserChrome();
    BrowserChrome(const BrowserChrome&) = delete;
    BrowserChrome& operator=(const BrowserChrome&) = delete;

    // Builds the tree, once, with the boxes' buttons doing `actions`.
    void build(Actions actions);
    // The address field and start button of a private window.
    void applyPrivateStyle();
    // The whole tree, for the window.
    Gtk::Widget& root() { return root_; }
    // The window the tree is in, if any.
    Gtk::Window* window() const;

    // Shows the bars that `input` asks for (the visibility of the sign-in notice, the find bar and
    // the toolbar's place are read from the widgets).
    void layout(ChromeLayoutInput input);
    // Puts the navigation controls into `bar`, or into the chrome when it is null.
    void placeToolbar(Gtk::HeaderBar* bar);
    // Makes the start page with `make` unless there is one; false when there is none after.
    bool installStartPage(const std::function<Gtk::Widget*()>& make);
    void removeStartPage();
    // Makes `webView` the page shown in the content.
    void hostWebView(WebKitWebView* webView);
    // Shows the active tab's state; `title` is the page title under the controls.
    void show(const ChromeState& state, WebKitWebView* webView, const std::string& title);

    // The parts, for the browser view, the window and their tests.
    BrowserToolbar& toolbar() { return toolbar_; }
    BrowserFindBar& findBar() { return findBar_; }
    TabStrip& tabStrip() { return tabStrip_; }
    CompactRevealView& revealView() { return reveal_; }
    Toast& toast() { return toast_; }
    Gtk::Widget& chromeView() { return chrome_; }
    Gtk::Widget& contentView() { return content_; }
    Gtk::Widget& authBarView() { return authBar_; }
    Gtk::Widget& errorBoxView() { return errorBox_; }
    Gtk::Label& errorLabel() { return errorLabel_; }
    Gtk::Widget& sleepBoxView() { return sleepBox_; }
    Gtk::Widget* startPageView() const { return startPage_; }
    int contentTop() const { return content_.get_margin_top(); }

private:
    // The chrome's height at the view's `width`: its bars' fixed heights.
    int chromeHeight(int width) const;
    // How far down the bars shown at the top of the view (chrome, reveal strip, progress line) reach.
    int barsHeight(int width) const;

    // Before the tree: they leave their parents when the chrome ends, the tree going first.
    BrowserToolbar toolbar_;
    BrowserFindBar findBar_;
    // The view tree; containers before their children, so children go first.
    Gtk::Overlay root_;
    Gtk::Overlay content_;
    Gtk::Box webHost_;
    Gtk::Box chrome_;
    TabStrip tabStrip_;
    Gtk::Box authBar_;
    Gtk::Label authLabel_;
    Gtk::Button authOpen_;
    Gtk::Box errorBox_;
    Gtk::Label errorTitle_;
    Gtk::Label errorLabel_;
    Gtk::Button errorRetry_;
    Gtk::Button errorOpen_;
    Gtk::Box sleepBox_;
    Gtk::Label sleepLabel_;
    Gtk::Button sleepWake_;
    CompactRevealView reveal_;
    Gtk::ProgressBar progress_;
    Gtk::Widget* startPage_ = nullptr;  // owned by content_
    Toast toast_;
};

}  // namespace quenlith

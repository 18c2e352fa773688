#include "browser/view/browser_chrome.hpp"

#include <algorithm>

#include <atkmm/object.h>
#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "model/localization.hpp"
#include "ui/form_rows.hpp"
#include "ui/toast_placement.hpp"

namespace quenlith {

BrowserChrome::BrowserChrome(Scheduler& deferred, Scheduler& timers)
    : chrome_(Gtk::ORIENTATION_VERTICAL, 0),
      tabStrip_(deferred),
      authBar_(Gtk::ORIENTATION_HORIZONTAL, 8),
      errorBox_(Gtk::ORIENTATION_VERTICAL, 12),
      sleepBox_(Gtk::ORIENTATION_VERTICAL, 12),
      toast_(timers) {}

BrowserChrome::~BrowserChrome() {
    // The toolbar and the find bar outlive the chrome box that holds them.
    for (Gtk::Widget* child : {static_cast<Gtk::Widget*>(&toolbar_), static_cast<Gtk::Widget*>(&findBar_)})
        if (child->get_parent()) child->get_parent()->remove(*child);
}

Gtk::Window* BrowserChrome::window() const {
    auto* toplevel = const_cast<Gtk::Overlay&>(root_).get_toplevel();
    if (!toplevel || !toplevel->get_is_toplevel()) return nullptr;
    return dynamic_cast<Gtk::Window*>(toplevel);
}

void BrowserChrome::build(Actions actions) {
    root_.get_style_context()->add_class("quenlith-browser");

    // Chrome: toolbar, tab strip, sign-in notice and find bar, stacked at the top.
    chrome_.get_style_context()->add_class("quenlith-chrome");
    chrome_.set_halign(Gtk::ALIGN_FILL);
    chrome_.set_valign(Gtk::ALIGN_START);

    toolbar_.set_size_request(-1, ChromeMetrics::toolbarHeight);

    authBar_.get_style_context()->add_class("quenlith-auth-bar");
    authBar_.set_size_request(-1, ChromeMetrics::authBarHeight);
    authLabel_.set_text(localizedString("Sign-in provider restrictions may apply."));
    authLabel_.set_line_wrap(true);
    authLabel_.set_xalign(0);
    authLabel_.set_hexpand(true);
    authLabel_.set_margin_start(10);
    authLabel_.get_style_context()->add_class("quenlith-small");
    authOpen_.set_label(localizedString("Open in Browser"));
    authOpen_.set_margin_end(10);
    authOpen_.set_valign(Gtk::ALIGN_CENTER);
    authOpen_.signal_clicked().connect(actions.openExternal);
    authBar_.pack_start(authLabel_, true, true);
    authBar_.pack_start(authOpen_, false, false);
    authBar_.show_all_children();

    findBar_.set_size_request(-1, ChromeMetrics::findBarHeight);

    chrome_.pack_start(toolbar_, false, false);
    chrome_.pack_start(tabStrip_.view(), false, false);
    chrome_.pack_start(authBar_, false, false);
    chrome_.pack_start(findBar_, false, false);
    toolbar_.show();
    tabStrip_.view().show_all();
    authBar_.hide();
    findBar_.hide();
    findBar_.set_no_show_all(true);
    authBar_.set_no_show_all(true);

    // Content: the active web view with the error box, the sleep box and the start page above it.
    content_.add(webHost_);
    webHost_.set_hexpand(true);
    webHost_.set_vexpand(true);

    errorBox_.set_halign(Gtk::ALIGN_CENTER);
    errorBox_.set_valign(Gtk::ALIGN_CENTER);
    errorBox_.set_margin_start(24);
    errorBox_.set_margin_end(24);
    errorBox_.get_style_context()->add_class("quenlith-message-box");
    errorTitle_.set_text(localizedString("This page couldn\u2019t load"));
    errorTitle_.get_style_context()->add_class("quenlith-box-title");
    errorLabel_.set_line_wrap(true);
    errorLabel_.set_justify(Gtk::JUSTIFY_CENTER);
    styleSecondaryText(errorLabel_);
    errorRetry_.set_label(localizedString("Try Again"));
    errorRetry_.set_halign(Gtk::ALIGN_CENTER);
    errorRetry_.signal_clicked().connect(actions.retryLoading);
    errorOpen_.set_label(localizedString("Open in Default Browser"));
    errorOpen_.set_halign(Gtk::ALIGN_CENTER);
    errorOpen_.signal_clicked().connect(actions.openExternal);
    errorBox_.pack_start(errorTitle_, false, false);
    errorBox_.pack_start(errorLabel_, false, false);
    errorBox_.pack_start(errorRetry_, false, false);
    errorBox_.pack_start(errorOpen_, false, false);
    errorBox_.show_all_children();
    errorBox_.set_no_show_all(true);

    sleepBox_.set_halign(Gtk::ALIGN_CENTER);
    sleepBox_.set_valign(Gtk::ALIGN_CENTER);
    sleepBox_.set_margin_start(24);
    sleepBox_.set_margin_end(24);
    sleepBox_.get_style_context()->add_class("quenlith-message-box");
    sleepLabel_.set_text(localizedString("This tab is asleep. Wake it to reload the page."));
    sleepLabel_.set_line_wrap(true);
    sleepLabel_.set_justify(Gtk::JUSTIFY_CENTER);
    sleepWake_.set_label(localizedString("Wake Tab"));
    sleepWake_.set_halign(Gtk::ALIGN_CENTER);
    sleepWake_.signal_clicked().connect(actions.wakeActiveTab);
    sleepBox_.pack_start(sleepLabel_, false, false);
    sleepBox_.pack_start(sleepWake_, false, false);
    sleepBox_.show_all_children();
    sleepBox_.set_no_show_all(true);

    content_.add_overlay(errorBox_);
    content_.add_overlay(sleepBox_);
    errorBox_.hide();
    sleepBox_.hide();

    // Later layers lie above earlier ones: page, chrome, reveal strip, progress line, toast.
    reveal_.set_halign(Gtk::ALIGN_FILL);
    reveal_.set_valign(Gtk::ALIGN_START);
    reveal_.set_size_request(-1, ChromeMetrics::revealHeight);
    progress_.set_halign(Gtk::ALIGN_FILL);
    progress_.set_valign(Gtk::ALIGN_START);
    progress_.set_size_request(-1, ChromeMetrics::progressHeight);
    progress_.get_style_context()->add_class("quenlith-progress");

    root_.add(content_);
    root_.add_overlay(chrome_);
    // The chrome is exactly as tall as its bars at the view's full width: their fixed heights, not
    // natural sizes measured at some narrower width or with room for a scroll bar.
    root_.signal_get_child_position().connect(
        [this](Gtk::Widget* widget, Gdk::Rectangle& allocation) {
            const int width = root_.get_allocated_width();
            if (widget == &chrome_) {
                allocation = Gdk::Rectangle(0, 0, width, chromeHeight(width));
                return true;
            }
            // Above everything, below the bars at the top while there is room there: a revealed
            // compact chrome lies over the page, so the page's top may be hidden.
            if (widget != &toast_) return false;
            placeToast(toast_, {width, root_.get_allocated_height(), barsHeight(width)}, ToastEdge::top, allocation);
            return true;
        },
        false);
    root_.add_overlay(reveal_);
    root_.add_overlay(progress_);
    root_.add_overlay(toast_);
    content_.show();
    webHost_.show();
    chrome_.show();
    reveal_.hide();
    progress_.hide();
    reveal_.set_no_show_all(true);
    progress_.set_no_show_all(true);
    root_.show();
}

int BrowserChrome::chromeHeight(int width) const {
    int minimum = 0, natural = 0;
    chrome_.get_preferred_height_for_width(width, minimum, natural);
    return minimum;
}

int BrowserChrome::barsHeight(int width) const {
    int covered = chrome_.get_visible() ? chromeHeight(width) : 0;
    for (const Gtk::Widget* strip :
         {static_cast<const Gtk::Widget*>(&reveal_), static_cast<const Gtk::Widget*>(&progress_)}) {
        if (!strip->get_visible()) continue;
        int minimum = 0, natural = 0;
        strip->get_preferred_height_for_width(width, minimum, natural);
        covered = std::max(covered, minimum);
    }
    return covered;
}

void BrowserChrome::applyPrivateStyle() {
    toolbar_.address().get_style_context()->add_class("quenlith-private-address");
    toolbar_.address().get_accessible()->set_name(localizedString("Private address and search"));
    toolbar_.startPage().setSymbol("hand.raised.fill", localizedString("Private Window"));
}

void BrowserChrome::layout(ChromeLayoutInput input) {
    input.authBarVisible = authBar_.get_visible();
    input.findBarVisible = findBar_.get_visible();
    input.toolbarInChrome = toolbar_.headerBar() == nullptr;
    const auto layout = chromeLayout(input);
    tabStrip_.view().set_visible(layout.tabStripVisible);
    chrome_.set_visible(layout.chromeVisible);
    reveal_.set_visible(layout.revealVisible);
    content_.set_margin_top(layout.contentTop);
}

void BrowserChrome::placeToolbar(Gtk::HeaderBar* bar) {
    if (toolbar_.headerBar() != bar) toolbar_.placeIn(bar);
    toolbar_.set_visible(bar == nullptr);
}

bool BrowserChrome::installStartPage(const std::function<Gtk::Widget*()>& make) {
    if (startPage_) return true;
    if (!make) return false;
    startPage_ = make();
    if (!startPage_) return false;
    startPage_->set_halign(Gtk::ALIGN_FILL);
    startPage_->set_valign(Gtk::ALIGN_FILL);
    content_.add_overlay(*startPage_);
    // Below the error, sleep and message boxes, also when it comes after them.
    gtk_overlay_reorder_overlay(content_.gobj(), startPage_->gobj(), 0);
    startPage_->show_all();
    startPage_->hide();
    startPage_->set_no_show_all(true);
    return true;
}

void BrowserChrome::removeStartPage() {
    if (!startPage_) return;
    static_cast<Gtk::Container&>(content_).remove(*startPage_);
    startPage_ = nullptr;
}

void BrowserChrome::hostWebView(WebKitWebView* webView) {
    GtkWidget* widget = GTK_WIDGET(webView);
    if (gtk_widget_get_parent(widget) != GTK_WIDGET(webHost_.gobj())) {
        if (GtkWidget* parent = gtk_widget_get_parent(widget))
            gtk_container_remove(GTK_CONTAINER(parent), widget);
        gtk_widget_set_hexpand(widget, TRUE);
        gtk_widget_set_vexpand(widget, TRUE);
        gtk_container_add(GTK_CONTAINER(webHost_.gobj()), widget);
    }
    gtk_widget_show(widget);
}

void BrowserChrome::show(const ChromeState& state, WebKitWebView* webView, const std::string& title) {
    sleepBox_.set_visible(state.sleepBoxVisible);
    if (startPage_) startPage_->set_visible(state.startPageVisible);
    toolbar_.reload().set_sensitive(state.reloadEnabled);
    toolbar_.saveWebsite().set_sensitive(state.saveWebsiteEnabled);
    if (!toolbar_.isEditingAddress()) toolbar_.showAddress(state.addressText);
    toolbar_.back().set_sensitive(state.backEnabled);
    toolbar_.forward().set_sensitive(state.forwardEnabled);
    if (toolbar_.reload().symbol() != state.reloadSymbol)
        toolbar_.reload().setSymbol(state.reloadSymbol, state.reloadDescription);
    errorLabel_.set_text(state.errorText);
    errorBox_.set_visible(state.errorBoxVisible);
    gtk_widget_set_visible(GTK_WIDGET(webView), state.webViewVisible);
    progress_.set_fraction(std::clamp(state.progress, 0.0, 1.0));
    progress_.set_visible(state.progressVisible);
    authBar_.set_visible(state.authBarVisible);
    toolbar_.setTitle(title, state.addressText);
}

}  // namespace quenlith

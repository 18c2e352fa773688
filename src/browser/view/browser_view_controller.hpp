#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtkmm/menu.h>
#include <sigc++/connection.h>

#include "browser/engine/web_view_factory.hpp"
#include "browser/engine/website_data_store.hpp"
#include "browser/view/auto_reload.hpp"
#include "browser/view/browser_chrome.hpp"
#include "browser/view/browser_context.hpp"
#include "browser/view/browser_more_menu.hpp"
#include "browser/view/browser_tab.hpp"
#include "browser/view/find_session.hpp"
#include "browser/view/outside_link_gate.hpp"
#include "browser/view/page_questions.hpp"
#include "browser/view/page_scripts.hpp"
#include "browser/view/tab_ad_filter.hpp"
#include "browser/view/tab_list.hpp"
#include "browser/view/tab_sleep.hpp"
#include "browser/view/view_tabs.hpp"
#include "browser/view/window_services.hpp"
#include "model/ad_filter_settings.hpp"
#include "model/clock.hpp"
#include "model/page_clip.hpp"
#include "model/restorable_window.hpp"
#include "model/scheduler.hpp"
#include "model/script_dialog_guard.hpp"
#include "model/web_app_profile.hpp"

namespace Gtk {
class HeaderBar;
class Window;
}

namespace quenlith {

// How a view's first tab starts.
struct BrowserViewStart {
    // Handed over by the web engine for a page's popup: the popup shares the opener's store.
    std::optional<WebViewConfiguration> configuration;
    // The first tab's address instead of the website's last or home address.
    std::optional<std::string> url;
    // The first tab opens without an address (the caller loads or restores tabs itself).
    bool dormant = false;
};

// The content of one floating browser window: its tabs with their web views, shown in its chrome
// (toolbar, tab strip, sign-in notice, find bar, reveal strip of compact mode, progress line,
// error and sleep boxes, start page; see BrowserChrome), its more menu, auto-reload timer and ad
// filter. The window manager makes one per window with the application's BrowserContext, fills
// `services` and `isSavedWebsite`, puts view() into the window and drives it through the
// operations below. Main thread only.
class BrowserViewController {
public:
    // `context` holds the services the application shares with every view; `websiteDataStore` is
    // the store of every tab (a popup window's configuration brings its own).
    BrowserViewController(const BrowserContext& context, WebAppProfile profile,
                          std::shared_ptr<WebsiteDataStore> websiteDataStore, BrowserViewStart start = {});
    ~BrowserViewController();
    BrowserViewController(const BrowserViewController&) = delete;
    BrowserViewController& operator=(const BrowserViewController&) = delete;

    // Set by the window manager before the view is built.
    BrowserWindowServices services;
    bool isSavedWebsite = true;  // false for private, duplicate and popup windows
    bool clickThroughEnabled = false;

    const WebAppProfile& profile() const { return profile_; }
    const std::shared_ptr<WebsiteDataStore>& websiteDataStore() const { return websiteDataStore_; }
    bool isPersistent() const;

    // The widget to put into the window; built (with its first tab) on first use.
    Gtk::Widget& view();
    // The window's header bar: the navigation controls and the page title go there, except in
    // compact mode, where the window has no title bar and they stay in the chrome. Null takes them
    // back; the bar must outlive the view or be taken back before it goes.
    void useHeaderBar(Gtk::HeaderBar* bar);

    // The tabs, in strip order, and their operations.
    ViewTabs& tabs() { return tabs_; }
    const ViewTabs& tabs() const { return tabs_; }
    bool isPresented() const { return isPresented_; }
    bool compactRevealed() const { return compactRevealed_; }

    // The active page's address when it may be kept (persistent session, a page, credential-free).
    std::optional<std::string> shareableURL() const;
    void toggleMenuBarIcon();

    // The active page with its selected text (at most 200,000 characters) as a page draft; not
    // called when the page changed meanwhile or cannot be kept.
    void captureSelection(std::function<void(PageClip)> completion);
    // The active page's address, title and scroll fraction (0 to 1, nothing when the page has no
    // scrolling element); not called when the page changed meanwhile or cannot be kept.
    void readingPosition(std::function<void(const std::string& address, const std::string& title,
                                            std::optional<double> fraction)>
                             completion);

    void printActivePage();
    void showFindBar();
    void focusAddressField();
    void focusActiveContent();
    void load(const std::string& address);
    void reloadActiveTab();
    void reloadOrStop();
    void applyProfile(WebAppProfile profile);
    void setPresented(bool presented, bool wake);
    void refreshChrome();

    // Toolbar actions.
    void showStartPage();
    void togglePin();
    void navigate(const std::string& text);

    // The "more" menu and the sheets it opens.
    BrowserMoreMenu& moreMenu() { return moreMenu_; }

    // Hooks of the page events, which live in their own file.
    void retryLoading();
    void openExternal();

    // Sleeping and waking the tabs.
    TabSleep& tabSleep() { return sleep_; }

    // Keeps a reading position (0 to 1) for `address` in the active tab and scrolls there once that
    // page is shown; a missing, non-finite or out-of-range fraction is ignored.
    void restoreReadingPosition(std::optional<double> fraction, const std::string& address);

    // Ends the window's browsing: no more reports, no web view, no timer.
    void tearDown();

    // What the auto-reload timer runs with; nothing while no timer runs.
    const std::optional<AutoReloadTimer::Period>& autoReloadTimer() const { return autoReload_.period(); }

    // The widgets, for the window and its tests.
    BrowserChrome& chrome() { return chrome_; }
    // The questions the pages have open (for the window and its tests).
    const PageQuestions& pageQuestions() const { return questions_; }

private:
    Gtk::Window* window() const;
    void loadView();
    void buildViewTree();
    void loadInWebView(WebKitWebView* webView, const std::string& address);
    void wireActions();
    void layoutChrome();
    void placeToolbar();
    void scheduleAutoReload();
    void revealCompactChrome(bool hovering);
    void scheduleRefresh();
    void handleURLChange(WebKitWebView* webView);
    void autoReloadTick();
    void connectPageEvents(BrowserTab& tab);
    void applyPendingReadingPosition(BrowserTab& tab);
    // The engine's page events and requests (browser_view_controller_page_events.cpp).
    friend struct PageEventHandlers;
    friend class BrowserMoreMenu;
    void defer(std::function<void()> work);

    const BrowserContext context_;
    Gtk::HeaderBar* headerBar_ = nullptr;
    WebAppProfile profile_;
    BrowserViewStart start_;
    std::shared_ptr<WebsiteDataStore> websiteDataStore_;

    ViewTabs tabs_;
    bool viewLoaded_ = false;
    bool tornDown_ = false;
    // Makes the start page with services.makeStartPage once there is a maker.
    void installStartPage();
    bool isPresented_ = false;
    bool compactRevealed_ = false;
    AutoReloadTimer autoReload_;
    ScheduledTask refreshTask_;
    std::vector<ScheduledTask> deferredTasks_;
    TabAdFilter adFilter_;
    // Answers of the engine that arrive after the controller is gone find this expired.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);

    // The widgets: after the tabs, so they go first.
    BrowserChrome chrome_;
    sigc::connection downloadEnded_;
    BrowserMoreMenu moreMenu_{*this};

    // After the tabs, so they end first: no question or script answer outlives the pages.
    FindSession find_;
    PageScripts scripts_;
    OutsideLinkGate outsideLinks_;
    // Each tab's script dialogs, counted to offer stopping a page that keeps asking (by tab id;
    // before the questions, whose answers still reach them).
    std::map<Uuid, ScriptDialogGuard> dialogGuards_;
    PageQuestions questions_;
    TabSleep sleep_{*this, context_};
};

}  // namespace quenlith

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
#include "browser/view/active_page.hpp"
#include "browser/view/auto_reload.hpp"
#include "browser/view/browser_chrome.hpp"
#include "browser/view/browser_context.hpp"
#include "browser/view/browser_more_menu.hpp"
#include "browser/view/browser_tab.hpp"
#include "browser/view/chrome_presenter.hpp"
#include "browser/view/find_session.hpp"
#include "browser/view/outside_link_gate.hpp"
#include "browser/view/page_questions.hpp"
#include "browser/view/page_scripts.hpp"
#include "browser/view/tab_ad_filter.hpp"
#include "browser/view/tab_list.hpp"
#include "browser/view/tab_sleep.hpp"
#include "browser/view/view_auto_reload.hpp"
#include "browser/view/view_tabs.hpp"
#include "browser/view/window_services.hpp"
#include "model/ad_filter_settings.hpp"
#include "model/clock.hpp"
#include "model/page_clip.hpp"
#include "model/restorable_window.hpp"
#include "model/scheduler.hpp"
#include "model/script_dialog_guard.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// How a view starts: its first tab, and what it is a window of.
struct BrowserViewStart {
    // Handed over by the web engine for a page's popup: the popup shares the opener's store.
    std::optional<WebViewConfiguration> configuration;
    // The first tab's address instead of the website's last or home address.
    std::optional<std::string> url;
    // The first tab opens without an address (the caller loads or restores tabs itself).
    bool dormant = false;
    // The window shows a saved website (false for private, duplicate and popup windows).
    bool savedWebsite = true;
};

// The content of one floating browser window: its tabs with their web views (ViewTabs), shown in
// its chrome (toolbar, tab strip, sign-in notice, find bar, reveal strip of compact mode, progress
// line, error and sleep boxes, start page; see BrowserChrome and ChromePresenter), the commands on
// the active page (ActivePage), tab sleeping (TabSleep), its more menu, auto-reload timer and ad
// filter, and the pages' events and questions. The window manager makes one per window with the
// application's BrowserContext, hands it its services, puts view() into the window
// and drives it through the parts below. Main thread only.
class BrowserViewController {
public:
    // `context` holds the services the application shares with every view; `websiteDataStore` is
    // the store of every tab (a popup window's configuration brings its own).
    BrowserViewController(const BrowserContext& context, WebAppProfile profile,
                          std::shared_ptr<WebsiteDataStore> websiteDataStore, BrowserViewStart start = {});
    ~BrowserViewController();
    BrowserViewController(const BrowserViewController&) = delete;
    BrowserViewController& operator=(const BrowserViewController&) = delete;

    // What the window manager gives the view; set before the view is built.
    const BrowserWindowServices& services() const { return services_; }
    void setServices(BrowserWindowServices services) { services_ = std::move(services); }
    // False for private, duplicate and popup windows.
    bool isSavedWebsite() const { return start_.savedWebsite; }
    // Whether the window lets the pointer through (the window manager switches it).
    bool clickThroughEnabled() const { return clickThroughEnabled_; }
    void setClickThroughEnabled(bool enabled) { clickThroughEnabled_ = enabled; }

    const WebAppProfile& profile() const { return profile_; }
    const std::shared_ptr<WebsiteDataStore>& websiteDataStore() const { return websiteDataStore_; }
    bool isPersistent() const;

    // The widget to put into the window; built (with its first tab) on first use.
    Gtk::Widget& view();

    // The tabs, in strip order, and their operations.
    ViewTabs& tabs() { return tabs_; }
    const ViewTabs& tabs() const { return tabs_; }
    bool isPresented() const { return isPresented_; }

    // The commands on the page the view shows.
    ActivePage& page() { return page_; }

    void applyProfile(WebAppProfile profile);
    void setPresented(bool presented, bool wake);

    // The toolbar's pin.
    void togglePin();

    // The "more" menu and the sheets it opens.
    BrowserMoreMenu& moreMenu() { return moreMenu_; }

    // Sleeping and waking the tabs.
    TabSleep& tabSleep() { return sleep_; }
    // Asks for the icon a sleeping tab shows: its site's, for the address it sleeps on.
    void loadSleepingTabIcon(const Uuid& id);

    // Ends the window's browsing: no more reports, no web view, no timer.
    void tearDown();

    // The timer that reloads the active page by itself.
    const ViewAutoReload& autoReload() const { return autoReload_; }

    // The widgets, for the window and its tests.
    BrowserChrome& chrome() { return chrome_; }
    // What the widgets show, and where the controls go.
    ChromePresenter& presenter() { return presenter_; }
    // The questions the pages have open (for the window and its tests).
    const PageQuestions& pageQuestions() const { return questions_; }

private:
    void loadView();
    void buildViewTree();
    void wireActions();
    void handleURLChange(WebKitWebView* webView);
    void connectPageEvents(BrowserTab& tab);
    // The engine's page events and requests (browser_view_controller_page_events.cpp).
    friend struct PageEventHandlers;
    friend class BrowserMoreMenu;
    void defer(std::function<void()> work);

    const BrowserContext context_;
    BrowserWindowServices services_;
    bool clickThroughEnabled_ = false;
    WebAppProfile profile_;
    BrowserViewStart start_;
    std::shared_ptr<WebsiteDataStore> websiteDataStore_;

    ViewTabs tabs_;
    bool viewLoaded_ = false;
    bool tornDown_ = false;
    bool isPresented_ = false;
    ViewAutoReload autoReload_{*this, context_.timers};
    std::vector<ScheduledTask> deferredTasks_;
    TabAdFilter adFilter_;
    // Answers of the engine that arrive after the controller is gone find this expired.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);

    // The widgets: after the tabs, so they go first.
    BrowserChrome chrome_;
    ChromePresenter presenter_{*this, chrome_, context_.deferred};
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
    ActivePage page_{*this, context_, scripts_, find_, dialogGuards_};
    TabSleep sleep_{*this, context_};
};

}  // namespace quenlith

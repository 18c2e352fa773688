#include "browser/view/browser_view_controller.hpp"

#include <algorithm>

#include <atkmm/object.h>
#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "browser/blocking/ad_blocking.hpp"
#include "browser/engine/website_sessions.hpp"
#include "browser/page/download_manager.hpp"
#include "browser/view/auto_reload.hpp"
#include "browser/view/browser_layout.hpp"
#include "browser/view/tab_restore.hpp"
#include "browser/view/tab_title.hpp"
#include "model/address.hpp"
#include "model/kept_call.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "ui/alert.hpp"

namespace quenlith {

void installBrowserStyleSheet();

BrowserViewController::BrowserViewController(const BrowserContext& context, WebAppProfile profile,
                                             std::shared_ptr<WebsiteDataStore> websiteDataStore,
                                             BrowserViewStart start)
    : context_(context),
      profile_(std::move(profile)),
      start_(std::move(start)),
      websiteDataStore_(std::move(websiteDataStore)),
      tabs_(*this, context, find_,
            {.attach = [this](BrowserTab& tab) { connectPageEvents(tab); },
             .retire =
                 [this](const Uuid& id) {
                     questions_.dismiss(id);
                     // A tab put to sleep or rebuilt keeps its id, and its page's stopped dialogs.
                     if (!tabs_.find(id)) dialogGuards_.erase(id);
                 },
             .changed = [this] { presenter_.scheduleRefresh(); },
             .urlChanged = [this](WebKitWebView* webView) { handleURLChange(webView); }}),
      adFilter_(context.preferences, context.blocking,
                [this] {
                    std::vector<GObjectPtr<WebKitUserContentManager>> managers;
                    for (const auto& tab : tabs_.items())
                        managers.push_back(GObjectPtr<WebKitUserContentManager>::retain(
                            webkit_web_view_get_user_content_manager(tab->webView())));
                    return managers;
                }),
      chrome_(context.deferred, context.timers),
      find_(
          chrome_.findBar(), [this] { return tabs_.active() ? tabs_.active()->webView() : nullptr; },
          [this](WebKitWebView* webView) { return tabs_.showing(webView) != nullptr; },
          [this] { presenter_.layout(); }),
      scripts_([this](WebKitWebView* webView) { return tabs_.showing(webView) != nullptr; }),
      questions_(context.deferred) {
    // A popup's tabs live in the opener's store.
    if (start_.configuration && start_.configuration->websiteDataStore)
        websiteDataStore_ = start_.configuration->websiteDataStore;
    if (!websiteDataStore_) websiteDataStore_ = context_.sessions.sharedDataStore();
}

BrowserViewController::~BrowserViewController() {
    alive_.reset();
    tearDown();
    downloadEnded_.disconnect();
}

bool BrowserViewController::isPersistent() const {
    return websiteDataStore_->isPersistent();
}

Gtk::Widget& BrowserViewController::view() {
    if (!viewLoaded_) loadView();
    return chrome_.root();
}

void BrowserViewController::defer(std::function<void()> work) {
    std::erase_if(deferredTasks_, [](const ScheduledTask& task) { return !task.pending(); });
    deferredTasks_.push_back(context_.deferred.scheduleIdle(std::move(work)));
}

// ---- View tree ------------------------------------------------------------------------------

void BrowserViewController::loadView() {
    if (viewLoaded_ || tornDown_) return;
    viewLoaded_ = true;
    presenter_.begin();
    installBrowserStyleSheet();
    buildViewTree();
    wireActions();
    if (!isPersistent()) chrome_.applyPrivateStyle();

    const auto address =
        initialTabAddress(profile_, start_.dormant, start_.configuration.has_value(), start_.url);
    tabs_.add(address, start_.configuration);

    // The ad filter follows the preferences: applied now and after every change of its settings.
    adFilter_.follow();
    defer([this] { adFilter_.update(); });

    // A download this window started is seen to end here until the downloads window exists.
    if (context_.downloads)
        downloadEnded_ =
            context_.downloads->signal_ended().connect([this](const DownloadEntry& entry, GtkWindow* parent) {
                Gtk::Window* shown = chrome_.window();
                if (!shown || parent != shown->gobj()) return;
                if (auto notice = downloadNotice(entry)) chrome_.toast().show(*notice);
            });

    applyProfile(profile_);
}

void BrowserViewController::buildViewTree() {
    TabStrip& tabStrip = chrome_.tabStrip();
    tabStrip.setOnSelect([this](const Uuid& id) {
        if (auto index = tabs_.indexOf(id)) tabs_.select(*index, true, true);
    });
    tabStrip.setOnClose([this](const Uuid& id) { tabs_.close(id); });
    tabStrip.setOnNewTab([this] { tabs_.openNew(); });
    tabStrip.setMenuMaker([this](const Uuid& id) { return tabs_.makeContextMenu(id); });
    chrome_.build({[this] { page_.openExternal(); }, [this] { page_.retryLoading(); },
                   [this] { sleep_.wakeActiveTab(); }});
    presenter_.installStartPage();
}

void BrowserViewController::wireActions() {
    chrome_.toolbar().back().setOnAction([this] {
        if (auto* active = tabs_.active()) webkit_web_view_go_back(active->webView());
    });
    chrome_.toolbar().forward().setOnAction([this] {
        if (auto* active = tabs_.active()) webkit_web_view_go_forward(active->webView());
    });
    chrome_.toolbar().reload().setOnAction([this] { page_.reloadOrStop(); });
    chrome_.toolbar().startPage().setOnAction([this] { page_.showStartPage(); });
    chrome_.toolbar().saveWebsite().setOnAction(
        [this] { callKept(services_.onCommand, BrowserCommand::saveWebsite); });
    chrome_.toolbar().pin().setOnToggle([this] { togglePin(); });
    chrome_.toolbar().more().setOnAction([this] { moreMenu_.show(); });
    chrome_.toolbar().setOnNavigate([this](const std::string& text) { page_.navigate(text); });
    chrome_.revealView().setOnHover([this](bool hovering) { presenter_.revealCompactChrome(hovering); });
}

// ---- Operations -----------------------------------------------------------------------------

void BrowserViewController::applyProfile(WebAppProfile profile) {
    // The running window keeps the data store it was made with.
    profile.sessionIdentifier = profile_.sessionIdentifier;
    profile.isolatedAccount = profile_.isolatedAccount;
    profile.siteProxy = profile_.siteProxy;
    const auto previousInterval = profile_.autoReloadInterval;
    profile_ = std::move(profile);
    if (!viewLoaded_) return;

    for (const auto& tab : tabs_.items()) {
        webkit_web_view_set_zoom_level(tab->webView(), profile_.zoomLevel);
        webkit_settings_set_user_agent(
            webkit_web_view_get_settings(tab->webView()),
            profile_.customUserAgent ? profile_.customUserAgent->c_str() : nullptr);
    }
    if (!profile_.compactMode) presenter_.setCompactRevealed(false);
    presenter_.placeToolbar();
    // The pin follows the window, whoever changed it (the pin, the menu, a global shortcut, the
    // editor).
    chrome_.toolbar().pin().setOn(profile_.alwaysOnTop);
    auto pinStyle = chrome_.toolbar().pin().get_style_context();
    if (profile_.alwaysOnTop) {
        pinStyle->add_class("quenlith-pin-on");
        pinStyle->remove_class("dim-label");
    } else {
        pinStyle->remove_class("quenlith-pin-on");
        pinStyle->add_class("dim-label");
    }
    presenter_.layout();
    autoReload_.profileChanged(previousInterval);
}

void BrowserViewController::setPresented(bool presented, bool wakeActive) {
    autoReload_.stop();
    isPresented_ = presented;
    if (BrowserTab* tab = tabs_.active()) {
        if (!presented) tab->state().lastUsed = context_.clock.now();
        if (wakeActive) sleep_.wake(tab->id);
    }
    autoReload_.schedule();
}

// ---- Toolbar actions ------------------------------------------------------------------------

void BrowserViewController::togglePin() {
    WebAppProfile changed = profile_;
    changed.alwaysOnTop = !changed.alwaysOnTop;
    changed.normalize();
    applyProfile(std::move(changed));
    if (services_.onProfileChange) services_.onProfileChange(profile_);
}

// ---- Observations ---------------------------------------------------------------------------

void BrowserViewController::handleURLChange(WebKitWebView* webView) {
    // Looked up again when the task runs: the tab may have closed, slept or been recreated.
    defer([this, webView] {
        BrowserTab* tab = tabs_.showing(webView);
        if (!tab) return;
        if (auto url = tab->pageURL()) {
            tab->state().lastURL = url;
            if (tab == tabs_.active() && !tab->isLoading() && services_.onURLChange)
                services_.onURLChange(*url);
        }
        presenter_.refresh();
    });
}

// ---- Teardown -------------------------------------------------------------------------------

void BrowserViewController::tearDown() {
    if (tornDown_) return;
    tornDown_ = true;
    services_.onStateChange = nullptr;
    presenter_.end();
    // The pages' questions end first, while the pages they answer are still there.
    questions_.dismissAll();
    dialogGuards_.clear();
    autoReload_.end();
    deferredTasks_.clear();
    tabs_.end();
    chrome_.tabStrip().clear();
    chrome_.removeStartPage();
}

}  // namespace quenlith

#include "browser/view/browser_view_controller.hpp"

#include <algorithm>
#include <cmath>

#include <atkmm/object.h>
#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "browser/blocking/ad_blocking.hpp"
#include "browser/engine/script_evaluation.hpp"
#include "browser/engine/website_sessions.hpp"
#include "browser/page/download_manager.hpp"
#include "browser/view/auto_reload.hpp"
#include "browser/view/browser_layout.hpp"
#include "browser/view/tab_restore.hpp"
#include "browser/view/tab_title.hpp"
#include "model/address.hpp"
#include "model/isolated_text.hpp"
#include "model/kept_call.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "ui/alert.hpp"

namespace quenlith {

void installBrowserStyleSheet();

namespace {

// Scripts run in the page to read what a capture keeps.
constexpr const char* kSelectionScript = "window.getSelection()?.toString().slice(0, 200000) || ''";
constexpr const char* kScrollFractionScript =
    "(() => { const s = document.scrollingElement; if (!s) return null; const max = s.scrollHeight - "
    "s.clientHeight; return max > 0 ? Math.min(1, Math.max(0, s.scrollTop / max)) : 0; })()";

}  // namespace

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
             .changed = [this] { scheduleRefresh(); },
             .urlChanged = [this](WebKitWebView* webView) { handleURLChange(webView); }}),
      autoReload_(context.timers, [this] { autoReloadTick(); }),
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
          [this] { layoutChrome(); }),
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

void BrowserViewController::useHeaderBar(Gtk::HeaderBar* bar) {
    headerBar_ = bar;
    placeToolbar();
}

void BrowserViewController::placeToolbar() {
    Gtk::HeaderBar* target = headerBar_ && !profile_.compactMode && !tornDown_ ? headerBar_ : nullptr;
    chrome_.placeToolbar(target);
    layoutChrome();
}

Gtk::Window* BrowserViewController::window() const {
    return chrome_.window();
}

void BrowserViewController::defer(std::function<void()> work) {
    std::erase_if(deferredTasks_, [](const ScheduledTask& task) { return !task.pending(); });
    deferredTasks_.push_back(context_.deferred.scheduleIdle(std::move(work)));
}

// ---- View tree ------------------------------------------------------------------------------

void BrowserViewController::loadView() {
    if (viewLoaded_ || tornDown_) return;
    viewLoaded_ = true;
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
                Gtk::Window* shown = window();
                if (!shown || parent != shown->gobj()) return;
                if (auto notice = downloadNotice(entry)) chrome_.toast().show(*notice);
            });

    applyProfile(profile_);
}

void BrowserViewController::buildViewTree() {
    TabStrip& tabStrip = chrome_.tabStrip();
    tabStrip.onSelect = [this](const Uuid& id) {
        if (auto index = tabs_.indexOf(id)) tabs_.select(*index, true, true);
    };
    tabStrip.onClose = [this](const Uuid& id) { tabs_.close(id); };
    tabStrip.onNewTab = [this] { tabs_.openNew(); };
    tabStrip.makeMenu = [this](const Uuid& id) { return tabs_.makeContextMenu(id); };
    chrome_.build(
        {[this] { openExternal(); }, [this] { retryLoading(); }, [this] { sleep_.wakeActiveTab(); }});
    installStartPage();
}

void BrowserViewController::wireActions() {
    chrome_.toolbar().back.onAction = [this] {
        if (auto* active = tabs_.active()) webkit_web_view_go_back(active->webView());
    };
    chrome_.toolbar().forward.onAction = [this] {
        if (auto* active = tabs_.active()) webkit_web_view_go_forward(active->webView());
    };
    chrome_.toolbar().reload.onAction = [this] { reloadOrStop(); };
    chrome_.toolbar().startPage.onAction = [this] { showStartPage(); };
    chrome_.toolbar().saveWebsite.onAction = [this] {
        callKept(services.onCommand, BrowserCommand::saveWebsite);
    };
    chrome_.toolbar().pin.onAction = [this] { togglePin(); };
    chrome_.toolbar().more.onAction = [this] { moreMenu_.show(); };
    chrome_.toolbar().onNavigate = [this](const std::string& text) { navigate(text); };
    chrome_.revealView().onHover = [this](bool hovering) { revealCompactChrome(hovering); };
}

// ---- Chrome ---------------------------------------------------------------------------------

void BrowserViewController::layoutChrome() {
    if (!viewLoaded_) return;
    chrome_.layout({.compactMode = profile_.compactMode,
                    .compactRevealed = compactRevealed_,
                    .tabCount = tabs_.items().size()});
}

void BrowserViewController::installStartPage() {
    if (!tornDown_) chrome_.installStartPage(services.makeStartPage);
}

void BrowserViewController::refreshChrome() {
    if (!viewLoaded_ || tornDown_) return;
    BrowserTab* tab = tabs_.active();
    if (!tab) return;
    WebKitWebView* webView = tab->webView();
    const auto pageURL = tab->pageURL();

    ActiveTabFacts facts;
    facts.showsStartPage = tab->showsStartPage;
    facts.isSleeping = tab->isSleeping;
    facts.error = tab->error;
    facts.address = tab->address();
    facts.persistentStore = isPersistent();
    facts.canGoBack = webkit_web_view_can_go_back(webView);
    facts.canGoForward = webkit_web_view_can_go_forward(webView);
    facts.isLoading = webkit_web_view_is_loading(webView);
    facts.estimatedProgress = webkit_web_view_get_estimated_load_progress(webView);
    facts.pageIsSignIn = pageURL && isSignInURL(*pageURL);
    const ChromeState state = chromeState(facts);

    // A window built before the application could make start pages gets its own when it first shows one.
    if (state.startPageVisible) installStartPage();
    chrome_.show(state, webView, state.startPageVisible ? std::string() : isolatedText(tab->displayTitle()));
    if (Gtk::Window* window = this->window())
        window->set_title(browserWindowTitle(profile_.displayTitle(), isPersistent(), tab->displayTitle()));

    std::vector<TabStripEntry> entries;
    for (const auto& shown : tabs_.items())
        entries.push_back({shown->id, shown->isSleeping, shown->mediaPaused, shown->displayTitle(),
                           shown->pageURL().value_or(""), shown->icon.get()});
    chrome_.tabStrip().show(tabs_.activeIndex(), entries);
    layoutChrome();
    // Through a copy: tearDown() resets it.
    callKept(services.onStateChange);
}

void BrowserViewController::revealCompactChrome(bool hovering) {
    // Only entering counts: leaving the strip must not hide chrome the pointer is now over.
    if (!hovering || !profile_.compactMode || compactRevealed_) return;
    compactRevealed_ = true;
    layoutChrome();
}

void BrowserViewController::scheduleRefresh() {
    if (refreshTask_.pending()) return;
    refreshTask_ = context_.deferred.scheduleIdle([this] { refreshChrome(); });
}

// ---- Operations -----------------------------------------------------------------------------

std::optional<std::string> BrowserViewController::shareableURL() const {
    if (!isPersistent()) return std::nullopt;
    BrowserTab* tab = tabs_.active();
    if (!tab || tab->showsStartPage) return std::nullopt;
    auto address = tab->address();
    if (!address || !isCredentialFreeURL(*address)) return std::nullopt;
    return address;
}

void BrowserViewController::toggleMenuBarIcon() {
    if (auto address = shareableURL(); address && services.onToggleMenuBarIcon)
        services.onToggleMenuBarIcon(*address);
}

void BrowserViewController::captureSelection(std::function<void(PageClip)> completion) {
    BrowserTab* tab = tabs_.active();
    if (!isPersistent() || !tab || tab->showsStartPage) return;
    const auto address = tab->address();
    if (!address || !isCredentialFreeURL(*address)) return;

    PageClip draft;
    draft.id = Uuid::random();
    draft.address = *address;
    draft.title = tab->pageTitle();
    if (draft.title.empty()) draft.title = addressHost(*address);
    if (isSavedWebsite) draft.profileID = profile_.id;
    if (const auto& identifier = websiteDataStore_->identifier())
        draft.windowSession =
            WindowSessionReference{*identifier, context_.sessions.proxyOverride(websiteDataStore_)};

    const std::string page = draft.address;
    scripts_.run(tab->webView(), kSelectionScript, page,
                 [this, draft = std::move(draft), completion = std::move(completion)](
                     WebKitWebView*, JSCValue* value) mutable {
                     draft.text = scriptText(value).value_or("");
                     draft.modified = context_.clock.now();
                     completion(std::move(draft));
                 });
}

void BrowserViewController::readingPosition(
    std::function<void(const std::string&, const std::string&, std::optional<double>)> completion) {
    BrowserTab* tab = tabs_.active();
    if (!isPersistent() || !tab) return;
    const auto address = tab->address();
    if (!address || !isCredentialFreeURL(*address)) return;
    std::string title = tab->pageTitle();
    if (title.empty()) title = addressHost(*address);
    scripts_.run(tab->webView(), kScrollFractionScript, *address,
                 [address = *address, title, completion = std::move(completion)](
                     WebKitWebView*, JSCValue* value) { completion(address, title, scriptNumber(value)); });
}

void BrowserViewController::printActivePage() {
    BrowserTab* tab = tabs_.active();
    Gtk::Window* window = this->window();
    if (!tab || tab->showsStartPage || (window && hasAttachedSheet(*window))) return;
    GObjectPtr<WebKitPrintOperation> operation =
        GObjectPtr<WebKitPrintOperation>::adopt(webkit_print_operation_new(tab->webView()));
    webkit_print_operation_run_dialog(operation.get(), window ? window->gobj() : nullptr);
}

void BrowserViewController::showFindBar() {
    BrowserTab* tab = tabs_.active();
    if (!tab || tab->showsStartPage) return;
    compactRevealed_ = true;
    find_.open();
}

void BrowserViewController::focusAddressField() {
    if (profile_.compactMode) {
        compactRevealed_ = true;
        layoutChrome();
    }
    chrome_.toolbar().focusAddress();
}

void BrowserViewController::focusActiveContent() {
    BrowserTab* tab = tabs_.active();
    if (!tab) return;
    if (tab->showsStartPage) {
        focusAddressField();
        return;
    }
    gtk_widget_grab_focus(GTK_WIDGET(tab->webView()));
}

void BrowserViewController::loadInWebView(WebKitWebView* webView, const std::string& address) {
    webkit_web_view_load_uri(webView, address.c_str());
}

void BrowserViewController::load(const std::string& address) {
    BrowserTab* tab = tabs_.active();
    if (!tab) return;
    tab->isSleeping = false;
    tab->lastUsed = context_.clock.now();
    tab->pendingReadingPosition.reset();
    tab->showsStartPage = false;
    tab->error.reset();
    tab->lastURL = withoutCredentials(address);
    loadInWebView(tab->webView(), address);
    refreshChrome();
    gtk_widget_grab_focus(GTK_WIDGET(tab->webView()));
}

void BrowserViewController::reloadActiveTab() {
    BrowserTab* tab = tabs_.active();
    if (!tab) return;
    // The user's reload lets the page's dialogs show again.
    if (auto guard = dialogGuards_.find(tab->id); guard != dialogGuards_.end()) guard->second.reloaded();
    // Waking and retrying load the page themselves; a reload on top would cancel that load.
    if (tab->isSleeping) {
        sleep_.wake(tab->id);
        return;
    }
    if (tab->error) {
        retryLoading();
        return;
    }
    webkit_web_view_reload(tab->webView());
}

void BrowserViewController::reloadOrStop() {
    BrowserTab* tab = tabs_.active();
    if (tab && webkit_web_view_is_loading(tab->webView())) {
        webkit_web_view_stop_loading(tab->webView());
        return;
    }
    reloadActiveTab();
}

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
    if (!profile_.compactMode) compactRevealed_ = false;
    placeToolbar();
    auto pinStyle = chrome_.toolbar().pin.get_style_context();
    if (profile_.alwaysOnTop) {
        pinStyle->add_class("quenlith-pin-on");
        pinStyle->remove_class("dim-label");
    } else {
        pinStyle->remove_class("quenlith-pin-on");
        pinStyle->add_class("dim-label");
    }
    layoutChrome();
    if (autoReloadNeedsRescheduling(previousInterval, profile_.autoReloadInterval,
                                    autoReload_.period().has_value()))
        scheduleAutoReload();
}

void BrowserViewController::setPresented(bool presented, bool wakeActive) {
    autoReload_.stop();
    isPresented_ = presented;
    if (BrowserTab* tab = tabs_.active()) {
        if (!presented) tab->lastUsed = context_.clock.now();
        if (wakeActive) sleep_.wake(tab->id);
    }
    scheduleAutoReload();
}

// ---- Auto reload ----------------------------------------------------------------------------

void BrowserViewController::scheduleAutoReload() {
    autoReload_.stop();
    if (tornDown_ || !autoReloadShouldRun(profile_.autoReloadInterval, isPresented_)) return;
    autoReload_.start(*profile_.autoReloadInterval);
}

void BrowserViewController::autoReloadTick() {
    BrowserTab* tab = tabs_.active();
    Gtk::Window* window = this->window();
    AutoReloadTickFacts facts;
    facts.presented = isPresented_;
    facts.windowVisible = window && window->get_visible();
    if (window && window->get_window())
        facts.windowMinimized = (window->get_window()->get_state() & Gdk::WINDOW_STATE_ICONIFIED) != 0;
    facts.sheetAttached = window && hasAttachedSheet(*window);
    facts.hasActiveTab = tab != nullptr;
    facts.activeTabSleeping = tab && tab->isSleeping;
    facts.activeTabLoading = tab && tab->isLoading();
    if (autoReloadTickReloads(facts)) webkit_web_view_reload(tab->webView());
}

// ---- Toolbar actions ------------------------------------------------------------------------

void BrowserViewController::showStartPage() {
    for (std::size_t i = 0; i < tabs_.items().size(); ++i) {
        if (tabs_.items()[i]->showsStartPage) {
            tabs_.select(i, true, true);
            return;
        }
    }
    tabs_.openNew();
}

void BrowserViewController::togglePin() {
    WebAppProfile changed = profile_;
    changed.alwaysOnTop = !changed.alwaysOnTop;
    changed.normalize();
    applyProfile(std::move(changed));
    if (services.onProfileChange) services.onProfileChange(profile_);
}

void BrowserViewController::navigate(const std::string& text) {
    auto address = resolveAddressInput(text, context_.preferences.value().searchEngine);
    if (address)
        load(*address);
    else if (!address.error().message.empty())
        chrome_.toast().show(address.error().message);
}

// ---- Observations ---------------------------------------------------------------------------

void BrowserViewController::handleURLChange(WebKitWebView* webView) {
    // Looked up again when the task runs: the tab may have closed, slept or been recreated.
    defer([this, webView] {
        BrowserTab* tab = tabs_.showing(webView);
        if (!tab) return;
        if (auto url = tab->pageURL()) {
            tab->lastURL = url;
            if (tab == tabs_.active() && !tab->isLoading() && services.onURLChange)
                services.onURLChange(*url);
        }
        refreshChrome();
    });
}

// ---- Teardown -------------------------------------------------------------------------------

void BrowserViewController::tearDown() {
    if (tornDown_) return;
    tornDown_ = true;
    services.onStateChange = nullptr;
    // The window's header bar may go before the view: the controls come home.
    placeToolbar();
    // The pages' questions end first, while the pages they answer are still there.
    questions_.dismissAll();
    dialogGuards_.clear();
    autoReload_.stop();
    refreshTask_.cancel();
    deferredTasks_.clear();
    tabs_.end();
    chrome_.tabStrip().clear();
    chrome_.removeStartPage();
}

}  // namespace quenlith

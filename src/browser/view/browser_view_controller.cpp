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

AdFilterSettings currentAdFilter(const PreferencesStore& preferences) {
    return preferences.value().adFilterSettings().normalized();
}

}  // namespace

BrowserViewController::BrowserViewController(const BrowserContext& context, WebAppProfile profile,
                                             std::shared_ptr<WebsiteDataStore> websiteDataStore,
                                             BrowserViewStart start)
    : context_(context),
      profile_(std::move(profile)),
      start_(std::move(start)),
      websiteDataStore_(std::move(websiteDataStore)),
      chrome_(Gtk::ORIENTATION_VERTICAL, 0),
      tabStrip_(context.deferred),
      authBar_(Gtk::ORIENTATION_HORIZONTAL, 8),
      errorBox_(Gtk::ORIENTATION_VERTICAL, 12),
      sleepBox_(Gtk::ORIENTATION_VERTICAL, 12),
      toast_(context.timers),
      find_(
          findBar, [this] { return activeTab() ? activeTab()->webView() : nullptr; },
          [this](WebKitWebView* webView) { return tabShowing(webView) != nullptr; },
          [this] { layoutChrome(); }),
      scripts_([this](WebKitWebView* webView) { return tabShowing(webView) != nullptr; }),
      questions_(context.deferred) {
    // A popup's tabs live in the opener's store.
    if (start_.configuration && start_.configuration->websiteDataStore)
        websiteDataStore_ = start_.configuration->websiteDataStore;
    if (!websiteDataStore_) websiteDataStore_ = context_.sessions.sharedDataStore();
}

BrowserViewController::~BrowserViewController() {
    alive_.reset();
    tearDown();
    preferencesConnection_.disconnect();
    downloadEnded_.disconnect();
    // The toolbar and the find bar outlive the chrome box that holds them.
    for (Gtk::Widget* child : {static_cast<Gtk::Widget*>(&toolbar), static_cast<Gtk::Widget*>(&findBar)})
        if (child->get_parent()) child->get_parent()->remove(*child);
}

bool BrowserViewController::isPersistent() const {
    return websiteDataStore_->isPersistent();
}

Gtk::Widget& BrowserViewController::view() {
    if (!viewLoaded_) loadView();
    return root_;
}

void BrowserViewController::useHeaderBar(Gtk::HeaderBar* bar) {
    headerBar_ = bar;
    placeToolbar();
}

void BrowserViewController::placeToolbar() {
    Gtk::HeaderBar* target = headerBar_ && !profile_.compactMode && !tornDown_ ? headerBar_ : nullptr;
    if (toolbar.headerBar() != target) toolbar.placeIn(target);
    toolbar.set_visible(target == nullptr);
    layoutChrome();
}

BrowserTab* BrowserViewController::activeTab() const {
    const auto* active = tabs_.active();
    return active ? active->get() : nullptr;
}

BrowserTab* BrowserViewController::tab(const Uuid& id) const {
    auto index = tabs_.indexOf(id);
    return index ? tabs_.at(*index).get() : nullptr;
}

BrowserTab* BrowserViewController::tabShowing(WebKitWebView* webView) const {
    for (const auto& candidate : tabs_.items())
        if (candidate->webView() == webView) return candidate.get();
    return nullptr;
}

Gtk::Window* BrowserViewController::window() const {
    auto* toplevel = const_cast<Gtk::Overlay&>(root_).get_toplevel();
    if (!toplevel || !toplevel->get_is_toplevel()) return nullptr;
    return dynamic_cast<Gtk::Window*>(toplevel);
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
    if (!isPersistent()) applyPrivateStyle();

    const auto address =
        initialTabAddress(profile_, start_.dormant, start_.configuration.has_value(), start_.url);
    addTab(address, start_.configuration);

    // The ad filter follows the preferences: applied now and after every change of its settings.
    preferencesConnection_ =
        context_.preferences.signal_changed().connect([this] { adFilterPreferencesChanged(); });
    defer([this] { adFilterPreferencesChanged(); });

    // A download this window started is seen to end here until the downloads window exists.
    if (context_.downloads)
        downloadEnded_ =
            context_.downloads->signal_ended().connect([this](const DownloadEntry& entry, GtkWindow* parent) {
                Gtk::Window* shown = window();
                if (!shown || parent != shown->gobj()) return;
                if (auto notice = downloadNotice(entry)) toast_.show(*notice);
            });

    applyProfile(profile_);
}

void BrowserViewController::buildViewTree() {
    root_.get_style_context()->add_class("quenlith-browser");

    // Chrome: toolbar, tab strip, sign-in notice and find bar, stacked at the top.
    chrome_.get_style_context()->add_class("quenlith-chrome");
    chrome_.set_halign(Gtk::ALIGN_FILL);
    chrome_.set_valign(Gtk::ALIGN_START);

    toolbar.set_size_request(-1, ChromeMetrics::toolbarHeight);

    tabStrip_.onSelect = [this](const Uuid& id) {
        if (auto index = tabs_.indexOf(id)) selectTab(*index, true, true);
    };
    tabStrip_.onClose = [this](const Uuid& id) { closeTab(id); };
    tabStrip_.onNewTab = [this] { openNewTab(); };
    tabStrip_.makeMenu = [this](const Uuid& id) { return makeTabContextMenu(id); };

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
    authOpen_.signal_clicked().connect([this] { openExternal(); });
    authBar_.pack_start(authLabel_, true, true);
    authBar_.pack_start(authOpen_, false, false);
    authBar_.show_all_children();

    findBar.set_size_request(-1, ChromeMetrics::findBarHeight);

    chrome_.pack_start(toolbar, false, false);
    chrome_.pack_start(tabStrip_.view(), false, false);
    chrome_.pack_start(authBar_, false, false);
    chrome_.pack_start(findBar, false, false);
    toolbar.show();
    tabStrip_.view().show_all();
    authBar_.hide();
    findBar.hide();
    findBar.set_no_show_all(true);
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
    errorLabel_.get_style_context()->add_class("dim-label");
    errorRetry_.set_label(localizedString("Try Again"));
    errorRetry_.set_halign(Gtk::ALIGN_CENTER);
    errorRetry_.signal_clicked().connect([this] { retryLoading(); });
    errorOpen_.set_label(localizedString("Open in Default Browser"));
    errorOpen_.set_halign(Gtk::ALIGN_CENTER);
    errorOpen_.signal_clicked().connect([this] { openExternal(); });
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
    sleepWake_.signal_clicked().connect([this] { wakeActiveTab(); });
    sleepBox_.pack_start(sleepLabel_, false, false);
    sleepBox_.pack_start(sleepWake_, false, false);
    sleepBox_.show_all_children();
    sleepBox_.set_no_show_all(true);

    installStartPage();
    content_.add_overlay(errorBox_);
    content_.add_overlay(sleepBox_);
    content_.add_overlay(toast_);
    toast_.set_margin_top(6);
    errorBox_.hide();
    sleepBox_.hide();

    // Later layers lie above earlier ones: page, chrome, reveal strip, progress line.
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
            if (widget != &chrome_) return false;
            const int width = root_.get_allocated_width();
            int minimum = 0, natural = 0;
            chrome_.get_preferred_height_for_width(width, minimum, natural);
            allocation = Gdk::Rectangle(0, 0, width, minimum);
            return true;
        },
        false);
    root_.add_overlay(reveal_);
    root_.add_overlay(progress_);
    content_.show();
    webHost_.show();
    chrome_.show();
    reveal_.hide();
    progress_.hide();
    reveal_.set_no_show_all(true);
    progress_.set_no_show_all(true);
    root_.show();
}

void BrowserViewController::wireActions() {
    toolbar.back.onAction = [this] {
        if (auto* active = activeTab()) webkit_web_view_go_back(active->webView());
    };
    toolbar.forward.onAction = [this] {
        if (auto* active = activeTab()) webkit_web_view_go_forward(active->webView());
    };
    toolbar.reload.onAction = [this] { reloadOrStop(); };
    toolbar.startPage.onAction = [this] { showStartPage(); };
    toolbar.saveWebsite.onAction = [this] { callKept(services.onCommand, BrowserCommand::saveWebsite); };
    toolbar.pin.onAction = [this] { togglePin(); };
    toolbar.more.onAction = [this] { showMoreMenu(); };
    toolbar.onNavigate = [this](const std::string& text) { navigate(text); };
    reveal_.onHover = [this](bool hovering) { revealCompactChrome(hovering); };
}

void BrowserViewController::applyPrivateStyle() {
    toolbar.address.get_style_context()->add_class("quenlith-private-address");
    toolbar.address.get_accessible()->set_name(localizedString("Private address and search"));
    toolbar.startPage.setSymbol("hand.raised.fill", localizedString("Private Window"));
}

// ---- Chrome ---------------------------------------------------------------------------------

void BrowserViewController::layoutChrome() {
    if (!viewLoaded_) return;
    const auto layout = chromeLayout({profile_.compactMode, compactRevealed_, tabs_.count(),
                                      authBar_.get_visible(), findBar.get_visible(),
                                      toolbar.headerBar() == nullptr});
    tabStrip_.view().set_visible(layout.tabStripVisible);
    chrome_.set_visible(layout.chromeVisible);
    reveal_.set_visible(layout.revealVisible);
    content_.set_margin_top(layout.contentTop);
}

void BrowserViewController::installStartPage() {
    if (startPage_ || tornDown_ || !services.makeStartPage) return;
    startPage_ = services.makeStartPage();
    if (!startPage_) return;
    startPage_->set_halign(Gtk::ALIGN_FILL);
    startPage_->set_valign(Gtk::ALIGN_FILL);
    content_.add_overlay(*startPage_);
    // Below the error, sleep and message boxes, also when it comes after them.
    gtk_overlay_reorder_overlay(content_.gobj(), startPage_->gobj(), 0);
    startPage_->show_all();
    startPage_->hide();
    startPage_->set_no_show_all(true);
}

void BrowserViewController::refreshChrome() {
    if (!viewLoaded_ || tornDown_) return;
    BrowserTab* tab = activeTab();
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

    sleepBox_.set_visible(state.sleepBoxVisible);
    // A window built before the application could make start pages gets its own when it first shows one.
    if (state.startPageVisible) installStartPage();
    if (startPage_) startPage_->set_visible(state.startPageVisible);
    toolbar.reload.set_sensitive(state.reloadEnabled);
    toolbar.saveWebsite.set_sensitive(state.saveWebsiteEnabled);
    if (!toolbar.isEditingAddress()) toolbar.showAddress(state.addressText);
    toolbar.back.set_sensitive(state.backEnabled);
    toolbar.forward.set_sensitive(state.forwardEnabled);
    if (toolbar.reload.symbol() != state.reloadSymbol)
        toolbar.reload.setSymbol(state.reloadSymbol, state.reloadDescription);
    errorLabel_.set_text(state.errorText);
    errorBox_.set_visible(state.errorBoxVisible);
    gtk_widget_set_visible(GTK_WIDGET(webView), state.webViewVisible);
    progress_.set_fraction(std::clamp(state.progress, 0.0, 1.0));
    progress_.set_visible(state.progressVisible);
    if (Gtk::Window* window = this->window())
        window->set_title(browserWindowTitle(profile_.displayTitle(), isPersistent(), tab->displayTitle()));
    authBar_.set_visible(state.authBarVisible);
    toolbar.setTitle(state.startPageVisible ? std::string() : isolatedText(tab->displayTitle()),
                     state.addressText);

    std::vector<TabStripEntry> entries;
    for (const auto& shown : tabs_.items())
        entries.push_back({shown->id, shown->isSleeping, shown->mediaPaused, shown->displayTitle(),
                           shown->pageURL().value_or(""), shown->icon.get()});
    tabStrip_.show(tabs_.activeIndex(), entries);
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
    BrowserTab* tab = activeTab();
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
    BrowserTab* tab = activeTab();
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
    BrowserTab* tab = activeTab();
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
    BrowserTab* tab = activeTab();
    Gtk::Window* window = this->window();
    if (!tab || tab->showsStartPage || (window && hasAttachedSheet(*window))) return;
    GObjectPtr<WebKitPrintOperation> operation =
        GObjectPtr<WebKitPrintOperation>::adopt(webkit_print_operation_new(tab->webView()));
    webkit_print_operation_run_dialog(operation.get(), window ? window->gobj() : nullptr);
}

void BrowserViewController::showFindBar() {
    BrowserTab* tab = activeTab();
    if (!tab || tab->showsStartPage) return;
    compactRevealed_ = true;
    find_.open();
}

void BrowserViewController::focusAddressField() {
    if (profile_.compactMode) {
        compactRevealed_ = true;
        layoutChrome();
    }
    toolbar.focusAddress();
}

void BrowserViewController::focusActiveContent() {
    BrowserTab* tab = activeTab();
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
    BrowserTab* tab = activeTab();
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
    BrowserTab* tab = activeTab();
    if (!tab) return;
    // The user's reload lets the page's dialogs show again.
    if (auto guard = dialogGuards_.find(tab->id); guard != dialogGuards_.end()) guard->second.reloaded();
    // Waking and retrying load the page themselves; a reload on top would cancel that load.
    if (tab->isSleeping) {
        wake(tab->id);
        return;
    }
    if (tab->error) {
        retryLoading();
        return;
    }
    webkit_web_view_reload(tab->webView());
}

void BrowserViewController::reloadOrStop() {
    BrowserTab* tab = activeTab();
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
    auto pinStyle = toolbar.pin.get_style_context();
    if (profile_.alwaysOnTop) {
        pinStyle->add_class("quenlith-pin-on");
        pinStyle->remove_class("dim-label");
    } else {
        pinStyle->remove_class("quenlith-pin-on");
        pinStyle->add_class("dim-label");
    }
    layoutChrome();
    if (autoReloadNeedsRescheduling(previousInterval, profile_.autoReloadInterval, autoReload_.has_value()))
        scheduleAutoReload();
}

void BrowserViewController::setPresented(bool presented, bool wakeActive) {
    stopAutoReload();
    isPresented_ = presented;
    if (BrowserTab* tab = activeTab()) {
        if (!presented) tab->lastUsed = context_.clock.now();
        if (wakeActive) wake(tab->id);
    }
    scheduleAutoReload();
}

// ---- Auto reload ----------------------------------------------------------------------------

std::optional<BrowserViewController::AutoReloadTimer> BrowserViewController::autoReloadTimer() const {
    return autoReload_;
}

void BrowserViewController::stopAutoReload() {
    autoReloadTask_.cancel();
    autoReload_.reset();
}

void BrowserViewController::scheduleAutoReload() {
    stopAutoReload();
    if (tornDown_ || !autoReloadShouldRun(profile_.autoReloadInterval, isPresented_)) return;
    const double interval = *profile_.autoReloadInterval;
    autoReload_ = AutoReloadTimer{interval, autoReloadTolerance(interval)};
    const auto period = std::chrono::milliseconds(static_cast<long long>(std::llround(interval * 1000)));
    autoReloadTask_ = context_.timers.schedule(period, [this, period] { autoReloadFire(period); });
}

void BrowserViewController::autoReloadFire(std::chrono::milliseconds period) {
    // A repeating timer: each tick books the next one.
    autoReloadTask_ = context_.timers.schedule(period, [this, period] { autoReloadFire(period); });
    autoReloadTick();
}

void BrowserViewController::autoReloadTick() {
    BrowserTab* tab = activeTab();
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
    for (std::size_t i = 0; i < tabs_.count(); ++i) {
        if (tabs_.at(i)->showsStartPage) {
            selectTab(i, true, true);
            return;
        }
    }
    openNewTab();
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
        toast_.show(address.error().message);
}

// ---- Ad filter ------------------------------------------------------------------------------

void BrowserViewController::adFilterPreferencesChanged() {
    auto settings = currentAdFilter(context_.preferences);
    if (appliedAdFilter_ == settings) return;
    appliedAdFilter_ = std::move(settings);
    applyAdFilterToAllTabs();
}

void BrowserViewController::applyAdFilterToAllTabs() {
    if (tabs_.empty()) return;
    std::vector<GObjectPtr<WebKitUserContentManager>> managers;
    for (const auto& tab : tabs_.items())
        managers.push_back(GObjectPtr<WebKitUserContentManager>::retain(
            webkit_web_view_get_user_content_manager(tab->webView())));
    applyAdFilter(std::move(managers), 0);
}

void BrowserViewController::applyAdFilter(std::vector<GObjectPtr<WebKitUserContentManager>> managers,
                                          std::size_t next) {
    if (next >= managers.size()) return;
    WebKitUserContentManager* manager = managers[next].get();
    // Each tab's settings are read when its turn comes; a failure moves on to the next tab.
    context_.blocking.apply(
        currentAdFilter(context_.preferences), manager,
        [this, alive = std::weak_ptr<int>(alive_), managers = std::move(managers), next](Status) mutable {
            if (alive.expired()) return;
            applyAdFilter(std::move(managers), next + 1);
        });
}

// ---- Observations ---------------------------------------------------------------------------

void BrowserViewController::attachTab(BrowserTab& tab) {
    WebKitWebView* webView = tab.webView();
    webkit_web_view_set_zoom_level(webView, profile_.zoomLevel);
    tab.dropObservations();
    for (const char* signal :
         {"notify::estimated-load-progress", "notify::is-loading", "notify::title", "notify::uri"})
        tab.addObservation(webView,
                           g_signal_connect(webView, signal, G_CALLBACK(onViewPropertyChanged), this));
    WebKitBackForwardList* history = webkit_web_view_get_back_forward_list(webView);
    tab.addObservation(history,
                       g_signal_connect(history, "changed", G_CALLBACK(onBackForwardListChanged), this));
    find_.observe(tab);
    connectPageEvents(tab);
}

void BrowserViewController::onViewPropertyChanged(GObject* object, GParamSpec* spec, gpointer self) {
    auto* controller = static_cast<BrowserViewController*>(self);
    if (g_strcmp0(g_param_spec_get_name(spec), "uri") == 0)
        controller->handleURLChange(WEBKIT_WEB_VIEW(object));
    else
        controller->scheduleRefresh();
}

void BrowserViewController::onBackForwardListChanged(WebKitBackForwardList*, WebKitBackForwardListItem*,
                                                     gpointer, gpointer self) {
    static_cast<BrowserViewController*>(self)->scheduleRefresh();
}

void BrowserViewController::handleURLChange(WebKitWebView* webView) {
    // Looked up again when the task runs: the tab may have closed, slept or been recreated.
    defer([this, webView] {
        BrowserTab* tab = tabShowing(webView);
        if (!tab) return;
        if (auto url = tab->pageURL()) {
            tab->lastURL = url;
            if (tab == activeTab() && !tab->isLoading() && services.onURLChange) services.onURLChange(*url);
        }
        refreshChrome();
    });
}

}  // namespace quenlith

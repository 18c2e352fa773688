// The tab operations of the browser view: adding, selecting, closing, reopening, moving, waking,
// restoring, and the tab strip.

#include <gtkmm/menu.h>
#include <webkit2/webkit2.h>

#include "browser/view/browser_view_controller.hpp"
#include "browser/view/tab_restore.hpp"
#include "browser/view/tab_title.hpp"
#include "model/address.hpp"
#include "model/kept_call.hpp"
#include "model/localization.hpp"
#include "ui/action_menu_item.hpp"

namespace quenlith {

WebKitWebView* BrowserViewController::addTab(const std::optional<std::string>& address,
                                             const std::optional<WebViewConfiguration>& configuration) {
    // A window that has ended its browsing makes no new pages.
    if (tornDown_) return nullptr;
    auto adopted = configuration ? GObjectPtr<WebKitWebView>() : takeLoadingPage(address);
    const bool loading = static_cast<bool>(adopted);
    auto webView = loading ? std::move(adopted)
                           : WebViewFactory::makeWebView(websiteDataStore_, configuration,
                                                         profile_.customUserAgent, &context_.sessions);
    auto tab = std::make_unique<BrowserTab>(std::move(webView), Uuid::random(), context_.clock.now());
    tab->isPopup = configuration.has_value();
    tab->showsStartPage = !address && !configuration;
    BrowserTab& added = *tab;
    attachTab(added);
    const std::size_t index = tabs_.append(std::move(tab));
    selectTab(index, true, true);
    if (address) {
        added.lastURL = withoutCredentials(*address);
        if (!loading) loadInWebView(added.webView(), *address);
    }
    refreshChrome();
    return added.webView();
}

void BrowserViewController::selectTab(std::size_t index, bool wakeTab, bool focus) {
    if (!tabs_.contains(index)) return;
    const Date now = context_.clock.now();
    // The page that stays selected stays in the window: taking it out and back unrealizes it, and
    // the engine shows it grey until another tab is selected.
    GtkWidget* selected = GTK_WIDGET(tabs_.at(index)->webView());
    for (const auto& tab : tabs_.items()) {
        GtkWidget* widget = GTK_WIDGET(tab->webView());
        if (widget == selected) continue;
        if (GtkWidget* parent = gtk_widget_get_parent(widget))
            gtk_container_remove(GTK_CONTAINER(parent), widget);
    }
    BrowserTab* previous = activeTab();
    if (previous) previous->lastUsed = now;
    find_.close(previous ? previous->webView() : nullptr);

    tabs_.setActiveIndex(index);
    BrowserTab& tab = *tabs_.at(index);
    tab.lastUsed = now;
    chrome_.hostWebView(tab.webView());

    if (wakeTab) sleep_.wake(tab.id);
    refreshChrome();
    if (focus) focusActiveContent();
    if (auto url = tab.pageURL(); url && services.onURLChange) services.onURLChange(*url);
}

void BrowserViewController::selectAdjacentTab(int offset) {
    if (auto index = tabs_.adjacentIndex(offset)) selectTab(*index, true, true);
}

void BrowserViewController::closeTab(std::optional<Uuid> id) {
    auto index = tabs_.indexToClose(id);
    if (!index) return;
    if (tabs_.count() == 1) {
        // The last tab stays: the window itself closes, tearing this view down on the way.
        callKept(services.onCommand, BrowserCommand::close);
        return;
    }
    if (isPersistent()) {
        auto address = tabs_.at(*index)->address();
        if (address && isCredentialFreeURL(*address)) recentlyClosed_.push(*address);
    }
    auto [closed, next] = tabs_.close(*index);
    retireTab(std::move(closed));
    selectTab(next, true, true);
}

std::size_t BrowserViewController::replaceTab(std::unique_ptr<BrowserTab> tab) {
    const std::size_t index = *tabs_.indexOf(tab->id);
    BrowserTab& added = *tab;
    auto old = tabs_.replace(index, std::move(tab));
    old->sleepCheckInFlight = false;
    retireTab(std::move(old));
    attachTab(added);
    return index;
}

void BrowserViewController::reopenClosedTab() {
    if (auto address = recentlyClosed_.pop()) addTab(*address);
}

void BrowserViewController::moveTab(const Uuid& id, int offset) {
    if (auto index = tabs_.move(id, offset)) selectTab(*index, true, true);
}

void BrowserViewController::duplicateTab(const Uuid& id) {
    BrowserTab* tab = this->tab(id);
    if (!tab) return;
    if (auto address = tab->address()) addTab(*address);
}

void BrowserViewController::openNewTab() {
    addTab(std::nullopt);
    if (profile_.compactMode) {
        compactRevealed_ = true;
        layoutChrome();
    }
    chrome_.toolbar().focusAddress();
}

void BrowserViewController::restoreTabs(const std::vector<RestorableTab>& entries,
                                        std::int64_t selectedIndex) {
    if (tornDown_) return;
    for (auto& tab : tabs_.takeAll()) retireTab(std::move(tab));
    const auto plans = restoredTabPlans(entries);
    const std::size_t selected = restoredSelection(selectedIndex, plans.size());
    for (const auto& plan : plans) {
        // The selected page may already be loading: it is awake then, as waking would have made it.
        auto adopted = &plan == &plans[selected] && !plan.showsStartPage ? takeLoadingPage(plan.lastURL)
                                                                         : GObjectPtr<WebKitWebView>();
        const bool loading = static_cast<bool>(adopted);
        auto tab = std::make_unique<BrowserTab>(
            loading ? std::move(adopted)
                    : WebViewFactory::makeWebView(websiteDataStore_, std::nullopt, profile_.customUserAgent,
                                                  &context_.sessions),
            Uuid::random(), context_.clock.now());
        tab->lastURL = plan.lastURL;
        tab->showsStartPage = plan.showsStartPage;
        tab->isSleeping = plan.isSleeping && !loading;
        tab->sleepingTitle = plan.sleepingTitle;
        tab->pendingReadingPosition = plan.pendingReadingPosition;
        attachTab(*tab);
        tabs_.append(std::move(tab));
    }
    if (tabs_.empty()) addTab(std::nullopt);
    selectTab(restoredSelection(selectedIndex, tabs_.count()), false, false);
}

void BrowserViewController::adoptLoadingPage(std::string address, GObjectPtr<WebKitWebView> webView) {
    loadingPage_.emplace(std::move(address), std::move(webView));
}

GObjectPtr<WebKitWebView> BrowserViewController::takeLoadingPage(const std::optional<std::string>& address) {
    if (!loadingPage_ || !address || loadingPage_->first != *address) return {};
    auto webView = std::move(loadingPage_->second);
    loadingPage_.reset();
    return webView;
}

std::vector<RestorableTab> BrowserViewController::restorableTabs() const {
    std::vector<RestorableTab> entries;
    for (const auto& tab : tabs_.items()) {
        RestorableTab entry;
        entry.address = tab->address();
        entry.title = tab->displayTitle();
        entry.startPage = tab->showsStartPage;
        entry.sleeping = tab->isSleeping;
        if (tab->pendingReadingPosition) entry.readingPosition = tab->pendingReadingPosition->fraction;
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::unique_ptr<Gtk::Menu> BrowserViewController::makeTabContextMenu(const Uuid& id) {
    auto menu = std::make_unique<Gtk::Menu>();
    BrowserTab* tab = this->tab(id);
    if (!tab) return menu;
    // Each entry finds its tab again by id when chosen: the tab may be gone by then.
    auto add = [&menu](const std::string& title, std::function<void()> handler) {
        menu->append(*Gtk::manage(new ActionMenuItem(title, std::move(handler))));
    };
    add(localizedString("Move Tab Left"), [this, id] { moveTab(id, -1); });
    add(localizedString("Move Tab Right"), [this, id] { moveTab(id, +1); });
    if (!tab->showsStartPage) {
        add(localizedString(tab->isSleeping ? "Wake Tab" : "Sleep Tab"),
            [this, id] { sleep_.toggleTabSleep(id); });
        add(localizedString(tab->mediaPaused ? "Resume Tab Media" : "Pause Tab Media"),
            [this, id] { sleep_.toggleTabMedia(id); });
        add(localizedString("Duplicate Tab"), [this, id] { duplicateTab(id); });
    }
    menu->show_all();
    return menu;
}

// ---- Teardown -------------------------------------------------------------------------------

void BrowserViewController::retireTab(std::unique_ptr<BrowserTab> tab) {
    // Its questions go with it, before its page does.
    questions_.dismiss(tab->id);
    // A tab put to sleep or rebuilt keeps its id, and its page's stopped dialogs.
    if (!this->tab(tab->id)) dialogGuards_.erase(tab->id);
    tab->detach();
}

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
    for (auto& tab : tabs_.takeAll()) tab->detach();
    recentlyClosed_.clear();
    chrome_.tabStrip().clear();
    chrome_.removeStartPage();
}

}  // namespace quenlith

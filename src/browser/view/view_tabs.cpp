#include "browser/view/view_tabs.hpp"

#include <gtkmm/menu.h>
#include <webkit2/webkit2.h>

#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "browser/view/find_session.hpp"
#include "browser/view/tab_restore.hpp"
#include "browser/view/tab_title.hpp"
#include "model/address.hpp"
#include "model/kept_call.hpp"
#include "model/localization.hpp"
#include "ui/action_menu_item.hpp"

namespace quenlith {

ViewTabs::ViewTabs(BrowserViewController& view, const BrowserContext& context, FindSession& find, Hooks hooks)
    : view_(view), context_(context), find_(find), hooks_(std::move(hooks)) {}

ViewTabs::~ViewTabs() = default;

BrowserTab* ViewTabs::active() const {
    const auto* active = tabs_.active();
    return active ? active->get() : nullptr;
}

BrowserTab* ViewTabs::find(const Uuid& id) const {
    auto index = tabs_.indexOf(id);
    return index ? tabs_.at(*index).get() : nullptr;
}

BrowserTab* ViewTabs::showing(WebKitWebView* webView) const {
    for (const auto& candidate : tabs_.items())
        if (candidate->webView() == webView) return candidate.get();
    return nullptr;
}

WebKitWebView* ViewTabs::add(const std::optional<std::string>& address,
                             const std::optional<WebViewConfiguration>& configuration) {
    // A window that has ended its browsing makes no new pages.
    if (ended_) return nullptr;
    auto adopted = configuration ? GObjectPtr<WebKitWebView>() : takeLoadingPage(address);
    const bool loading = static_cast<bool>(adopted);
    auto webView = loading ? std::move(adopted)
                           : WebViewFactory::makeWebView(view_.websiteDataStore(), configuration,
                                                         view_.profile().customUserAgent, &context_.sessions);
    auto tab = std::make_unique<BrowserTab>(std::move(webView), Uuid::random(), context_.clock.now());
    tab->state().isPopup = configuration.has_value();
    tab->state().showsStartPage = !address && !configuration;
    BrowserTab& added = *tab;
    attach(added);
    const std::size_t index = tabs_.append(std::move(tab));
    select(index, true, true);
    if (address) {
        added.state().lastURL = withoutCredentials(*address);
        if (!loading) webkit_web_view_load_uri(added.webView(), address->c_str());
    }
    view_.presenter().refresh();
    return added.webView();
}

void ViewTabs::select(std::size_t index, bool wakeTab, bool focus) {
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
    BrowserTab* previous = active();
    if (previous) previous->state().lastUsed = now;
    find_.close(previous ? previous->webView() : nullptr);

    tabs_.setActiveIndex(index);
    BrowserTab& tab = *tabs_.at(index);
    tab.state().lastUsed = now;
    view_.chrome().hostWebView(tab.webView());

    if (wakeTab) view_.tabSleep().wake(tab.id);
    view_.presenter().refresh();
    if (focus) view_.page().focusActiveContent();
    if (auto url = tab.pageURL(); url && view_.services().onURLChange) view_.services().onURLChange(*url);
}

void ViewTabs::selectAdjacent(int offset) {
    if (auto index = tabs_.adjacentIndex(offset)) select(*index, true, true);
}

void ViewTabs::close(std::optional<Uuid> id) {
    auto index = tabs_.indexToClose(id);
    if (!index) return;
    if (tabs_.count() == 1) {
        // The last tab stays: the window itself closes, tearing this view down on the way.
        callKept(view_.services().onCommand, BrowserCommand::close);
        return;
    }
    if (view_.isPersistent()) {
        auto address = tabs_.at(*index)->address();
        if (address && isCredentialFreeURL(*address)) recentlyClosed_.push(*address);
    }
    auto [closed, next] = tabs_.close(*index);
    retire(std::move(closed));
    select(next, true, true);
}

std::size_t ViewTabs::replace(std::unique_ptr<BrowserTab> tab) {
    const std::size_t index = *tabs_.indexOf(tab->id);
    BrowserTab& added = *tab;
    auto old = tabs_.replace(index, std::move(tab));
    old->state().sleepCheckInFlight = false;
    retire(std::move(old));
    attach(added);
    return index;
}

void ViewTabs::reopenClosed() {
    if (auto address = recentlyClosed_.pop()) add(*address);
}

void ViewTabs::move(const Uuid& id, int offset) {
    if (auto index = tabs_.move(id, offset)) select(*index, true, true);
}

void ViewTabs::duplicate(const Uuid& id) {
    BrowserTab* tab = find(id);
    if (!tab) return;
    if (auto address = tab->address()) add(*address);
}

void ViewTabs::openNew() {
    add(std::nullopt);
    view_.presenter().focusAddressField();
}

void ViewTabs::restore(const std::vector<RestorableTab>& entries, std::int64_t selectedIndex) {
    if (ended_) return;
    // The focus the replaced tabs left in the address field (a dormant window's start page puts it
    // there) goes to the restored page: kept in the field, it would show the field in place of the
    // page's title and host until the person clicked elsewhere.
    BrowserToolbar& toolbar = view_.chrome().toolbar();
    const bool fieldHeldFocus = toolbar.address().is_focus() && !toolbar.isEditingAddress();
    for (auto& tab : tabs_.takeAll()) retire(std::move(tab));
    const auto plans = restoredTabPlans(entries);
    const std::size_t selected = restoredSelection(selectedIndex, plans.size());
    for (const auto& plan : plans) {
        // The selected page may already be loading: it is awake then, as waking would have made it.
        auto adopted = &plan == &plans[selected] && !plan.showsStartPage ? takeLoadingPage(plan.lastURL)
                                                                         : GObjectPtr<WebKitWebView>();
        const bool loading = static_cast<bool>(adopted);
        auto tab = std::make_unique<BrowserTab>(
            loading ? std::move(adopted)
                    : WebViewFactory::makeWebView(view_.websiteDataStore(), std::nullopt,
                                                  view_.profile().customUserAgent, &context_.sessions),
            Uuid::random(), context_.clock.now());
        TabState& state = tab->state();
        state.lastURL = plan.lastURL;
        state.showsStartPage = plan.showsStartPage;
        state.isSleeping = plan.isSleeping && !loading;
        state.sleepingTitle = plan.sleepingTitle;
        state.pendingReadingPosition = plan.pendingReadingPosition;
        attach(*tab);
        const Uuid id = tab->id;
        tabs_.append(std::move(tab));
        // A page brought back asleep shows its site's icon, as it did before.
        view_.loadSleepingTabIcon(id);
    }
    if (tabs_.empty()) add(std::nullopt);
    select(restoredSelection(selectedIndex, tabs_.count()), false, false);
    if (fieldHeldFocus) view_.page().focusActiveContent();
}

void ViewTabs::adoptLoadingPage(std::string address, GObjectPtr<WebKitWebView> webView) {
    loadingPage_.emplace(std::move(address), std::move(webView));
}

GObjectPtr<WebKitWebView> ViewTabs::takeLoadingPage(const std::optional<std::string>& address) {
    if (!loadingPage_ || !address || loadingPage_->first != *address) return {};
    // Its proxy failed before this view could refuse the page: the engine went on with the load
    // (and failed it against the blocked network). A page of its own is refused with the reason.
    if (context_.sessions.errorMessage(view_.websiteDataStore())) {
        loadingPage_.reset();
        return {};
    }
    auto webView = std::move(loadingPage_->second);
    loadingPage_.reset();
    return webView;
}

std::vector<RestorableTab> ViewTabs::restorable() const {
    std::vector<RestorableTab> entries;
    for (const auto& tab : tabs_.items()) {
        RestorableTab entry;
        entry.address = tab->address();
        entry.title = tab->displayTitle();
        entry.startPage = tab->state().showsStartPage;
        entry.sleeping = tab->state().isSleeping;
        if (tab->state().pendingReadingPosition)
            entry.readingPosition = tab->state().pendingReadingPosition->fraction;
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::unique_ptr<Gtk::Menu> ViewTabs::makeContextMenu(const Uuid& id) {
    auto menu = std::make_unique<Gtk::Menu>();
    BrowserTab* tab = find(id);
    if (!tab) return menu;
    // Each entry finds its tab again by id when chosen: the tab may be gone by then.
    auto entry = [&menu](const std::string& title, std::function<void()> handler) {
        menu->append(*Gtk::manage(new ActionMenuItem(title, std::move(handler))));
    };
    entry(localizedString("Move Tab Left"), [this, id] { move(id, -1); });
    entry(localizedString("Move Tab Right"), [this, id] { move(id, +1); });
    if (!tab->state().showsStartPage) {
        entry(localizedString(tab->state().isSleeping ? "Wake Tab" : "Sleep Tab"),
              [this, id] { view_.tabSleep().toggleTabSleep(id); });
        entry(localizedString(tab->state().mediaPaused ? "Resume Tab Media" : "Pause Tab Media"),
              [this, id] { view_.tabSleep().toggleTabMedia(id); });
        entry(localizedString("Duplicate Tab"), [this, id] { duplicate(id); });
    }
    menu->show_all();
    return menu;
}

// ---- Joining and leaving ----------------------------------------------------------------------

void ViewTabs::attach(BrowserTab& tab) {
    WebKitWebView* webView = tab.webView();
    webkit_web_view_set_zoom_level(webView, view_.profile().zoomLevel);
    tab.dropObservations();
    for (const char* signal :
         {"notify::estimated-load-progress", "notify::is-loading", "notify::title", "notify::uri"})
        tab.addObservation(webView,
                           g_signal_connect(webView, signal, G_CALLBACK(onViewPropertyChanged), this));
    WebKitBackForwardList* history = webkit_web_view_get_back_forward_list(webView);
    tab.addObservation(history,
                       g_signal_connect(history, "changed", G_CALLBACK(onBackForwardListChanged), this));
    find_.observe(tab);
    hooks_.attach(tab);
}

void ViewTabs::onViewPropertyChanged(GObject* object, GParamSpec* spec, gpointer self) {
    auto* tabs = static_cast<ViewTabs*>(self);
    if (g_strcmp0(g_param_spec_get_name(spec), "uri") == 0)
        tabs->hooks_.urlChanged(WEBKIT_WEB_VIEW(object));
    else
        tabs->hooks_.changed();
}

void ViewTabs::onBackForwardListChanged(WebKitBackForwardList*, WebKitBackForwardListItem*, gpointer,
                                        gpointer self) {
    static_cast<ViewTabs*>(self)->hooks_.changed();
}

void ViewTabs::retire(std::unique_ptr<BrowserTab> tab) {
    // Its questions go with it, before its page does; a tab put to sleep or rebuilt keeps its id,
    // and its page's stopped dialogs.
    hooks_.retire(tab->id);
    tab->detach();
}

void ViewTabs::end() {
    ended_ = true;
    for (auto& tab : tabs_.takeAll()) tab->detach();
    recentlyClosed_.clear();
}

}  // namespace quenlith

#include "browser/view/chrome_presenter.hpp"

#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "browser/view/browser_view_controller.hpp"
#include "browser/view/tab_title.hpp"
#include "model/address.hpp"
#include "model/isolated_text.hpp"
#include "model/kept_call.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

ChromePresenter::ChromePresenter(BrowserViewController& view, BrowserChrome& chrome, Scheduler& deferred)
    : view_(view), chrome_(chrome), deferred_(deferred) {}

void ChromePresenter::begin() {
    built_ = true;
}

void ChromePresenter::end() {
    ended_ = true;
    // The window's header bar may go before the view: the controls come home.
    placeToolbar();
    refreshTask_.cancel();
}

void ChromePresenter::useHeaderBar(Gtk::HeaderBar* bar) {
    headerBar_ = bar;
    placeToolbar();
}

void ChromePresenter::placeToolbar() {
    Gtk::HeaderBar* target = headerBar_ && !view_.profile().compactMode && !ended_ ? headerBar_ : nullptr;
    chrome_.placeToolbar(target);
    layout();
}

void ChromePresenter::layout() {
    if (!built_) return;
    chrome_.layout({.compactMode = view_.profile().compactMode,
                    .compactRevealed = compactRevealed_,
                    .tabCount = view_.tabs().items().size()});
}

void ChromePresenter::installStartPage() {
    if (!ended_) chrome_.installStartPage(view_.services().makeStartPage);
}

void ChromePresenter::refresh() {
    if (!built_ || ended_) return;
    BrowserTab* tab = view_.tabs().active();
    if (!tab) return;
    WebKitWebView* webView = tab->webView();
    const auto pageURL = tab->pageURL();

    ActiveTabFacts facts;
    facts.showsStartPage = tab->state().showsStartPage;
    facts.isSleeping = tab->state().isSleeping;
    facts.error = tab->state().error;
    facts.address = tab->address();
    facts.persistentStore = view_.isPersistent();
    facts.canGoBack = webkit_web_view_can_go_back(webView);
    facts.canGoForward = webkit_web_view_can_go_forward(webView);
    facts.isLoading = webkit_web_view_is_loading(webView);
    facts.estimatedProgress = webkit_web_view_get_estimated_load_progress(webView);
    facts.pageIsSignIn = pageURL && isSignInURL(*pageURL);
    const ChromeState state = chromeState(facts);

    // A window built before the application could make start pages gets its own when it first shows one.
    if (state.startPageVisible) installStartPage();
    chrome_.show(state, webView, state.startPageVisible ? std::string() : shownName(tab->displayTitle()));
    if (Gtk::Window* window = chrome_.window())
        titleWindow(*window,
                    browserWindowTitle(view_.profile().displayTitle(), view_.isPersistent(), tab->displayTitle()));

    std::vector<TabStripEntry> entries;
    for (const auto& shown : view_.tabs().items())
        entries.push_back({shown->id, shown->state().isSleeping, shown->state().mediaPaused,
                           shown->displayTitle(), shown->pageURL().value_or(""), shown->state().icon.get()});
    chrome_.tabStrip().show(view_.tabs().activeIndex(), entries);
    layout();
    // Through a copy: the view's teardown resets it.
    callKept(view_.services().onStateChange);
}

void ChromePresenter::scheduleRefresh() {
    if (refreshTask_.pending()) return;
    refreshTask_ = deferred_.scheduleIdle([this] { refresh(); });
}

void ChromePresenter::revealCompactChrome(bool hovering) {
    // Only entering counts: leaving the strip must not hide chrome the pointer is now over.
    if (!hovering || !view_.profile().compactMode || compactRevealed_) return;
    compactRevealed_ = true;
    layout();
}

void ChromePresenter::focusAddressField() {
    if (view_.profile().compactMode) {
        compactRevealed_ = true;
        layout();
    }
    chrome_.toolbar().focusAddress();
}

}  // namespace quenlith

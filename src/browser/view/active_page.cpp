#include "browser/view/active_page.hpp"

#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "browser/engine/script_evaluation.hpp"
#include "browser/engine/website_sessions.hpp"
#include "browser/page/external_launch.hpp"
#include "browser/page/navigation_policy.hpp"
#include "browser/page/page_error.hpp"
#include "browser/page/print_dialog.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/address.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/preferences_store.hpp"
#include "ui/alert.hpp"
#include "ui/asked_window.hpp"

namespace quenlith {

namespace {

// Scripts run in the page to read what a capture keeps.
constexpr const char* kSelectionScript = "window.getSelection()?.toString().slice(0, 200000) || ''";
constexpr const char* kScrollFractionScript =
    "(() => { const s = document.scrollingElement; if (!s) return null; const max = s.scrollHeight - "
    "s.clientHeight; return max > 0 ? Math.min(1, Math.max(0, s.scrollTop / max)) : 0; })()";

void loadInWebView(WebKitWebView* webView, const std::string& address) {
    webkit_web_view_load_uri(webView, address.c_str());
}

}  // namespace

ActivePage::ActivePage(BrowserViewController& view, const BrowserContext& context, PageScripts& scripts,
                       FindSession& find, std::map<Uuid, ScriptDialogGuard>& dialogGuards)
    : view_(view), context_(context), scripts_(scripts), find_(find), dialogGuards_(dialogGuards) {}

void ActivePage::openOutside(const std::string& uri) {
    openWithDefaultApplication(uri, [this, alive = std::weak_ptr<int>(alive_)](const std::string& reason) {
        if (alive.expired()) return;
        presentAlert(AlertKind::error, localizedString("No application could open this address."), reason,
                     view_.chrome().window());
    });
}

std::optional<std::string> ActivePage::shareableURL() const {
    if (!view_.isPersistent()) return std::nullopt;
    BrowserTab* tab = view_.tabs().active();
    if (!tab || tab->state().showsStartPage) return std::nullopt;
    auto address = tab->address();
    if (!address || !isCredentialFreeURL(*address)) return std::nullopt;
    return address;
}

void ActivePage::toggleMenuBarIcon() {
    if (auto address = shareableURL(); address && view_.services().onToggleMenuBarIcon)
        view_.services().onToggleMenuBarIcon(*address);
}

void ActivePage::captureSelection(std::function<void(PageClip)> completion) {
    BrowserTab* tab = view_.tabs().active();
    if (!view_.isPersistent() || !tab || tab->state().showsStartPage) return;
    const auto address = tab->address();
    if (!address || !isCredentialFreeURL(*address)) return;

    PageClip draft;
    draft.id = Uuid::random();
    draft.address = *address;
    draft.title = tab->pageTitle();
    if (draft.title.empty()) draft.title = addressHost(*address);
    if (view_.isSavedWebsite()) draft.profileID = view_.profile().id;
    if (const auto& identifier = view_.websiteDataStore()->identifier())
        draft.windowSession =
            WindowSessionReference{*identifier, context_.sessions.proxyOverride(view_.websiteDataStore())};

    const std::string page = draft.address;
    scripts_.run(tab->webView(), kSelectionScript, page,
                 [this, draft = std::move(draft), completion = std::move(completion)](
                     WebKitWebView*, JSCValue* value) mutable {
                     draft.text = scriptText(value).value_or("");
                     draft.modified = context_.clock.now();
                     completion(std::move(draft));
                 });
}

void ActivePage::readingPosition(
    std::function<void(const std::string&, const std::string&, std::optional<double>)> completion) {
    BrowserTab* tab = view_.tabs().active();
    if (!view_.isPersistent() || !tab) return;
    const auto address = tab->address();
    if (!address || !isCredentialFreeURL(*address)) return;
    std::string title = tab->pageTitle();
    if (title.empty()) title = addressHost(*address);
    scripts_.run(tab->webView(), kScrollFractionScript, *address,
                 [address = *address, title, completion = std::move(completion)](
                     WebKitWebView*, JSCValue* value) { completion(address, title, scriptNumber(value)); });
}

void ActivePage::printActivePage() {
    BrowserTab* tab = view_.tabs().active();
    Gtk::Window* window = view_.chrome().window();
    if (!tab || tab->state().showsStartPage || (window && hasAttachedSheet(*window))) return;
    if (!window) {
        showPrintDialog(tab->webView(), nullptr);
        return;
    }
    // The dialog comes and goes as the window's sheets do: the focus returns to the window.
    runAskedDialog(*window, [&] { showPrintDialog(tab->webView(), window->gobj()); });
}

void ActivePage::showFindBar() {
    BrowserTab* tab = view_.tabs().active();
    if (!tab || tab->state().showsStartPage) return;
    view_.presenter().setCompactRevealed(true);
    find_.open();
}

void ActivePage::focusActiveContent() {
    BrowserTab* tab = view_.tabs().active();
    if (!tab) return;
    if (tab->state().showsStartPage) {
        view_.presenter().focusAddressField();
        return;
    }
    gtk_widget_grab_focus(GTK_WIDGET(tab->webView()));
}

void ActivePage::load(const std::string& address) {
    BrowserTab* tab = view_.tabs().active();
    if (!tab) return;
    TabState& state = tab->state();
    state.isSleeping = false;
    state.lastUsed = context_.clock.now();
    state.pendingReadingPosition.reset();
    state.showsStartPage = false;
    state.error.reset();
    state.lastURL = withoutCredentials(address);
    loadInWebView(tab->webView(), address);
    view_.presenter().refresh();
    gtk_widget_grab_focus(GTK_WIDGET(tab->webView()));
}

void ActivePage::reloadActiveTab() {
    BrowserTab* tab = view_.tabs().active();
    if (!tab) return;
    // The user's reload lets the page's dialogs show again.
    if (auto guard = dialogGuards_.find(tab->id); guard != dialogGuards_.end()) guard->second.reloaded();
    // Waking and retrying load the page themselves; a reload on top would cancel that load.
    if (tab->state().isSleeping) {
        view_.tabSleep().wake(tab->id);
        return;
    }
    if (tab->state().error) {
        retryLoading();
        return;
    }
    webkit_web_view_reload(tab->webView());
}

void ActivePage::reloadOrStop() {
    BrowserTab* tab = view_.tabs().active();
    if (tab && webkit_web_view_is_loading(tab->webView())) {
        webkit_web_view_stop_loading(tab->webView());
        return;
    }
    reloadActiveTab();
}

void ActivePage::showStartPage() {
    for (std::size_t i = 0; i < view_.tabs().items().size(); ++i) {
        if (view_.tabs().items()[i]->state().showsStartPage) {
            view_.tabs().select(i, true, true);
            return;
        }
    }
    view_.tabs().openNew();
}

void ActivePage::navigate(const std::string& text) {
    auto address = resolveAddressInput(text, context_.preferences.value().searchEngine);
    if (address)
        load(*address);
    else if (!address.error().message.empty())
        view_.chrome().toast().show(address.error().message);
}

void ActivePage::retryLoading() {
    BrowserTab* old = view_.tabs().active();
    if (!old) return;
    const auto address =
        quenlith::retryAddress(old->state().failedURL ? old->state().failedURL : old->state().lastURL,
                               old->pageURL(), view_.profile());
    if (!address) return;
    // A page that failed to load is asked for again in its own view, which keeps its history; only a
    // view whose web process ended is replaced.
    if (!old->state().webProcessEnded) {
        old->state().error.reset();
        old->state().lastURL = address;
        loadInWebView(old->webView(), *address);
        view_.presenter().refresh();
        return;
    }

    // A new web view on the same store: cookies and storage stay, the broken process goes.
    auto replacement = std::make_unique<BrowserTab>(
        WebViewFactory::makeWebView(view_.websiteDataStore(), std::nullopt, view_.profile().customUserAgent,
                                    &context_.sessions),
        old->id, context_.clock.now());
    replacement->state().lastURL = address;
    replacement->state().isPopup = old->state().isPopup;
    replacement->state().pendingReadingPosition = old->state().pendingReadingPosition;
    BrowserTab& added = *replacement;
    view_.tabs().select(view_.tabs().replace(std::move(replacement)), true, true);
    loadInWebView(added.webView(), *address);
    logInfo(LogCategory::lifecycle, "Recreated failed browser tab with persistent website data preserved");
}

void ActivePage::openExternal() {
    BrowserTab* tab = view_.tabs().active();
    std::optional<std::string> viewURL = tab ? tab->pageURL() : std::nullopt;
    std::optional<std::string> lastURL = tab ? tab->state().lastURL : std::nullopt;
    if (auto address = defaultBrowserAddress(viewURL, lastURL, view_.profile())) openOutside(*address);
}

void ActivePage::applyPendingReadingPosition(BrowserTab& tab) {
    if (!tab.state().pendingReadingPosition) return;
    const PendingReadingPosition pending = *tab.state().pendingReadingPosition;
    tab.state().pendingReadingPosition.reset();  // used once, whether it matches or not
    if (!readingPositionApplies(pending.url, tab.pageURL())) return;
    scripts_.scrollTo(tab.webView(), pending.fraction);
}

void ActivePage::restoreReadingPosition(std::optional<double> fraction, const std::string& address) {
    BrowserTab* tab = view_.tabs().active();
    if (!tab || !isUsableReadingPosition(fraction)) return;
    tab->state().pendingReadingPosition = PendingReadingPosition{address, *fraction};
    if (!tab->isLoading() && readingPositionApplies(address, tab->pageURL()))
        applyPendingReadingPosition(*tab);
}

}  // namespace quenlith

#include "browser/view/tab_sleep.hpp"

#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "browser/engine/script_evaluation.hpp"
#include "browser/engine/tab_sleep_guard.hpp"
#include "browser/page/download_manager.hpp"
#include "browser/page/media_control.hpp"
#include "browser/page/navigation_policy.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/address.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "ui/alert.hpp"

namespace quenlith {

namespace {

constexpr const char* kSleepScrollFractionScript =
    "(() => { const s = document.scrollingElement; if (!s) return null; const max = s.scrollHeight - "
    "s.clientHeight; return max > 0 ? Math.min(1, Math.max(0, s.scrollTop / max)) : 0; })()";

// Whether the page plays, films or records: a muted capture counts too.
bool pageIsActive(WebKitWebView* view) {
    return webkit_web_view_is_playing_audio(view) ||
           webkit_web_view_get_camera_capture_state(view) != WEBKIT_MEDIA_CAPTURE_STATE_NONE ||
           webkit_web_view_get_microphone_capture_state(view) != WEBKIT_MEDIA_CAPTURE_STATE_NONE;
}

}  // namespace

TabSleep::TabSleep(BrowserViewController& view, const BrowserContext& context)
    : view_(view), context_(context) {}

void TabSleep::toggleTabSleep(const Uuid& id) {
    BrowserTab* tab = view_.tabs().find(id);
    if (!tab) return;
    if (tab->state().isSleeping) {
        wake(id);
        return;
    }
    sleepTab(id, false);
}

bool TabSleep::hasActiveDownload() const {
    if (!context_.downloads) return false;
    for (const auto& entry : context_.downloads->entries())
        if (entry.isActive) return true;
    return false;
}

bool TabSleep::isShownActiveTab(const BrowserTab& tab) const {
    return view_.isPresented() && view_.tabs().active() == &tab;
}

bool TabSleep::mayTrySleep(const BrowserTab& tab, bool automatic) const {
    if (tab.isLoading() || tab.state().isPopup) return false;
    if (view_.pageQuestions().openCount() > 0 || hasActiveDownload()) return false;
    if (automatic &&
        (view_.profile().keepAwakeEnabled.value_or(false) || !view_.isPersistent() || isShownActiveTab(tab)))
        return false;
    return true;
}

void TabSleep::sleepTab(const Uuid& id, bool automatic, std::function<void(bool)> done) {
    auto refuse = [done] {
        if (done) done(false);
    };
    // A view that ended its browsing has no tabs.
    BrowserTab* tab = view_.tabs().find(id);
    if (!tab || tab->state().isSleeping || tab->state().showsStartPage || tab->state().sleepCheckInFlight)
        return refuse();
    if (!mayTrySleep(*tab, automatic)) return refuse();
    const std::optional<std::string> address = tab->address();
    // Sign-in pages and addresses carrying tokens never sleep.
    if (!address || !isCredentialFreeURL(*address)) return refuse();

    tab->state().sleepCheckInFlight = true;
    const Date used = tab->state().lastUsed;
    WebKitWebView* view = tab->webView();
    std::weak_ptr<int> alive = alive_;
    // The same tab with the same page, looked up again after every wait; nothing once it went.
    auto still = [this, alive, id, view]() -> BrowserTab* {
        if (alive.expired()) return nullptr;
        BrowserTab* current = view_.tabs().find(id);
        return current && current->webView() == view ? current : nullptr;
    };
    auto giveUp = [still, done] {
        if (BrowserTab* current = still()) current->state().sleepCheckInFlight = false;
        if (done) done(false);
    };

    isProtected(view, [=, this](bool firstAnswer) {
        BrowserTab* current = still();
        if (!current) return giveUp();
        if (firstAnswer || pageIsActive(view)) {
            if (Gtk::Window* window = view_.chrome().window(); !automatic && window)
                presentAlert(
                    AlertKind::warning, localizedString("Tab kept awake"),
                    localizedString("This page may contain unsaved input, an embedded frame or active media. "
                                    "Reload or finish that activity before sleeping it."),
                    window);
            return giveUp();
        }
        evaluateScript(view, kSleepScrollFractionScript, nullptr, [=, this](WebKitWebView*, JSCValue* value) {
            std::optional<double> fraction;
            if (value && jsc_value_is_number(value)) fraction = jsc_value_to_double(value);
            if (!still()) return giveUp();
            isProtected(view, [=, this](bool secondAnswer) {
                BrowserTab* current = still();
                // The page may have changed during the waits: everything is checked again.
                if (!current || secondAnswer || current->state().lastUsed != used ||
                    current->address() != address || !mayTrySleep(*current, automatic))
                    return giveUp();
                replaceBySleepingTab(*current, *address, fraction);
                if (done) done(true);
            });
        });
    });
}

void TabSleep::replaceBySleepingTab(BrowserTab& awake, const std::string& address,
                                    std::optional<double> fraction) {
    if (!view_.tabs().find(awake.id)) return;
    auto sleeping = std::make_unique<BrowserTab>(
        WebViewFactory::makeWebView(view_.websiteDataStore(), std::nullopt, view_.profile().customUserAgent,
                                    &context_.sessions),
        awake.id, awake.state().lastUsed);
    TabState& asleep = sleeping->state();
    asleep.lastURL = address;
    asleep.sleepingTitle = awake.displayTitle();
    asleep.isSleeping = true;
    asleep.mediaPaused = false;
    // The tab keeps showing its site's icon while asleep; one not loaded yet is asked for.
    asleep.icon = awake.state().icon;
    asleep.iconPage = awake.state().iconPage;
    const bool hasIcon = static_cast<bool>(asleep.icon);
    if (fraction && isUsableReadingPosition(fraction))
        asleep.pendingReadingPosition = PendingReadingPosition{address, *fraction};
    // The history of the tab goes with it; the page and its web process are let go.
    if (WebKitWebViewSessionState* state = webkit_web_view_get_session_state(awake.webView())) {
        if (GBytes* bytes = webkit_web_view_session_state_serialize(state)) {
            gsize size = 0;
            auto data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
            asleep.sleepingSession.assign(data ? data : "", size);
            g_bytes_unref(bytes);
        }
        webkit_web_view_session_state_unref(state);
    }
    const Uuid id = sleeping->id;
    const std::size_t index = view_.tabs().replace(std::move(sleeping));
    if (!hasIcon) view_.loadSleepingTabIcon(id);
    if (index == view_.tabs().activeIndex()) view_.tabs().select(index, false, false);
    view_.chrome().tabStrip().invalidate();
    view_.presenter().refresh();
}

bool TabSleep::resumeSleepingSession(BrowserTab& tab) {
    if (tab.state().sleepingSession.empty() || !tab.state().lastURL) return false;
    std::string kept = std::move(tab.state().sleepingSession);
    tab.state().sleepingSession.clear();
    GBytes* bytes = g_bytes_new(kept.data(), kept.size());
    WebKitWebViewSessionState* state = webkit_web_view_session_state_new(bytes);
    g_bytes_unref(bytes);
    if (!state) return false;
    WebKitWebView* view = tab.webView();
    webkit_web_view_restore_session_state(view, state);
    webkit_web_view_session_state_unref(state);
    // The page comes back with its history: the current entry is loaded again, one request.
    WebKitBackForwardListItem* current =
        webkit_back_forward_list_get_current_item(webkit_web_view_get_back_forward_list(view));
    if (!current || *tab.state().lastURL != webkit_back_forward_list_item_get_uri(current)) return false;
    webkit_web_view_go_to_back_forward_list_item(view, current);
    return true;
}

void TabSleep::sleepIdleTabs(std::function<void()> done) {
    const auto minutes = context_.preferences.value().backgroundSleepMinutes;
    // A view that ended its browsing has no tabs to try.
    if (!minutes || *minutes <= 0 || view_.profile().keepAwakeEnabled.value_or(false) ||
        !view_.isPersistent()) {
        if (done) done();
        return;
    }
    const Date cutoff = context_.clock.now().adding(-60.0 * static_cast<double>(*minutes));
    auto candidates = std::make_shared<std::vector<Uuid>>();
    for (const auto& tab : view_.tabs().items())
        if (tab->state().lastUsed < cutoff && !isShownActiveTab(*tab)) candidates->push_back(tab->id);
    // One tab after the other, never two attempts at once.
    auto next = std::make_shared<std::function<void(std::size_t)>>();
    std::weak_ptr<int> alive = alive_;
    *next = [this, alive, candidates, done, weakNext = std::weak_ptr(next)](std::size_t position) {
        auto self = weakNext.lock();
        if (alive.expired() || position >= candidates->size() || !self) {
            if (done) done();
            return;
        }
        sleepTab((*candidates)[position], true, [self, position](bool) { (*self)(position + 1); });
    };
    (*next)(0);
}

void TabSleep::toggleTabMedia(const Uuid& id) {
    BrowserTab* tab = view_.tabs().find(id);
    if (!tab) return;
    WebKitWebView* view = tab->webView();
    const bool pausing = !tab->state().mediaPaused;
    std::weak_ptr<int> alive = alive_;
    setPageMediaPaused(view, pausing, [this, alive, id, view, pausing](bool) {
        if (alive.expired()) return;
        // Only the same tab: one that slept or was recreated meanwhile starts unpaused.
        BrowserTab* current = view_.tabs().find(id);
        if (!current || current->webView() != view) return;
        current->state().mediaPaused = pausing;
        view_.chrome().tabStrip().invalidate();
        view_.presenter().refresh();
    });
}

void TabSleep::wake(const Uuid& id) {
    BrowserTab* tab = view_.tabs().find(id);
    if (!tab || !tab->state().isSleeping || !tab->state().lastURL) return;
    tab->state().isSleeping = false;
    tab->state().lastUsed = context_.clock.now();
    tab->state().error.reset();
    if (!resumeSleepingSession(*tab)) webkit_web_view_load_uri(tab->webView(), tab->state().lastURL->c_str());
    view_.chrome().tabStrip().invalidate();
    view_.presenter().refresh();
}

void TabSleep::wakeActiveTab() {
    if (BrowserTab* tab = view_.tabs().active()) wake(tab->id);
}

}  // namespace quenlith

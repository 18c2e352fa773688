#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "browser/engine/gobject_ptr.hpp"
#include "model/clock.hpp"
#include "model/uri_components.hpp"
#include "model/uuid.hpp"

typedef struct _WebKitWebView WebKitWebView;
typedef struct _GdkPixbuf GdkPixbuf;

namespace quenlith {

// A scroll fraction to restore once that page has loaded.
struct PendingReadingPosition {
    std::string url;
    double fraction = 0;
    bool operator==(const PendingReadingPosition&) const = default;
};

// What a browser window remembers about one of its tabs, beside the web view.
struct TabState {
    std::optional<std::string> error;    // message of the last failed load
    std::optional<std::string> failedURL;  // the address whose load failed, while `error` is set
    bool webProcessEnded = false;          // the failure was the end of the page's web process
    std::optional<std::string> lastURL;  // last known address; used while the web view has none
    bool isPopup = false;                // made for a page's new-window request
    bool mediaPaused = false;
    bool showsStartPage = false;
    std::optional<PendingReadingPosition> pendingReadingPosition;
    bool isSleeping = false;
    std::string sleepingTitle;  // title shown while asleep
    std::string sleepingSession;  // the page's serialised history while asleep; empty otherwise
    Date lastUsed;
    bool sleepCheckInFlight = false;
    // The user name and password of the address being loaded, kept to answer its host's challenge
    // once: the engine is given the address without them.
    std::optional<UriCredentials> addressCredentials;
    // The site's icon as the window loaded it (see PageIcons), and the page it was found for;
    // none until a page of the tab has one.
    GObjectPtr<GdkPixbuf> icon;
    std::string iconPage;
};

// One tab of a browser window: a web view and what the window remembers about it. The web view
// is never replaced; a tab that goes to sleep or is recreated after a failure is a new BrowserTab
// with the same id.
class BrowserTab {
public:
    BrowserTab(GObjectPtr<WebKitWebView> webView, Uuid id, Date created);
    ~BrowserTab();
    BrowserTab(const BrowserTab&) = delete;
    BrowserTab& operator=(const BrowserTab&) = delete;

    const Uuid id;
    WebKitWebView* webView() const { return webView_.get(); }

    // What the window knows about the tab besides its web view; the tab's parts read and change it.
    const TabState& state() const { return state_; }
    TabState& state() { return state_; }

    // Signal handlers watching the web view (or objects it owns) for the window; disconnected by
    // dropObservations() and when the tab goes away.
    void addObservation(gpointer instance, gulong handlerID);
    void dropObservations();

    // The web view's address without user name and password; nothing when it has none.
    std::optional<std::string> pageURL() const;
    // The page's address when it has one, else the last known address.
    std::optional<std::string> address() const { return pageURL() ? pageURL() : state_.lastURL; }
    std::string pageTitle() const;
    bool isLoading() const;

    // The title the strip and the window show.
    std::string displayTitle() const;

    // Takes the web view out of the view tree, stops it and ends the observations: the tab no
    // longer reports or shows anything.
    void detach();

private:
    GObjectPtr<WebKitWebView> webView_;
    TabState state_;
    std::vector<std::pair<GObjectPtr<GObject>, gulong>> observations_;
};

// The id a tab list sorts by (see TabList).
inline const Uuid& tabIdentifier(const std::unique_ptr<BrowserTab>& tab) {
    return tab->id;
}

}  // namespace quenlith

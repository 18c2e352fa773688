#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "browser/engine/gobject_ptr.hpp"
#include "browser/engine/web_view_factory.hpp"
#include "browser/view/browser_context.hpp"
#include "browser/view/browser_tab.hpp"
#include "browser/view/tab_list.hpp"
#include "model/restorable_window.hpp"
#include "model/uuid.hpp"

typedef struct _WebKitWebView WebKitWebView;
typedef struct _WebKitBackForwardList WebKitBackForwardList;
typedef struct _WebKitBackForwardListItem WebKitBackForwardListItem;

namespace Gtk {
class Menu;
}

namespace quenlith {

class BrowserViewController;
class FindSession;

// The tabs of one browser view, in strip order, with the active one, the recently closed
// addresses and the page the start may hand over: adding, selecting, closing, reopening, moving,
// duplicating and restoring them, and the menu the strip shows for one. Each tab's web view is
// watched for the view from the moment it joins until it leaves. Main thread only.
class ViewTabs {
public:
    // What the view does when a tab's web view joins or leaves, or its page changes.
    struct Hooks {
        // Connects the view's page events to a joining tab's web view.
        std::function<void(BrowserTab&)> attach;
        // Ends what the view keeps for a leaving tab (its questions, its page's dialog count).
        std::function<void(const Uuid&)> retire;
        // A page's progress, title or history changed.
        std::function<void()> changed;
        // A page's address changed.
        std::function<void(WebKitWebView*)> urlChanged;
    };
    ViewTabs(BrowserViewController& view, const BrowserContext& context, FindSession& find, Hooks hooks);
    ~ViewTabs();
    ViewTabs(const ViewTabs&) = delete;
    ViewTabs& operator=(const ViewTabs&) = delete;

    const std::vector<std::unique_ptr<BrowserTab>>& items() const { return tabs_.items(); }
    std::size_t activeIndex() const { return tabs_.activeIndex(); }
    BrowserTab* active() const;
    BrowserTab* find(const Uuid& id) const;
    std::optional<std::size_t> indexOf(const Uuid& id) const { return tabs_.indexOf(id); }
    // The tab whose web view this is; nothing for a view no tab shows (closed, slept, replaced).
    BrowserTab* showing(WebKitWebView* webView) const;
    const ClosedTabStack& recentlyClosed() const { return recentlyClosed_; }

    // Returns the new tab's web view (owned by the tab); nothing after end().
    WebKitWebView* add(const std::optional<std::string>& address,
                       const std::optional<WebViewConfiguration>& configuration = std::nullopt);
    void select(std::size_t index, bool wake, bool focus);
    void selectAdjacent(int offset);
    // Closes the tab (none: the active one); the last tab asks the window to close instead. The id
    // is taken by value: closing the window ends the closures a caller's id may live in.
    void close(std::optional<Uuid> id = std::nullopt);
    void reopenClosed();
    void move(const Uuid& id, int offset);
    void duplicate(const Uuid& id);
    void openNew();
    // Puts `tab` in place of the tab with its id (which leaves) and returns its index.
    std::size_t replace(std::unique_ptr<BrowserTab> tab);
    void restore(const std::vector<RestorableTab>& entries, std::int64_t selectedIndex);
    std::vector<RestorableTab> restorable() const;
    // A web view already loading `address`, made by the factory on this view's store before the
    // window was built (the start asks for its first pages early): the first tab, or the selected
    // restored tab, that opens `address` takes it instead of making and loading its own.
    void adoptLoadingPage(std::string address, GObjectPtr<WebKitWebView> webView);
    // The menu the tab strip shows for a tab on a right click.
    std::unique_ptr<Gtk::Menu> makeContextMenu(const Uuid& id);

    // Ends the view's browsing: every tab leaves without a word, nothing is remembered and no tab
    // is made any more.
    void end();

private:
    GObjectPtr<WebKitWebView> takeLoadingPage(const std::optional<std::string>& address);
    // Makes the view the owner of a new tab's web view: page zoom and observations.
    void attach(BrowserTab& tab);
    // Ends a tab that leaves the window (closed, replaced, or dropped by a restore).
    void retire(std::unique_ptr<BrowserTab> tab);
    static void onViewPropertyChanged(GObject* object, GParamSpec* spec, gpointer self);
    static void onBackForwardListChanged(WebKitBackForwardList* list, WebKitBackForwardListItem* added,
                                         gpointer removed, gpointer self);

    BrowserViewController& view_;
    const BrowserContext context_;
    FindSession& find_;
    const Hooks hooks_;
    TabList<std::unique_ptr<BrowserTab>> tabs_;
    ClosedTabStack recentlyClosed_;
    std::optional<std::pair<std::string, GObjectPtr<WebKitWebView>>> loadingPage_;
    bool ended_ = false;
};

}  // namespace quenlith

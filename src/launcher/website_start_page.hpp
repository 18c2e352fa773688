#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/flowbox.h>
#include <gtkmm/label.h>
#include <gtkmm/scrolledwindow.h>
#include <sigc++/connection.h>

#include "launcher/start_page_search_bar.hpp"
#include "model/suggested_website.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"
#include "ui/website_deletion_question.hpp"

namespace quenlith {

class BrowserRuntimeStore;
class FaviconLoader;
class SiteIcon;
class WebAppStore;
class WebsiteSessions;
class WebsiteTile;

// What the start page hands to its host.
struct StartPageActions {
    std::function<void(const WebAppProfile&)> onOpenSaved;
    std::function<void(const std::string& url)> onOpenURL;
    std::function<void(const std::string& text)> onSearch;
    std::function<void()> onAdd;
    std::function<void(const Uuid&)> onEdit;
    std::function<void(const SuggestedWebsite&)> onSaveSuggestion;
    std::function<void(const SuggestedWebsite&)> onPinSuggestion;
    std::function<void(const Uuid&)> onRemove;
    // Whether a tray shows the websites' icons; none: it does.
    std::function<bool()> trayAvailable;
};

// The place the user opens a website from: a search field for an address, a name or a web search,
// the saved websites (favourites first), the built-in suggestions not saved yet and "Add Website".
// Shown in the launcher and, with its heading, in start-page tabs. It changes only the menu-bar
// icon, favourite flag and order of saved websites itself; everything else goes to the host.
class WebsiteStartPage : public Gtk::Box {
public:
    // With `owner` set, the page does nothing more once the owner is gone: a page in a browser tab
    // may outlive the stores it shows.
    WebsiteStartPage(WebAppStore& store, FaviconLoader& icons, BrowserRuntimeStore& runtime, WebsiteSessions& sessions,
                     bool isBrowserPage, StartPageActions actions, std::weak_ptr<const void> owner = {});
    ~WebsiteStartPage() override;

    const std::string& search() const { return searchBar_.text(); }
    void setSearch(const std::string& text);
    // What Return in the search field does.
    void submitSearch();
    // The website whose deletion waits for the question's answer.
    const std::optional<WebAppProfile>& deletion() const { return deletionQuestion_.pending(); }
    // Asks whether to delete the website (what the tile's "Delete…" does).
    void askToDelete(const WebAppProfile& profile);

    // The tiles built so far that the search keeps, in their order, for the host's tests.
    const std::vector<WebsiteTile*>& savedTiles() const { return savedTiles_; }
    const std::vector<WebsiteTile*>& suggestionTiles() const { return suggestionTiles_; }
    Gtk::Entry& searchField() { return searchBar_.field(); }
    // Redraws from the stores now instead of on the next idle turn.
    void redraw();

protected:
    void on_map() override;

private:
    // A tile kept from one change of the websites to the next, with what it shows.
    struct SavedSlot {
        WebAppProfile profile;
        std::string activity;
        bool activityIsAccent = false;
        WebsiteTile* tile = nullptr;
        SiteIcon* icon = nullptr;
    };
    struct SuggestionSlot {
        SuggestedWebsite suggestion;
        WebsiteTile* tile = nullptr;
    };

    // `tilesChanged`: a store changed, so the tiles are brought in step before the search is applied.
    void scheduleRedraw(bool tilesChanged);
    void fill();
    // Takes the websites' order, updates the tiles of changed ones in place and removes those
    // gone; new websites get their tiles from buildTiles. A keystroke does none of this.
    void syncSavedTiles();
    void buildTile(std::size_t index);
    // Builds the missing tiles among the first screenfuls of those the search keeps.
    void buildFirstScreenfuls();
    // Builds at most `most` of the tiles not built yet, in the grid's order.
    void buildTiles(std::size_t most);
    bool hasUnbuiltTiles() const;
    void scheduleBuilding();
    void syncSuggestionTiles();
    // Shows the tiles the search keeps and hides the others (a hidden cell is no keyboard stop).
    void applySearch();
    void makeSavedTile(SavedSlot& slot);
    // Whether the tiles' menus offer tray icons, or say there is no tray.
    bool trayAvailable() const;
    void setOpenAction(const SavedSlot& slot);
    WebsiteTile* makeSuggestionTile(const SuggestedWebsite& suggestion, const std::string& activity,
                                    bool accent);
    // Notes each tile's place for its grid's order; answers whether a kept tile moved.
    bool notePlaces(const std::vector<WebsiteTile*>& tiles);

    WebAppStore& store_;
    FaviconLoader& icons_;
    BrowserRuntimeStore& runtime_;
    WebsiteSessions& sessions_;
    const bool isBrowserPage_;
    const bool hasOwner_;
    const std::weak_ptr<const void> owner_;
    StartPageActions actions_;
    WebsiteDeletionQuestion deletionQuestion_;

    StartPageSearchBar searchBar_;
    Gtk::Label errorLine_;
    Gtk::ScrolledWindow scroller_;
    Gtk::Box column_{Gtk::ORIENTATION_VERTICAL, 20};
    Gtk::Button searchRow_;
    Gtk::Label searchRowLabel_;
    Gtk::Box savedSection_{Gtk::ORIENTATION_VERTICAL, 8};
    Gtk::FlowBox savedGrid_;
    Gtk::Box suggestedSection_{Gtk::ORIENTATION_VERTICAL, 8};
    Gtk::FlowBox suggestedGrid_;
    Gtk::Label emptyNotice_;
    Gtk::Button addButton_;
    std::vector<SavedSlot> saved_;                                // every saved website, favourites first
    std::vector<SuggestionSlot> suggested_;                       // the suggestions not saved, in table order
    std::unordered_map<const Gtk::Widget*, std::size_t> places_;  // each tile's place in its grid
    bool tilesStale_ = true;
    std::vector<WebsiteTile*> savedTiles_;
    std::vector<WebsiteTile*> suggestionTiles_;
    // Cells still to be shown or hidden below the first screenfuls, the nearest last.
    std::vector<std::pair<WebsiteTile*, bool>> pendingCells_;
    sigc::connection revealing_;
    sigc::connection building_;
    std::vector<sigc::connection> connections_;
    sigc::connection pendingRedraw_;
    // A change arrived while the page was off screen: it is drawn when the page shows again.
    bool stale_ = false;
};

}  // namespace quenlith

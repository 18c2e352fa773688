#include "launcher/website_start_page.hpp"

#include <algorithm>

#include <glibmm/main.h>
#include <gtkmm/image.h>
#include <gtkmm/window.h>

#include "browser/engine/favicon_loader.hpp"
#include "browser/engine/website_sessions.hpp"
#include "launcher/launcher_commands.hpp"
#include "launcher/launcher_style.hpp"
#include "launcher/start_page_search.hpp"
#include "launcher/website_tile.hpp"
#include "model/browser_runtime_store.hpp"
#include "model/isolated_text.hpp"
#include "model/localization.hpp"
#include "model/removal_focus.hpp"
#include "model/text_limits.hpp"
#include "model/tray_presence.hpp"
#include "model/web_app_store.hpp"
#include "ui/site_icon.hpp"
#include "ui/told_while_shown.hpp"

namespace quenlith {

namespace {

constexpr int kIconSize = 52;
constexpr int kTileMinimumWidth = 78;
// Enough tiles for the first screenfuls of the launcher and of a tab's start page.
constexpr std::size_t kFirstShownTiles = 60;
constexpr std::size_t kCellsPerTurn = 100;
constexpr std::size_t kTilesPerTurn = 30;

void discard(WebsiteTile& tile) {
    // Destroyed rather than removed, so no tile outlives the grid's contents.
    Gtk::Widget* cell = tile.get_parent();
    gtk_widget_destroy(cell ? cell->gobj() : tile.Gtk::Widget::gobj());
}

// After a change the page made to the websites: a write that fails is told in the page's error
// line while the page shows, so the store tells it nowhere else.
void tellFailureHere(WebAppStore& store, Gtk::Widget& page) { store.whenWritten(toldWhileShown(page)); }

void showCell(WebsiteTile& tile, bool shown) {
    Gtk::Widget* cell = tile.get_parent();
    if (cell && cell->get_visible() != shown) cell->set_visible(shown);
}

void setupGrid(Gtk::FlowBox& grid) {
    grid.set_selection_mode(Gtk::SELECTION_NONE);
    grid.set_homogeneous(true);
    grid.set_column_spacing(8);
    grid.set_row_spacing(12);
    grid.set_min_children_per_line(1);
    grid.set_max_children_per_line(30);
    grid.set_valign(Gtk::ALIGN_START);
    grid.set_activate_on_single_click(false);
    WebsiteTile::openFromGrid(grid);
}

// The page's column in a browser tab: 640 pixels wide where the tab has room, narrower where it
// has not (it asks for 640 as its natural width, and a centred child gets no more than that).
class PageColumn : public Gtk::Box {
public:
    PageColumn() : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 0) {}

protected:
    void get_preferred_width_vfunc(int& minimum, int& natural) const override {
        Gtk::Box::get_preferred_width_vfunc(minimum, natural);
        natural = std::max(minimum, kColumnWidth);
    }

private:
    static constexpr int kColumnWidth = 640;
};

// The place among `tiles` (those of `grid` the search keeps) of the tile whose cell has the
// keyboard of the page's window.
std::optional<std::size_t> focusedTile(Gtk::Widget& page, Gtk::FlowBox& grid, const std::vector<WebsiteTile*>& tiles) {
    auto* window = dynamic_cast<Gtk::Window*>(page.get_toplevel());
    auto* cell = dynamic_cast<Gtk::FlowBoxChild*>(window ? window->get_focus() : nullptr);
    if (!cell || cell->get_parent() != &grid) return std::nullopt;
    const auto found = std::find(tiles.begin(), tiles.end(), cell->get_child());
    if (found == tiles.end()) return std::nullopt;
    return static_cast<std::size_t>(found - tiles.begin());
}

Gtk::Label* sectionTitle(const std::string& text) {
    auto* label = makeLabel(text, 12, 600, "quenlith-secondary");
    label->set_xalign(0);
    return label;
}

}  // namespace

WebsiteStartPage::WebsiteStartPage(WebAppStore& store, FaviconLoader& icons, BrowserRuntimeStore& runtime,
                                   WebsiteSessions& sessions, bool isBrowserPage, StartPageActions actions,
                                   std::weak_ptr<const void> owner)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 0),
      store_(store),
      icons_(icons),
      runtime_(runtime),
      sessions_(sessions),
      isBrowserPage_(isBrowserPage),
      hasOwner_(!owner.expired()),
      owner_(std::move(owner)),
      actions_(std::move(actions)),
      deletionQuestion_(
          localizedString("Its windows and saved configuration will be removed. Shared website cookies are kept."),
          actions_.onRemove, [](Gtk::Window& question) { LauncherHold::track(question); }),
      searchBar_(
          [this] {
              // The last search's cells still waiting would only delay this one's.
              revealing_.disconnect();
              scheduleRedraw(false);
          },
          [this] { setSearch(""); }, [this] { submitSearch(); }) {
    installLauncherStyle();
    get_style_context()->add_class("quenlith-start-page");
    get_style_context()->add_class("quenlith-launcher");

    Gtk::Box* body = this;
    if (isBrowserPage_) {
        // In a tab the page is a centred column of at most 640 pixels.
        auto* centre = Gtk::manage(new PageColumn());
        centre->set_halign(Gtk::ALIGN_CENTER);
        centre->set_hexpand(true);
        pack_start(*centre, Gtk::PACK_EXPAND_WIDGET);
        body = centre;
        auto* heading = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 6));
        heading->set_margin_top(28);
        heading->set_margin_bottom(18);
        heading->pack_start(*makeLabel(localizedString("Start Page"), 25, 600), Gtk::PACK_SHRINK);
        heading->pack_start(*makeLabel(localizedString("Choose a website or search the web."), 13, 400,
                                       "quenlith-secondary"),
                            Gtk::PACK_SHRINK);
        body->pack_start(*heading, Gtk::PACK_SHRINK);
    }

    body->pack_start(searchBar_, Gtk::PACK_SHRINK);

    errorLine_.get_style_context()->add_class("quenlith-error");
    errorLine_.set_xalign(0);
    errorLine_.set_line_wrap(true);
    errorLine_.set_margin_start(20);
    errorLine_.set_margin_end(20);
    errorLine_.set_no_show_all(true);
    body->pack_start(errorLine_, Gtk::PACK_SHRINK);

    column_.set_margin_start(20);
    column_.set_margin_end(20);
    column_.set_margin_top(4);
    column_.set_margin_bottom(20);

    auto* searchRowContent = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6));
    searchRowContent->pack_start(*makeSymbolImage("arrow.up.right", 14), Gtk::PACK_SHRINK);
    searchRowLabel_.set_lines(2);
    searchRowLabel_.set_line_wrap(true);
    searchRowLabel_.set_ellipsize(Pango::ELLIPSIZE_END);
    searchRowLabel_.set_xalign(0);
    searchRowContent->pack_start(searchRowLabel_, Gtk::PACK_EXPAND_WIDGET);
    searchRow_.add(*searchRowContent);
    searchRow_.set_relief(Gtk::RELIEF_NONE);
    searchRow_.set_no_show_all(true);
    searchRowContent->show_all();
    searchRow_.signal_clicked().connect([this] { run(actions_.onSearch, search()); });
    column_.pack_start(searchRow_, Gtk::PACK_SHRINK);

    setupGrid(savedGrid_);
    savedSection_.pack_start(*sectionTitle(localizedString("Saved Websites")), Gtk::PACK_SHRINK);
    savedSection_.pack_start(savedGrid_, Gtk::PACK_SHRINK);
    savedSection_.set_no_show_all(true);
    column_.pack_start(savedSection_, Gtk::PACK_SHRINK);

    setupGrid(suggestedGrid_);
    suggestedSection_.pack_start(*sectionTitle(localizedString("Suggested Websites")), Gtk::PACK_SHRINK);
    suggestedSection_.pack_start(suggestedGrid_, Gtk::PACK_SHRINK);
    suggestedSection_.set_no_show_all(true);
    column_.pack_start(suggestedSection_, Gtk::PACK_SHRINK);
    // The sections keep out of their parents' show_all (the search shows and hides them and their
    // cells), so their titles and grids are shown here.
    for (Gtk::Box* section : {&savedSection_, &suggestedSection_})
        for (Gtk::Widget* child : section->get_children()) child->show();

    emptyNotice_.set_text(localizedString("No matching websites. Press Return to search the web."));
    emptyNotice_.get_style_context()->add_class("quenlith-secondary");
    emptyNotice_.set_line_wrap(true);
    emptyNotice_.set_xalign(0);
    emptyNotice_.set_no_show_all(true);
    column_.pack_start(emptyNotice_, Gtk::PACK_SHRINK);

    auto* addContent = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6));
    addContent->set_halign(Gtk::ALIGN_CENTER);
    addContent->pack_start(*makeSymbolImage("plus.circle", 16), Gtk::PACK_SHRINK);
    auto* addLabel = Gtk::manage(new Gtk::Label(localizedString("Add Website")));
    addContent->pack_start(*addLabel, Gtk::PACK_SHRINK);
    addButton_.add(*addContent);
    addButton_.set_size_request(-1, 34);
    addButton_.signal_clicked().connect([this] { run(actions_.onAdd); });
    column_.pack_start(addButton_, Gtk::PACK_SHRINK);

    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroller_.set_vexpand(true);
    scroller_.add(column_);
    body->pack_start(scroller_, Gtk::PACK_EXPAND_WIDGET);

    // Each grid keeps its cells in the order of the page's slots.
    for (Gtk::FlowBox* grid : {&savedGrid_, &suggestedGrid_})
        grid->set_sort_func([this](Gtk::FlowBoxChild* one, Gtk::FlowBoxChild* other) {
            auto place = [this](Gtk::FlowBoxChild* cell) {
                auto found = places_.find(cell->get_child());
                return found == places_.end() ? std::size_t{0} : found->second;
            };
            const std::size_t a = place(one), b = place(other);
            return a < b ? -1 : a > b ? 1 : 0;
        });

    connections_.push_back(store_.signal_changed().connect([this] { scheduleRedraw(true); }));
    connections_.push_back(runtime_.signal_changed().connect([this] { scheduleRedraw(true); }));
    fill();
}

WebsiteStartPage::~WebsiteStartPage() {
    for (auto& connection : connections_) connection.disconnect();
    pendingRedraw_.disconnect();
    revealing_.disconnect();
    building_.disconnect();
}

void WebsiteStartPage::setSearch(const std::string& text) {
    searchBar_.setText(text);
    pendingRedraw_.disconnect();
    fill();
}

void WebsiteStartPage::scheduleRedraw(bool tilesChanged) {
    tilesStale_ = tilesStale_ || tilesChanged;
    // Stores publish from inside their changes; the page redraws on the next turn, once.
    if (pendingRedraw_.connected() || (hasOwner_ && owner_.expired())) return;
    pendingRedraw_ = Glib::signal_idle().connect([this] {
        // Pages off screen (a hidden launcher, a tab showing a website) wait until they show.
        if (get_mapped())
            fill();
        else
            stale_ = true;
        return false;
    });
}

void WebsiteStartPage::on_map() {
    Gtk::Box::on_map();
    if (stale_) {
        pendingRedraw_.disconnect();
        fill();
    } else {
        scheduleBuilding();
    }
}

void WebsiteStartPage::scheduleBuilding() {
    // Off screen (a launcher built at start, then hidden) the rest waits until the page shows.
    if (building_.connected() || !get_mapped() || !hasUnbuiltTiles()) return;
    building_ = Glib::signal_idle().connect([this] {
        if (!get_mapped()) return false;
        buildTiles(kTilesPerTurn);
        applySearch();
        return hasUnbuiltTiles();
    });
}

void WebsiteStartPage::redraw() {
    tilesStale_ = true;
    pendingRedraw_.disconnect();
    fill();
}

void WebsiteStartPage::fill() {
    if (hasOwner_ && owner_.expired()) return;
    stale_ = false;
    // The cells still waiting for their turn may be of tiles about to go.
    revealing_.disconnect();
    pendingCells_.clear();
    building_.disconnect();
    // A tile with the keyboard that goes (its website deleted) would leave it on no control.
    const std::vector<WebsiteTile*> shownBefore = savedTiles_;
    const auto focused = focusedTile(*this, savedGrid_, savedTiles_);
    std::vector<bool> kept;
    if (tilesStale_) {
        tilesStale_ = false;
        syncSavedTiles();
        // Compared by address alone before any new tile is built: the tiles gone are destroyed.
        for (WebsiteTile* tile : shownBefore)
            kept.push_back(std::any_of(saved_.begin(), saved_.end(),
                                       [tile](const SavedSlot& slot) { return slot.tile == tile; }));
        syncSuggestionTiles();
    }
    // The tiles of the first screenfuls the search keeps are built now, the others a batch per
    // idle turn while the page shows.
    buildFirstScreenfuls();
    scheduleBuilding();
    searchBar_.showClearButtonForText();
    if (store_.errorMessage()) errorLine_.set_text(*store_.errorMessage());
    errorLine_.set_visible(store_.errorMessage().has_value());
    applySearch();
    if (focused && !kept.empty() && !kept[*focused]) {
        const auto neighbour = focusAfterRemoval(kept, *focused);
        Gtk::Widget* cell = neighbour ? shownBefore[*neighbour]->get_parent() : nullptr;
        // No saved website left: the button that adds one stands where they were.
        if (cell && cell->get_visible())
            cell->grab_focus();
        else
            addButton_.grab_focus();
    }
}

void WebsiteStartPage::syncSavedTiles() {
    // Every saved website in the grid's order: the search only hides tiles.
    auto ordered = filteredSaved(store_.profiles(), "");
    std::unordered_map<Uuid, std::size_t> previous;
    for (std::size_t i = 0; i < saved_.size(); ++i) previous.emplace(saved_[i].profile.id, i);
    std::vector<bool> taken(saved_.size(), false);

    std::vector<SavedSlot> next;
    next.reserve(ordered.size());
    for (auto& profile : ordered) {
        const WebsiteActivity activity = activityFor(runtime_, profile, sessions_);
        std::string activityText = title(activity);
        const bool accent = activity == WebsiteActivity::visible;
        auto found = previous.find(profile.id);
        // A new website's tile is built by buildTiles; a second record with one id (a damaged
        // file) gets a tile of its own.
        if (found == previous.end() || taken[found->second]) {
            next.push_back({std::move(profile), std::move(activityText), accent});
            continue;
        }
        taken[found->second] = true;
        SavedSlot slot = std::move(saved_[found->second]);
        if (slot.tile && (slot.activity != activityText || slot.activityIsAccent != accent))
            slot.tile->setActivity(activityText, accent);
        slot.activity = std::move(activityText);
        slot.activityIsAccent = accent;
        if (slot.tile && slot.profile != profile) {
            slot.tile->setTitle(profile.displayTitle());
            if (slot.profile.homeURL != profile.homeURL) slot.tile->set_tooltip_text(profile.homeURL);
            slot.icon->setProfile(profile);
            slot.profile = std::move(profile);
            setOpenAction(slot);
        } else {
            slot.profile = std::move(profile);
        }
        next.push_back(std::move(slot));
    }
    for (std::size_t i = 0; i < saved_.size(); ++i)
        if (!taken[i] && saved_[i].tile) {
            places_.erase(saved_[i].tile);
            discard(*saved_[i].tile);
        }
    saved_ = std::move(next);

    std::vector<WebsiteTile*> tiles;
    for (const auto& slot : saved_) tiles.push_back(slot.tile);
    if (notePlaces(tiles)) savedGrid_.invalidate_sort();
}

void WebsiteStartPage::buildTile(std::size_t index) {
    SavedSlot& slot = saved_[index];
    makeSavedTile(slot);
    // Its place first: the grid sorts the new cell in.
    places_[slot.tile] = index;
    slot.tile->show_all();
    savedGrid_.add(*slot.tile);
    slot.tile->joinGrid();
}

void WebsiteStartPage::buildFirstScreenfuls() {
    FoldedQuery query(trimmedWhitespaceAndNewlines(search()));
    std::size_t kept = 0;
    for (std::size_t i = 0; i < saved_.size() && kept < kFirstShownTiles; ++i) {
        if (!savedWebsiteMatches(query, saved_[i].profile)) continue;
        ++kept;
        if (!saved_[i].tile) buildTile(i);
    }
}

void WebsiteStartPage::buildTiles(std::size_t most) {
    std::size_t built = 0;
    for (std::size_t i = 0; i < saved_.size() && built < most; ++i)
        if (!saved_[i].tile) {
            buildTile(i);
            ++built;
        }
}

bool WebsiteStartPage::hasUnbuiltTiles() const {
    return std::any_of(saved_.begin(), saved_.end(), [](const SavedSlot& slot) { return !slot.tile; });
}

void WebsiteStartPage::syncSuggestionTiles() {
    // The suggestions change only with the saved websites; their activity with the windows.
    auto unsaved = filteredSuggestions(SuggestedWebsite::all(), store_.profiles(), "");
    std::vector<SuggestionSlot> next;
    std::vector<WebsiteTile*> added;
    for (auto& suggestion : unsaved) {
        const WebsiteActivity activity =
            runtime_.activity(suggestion.address, std::nullopt, false, std::nullopt);
        const bool accent = activity == WebsiteActivity::visible;
        auto found = std::find_if(suggested_.begin(), suggested_.end(), [&](const SuggestionSlot& slot) {
            return slot.tile && slot.suggestion == suggestion;
        });
        if (found == suggested_.end()) {
            WebsiteTile* tile = makeSuggestionTile(suggestion, title(activity), accent);
            added.push_back(tile);
            next.push_back({std::move(suggestion), tile});
            continue;
        }
        found->tile->setActivity(title(activity), accent);
        next.push_back(std::move(*found));
        found->tile = nullptr;
    }
    for (const auto& gone : suggested_)
        if (gone.tile) {
            places_.erase(gone.tile);
            discard(*gone.tile);
        }
    suggested_ = std::move(next);

    std::vector<WebsiteTile*> tiles;
    for (const auto& slot : suggested_) tiles.push_back(slot.tile);
    if (notePlaces(tiles)) suggestedGrid_.invalidate_sort();
    for (WebsiteTile* tile : added) {
        tile->show_all();
        suggestedGrid_.add(*tile);
        tile->joinGrid();
    }
}

bool WebsiteStartPage::notePlaces(const std::vector<WebsiteTile*>& tiles) {
    bool moved = false;
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        if (!tiles[i]) continue;
        auto [place, added] = places_.try_emplace(tiles[i], i);
        if (!added && place->second != i) {
            place->second = i;
            moved = true;
        }
    }
    return moved;
}

void WebsiteStartPage::applySearch() {
    FoldedQuery query(trimmedWhitespaceAndNewlines(search()));
    const bool hasQuery = !query.empty();
    searchRowLabel_.set_text(localizedFormat("Search the web for \u201C%@\u201D", {shownName(search())}));
    searchRow_.set_visible(hasQuery);

    // Every cell with what the search makes of it, in the order they are drawn.
    std::vector<std::pair<WebsiteTile*, bool>> cells;
    cells.reserve(saved_.size() + suggested_.size());
    savedTiles_.clear();
    for (const auto& slot : saved_) {
        if (!slot.tile) continue;
        const bool shown = savedWebsiteMatches(query, slot.profile);
        cells.emplace_back(slot.tile, shown);
        if (shown) savedTiles_.push_back(slot.tile);
    }
    suggestionTiles_.clear();
    for (const auto& slot : suggested_) {
        const bool shown = suggestionMatches(query, slot.suggestion);
        cells.emplace_back(slot.tile, shown);
        if (shown) suggestionTiles_.push_back(slot.tile);
    }
    savedSection_.set_visible(!savedTiles_.empty());
    suggestedSection_.set_visible(!suggestionTiles_.empty());
    emptyNotice_.set_visible(savedTiles_.empty() && suggestionTiles_.empty());

    // Every cell shown or hidden makes the grid place all its cells again: the cells up to the
    // first screenfuls of kept tiles change now, those below them a batch per idle turn.
    revealing_.disconnect();
    std::size_t next = 0, kept = 0;
    for (; next < cells.size() && kept < kFirstShownTiles; ++next) {
        showCell(*cells[next].first, cells[next].second);
        kept += cells[next].second;
    }
    pendingCells_.assign(cells.begin() + static_cast<std::ptrdiff_t>(next), cells.end());
    if (pendingCells_.empty()) return;
    revealing_ = Glib::signal_idle().connect([this] {
        std::size_t changed = 0;
        while (!pendingCells_.empty() && changed < kCellsPerTurn) {
            auto [tile, shown] = pendingCells_.back();
            pendingCells_.pop_back();
            Gtk::Widget* cell = tile->get_parent();
            if (!cell || cell->get_visible() == shown) continue;
            cell->set_visible(shown);
            ++changed;
        }
        return !pendingCells_.empty();
    });
    // Taken from the end: reversed, the nearest come first.
    std::reverse(pendingCells_.begin(), pendingCells_.end());
}

void WebsiteStartPage::makeSavedTile(SavedSlot& slot) {
    const WebAppProfile& profile = slot.profile;
    slot.icon = new SiteIcon(profile, icons_, kIconSize);
    auto* tile = Gtk::manage(new WebsiteTile(slot.icon, profile.displayTitle(), profile.homeURL,
                                             slot.activity, slot.activityIsAccent));
    tile->set_size_request(kTileMinimumWidth, -1);
    slot.tile = tile;
    setOpenAction(slot);
    Uuid id = profile.id;
    tile->setMenuEntries([this, id] {
        std::vector<TileMenuEntry> entries;
        auto current = store_.profile(id);
        if (!current) return entries;
        WebAppProfile shown = *current;
        entries.push_back({localizedString("Open"), [this, shown] { run(actions_.onOpenSaved, shown); }});
        entries.push_back({localizedString("Edit Website\u2026"), [this, id] { run(actions_.onEdit, id); }});
        bool onMenuBar = shown.menuBarIconEnabled.value_or(false);
        const bool tray = trayAvailable();
        entries.push_back({trayControlTitle(onMenuBar ? "Remove from Tray" : "Add to Tray", tray),
                           [this, id] {
                               store_.toggleMenuBarIcon(id);
                               store_.saveInBackground();
                               tellFailureHere(store_, *this);
                           },
                           false, tray});
        entries.push_back({localizedString(shown.isFavorite ? "Remove from Favorites" : "Add to Favorites"),
                           [this, id] {
                               store_.toggleFavorite(id);
                               tellFailureHere(store_, *this);
                           }});
        entries.push_back({localizedString("Move Earlier"), [this, id] {
                               store_.move(id, -1);
                               tellFailureHere(store_, *this);
                           }});
        entries.push_back({localizedString("Move Later"), [this, id] {
                               store_.move(id, 1);
                               tellFailureHere(store_, *this);
                           }});
        entries.push_back({"", {}});
        entries.push_back({localizedString("Delete\u2026"), [this, shown] { askToDelete(shown); }, true});
        return entries;
    });
}

bool WebsiteStartPage::trayAvailable() const {
    return !actions_.trayAvailable || actions_.trayAvailable();
}

void WebsiteStartPage::setOpenAction(const SavedSlot& slot) {
    // Opens the website as its tile shows it.
    slot.tile->setOnOpen([this, profile = slot.profile] { run(actions_.onOpenSaved, profile); });
}

WebsiteTile* WebsiteStartPage::makeSuggestionTile(const SuggestedWebsite& suggestion,
                                                  const std::string& activity, bool accent) {
    auto* tile =
        Gtk::manage(new WebsiteTile(new SuggestedSiteIcon(suggestion, kIconSize),
                                    localizedString(suggestion.name), suggestion.address, activity, accent));
    tile->set_size_request(kTileMinimumWidth, -1);
    tile->setOnOpen([this, suggestion] { run(actions_.onOpenURL, suggestion.address); });
    tile->setMenuEntries([this, suggestion] {
        const bool tray = trayAvailable();
        return std::vector<TileMenuEntry>{
            {localizedString("Open"), [this, suggestion] { run(actions_.onOpenURL, suggestion.address); }},
            {localizedString("Save Website\u2026"),
             [this, suggestion] { run(actions_.onSaveSuggestion, suggestion); }},
            {trayControlTitle("Add to Tray", tray),
             [this, suggestion] {
                 run(actions_.onPinSuggestion, suggestion);
                 tellFailureHere(store_, *this);
             },
             false, tray}};
    });
    return tile;
}

void WebsiteStartPage::submitSearch() {
    if (hasOwner_ && owner_.expired()) return;
    auto submission = quenlith::submitSearch(search(), store_.profiles(), SuggestedWebsite::all());
    switch (submission.kind) {
    case SearchSubmission::Kind::nothing: break;
    case SearchSubmission::Kind::openURL: run(actions_.onOpenURL, submission.url); break;
    case SearchSubmission::Kind::openSaved: run(actions_.onOpenSaved, *submission.saved); break;
    case SearchSubmission::Kind::search: run(actions_.onSearch, submission.text); break;
    }
}

void WebsiteStartPage::askToDelete(const WebAppProfile& profile) {
    deletionQuestion_.ask(profile, *this);
}

}  // namespace quenlith

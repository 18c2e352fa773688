#include "library/history_pane.hpp"

#include <glibmm/markup.h>
#include <gtkmm/label.h>

#include "library/empty_state.hpp"
#include "library/library_pane_context.hpp"
#include "library/row_list.hpp"
#include "model/address.hpp"
#include "model/isolated_text.hpp"
#include "model/library_filters.hpp"
#include "model/library_presentation.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "ui/cell_names.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/window_router.hpp"

namespace quenlith {

namespace {

std::string oneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    return line;
}

}  // namespace

HistoryPane::HistoryPane(LibraryPaneContext& context)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 12), context_(context), clear_(localizedString("Clear History…")) {
    property_margin() = 20;

    auto* toggleRow = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 10));
    auto* toggleLabel = Gtk::manage(new Gtk::Label(localizedString("Remember browsing history")));
    labelControl(*toggleLabel, switch_);
    toggleRow->pack_start(switch_, Gtk::PACK_SHRINK);
    toggleRow->pack_start(*toggleLabel, Gtk::PACK_SHRINK);
    pack_start(*toggleRow, Gtk::PACK_SHRINK);
    switch_.property_active().signal_changed().connect([this] {
        if (updating_) return;
        const bool on = switch_.get_active();
        // The whole value goes back through the store, which saves it at once.
        context_.preferences.update([on](AppPreferences& value) { value.historyEnabled = on; });
    });

    auto* note = Gtk::manage(new Gtk::Label(localizedString(
        "Off by default. Keeps up to 1,000 recent pages for 30 days. Private windows and sign-in links are "
        "excluded. Turning this off stops new entries; Clear removes existing history.")));
    note->set_xalign(0);
    note->set_line_wrap(true);
    styleSecondaryText(*note);
    pack_start(*note, Gtk::PACK_SHRINK);

    auto* clearRow = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 0));
    clearRow->pack_end(clear_, Gtk::PACK_SHRINK);
    clear_.signal_clicked().connect([this] { confirmClearHistory(); });
    pack_start(*clearRow, Gtk::PACK_SHRINK);

    model_ = Gtk::ListStore::create(columns_);
    list_.set_model(model_);
    nameControl(list_, localizedString("History list"));
    prepareRowList(list_);
    appendMarkupColumn(list_, columns_.markup, 5);
    auto* date = Gtk::manage(new Gtk::CellRendererText());
    auto* dateColumn = Gtk::manage(new Gtk::TreeViewColumn());
    dateColumn->pack_start(*date, false);
    dateColumn->add_attribute(date->property_markup(), columns_.date);
    list_.append_column(*dateColumn);
    auto* icon = Gtk::manage(new Gtk::CellRendererPixbuf());
    removeColumn_ = Gtk::manage(new Gtk::TreeViewColumn());
    removeColumn_->pack_start(*icon, false);
    removeColumn_->add_attribute(icon->property_icon_name(), columns_.icon);
    list_.append_column(*removeColumn_);
    setColumnTooltip(list_, removeColumn_, [] { return localizedString("Remove from History"); });
    nameCells(*removeColumn_, [this](int row) {
        const auto index = static_cast<std::size_t>(row);
        const std::string action = localizedString("Remove from History");
        return index < shownVisits_.size() ? nameInRow(action, oneLine(shownVisits_[index].title)) : action;
    });
    list_.signal_row_activated().connect([this](const Gtk::TreeModel::Path& path, Gtk::TreeViewColumn* column) {
        const auto row = static_cast<std::size_t>(path[0]);
        if (column == removeColumn_)
            removeVisit(row);
        else
            openVisit(row);
    });
    scroll_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroll_.add(list_);
    content_.add(emptyHolder_, "empty");
    content_.add(scroll_, "list");
    content_.set_vexpand(true);
    pack_start(content_, Gtk::PACK_EXPAND_WIDGET);
    emptyHolder_.pack_start(*makeEmptyState("clock", "No Browsing History",
                                            "Pages will appear here after you enable history and visit a website."),
                            Gtk::PACK_EXPAND_WIDGET);
}

void HistoryPane::refresh() {
    updating_ = true;
    switch_.set_active(context_.preferences.value().readsHistoryEnabled());
    updating_ = false;

    const auto& history = context_.library.document().history;
    clear_.set_sensitive(!history.empty());
    // The empty state is for an empty history; a search that finds nothing shows an empty list.
    if (history.empty()) {
        shown_.clear();
        shownVisits_.clear();
        model_->clear();
        content_.set_visible_child(emptyHolder_);
        return;
    }
    shown_ = filteredHistory(history, LibraryQuery(context_.query));
    shownVisits_.clear();
    list_.unset_model();
    model_->clear();
    const std::string removeIcon = iconNameForSymbol("xmark");
    for (std::size_t position : shown_) {
        const HistoryVisit& visit = history[position];
        shownVisits_.push_back(visit);
        auto row = *model_->append();
        row[columns_.markup] = Glib::Markup::escape_text(shownName(oneLine(visit.title))) + "\n" +
                               secondaryLineMarkup(oneLine(visit.address));
        row[columns_.date] = secondaryLineMarkup(visitDateText(visit.date));
        row[columns_.icon] = removeIcon;
    }
    list_.set_model(model_);
    content_.set_visible_child(scroll_);
}

void HistoryPane::openVisit(std::size_t row) {
    if (row >= shownVisits_.size()) return;
    // An address the normaliser rejects opens nothing.
    if (auto address = normalizedWebsiteURL(shownVisits_[row].address))
        context_.windows.routing().open(*address);
}

void HistoryPane::removeVisit(std::size_t row) {
    if (row >= shown_.size()) return;
    const std::size_t position = shown_[row];
    const HistoryVisit expected = shownVisits_[row];
    // By position: two visits may share an id. A history changed since it was drawn removes
    // nothing unless the visit is still where it was.
    context_.library.update([&](LibraryDocument& document) {
        if (position < document.history.size() && document.history[position] == expected)
            document.history.erase(document.history.begin() + static_cast<std::ptrdiff_t>(position));
    });
}

void HistoryPane::confirmClearHistory() {
    if (context_.library.document().history.empty()) return;
    context_.ask(localizedString("Permanently clear browsing history? Saved websites and bookmarks are kept."),
                 [this] { context_.library.clearHistory(); });
}

}  // namespace quenlith

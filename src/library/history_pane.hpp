#pragma once

#include <cstddef>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/liststore.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/stack.h>
#include <gtkmm/switch.h>
#include <gtkmm/treeview.h>

#include "model/history_visit.hpp"

namespace quenlith {

struct LibraryPaneContext;

// The History section: the switch that records history or not (saved in the preferences at
// once), the visits filtered by the search in their recorded order, each opened by a click and
// removed by its own button, and "Clear History…" after a question.
class HistoryPane : public Gtk::Box {
public:
    explicit HistoryPane(LibraryPaneContext& context);

    void refresh();

    Gtk::Switch& historySwitch() { return switch_; }
    Gtk::Button& clearButton() { return clear_; }
    // The shown visits, as positions in the library's history.
    const std::vector<std::size_t>& shownPositions() const { return shown_; }
    // What a row does, by its shown row number.
    void openVisit(std::size_t row);
    void removeVisit(std::size_t row);
    void confirmClearHistory();

private:
    struct Columns : Gtk::TreeModelColumnRecord {
        Gtk::TreeModelColumn<Glib::ustring> markup;
        Gtk::TreeModelColumn<Glib::ustring> date;
        Gtk::TreeModelColumn<Glib::ustring> icon;
        Columns() {
            add(markup);
            add(date);
            add(icon);
        }
    };

    LibraryPaneContext& context_;
    std::vector<std::size_t> shown_;
    // The visits as they were shown, so a click acts on what the row showed.
    std::vector<HistoryVisit> shownVisits_;
    bool updating_ = false;

    Gtk::Switch switch_;
    Gtk::Button clear_;
    Gtk::Stack content_;
    Gtk::Box emptyHolder_{Gtk::ORIENTATION_VERTICAL};
    Gtk::ScrolledWindow scroll_;
    Columns columns_;
    Glib::RefPtr<Gtk::ListStore> model_;
    Gtk::TreeView list_;
    Gtk::TreeViewColumn* removeColumn_ = nullptr;
};

}  // namespace quenlith

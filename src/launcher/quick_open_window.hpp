#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/listbox.h>
#include <gtkmm/listboxrow.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/searchentry.h>
#include <gtkmm/window.h>
#include <sigc++/connection.h>

#include "launcher/main_work_area.hpp"
#include "model/quick_open_palette.hpp"
#include "ui/framed_box.hpp"

namespace quenlith {

// The Quick Open palette: a search field, the results as a keyboard-driven list, the row that
// opens or searches the typed text, and a footer of key hints. It opens nothing itself: a chosen
// row or the typed text goes to its owner's closures. Main thread only.
class QuickOpenWindow : public Gtk::Window {
public:
    struct Links {
        // The results for a query, computed anew from the live stores.
        std::function<std::vector<QuickOpenItem>(const std::string& query)> results;
        std::function<void(const QuickOpenTarget&)> onChoose;
        std::function<void(const std::string& text)> onSearch;
        std::function<void()> onCancel;
    };

    // Sized for the work area of the main screen (none without a screen).
    explicit QuickOpenWindow(Links links, std::optional<ContentSize> workArea = mainWorkArea());
    ~QuickOpenWindow() override;

    // A store changed: the results are computed again on the next idle turn, for the same query.
    void refresh();

    Gtk::SearchEntry& searchField() { return field_; }
    const QuickOpenPalette& palette() const { return palette_; }
    // Runs what Return runs.
    void submit();

private:
    // A result row's widgets, kept from one query to the next and given the next results' texts:
    // a keystroke changes texts rather than building rows.
    struct ItemRow {
        Gtk::ListBoxRow* row = nullptr;
        Gtk::Image* icon = nullptr;
        Gtk::Label* title = nullptr;
        Gtk::Label* detail = nullptr;
        Gtk::Label* category = nullptr;
        std::string symbol;
    };

    bool keyPressed(GdkEventKey* event);
    ItemRow makeItemRow();
    void showItem(ItemRow& row, const QuickOpenItem& item);
    void queryChanged();
    void rebuildRows();
    void showSelection();
    // Tells a screen reader which row the keys chose: the focus stays in the field.
    void announceSelection();
    void choose(const std::string& id);

    Links links_;
    QuickOpenPalette palette_;
    std::string preedit_;
    FramedBox content_;
    Gtk::Box searchRow_{Gtk::ORIENTATION_HORIZONTAL, 12};
    Gtk::SearchEntry field_;
    Gtk::Button cancel_;
    Gtk::ScrolledWindow scroller_;
    Gtk::ListBox list_;
    std::vector<ItemRow> itemRows_;    // the rows of the results, in order
    Gtk::ListBoxRow openOrSearchRow_;  // "Open or search: …", last while there is a query
    Gtk::Label openOrSearchLabel_;
    std::vector<std::string> rowIDs_;  // the id of each row of the list, in order
    bool selecting_ = false;
    sigc::connection pendingRefresh_;
    sigc::connection scrollRequest_;
};

}  // namespace quenlith

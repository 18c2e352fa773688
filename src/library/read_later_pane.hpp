#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/liststore.h>
#include <gtkmm/menu.h>
#include <gtkmm/radiobutton.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/stack.h>
#include <gtkmm/treeview.h>

#include "model/page_clip.hpp"

namespace quenlith {

struct LibraryPaneContext;

// The Read Later section: unread or finished entries, newest change first, each with its state
// button, host and saved position, "Continue Reading" and a menu (toggle, edit, remove from Read
// Later); "Save Current Page" and "Add Link" above.
class ReadLaterPane : public Gtk::Box {
public:
    ReadLaterPane(LibraryPaneContext& context, std::function<void()> onSaveLater);

    void refresh();
    ReadingState filter() const { return filter_; }
    void setFilter(ReadingState state);

    // What the rows and buttons do, by clip.
    void toggleReadingState(const PageClip& clip);
    void removeFromReadLater(const PageClip& clip);
    void continueReading(const PageClip& clip);
    void addLink();
    // The clips shown now, in order.
    const std::vector<PageClip>& shownClips() const { return shown_; }

    // The row's menu: toggle, "Edit", "Remove from Read Later".
    void showMenu(std::size_t row);

private:
    struct Columns : Gtk::TreeModelColumnRecord {
        Gtk::TreeModelColumn<Glib::RefPtr<Gdk::Pixbuf>> stateIcon;
        Gtk::TreeModelColumn<Glib::ustring> markup;
        Gtk::TreeModelColumn<Glib::ustring> action;
        Gtk::TreeModelColumn<Glib::ustring> moreIcon;
        Columns() {
            add(stateIcon);
            add(markup);
            add(action);
            add(moreIcon);
        }
    };

    std::string toggleText() const;
    // A control of the row `row` named by what it does to that row's page.
    std::string rowControlName(const std::string& action, int row) const;

    LibraryPaneContext& context_;
    std::function<void()> onSaveLater_;
    ReadingState filter_ = ReadingState::unread;
    std::vector<PageClip> shown_;

    Gtk::RadioButton unread_;
    Gtk::RadioButton finished_;
    Gtk::Stack content_;
    Gtk::Box emptyHolder_{Gtk::ORIENTATION_VERTICAL};
    Gtk::ScrolledWindow scroll_;
    // A tree view rather than a box of widgets per row: thousands of entries fill it at once.
    Columns columns_;
    Glib::RefPtr<Gtk::ListStore> model_;
    Gtk::TreeView list_;
    Gtk::TreeViewColumn* stateColumn_ = nullptr;
    Gtk::TreeViewColumn* actionColumn_ = nullptr;
    Gtk::TreeViewColumn* moreColumn_ = nullptr;
    std::unique_ptr<Gtk::Menu> menu_;
    Gtk::Label footnote_;
};

}  // namespace quenlith

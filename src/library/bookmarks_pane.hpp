#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/liststore.h>
#include <gtkmm/paned.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/stack.h>
#include <gtkmm/treeview.h>

#include "model/page_clip.hpp"

namespace quenlith {

struct LibraryPaneContext;

// The Bookmarks section: every saved page (Read Later entries too), narrowed by collection and
// search, newest change first, with a detail of the selected one (open, edit, queue for Read
// Later, delete after a question), "Export Markdown…" of exactly the shown pages, and "Add
// Bookmark".
class BookmarksPane : public Gtk::Box {
public:
    BookmarksPane(LibraryPaneContext& context, std::function<void(const std::vector<PageClip>&)> onExportNotes);

    void refresh();

    // The collection filter: empty shows all.
    const std::string& folder() const { return folder_; }
    void setFolder(const std::string& folder);
    const std::optional<Uuid>& selected() const { return selected_; }
    void select(const std::optional<Uuid>& id);
    const std::vector<PageClip>& shownClips() const { return shown_; }
    // The selected clip while it is shown.
    const PageClip* selectedClip() const;

    // What the buttons do.
    void exportMarkdown();
    void addBookmark();
    void queueForReadLater(const PageClip& clip);
    void confirmDeleteBookmark(const PageClip& clip);
    // Whether the detail's "Read Later" may be chosen for the clip.
    static bool canQueue(const PageClip& clip);
    // The split between the list and the detail.
    Gtk::Paned& split() { return split_; }

private:
    struct Columns : Gtk::TreeModelColumnRecord {
        Gtk::TreeModelColumn<Glib::ustring> markup;
        Gtk::TreeModelColumn<int> index;
        Columns() {
            add(markup);
            add(index);
        }
    };

    void rebuildCollections();
    void showDetail();
    void deleteBookmark(const Uuid& id);

    LibraryPaneContext& context_;
    std::function<void(const std::vector<PageClip>&)> onExportNotes_;
    std::string folder_;
    std::optional<Uuid> selected_;
    std::vector<PageClip> shown_;
    std::vector<std::string> collections_;
    bool updating_ = false;

    Gtk::ComboBoxText collection_;
    Gtk::Button export_;
    Gtk::Stack content_;
    Gtk::Box emptyHolder_{Gtk::ORIENTATION_VERTICAL};
    Gtk::Paned split_{Gtk::ORIENTATION_HORIZONTAL};
    Gtk::ScrolledWindow listScroll_;
    Columns columns_;
    Glib::RefPtr<Gtk::ListStore> model_;
    Gtk::TreeView list_;
    Gtk::Box detail_{Gtk::ORIENTATION_VERTICAL};
};

}  // namespace quenlith

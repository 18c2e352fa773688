#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>
#include <gtkmm/menu.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/textview.h>
#include <sigc++/connection.h>

#include "model/auxiliary_window_sizes.hpp"
#include "model/page_clip.hpp"
#include "ui/framed_box.hpp"

namespace Gtk {
class Window;
}

namespace quenlith {

class LibraryStore;

// The editor of one saved page before it is stored: title, source address, Read Later, collection
// and the excerpt (shown, never edited). Nothing reaches the library before Save; Cancel and a
// successful Save call `onDone`. A refused Save keeps the sheet open with the store's message.
// Hosted as the library window's sheet and in the "Save Page / Selection" window.
class ClipEditor : public FramedBox {
public:
    // Takes the size its rule gives for `workArea` (the main screen's; none without one).
    ClipEditor(PageClip draft, LibraryStore& library, std::function<void()> onDone,
               std::optional<ContentSize> workArea);
    ~ClipEditor() override;

    // Makes Return save (while Save is enabled) and Escape cancel in the host window.
    void attachTo(Gtk::Window& host);

    const PageClip& draft() const { return draft_; }
    bool canSave() const;
    // What the buttons do.
    void save();
    void cancel();

    // The fields a person edits, for the application's tests.
    Gtk::Entry& titleField() { return title_; }
    Gtk::Entry& addressField() { return address_; }
    Gtk::CheckButton& readLaterToggle() { return readLater_; }
    Gtk::Entry& collectionField() { return collection_; }
    const Gtk::Label& errorLine() const { return error_; }
    Gtk::Button& saveButton() { return save_; }
    void chooseCollection(const std::string& name);

private:
    void refresh();
    void rebuildCollections();

    PageClip draft_;
    LibraryStore& library_;
    std::function<void()> onDone_;
    bool updating_ = false;

    // The form scrolls within the editor's size; the buttons stay below it.
    Gtk::ScrolledWindow formScroller_;
    Gtk::Box form_{Gtk::ORIENTATION_VERTICAL, 14};
    Gtk::Label heading_;
    Gtk::Entry title_;
    Gtk::Entry address_;
    Gtk::CheckButton readLater_;
    Gtk::Box collectionRow_{Gtk::ORIENTATION_HORIZONTAL, 6};
    Gtk::Entry collection_;
    Gtk::MenuButton choose_;
    Gtk::Menu chooseMenu_;
    std::vector<std::string> collections_;
    std::vector<std::unique_ptr<Gtk::MenuItem>> chooseItems_;
    Gtk::ScrolledWindow excerptScroll_;
    Gtk::Box excerptBox_{Gtk::ORIENTATION_VERTICAL, 10};
    Gtk::Label excerptHeading_;
    Gtk::TextView excerpt_;
    Gtk::Label noExcerpt_;
    Gtk::Label caption_;
    Gtk::Label error_;
    Gtk::Box buttons_{Gtk::ORIENTATION_HORIZONTAL, 8};
    Gtk::Button cancel_;
    Gtk::Button save_;
    sigc::connection libraryChanged_;
    sigc::connection hostKeys_;
};

// The "Save Page / Selection" window around an editor of `draft`.
std::unique_ptr<Gtk::Window> makeClipWindow(const PageClip& draft, LibraryStore& library,
                                            std::function<void()> onDone,
                                            std::optional<ContentSize> workArea);

}  // namespace quenlith

#pragma once

#include <functional>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>
#include <sigc++/connection.h>

#include "model/browser_scene.hpp"

namespace quenlith {

struct LibraryPaneContext;

// "Save Page Group": names a group just captured from the open windows and appends it to the
// library. Nothing is written before "Save"; "Save" needs a name (trimmed) of at most 100
// characters. A refused save keeps the sheet open with the library's message in red.
class PageGroupSheet : public Gtk::Box {
public:
    // `done` closes the sheet: after a save, on "Cancel" and on Escape.
    PageGroupSheet(LibraryPaneContext& context, BrowserScene draft, std::function<void()> done);
    ~PageGroupSheet() override;

    Gtk::Entry& nameField() { return name_; }
    Gtk::Button& saveButton() { return save_; }
    const Gtk::Label& errorLine() const { return error_; }
    // "Save": the group under the trimmed name, after every group of the library.
    void save();
    void cancel();

private:
    void refreshError();

    LibraryPaneContext& context_;
    BrowserScene draft_;
    std::function<void()> done_;
    Gtk::Entry name_;
    Gtk::Label error_;
    Gtk::Button cancel_;
    Gtk::Button save_;
    sigc::connection libraryChanged_;
};

}  // namespace quenlith

#pragma once

#include <memory>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/label.h>
#include <gtkmm/listbox.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/stack.h>
#include <sigc++/connection.h>

#include "model/browser_scene.hpp"

namespace quenlith {

struct LibraryPaneContext;

// The Page Groups section of the library window: saving the open windows as a group (named in the
// page-group sheet) or creating one from links, the focus banner while a group is in focus, and
// one row per group with Open, Focus, Hide and a menu (copy link, rename, delete).
class PageGroupsPane : public Gtk::Box {
public:
    explicit PageGroupsPane(LibraryPaneContext& context);
    ~PageGroupsPane() override;
    // Shows the groups of the library as they are now, filtered by the shared search.
    void refresh();

    // What the buttons and menus do.
    void saveOpenWindowsAsGroup();
    void openGroup(const BrowserScene& scene);
    void focusGroup(const BrowserScene& scene);
    void hideGroup(const BrowserScene& scene);
    void copyGroupLink(const Uuid& sceneID);
    void renameGroup(const BrowserScene& scene);
    void confirmDeleteGroup(const BrowserScene& scene);
    // The groups shown now, in order, and whether the focus banner is up.
    const std::vector<BrowserScene>& shownScenes() const { return shown_; }
    bool showsFocusBanner() const { return focusBanner_.get_visible(); }

private:
    Gtk::Widget* makeRow(const BrowserScene& scene);
    void refreshFocusBanner();
    // A group window of a deleted website was skipped: the notice says so.
    void reportRemovedAccounts(const BrowserScene& scene);

    LibraryPaneContext& context_;
    std::vector<BrowserScene> shown_;
    Gtk::Box focusBanner_{Gtk::ORIENTATION_HORIZONTAL, 8};
    Gtk::Stack content_;
    Gtk::Box emptyHolder_{Gtk::ORIENTATION_VERTICAL};
    Gtk::ScrolledWindow scroll_;
    Gtk::ListBox list_;
    sigc::connection windowsChanged_;
    // Closures kept by the rename question hold this weakly.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace quenlith

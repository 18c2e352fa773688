#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/flowbox.h>
#include <gtkmm/label.h>
#include <gtkmm/menu.h>

namespace quenlith {

// One entry of a tile's context menu; an empty title is a divider.
struct TileMenuEntry {
    std::string title;
    std::function<void()> action;
    bool destructive = false;
    bool enabled = true;
};

// A menu of the entries, owned by the caller; counted as open by LauncherHold while shown.
std::unique_ptr<Gtk::Menu> buildMenu(const std::vector<TileMenuEntry>& entries);
// Shows the menu under the pointer of the current event, else (opened from the keyboard) below
// `anchor` with its first item highlighted.
void popupMenu(Gtk::Menu& menu, Gtk::Widget& anchor);

// A start-page tile: a square icon, the title in at most two lines and the activity line. A click
// opens; a right click shows the context menu built at that moment.
class WebsiteTile : public Gtk::Button {
public:
    // `icon` is managed by the tile.
    WebsiteTile(Gtk::Widget* icon, const std::string& title, const std::string& toolTip, const std::string& activity,
                bool activityIsAccent);
    ~WebsiteTile() override;

    void setOnOpen(std::function<void()> onOpen) { onOpen_ = std::move(onOpen); }
    void setMenuEntries(std::function<std::vector<TileMenuEntry>()> menuEntries) {
        menuEntries_ = std::move(menuEntries);
    }

    const std::string& title() const { return title_; }
    Gtk::Widget& icon() { return *icon_; }
    // Changes what the tile shows in place (a page keeps its tiles from one change to the next);
    // the title also names the tile's grid cell.
    void setTitle(const std::string& title);
    void setActivity(const std::string& activity, bool activityIsAccent);
    // Builds and shows the context menu under the pointer (or under the tile without one).
    Gtk::Menu& showMenu();
    // The entries its context menu shows now.
    std::vector<TileMenuEntry> menuEntries() const {
        return menuEntries_ ? menuEntries_() : std::vector<TileMenuEntry>{};
    }
    // Once added to a grid: the grid's cell is the tile's one keyboard stop, named by its title,
    // with the arrow keys moving between cells and the menu key showing the tile's menu.
    void joinGrid();
    // Return and Space on a cell of `grid` open its tile.
    static void openFromGrid(Gtk::FlowBox& grid);

protected:
    void on_clicked() override;
    bool on_button_press_event(GdkEventButton* event) override;

private:
    std::function<void()> onOpen_;
    std::function<std::vector<TileMenuEntry>()> menuEntries_;
    std::string title_;
    Gtk::Widget* icon_;
    Gtk::Label* name_;
    Gtk::Label* activity_;
    Gtk::Box content_{Gtk::ORIENTATION_VERTICAL, 7};
    std::unique_ptr<Gtk::Menu> menu_;
};

}  // namespace quenlith

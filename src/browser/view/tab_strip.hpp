#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/menu.h>
#include <gtkmm/scrolledwindow.h>

#include "browser/view/tab_title.hpp"
#include "model/scheduler.hpp"
#include "ui/action_button.hpp"

namespace quenlith {

// The row of tabs under the title bar: one tab per page with its site icon, title and close button,
// then the new-tab button; the selected tab is scrolled into sight as the tabs or the strip's width
// change, and the wheel scrolls the strip. It shows what it is given and reports clicks by tab id.
// Main thread only.
class TabStrip {
public:
    explicit TabStrip(Scheduler& scheduler);
    ~TabStrip();
    TabStrip(const TabStrip&) = delete;
    TabStrip& operator=(const TabStrip&) = delete;

    void setOnSelect(std::function<void(const Uuid& id)> onSelect) { onSelect_ = std::move(onSelect); }
    void setOnClose(std::function<void(const Uuid& id)> onClose) { onClose_ = std::move(onClose); }
    void setOnNewTab(std::function<void()> onNewTab) { onNewTab_ = std::move(onNewTab); }
    // Makes the menu of a right click on a tab.
    void setMenuMaker(std::function<std::unique_ptr<Gtk::Menu>(const Uuid& id)> makeMenu) {
        makeMenu_ = std::move(makeMenu);
    }

    // Shows the tabs; nothing is rebuilt while the tabs look the same.
    void show(std::size_t activeIndex, const std::vector<TabStripEntry>& entries);
    // The next show() rebuilds even when the tabs look the same (the media state changed).
    void invalidate() { signature_.clear(); }
    // Removes every button.
    void clear();

    Gtk::Widget& view() { return scroll_; }
    Gtk::Box& box() { return box_; }

private:
    struct Item;
    void removeItems();
    void keepActiveInSight();
    // Whether the selected tab was laid out (and is now in sight).
    bool scrollToActive();
    bool wheelTurned(GdkEventScroll* event);

    std::function<void(const Uuid& id)> onSelect_;
    std::function<void(const Uuid& id)> onClose_;
    std::function<void()> onNewTab_;
    std::function<std::unique_ptr<Gtk::Menu>(const Uuid& id)> makeMenu_;
    Scheduler& scheduler_;
    Gtk::ScrolledWindow scroll_;
    Gtk::Box box_;
    ActionButton newTab_;
    std::string signature_;
    std::size_t activeIndex_ = 0;
    // The selected tab is brought into sight at the next layout: the tabs or the strip's width
    // changed since it last was.
    bool followActive_ = true;
    std::pair<int, int> laidOutWidths_;  // of the strip and of its row of tabs
    std::vector<std::unique_ptr<Item>> items_;
    std::vector<std::unique_ptr<Item>> retired_;
    ScheduledTask retire_;
    std::unique_ptr<Gtk::Menu> menu_;
};

}  // namespace quenlith

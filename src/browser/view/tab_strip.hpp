#pragma once

#include <functional>
#include <memory>
#include <string>
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
// then the new-tab button; the selected tab is always scrolled into sight. It shows what it is given and reports clicks by tab id. Main thread only.
class TabStrip {
public:
    explicit TabStrip(Scheduler& scheduler);
    ~TabStrip();
    TabStrip(const TabStrip&) = delete;
    TabStrip& operator=(const TabStrip&) = delete;

    std::function<void(const Uuid& id)> onSelect;
    std::function<void(const Uuid& id)> onClose;
    std::function<void()> onNewTab;
    // The menu of a right click on a tab.
    std::function<std::unique_ptr<Gtk::Menu>(const Uuid& id)> makeMenu;

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
    void scrollToActive();

    Scheduler& scheduler_;
    Gtk::ScrolledWindow scroll_;
    Gtk::Box box_;
    ActionButton newTab_;
    std::string signature_;
    std::size_t activeIndex_ = 0;
    std::vector<std::unique_ptr<Item>> items_;
    std::vector<std::unique_ptr<Item>> retired_;
    ScheduledTask retire_;
    std::unique_ptr<Gtk::Menu> menu_;
};

}  // namespace quenlith

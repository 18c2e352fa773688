#pragma once

#include <memory>
#include <string>

#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>

#include "model/uuid.hpp"

namespace quenlith {

class AppEnvironment;
struct LauncherCommands;

// What a website's tray menu shows besides its fixed commands.
struct WebsiteMenuContent {
    std::string name;
    std::string stateLine;
    bool canHide = false;
    bool operator==(const WebsiteMenuContent&) const = default;
};

// A website's tray menu: its name, its state line and its commands (open, hide, edit, take off the
// tray). Built once and exported once; a change relabels or greys its items in place, so the tray
// host keeps the item ids it read and a click on what it shows is obeyed whenever it comes.
class WebsiteItemMenu {
public:
    WebsiteItemMenu(const Uuid& websiteID, AppEnvironment& environment, const LauncherCommands& commands,
                    const WebsiteMenuContent& content);
    ~WebsiteItemMenu();
    WebsiteItemMenu(const WebsiteItemMenu&) = delete;
    WebsiteItemMenu& operator=(const WebsiteItemMenu&) = delete;

    // Touches only the items whose text or state differs from what is shown.
    void show(const WebsiteMenuContent& content);
    const WebsiteMenuContent& shown() const { return shown_; }
    Gtk::Menu& menu() { return *menu_; }

private:
    std::unique_ptr<Gtk::Menu> menu_;
    Gtk::MenuItem* heading_ = nullptr;
    Gtk::MenuItem* state_ = nullptr;
    Gtk::MenuItem* hide_ = nullptr;
    WebsiteMenuContent shown_;
};

}  // namespace quenlith

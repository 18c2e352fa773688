#pragma once

#include <memory>
#include <optional>
#include <string>

#include <gtkmm/menu.h>

#include "browser/view/browser_command.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

class BrowserViewController;

// The "more" menu of one browser view and the sheets it opens. The menu is made anew at each
// opening, with the state of that moment. A sheet command does nothing while the view has no window
// or the window already shows a sheet. Main thread only.
class BrowserMoreMenu {
public:
    explicit BrowserMoreMenu(BrowserViewController& view);
    ~BrowserMoreMenu();
    BrowserMoreMenu(const BrowserMoreMenu&) = delete;
    BrowserMoreMenu& operator=(const BrowserMoreMenu&) = delete;

    // Pops the menu up under the toolbar's More button.
    void show();
    std::unique_ptr<Gtk::Menu> make();
    // The active page's host as ad filtering names it; nothing on the start page or without a tab.
    std::optional<std::string> adFilterHost() const;
    // The per-site ad exception: allows the host, or removes every entry covering it (a parent
    // domain included); stored in the preferences, which every window follows.
    void toggleAdsAllowed(const std::string& host, bool wasAllowed);
    // A saved website opens the website editor; any other window its own settings sheet.
    void showWebsiteSettings();
    void showWindowSettingsSheet();
    void showUserAgentSheet();
    void showProxySheet();
    void showAdFilterSheet();
    // What the sheets' Saves give back: the edited record is applied and reported; a click-through
    // flag that differs from the window's asks the window manager to switch it.
    void saveWindowSettings(WebAppProfile edited, bool clickThrough);
    void saveUserAgent(std::optional<std::string> userAgent);

private:
    void requestSheet(BrowserSheet sheet);

    BrowserViewController& view_;
    std::unique_ptr<Gtk::Menu> menu_;  // the menu on screen
};

}  // namespace quenlith

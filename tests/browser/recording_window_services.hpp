#pragma once

// A stand-in for the window manager's side of a browser view: every callback records what it was
// given.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "browser/view/browser_command.hpp"
#include "browser/view/website_start_page.hpp"
#include "browser/view/window_services.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith::test {

struct RecordingWindowServices {
    int startPagesMade = 0;
    std::vector<std::string> menuBarToggles;
    std::vector<std::pair<std::string, std::string>> visits;
    std::vector<WebAppProfile> profileChanges;
    int stateChanges = 0;
    std::vector<std::string> urlChanges;
    std::vector<std::pair<std::string, std::optional<std::string>>> metadata;
    std::vector<BrowserCommand> commands;
    std::vector<std::optional<std::string>> popupRequests;

    // Callbacks that write into this object, which must outlive the view using them.
    BrowserWindowServices services() {
        BrowserWindowServices s;
        s.makeStartPage = [this]() -> Gtk::Widget* {
            ++startPagesMade;
            return Gtk::manage(new WebsiteStartPage());
        };
        s.onToggleMenuBarIcon = [this](const std::string& address) { menuBarToggles.push_back(address); };
        s.onVisit = [this](const std::string& address, const std::string& title) { visits.emplace_back(address, title); };
        s.onProfileChange = [this](const WebAppProfile& profile) { profileChanges.push_back(profile); };
        s.onStateChange = [this] { ++stateChanges; };
        s.onURLChange = [this](const std::string& address) { urlChanges.push_back(address); };
        s.onMetadata = [this](const std::string& title, const std::optional<std::string>& icon) {
            metadata.emplace_back(title, icon);
        };
        s.onCommand = [this](BrowserCommand command) { commands.push_back(command); };
        s.onPopup = [this](const WebViewConfiguration&, const std::optional<std::string>& address) -> WebKitWebView* {
            popupRequests.push_back(address);
            return nullptr;
        };
        return s;
    }
};

}  // namespace quenlith::test

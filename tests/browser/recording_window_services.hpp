#pragma once

// A stand-in for the window manager's side of a browser view: every callback records what it was
// given, and the answers it returns can be set beforehand.

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtkmm/box.h>

#include "browser/view/browser_command.hpp"
#include "browser/view/window_services.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith::test {

struct RecordingWindowServices {
    // Answers.
    bool provideStartPage = true;
    std::set<std::string> pagesWithMenuBarIcon;
    std::optional<WebAppProfile> networkProfileAnswer;
    bool saveNetworkAnswer = true;

    // Records.
    int startPagesMade = 0;
    std::vector<std::string> menuBarToggles;
    std::vector<WebAppProfile> savedNetworks;
    std::vector<std::string> discardedCredentials;
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
            if (!provideStartPage) return nullptr;
            ++startPagesMade;
            return Gtk::manage(new Gtk::Box());
        };
        s.menuBarIconState = [this](const std::string& address) {
            return pagesWithMenuBarIcon.count(address) > 0;
        };
        s.onToggleMenuBarIcon = [this](const std::string& address) { menuBarToggles.push_back(address); };
        s.networkProfile = [this] { return networkProfileAnswer; };
        s.onSaveNetwork = [this](const WebAppProfile& profile) {
            savedNetworks.push_back(profile);
            return saveNetworkAnswer;
        };
        s.discardProxyCredential = [this](const std::string& id) { discardedCredentials.push_back(id); };
        s.onVisit = [this](const std::string& address, const std::string& title) {
            visits.emplace_back(address, title);
        };
        s.onProfileChange = [this](const WebAppProfile& profile) { profileChanges.push_back(profile); };
        s.onStateChange = [this] { ++stateChanges; };
        s.onURLChange = [this](const std::string& address) { urlChanges.push_back(address); };
        s.onMetadata = [this](const std::string& title, const std::optional<std::string>& icon) {
            metadata.emplace_back(title, icon);
        };
        s.onCommand = [this](BrowserCommand command) { commands.push_back(command); };
        s.onPopup = [this](const WebViewConfiguration&,
                           const std::optional<std::string>& address) -> WebKitWebView* {
            popupRequests.push_back(address);
            return nullptr;
        };
        return s;
    }
};

}  // namespace quenlith::test

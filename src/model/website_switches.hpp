#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "model/web_app_profile.hpp"

namespace quenlith {

// Where the website editor shows an on/off setting of a website.
enum class WebsiteSwitchGroup { website, window, advanced };

// One on/off setting of a website as the editing screens show it.
struct WebsiteSwitch {
    std::string label;    // in the interface language
    std::string caption;  // an explanation shown under the switch; empty for none
    // A plain Boolean, or an optional one that reads as off while absent.
    std::variant<bool WebAppProfile::*, std::optional<bool> WebAppProfile::*> member;
    WebsiteSwitchGroup group;
    // Also shown in the settings sheet of a window without a saved website.
    bool inWindowSheet = false;

    bool isOn(const WebAppProfile& profile) const;
    // Stores a definite on or off, also in an optional member.
    void set(WebAppProfile& profile, bool on) const;
};

// Every on/off setting of a website, in the order the screens show them.
std::vector<WebsiteSwitch> websiteSwitches();

}  // namespace quenlith

#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "model/record_fields.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// Where the website editor shows an on/off setting of a website.
enum class WebsiteSwitchGroup { website, window, advanced };

// One on/off setting of a website, declared once: its stored key and member, the sets it belongs
// to, and how the editing screens show it. The record reads, writes, copies and merges it with
// its other fields; the screens show it as a switch.
struct WebsiteSwitch {
    const char* key;
    // A plain Boolean (required in JSON), or an optional one that reads as off while absent.
    std::variant<bool WebAppProfile::*, std::optional<bool> WebAppProfile::*> member;
    FieldSet sets;
    const char* label;    // English; shown in the interface language
    const char* caption;  // an explanation shown under the switch, English; empty for none
    WebsiteSwitchGroup group;
    // Its place among the switches of the settings sheet of a window without a saved website,
    // from 1; 0 for a setting the sheet does not show. The sheet orders its switches its own way.
    int windowSheetPlace;
    bool needsTray = false;  // does something only where a tray shows the icons

    bool isOn(const WebAppProfile& profile) const;
    // Stores a definite on or off, also in an optional member.
    void set(WebAppProfile& profile, bool on) const;
};

// Every on/off setting of a website, in the order the editor shows them.
std::span<const WebsiteSwitch> websiteSwitches();
// The settings the editor shows in one group, in its order.
std::vector<const WebsiteSwitch*> websiteSwitchesIn(WebsiteSwitchGroup group);
// The settings a window's settings sheet shows, in its order.
std::vector<const WebsiteSwitch*> windowSheetSwitches();
// The setting stored under `key`, one of the keys above.
const WebsiteSwitch& websiteSwitch(std::string_view key);

}  // namespace quenlith

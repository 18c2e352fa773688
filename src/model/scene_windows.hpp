#pragma once

// How one open browser window becomes a saved window of a page group, and what record a saved
// window opens with again. Plain values, so every rule is tested without a display.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "model/browser_scene.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// One tab as a capture sees it: its address (the page's, else the last known one) and whether it
// shows the start page.
struct CapturedTab {
    std::optional<std::string> address;
    bool showsStartPage = false;
};

// What a capture reads of one open window.
struct CapturedWindow {
    // The browser view's current record.
    WebAppProfile record;
    // The store holds a saved website with the window's record id.
    bool isSavedWebsite = false;
    std::vector<CapturedTab> tabs;
    std::size_t activeIndex = 0;
    CodableRect frame;
};

// The saved form of one window (with a new id), or none when no tab may be kept: start pages,
// tabs without an address and addresses carrying credentials or sign-in pages are left out. The
// selection is the active tab's place among the kept tabs, 0 when it was left out. A saved website
// is referenced only when it has a data store of its own; any other window on a store of its own
// keeps that session.
std::optional<SceneWindow> capturedSceneWindow(const CapturedWindow& window);

// The record a saved window opens with. `savedWebsite` is the store's website of the window's
// `profileID` (the caller has checked it still exists when one is named); `isolateNewWindows` is
// the preference that gives a window of the shared store a session of its own. The group's
// opacity, on-top and compact settings apply to this record only; it never remembers its address
// or frame.
WebAppProfile sceneWindowRecord(const SceneWindow& window, const std::optional<WebAppProfile>& savedWebsite,
                                bool isolateNewWindows);

// The tabs a saved window's addresses become: the usable addresses (web addresses, normalised) in
// order. The first address, when usable, goes into
// the window's start-page tab; the tab for the selected address is the one to select.
struct SceneTabPlan {
    std::vector<std::string> urls;
    // Whether the start-page tab stays (the first address was not usable).
    bool keepsStartPage = false;
    // Index among the window's tabs (the kept start page counted) of the selected address's tab;
    // none when that address was skipped or lies beyond the addresses.
    std::optional<std::size_t> selectedTab;
};
SceneTabPlan sceneTabPlan(const SceneWindow& window);

}  // namespace quenlith

#include "model/scene_windows.hpp"

#include "model/address.hpp"

namespace quenlith {

std::optional<SceneWindow> capturedSceneWindow(const CapturedWindow& window) {
    SceneWindow result;
    for (std::size_t i = 0; i < window.tabs.size(); ++i) {
        const CapturedTab& tab = window.tabs[i];
        if (tab.showsStartPage || !tab.address || !isCredentialFreeURL(*tab.address)) continue;
        if (i == window.activeIndex) result.selected = static_cast<std::int64_t>(result.urls.size());
        result.urls.push_back(*tab.address);
    }
    if (result.urls.empty()) return std::nullopt;
    result.id = Uuid::random();
    result.name = window.record.name;
    result.frame = window.frame;
    result.opacity = window.record.opacity;
    result.onTop = window.record.alwaysOnTop;
    result.compact = window.record.compactMode;
    if (window.isSavedWebsite) {
        // A saved website in the shared store reopens as a window of no website at all.
        if (window.record.dataStoreIdentifier()) result.profileID = window.record.id;
    } else {
        result.windowSession = WindowSessionReference::from(window.record);
    }
    return result;
}

WebAppProfile sceneWindowRecord(const SceneWindow& window, const std::optional<WebAppProfile>& savedWebsite,
                                bool isolateNewWindows) {
    WebAppProfile record;
    if (window.profileID && savedWebsite) {
        record = *savedWebsite;
    } else {
        if (window.windowSession) {
            record.id = window.windowSession->identifier;
            record.sessionIdentifier = window.windowSession->identifier;
            record.isolatedAccount = true;
            record.siteProxy = window.windowSession->proxy;
        } else {
            record.setIsolatedAccount(isolateNewWindows);
        }
        record.name = window.name;
        record.homeURL = "";
    }
    record.rememberLastURL = false;
    record.rememberWindowFrame = false;
    record.opacity = window.opacity;
    record.alwaysOnTop = window.onTop;
    record.compactMode = window.compact;
    return record;
}

SceneTabPlan sceneTabPlan(const SceneWindow& window) {
    SceneTabPlan plan;
    for (std::size_t i = 0; i < window.urls.size(); ++i) {
        auto url = normalizedWebsiteURL(window.urls[i]);
        if (!url) {
            if (i == 0) plan.keepsStartPage = true;
            continue;
        }
        if (static_cast<std::int64_t>(i) == window.selected)
            plan.selectedTab = plan.urls.size() + (plan.keepsStartPage ? 1 : 0);
        plan.urls.push_back(std::move(*url));
    }
    return plan;
}

}  // namespace quenlith

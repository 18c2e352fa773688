// Page groups: capturing the windows on screen as a group, opening a group's windows again (or
// bringing forward the ones it opened before), Page Group Focus and putting a group away.

#include <algorithm>

#include "browser/view/browser_tab.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/edge_tuck_controller.hpp"
#include "model/preferences_store.hpp"
#include "model/scene_windows.hpp"
#include "model/web_app_store.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"

namespace quenlith {

std::set<Uuid> BrowserWindowManager::registeredIDs() const {
    std::set<Uuid> ids;
    for (const auto& [id, controller] : windows_) ids.insert(id);
    return ids;
}

void BrowserWindowManager::putAway(BrowserWindowController& controller) {
    controller.edgeTuck().reset();  // a tucked window's handle goes too
    controller.panel().hide();
    // No longer presented: the auto-reload timer stops and the active tab counts as used now.
    controller.browser().setPresented(false, false);
}

// ---- Capture -------------------------------------------------------------------------------------

std::optional<SceneWindow> BrowserWindowManager::sceneWindow(BrowserWindowController& controller) {
    const BrowserViewController& browser = controller.browser();
    // Tucked, hidden, minimised and private windows are not part of what is on screen.
    if (!controller.isOnScreen() || !browser.isPersistent()) return std::nullopt;
    CapturedWindow captured;
    captured.record = browser.profile();
    captured.isSavedWebsite = store.profile(controller.profileID).has_value();
    for (const auto& tab : browser.tabs()) captured.tabs.push_back({tab->address(), tab->showsStartPage});
    captured.activeIndex = browser.activeIndex();
    captured.frame = controller.panel().savedFrame();
    return capturedSceneWindow(captured);
}

std::optional<BrowserScene> BrowserWindowManager::captureScene(const std::string& name) {
    finishRestore();
    std::vector<BrowserWindowController*> ordered;
    for (auto& [id, controller] : windows_) ordered.push_back(controller.get());
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto* a, const auto* b) { return a->sequence < b->sequence; });
    BrowserScene scene;
    for (auto* controller : ordered)
        if (auto window = sceneWindow(*controller)) scene.windows.push_back(std::move(*window));
    if (scene.windows.empty()) return std::nullopt;
    scene.id = Uuid::random();
    scene.name = name;
    scene.modified = systemClock().now();
    return scene;
}

// ---- Opening -------------------------------------------------------------------------------------

void BrowserWindowManager::openScene(const BrowserScene& scene) {
    finishRestore();
    if (isResettingWebsiteData) return;
    for (const SceneWindow& saved : scene.windows) {
        BrowserWindowController* controller = nullptr;
        if (auto opened = pageGroups_.openedWindow(scene.id, saved.id, registeredIDs()))
            controller = window(*opened);
        if (!controller) {
            std::optional<WebAppProfile> website;
            if (saved.profileID) {
                website = store.profile(*saved.profileID);
                if (!website) {
                    // Set again for every such window; the others still open.
                    setContinuityError(removedAccountMessage());
                    continue;
                }
            }
            WebAppProfile record =
                sceneWindowRecord(saved, website, preferences.value().readsIsolateNewWindows());
            if (!website) browsingProfiles[record.id] = record;
            WindowRequest request;
            request.profile = record;
            request.id = Uuid::random();
            request.dormant = true;
            controller = &makeWindowController(std::move(request));
            sceneWindows_.insert(controller->id);

            const SceneTabPlan plan = sceneTabPlan(saved);
            BrowserViewController& browser = controller->browser();
            for (std::size_t i = 0; i < plan.urls.size(); ++i) {
                if (i == 0 && !plan.keepsStartPage)
                    browser.load(plan.urls[i]);
                else
                    browser.addTab(plan.urls[i]);
            }
            // A selection whose address was skipped stays where loading left it.
            if (plan.selectedTab && *plan.selectedTab < browser.tabs().size())
                browser.selectTab(*plan.selectedTab, true, true);
            pageGroups_.recordWindow(scene.id, saved.id, controller->id);
        }
        FloatingBrowserPanel& panel = controller->panel();
        const Rect current = panel.frame();
        panel.applyFrame(saved.frame, current.width, current.height);
        releaseLinks(*controller);
        controller->present(true, false, true);
        lastActiveID = controller->id;
    }
    publishState();
}

// ---- Focus and hiding ----------------------------------------------------------------------------

void BrowserWindowManager::focusScene(const BrowserScene& scene) {
    finishRestore();
    if (isResettingWebsiteData) return;
    std::set<Uuid> onScreen;
    for (const auto& [id, controller] : windows_)
        if (controller->isOnScreen()) onScreen.insert(id);
    pageGroups_.focusBegins(onScreen);
    openScene(scene);
    for (const Uuid& id : pageGroups_.focusOn(scene.id, registeredIDs()))
        if (BrowserWindowController* controller = window(id)) putAway(*controller);
    publishState();
}

void BrowserWindowManager::endSceneFocus() {
    auto end = pageGroups_.endFocus(registeredIDs());
    if (!end) return;
    for (const Uuid& id : end->putAway)
        if (BrowserWindowController* controller = window(id)) putAway(*controller);
    for (const Uuid& id : end->present)
        if (BrowserWindowController* controller = window(id)) controller->present(true, false, true);
    publishState();
}

void BrowserWindowManager::hideScene(const Uuid& sceneID) {
    finishRestore();
    for (const Uuid& id : pageGroups_.windowsOf(sceneID))
        if (BrowserWindowController* controller = window(id)) putAway(*controller);
    publishState();
}

}  // namespace quenlith

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
#include "windows/floating_browser_panel.hpp"
#include "windows/application_links.hpp"
#include "windows/page_group_windows.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_factory.hpp"
#include "windows/window_host.hpp"
#include "windows/window_registry.hpp"

namespace quenlith {

void PageGroupWindows::putAway(BrowserWindowController& controller) {
    controller.edgeTuck().reset();  // a tucked window's handle goes too
    controller.panel().hide();
    // No longer presented: the auto-reload timer stops and the active tab counts as used now.
    controller.browser().setPresented(false, false);
}

PageGroupWindows::PageGroupWindows(WindowRegistry& registry, RuntimePublisher& publisher,
                                   WindowFactory& factory, ApplicationLinks& links, WindowRouter& router,
                                   WebAppStore& store, PreferencesStore& preferences, WindowHost& host)
    : registry_(registry),
      publisher_(publisher),
      factory_(factory),
      links_(links),
      router_(router),
      store_(store),
      preferences_(preferences),
      host_(host) {}

// ---- Capture -------------------------------------------------------------------------------------

std::optional<SceneWindow> PageGroupWindows::sceneWindow(BrowserWindowController& controller) {
    const BrowserViewController& browser = controller.browser();
    // Tucked, hidden, minimised and private windows are not part of what is on screen.
    if (!controller.isOnScreen() || !browser.isPersistent()) return std::nullopt;
    CapturedWindow captured;
    captured.record = browser.profile();
    captured.isSavedWebsite = store_.profile(controller.profileID).has_value();
    for (const auto& tab : browser.tabs().items())
        captured.tabs.push_back({tab->address(), tab->state().showsStartPage});
    captured.activeIndex = browser.tabs().activeIndex();
    captured.frame = controller.panel().savedFrame();
    return capturedSceneWindow(captured);
}

std::optional<BrowserScene> PageGroupWindows::captureScene(const std::string& name) {
    host_.finishRestore();
    BrowserScene scene;
    for (auto* controller : registry_.inSequence())
        if (auto window = sceneWindow(*controller)) scene.windows.push_back(std::move(*window));
    if (scene.windows.empty()) return std::nullopt;
    scene.id = Uuid::random();
    scene.name = name;
    scene.modified = systemClock().now();
    return scene;
}

// ---- Opening -------------------------------------------------------------------------------------

void PageGroupWindows::openScene(const BrowserScene& scene) {
    host_.finishRestore();
    if (host_.isResettingWebsiteData()) return;
    for (const SceneWindow& saved : scene.windows) {
        BrowserWindowController* controller = nullptr;
        if (auto opened = pageGroups_.openedWindow(scene.id, saved.id, registry_.idSet()))
            controller = registry_.window(*opened);
        if (!controller) {
            std::optional<WebAppProfile> website;
            if (saved.profileID) {
                website = store_.profile(*saved.profileID);
                if (!website) {
                    // Set again for every such window; the others still open.
                    publisher_.setContinuityError(removedAccountMessage());
                    continue;
                }
            }
            WebAppProfile record =
                sceneWindowRecord(saved, website, preferences_.value().readsIsolateNewWindows());
            if (!website) registry_.setBrowsingProfile(record);
            WindowRequest request;
            request.profile = record;
            request.id = Uuid::random();
            request.dormant = true;
            controller = &factory_.make(std::move(request));
            registry_.markSceneWindow(controller->id);

            const SceneTabPlan plan = sceneTabPlan(saved);
            BrowserViewController& browser = controller->browser();
            for (std::size_t i = 0; i < plan.urls.size(); ++i) {
                if (i == 0 && !plan.keepsStartPage)
                    browser.page().load(plan.urls[i]);
                else
                    browser.tabs().add(plan.urls[i]);
            }
            // A selection whose address was skipped stays where loading left it.
            if (plan.selectedTab && *plan.selectedTab < browser.tabs().items().size())
                browser.tabs().select(*plan.selectedTab, true, true);
            pageGroups_.recordWindow(scene.id, saved.id, controller->id);
        }
        FloatingBrowserPanel& panel = controller->panel();
        const Rect current = panel.frame();
        panel.applyFrame(saved.frame, current.width, current.height);
        links_.release(*controller);
        controller->present(true, false, true);
        registry_.setLastActiveID(controller->id);
    }
    publisher_.publishState();
}

// ---- Focus and hiding ----------------------------------------------------------------------------

void PageGroupWindows::focusScene(const BrowserScene& scene) {
    host_.finishRestore();
    if (host_.isResettingWebsiteData()) return;
    std::set<Uuid> onScreen;
    for (const auto& [id, controller] : registry_.windows())
        if (controller->isOnScreen()) onScreen.insert(id);
    pageGroups_.focusBegins(onScreen);
    openScene(scene);
    for (const Uuid& id : pageGroups_.focusOn(scene.id, registry_.idSet()))
        if (BrowserWindowController* controller = registry_.window(id)) putAway(*controller);
    publisher_.publishState();
}

void PageGroupWindows::endSceneFocus() {
    auto end = pageGroups_.endFocus(registry_.idSet());
    if (!end) return;
    for (const Uuid& id : end->putAway)
        if (BrowserWindowController* controller = registry_.window(id)) putAway(*controller);
    for (const Uuid& id : end->present)
        if (BrowserWindowController* controller = registry_.window(id))
            controller->present(true, false, true);
    publisher_.publishState();
}

void PageGroupWindows::hideScene(const Uuid& sceneID) {
    host_.finishRestore();
    for (const Uuid& id : pageGroups_.windowsOf(sceneID))
        if (BrowserWindowController* controller = registry_.window(id)) putAway(*controller);
    publisher_.publishState();
}

}  // namespace quenlith

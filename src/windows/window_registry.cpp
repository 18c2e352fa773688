#include "windows/window_registry.hpp"

#include <algorithm>

#include "browser/view/browser_view_controller.hpp"
#include "model/runtime_window.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/floating_browser_panel.hpp"

namespace quenlith {

WindowRegistry::WindowRegistry(Scheduler& timers) : timers_(timers) {}

WindowRegistry::~WindowRegistry() {
    retireTask_.cancel();
    tearDownAll(false);
    retired_.clear();
}

BrowserWindowController* WindowRegistry::window(const Uuid& id) const {
    auto found = windows_.find(id);
    return found == windows_.end() ? nullptr : found->second.get();
}

std::vector<Uuid> WindowRegistry::ids() const {
    std::vector<Uuid> result;
    for (const auto& [id, controller] : windows_) result.push_back(id);
    return result;
}

std::set<Uuid> WindowRegistry::idSet() const {
    std::set<Uuid> result;
    for (const auto& [id, controller] : windows_) result.insert(id);
    return result;
}

std::vector<BrowserWindowController*> WindowRegistry::inSequence() const {
    std::vector<BrowserWindowController*> ordered;
    for (const auto& [id, controller] : windows_) ordered.push_back(controller.get());
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto* a, const auto* b) { return a->sequence() < b->sequence(); });
    return ordered;
}

std::vector<int> WindowRegistry::windowSequences() const {
    std::vector<int> sequences;
    for (const auto& [id, controller] : windows_) sequences.push_back(controller->sequence());
    return sequences;
}

BrowserWindowController& WindowRegistry::add(std::unique_ptr<BrowserWindowController> controller) {
    const std::vector<int> sequences = windowSequences();
    controller->setSequence(lowestFreeSequence(std::set<int>(sequences.begin(), sequences.end())));
    BrowserWindowController& registered = *controller;
    windows_[registered.id] = std::move(controller);
    return registered;
}

std::unique_ptr<BrowserWindowController> WindowRegistry::take(const Uuid& id) {
    auto found = windows_.find(id);
    if (found == windows_.end()) return nullptr;
    std::unique_ptr<BrowserWindowController> controller = std::move(found->second);
    windows_.erase(found);
    sceneWindows_.erase(id);
    if (lastActiveID_ == id) lastActiveID_.reset();
    if (lastSavedActiveID_ == id) lastSavedActiveID_.reset();
    return controller;
}

void WindowRegistry::setLastActiveID(std::optional<Uuid> id) {
    lastActiveID_ = id;
    // A window not open yet is one the saved session names.
    const BrowserWindowController* controller = id ? window(*id) : nullptr;
    if (!controller || controller->browser().isPersistent()) lastSavedActiveID_ = id;
}

void WindowRegistry::retire(std::unique_ptr<BrowserWindowController> controller) {
    retired_.push_back(std::move(controller));
    if (!retireTask_.pending()) retireTask_ = timers_.scheduleIdle([this] { retired_.clear(); });
}

void WindowRegistry::tearDownAll(bool saveFrames) {
    for (auto& [id, controller] : windows_) {
        if (saveFrames) controller->saveFrame();
        controller->tearDown();
    }
    windows_.clear();
}

BrowserWindowController* WindowRegistry::activeWindowController() const {
    for (const auto& [id, controller] : windows_)
        if (controller->panel().property_is_active().get_value()) return controller.get();
    if (lastActiveID_) return window(*lastActiveID_);
    return nullptr;
}

bool WindowRegistry::hasVisibleWindows() const {
    return std::any_of(windows_.begin(), windows_.end(), [](const auto& entry) {
        return entry.second->isOnScreen() || entry.second->isTuckedAway();
    });
}

const WebAppProfile* WindowRegistry::browsingProfile(const Uuid& id) const {
    auto found = browsingProfiles_.find(id);
    return found == browsingProfiles_.end() ? nullptr : &found->second;
}

}  // namespace quenlith

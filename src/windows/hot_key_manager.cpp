#include "windows/hot_key_manager.hpp"

#include <algorithm>
#include <set>
#include <utility>

#include "model/localization.hpp"

namespace quenlith {

namespace {

constexpr std::uint32_t kRequiredModifiers = kCommandModifier | kOptionModifier | kControlModifier;

bool isUsable(const ShortcutConfiguration& shortcut) {
    return (shortcut.modifiers & kRequiredModifiers) != 0 && shortcutKeyName(shortcut.keyCode).has_value();
}

std::string takenMessage() {
    return localizedString("Shortcut is invalid or already used in Quenlith.");
}

}  // namespace

HotKeyManager::HotKeyManager(std::unique_ptr<KeyGrabber> grabber, Scheduler& scheduler)
    : grabber_(std::move(grabber)), scheduler_(scheduler), self_(std::make_shared<HotKeyManager*>(this)) {
    grabber_->setReports(
        [this](const ShortcutConfiguration& shortcut, std::uint32_t time) { pressed(shortcut, time); },
        [this] { mappingChanged(); });
}

HotKeyManager::~HotKeyManager() {
    self_.reset();
    queued_.clear();
    for (const auto& [id, shortcut] : references_) grabber_->ungrab(shortcut);
    grabber_->setReports(nullptr, nullptr);
}

void HotKeyManager::registerBindings(std::map<std::string, ShortcutConfiguration> bindings) {
    bindings[kRescueName] = kRescueShortcut;
    if (bindings == bindings_) return;
    unregisterAll();
    bindings_ = std::move(bindings);
    grabAll();
}

void HotKeyManager::grabAll() {
    // "rescue" first, then the other names in text order: upper-case ids before "compact".
    std::vector<std::string> order{kRescueName};
    for (const auto& [name, shortcut] : bindings_)
        if (name != kRescueName) order.push_back(name);

    std::set<std::pair<std::uint32_t, std::uint32_t>> claimed;
    std::uint32_t id = 0;
    for (const std::string& name : order) {
        ++id;  // a binding that fails still uses up its id
        const ShortcutConfiguration& shortcut = bindings_.at(name);
        if (!isUsable(shortcut) || !claimed.insert({shortcut.modifiers, shortcut.keyCode}).second) {
            errors_[name] = takenMessage();
            continue;
        }
        if (int status = grabber_->grab(shortcut); status != 0) {
            errors_[name] =
                localizedFormat("%@ is unavailable. Choose another shortcut (system code %ld).",
                                {shortcut.displayString(), static_cast<long>(status)});
            continue;
        }
        references_[id] = shortcut;
        names_[id] = name;
    }
    errorsChanged_.emit();
}

void HotKeyManager::unregisterAll() {
    for (const auto& [id, shortcut] : references_) grabber_->ungrab(shortcut);
    references_.clear();
    names_.clear();
    errors_.clear();
    errorsChanged_.emit();
}

std::optional<std::string> HotKeyManager::validate(const std::optional<ShortcutConfiguration>& shortcut,
                                                   const std::string& name) {
    if (!shortcut) return std::nullopt;
    if (!shortcut->isValid()) return localizedString("Include Ctrl, Alt or Super in a global shortcut.");
    for (const auto& [other, bound] : bindings_)
        if (other != name && bound == *shortcut)
            return localizedString(
                "This shortcut is already assigned in Quenlith. Ctrl+Alt+P is reserved for mouse control "
                "recovery.");
    if (auto bound = bindings_.find(name); bound != bindings_.end() && bound->second == *shortcut) {
        auto error = errors_.find(name);
        if (error == errors_.end()) return std::nullopt;
        return error->second;
    }
    // Taking a combination this client already holds succeeds, and releasing it afterwards would
    // silently end a working shortcut: such a combination needs no trial.
    if (grabber_->holds(*shortcut)) return std::nullopt;
    if (grabber_->grab(*shortcut) == 0) {
        grabber_->ungrab(*shortcut);
        return std::nullopt;
    }
    return localizedString("This shortcut is in use by another application.");
}

bool HotKeyManager::isRescueAvailable() const {
    return !errors_.contains(kRescueName) && bindings_.contains(kRescueName);
}

void HotKeyManager::pressed(const ShortcutConfiguration& shortcut, std::uint32_t time) {
    auto match = std::find_if(references_.begin(), references_.end(),
                              [&](const auto& entry) { return entry.second == shortcut; });
    if (match == references_.end()) return;
    std::erase_if(queued_, [](const ScheduledTask& task) { return !task.pending(); });
    std::weak_ptr<HotKeyManager*> weak = self_;
    const std::uint32_t id = match->first;
    queued_.push_back(scheduler_.scheduleIdle([weak, id, time] {
        if (auto self = weak.lock()) (*self)->trigger(id, time);
    }));
}

void HotKeyManager::trigger(std::uint32_t id, std::uint32_t time) {
    auto name = names_.find(id);
    if (name == names_.end() || !onTrigger_) return;
    // A copy: the closure may register the bindings again.
    const std::string binding = name->second;
    onTrigger_(binding, time);
}

void HotKeyManager::mappingChanged() {
    // The same shortcuts are taken again on the keys that now produce them.
    unregisterAll();
    grabAll();
}

}  // namespace quenlith

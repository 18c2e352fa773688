#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sigc++/signal.h>

#include "model/scheduler.hpp"
#include "model/shortcut_configuration.hpp"
#include "model/shortcut_picker_rules.hpp"
#include "windows/key_grabber.hpp"

namespace quenlith {

// The application's global shortcuts, known by binding name: "launcher", "pin", "compact", one
// per website (its id as upper-case UUID text) and the reserved "rescue" (Ctrl+Alt+P), which
// restores mouse control of click-through windows and is added by the manager itself. It keeps
// one message per binding that could not be taken, checks a shortcut before it is saved and
// reports every press by name, on a later turn of the main loop. Main thread only.
class HotKeyManager {
public:
    static constexpr const char* kRescueName = "rescue";
    static constexpr ShortcutConfiguration kRescueShortcut = kMouseRecoveryShortcut;

    explicit HotKeyManager(std::unique_ptr<KeyGrabber> grabber, Scheduler& scheduler = mainLoopScheduler());
    // Releases every combination it holds; presses still queued are dropped.
    ~HotKeyManager();
    HotKeyManager(const HotKeyManager&) = delete;
    HotKeyManager& operator=(const HotKeyManager&) = delete;

    // Messages of the bindings that could not be taken, by name.
    const std::map<std::string, std::string>& errors() const { return errors_; }
    sigc::signal<void()>& signal_errors_changed() { return errorsChanged_; }

    using Trigger = std::function<void(const std::string& name, std::uint32_t time)>;
    // Where a press of a registered shortcut goes: its binding name and the X time of the key
    // press (for presenting a window past focus-stealing prevention).
    void setOnTrigger(Trigger onTrigger) { onTrigger_ = std::move(onTrigger); }

    // Replaces the registered shortcuts by these plus "rescue". Names are taken in order, "rescue"
    // first and then by ordinary text comparison, so of two bindings with one shortcut the first
    // keeps it. The same set again changes nothing.
    void registerBindings(std::map<std::string, ShortcutConfiguration> bindings);
    // Releases every combination and forgets the messages; the bindings are kept.
    void unregisterAll();
    // Why the shortcut cannot be saved under this name, or nothing. A combination the manager
    // holds is never released by the check.
    std::optional<std::string> validate(const std::optional<ShortcutConfiguration>& shortcut,
                                        const std::string& name);
    // Whether Ctrl+Alt+P belongs to this application, so a click-through window can be recovered.
    bool isRescueAvailable() const;

    // The names of the registered bindings by hot-key id (their 1-based position in the order).
    const std::map<std::uint32_t, std::string>& names() const { return names_; }
    const std::map<std::string, ShortcutConfiguration>& bindings() const { return bindings_; }

private:
    Trigger onTrigger_;
    void grabAll();
    void pressed(const ShortcutConfiguration& shortcut, std::uint32_t time);
    void trigger(std::uint32_t id, std::uint32_t time);
    void mappingChanged();

    std::unique_ptr<KeyGrabber> grabber_;
    Scheduler& scheduler_;
    std::map<std::string, std::string> errors_;
    std::map<std::uint32_t, ShortcutConfiguration> references_;
    std::map<std::uint32_t, std::string> names_;
    std::map<std::string, ShortcutConfiguration> bindings_;
    std::vector<ScheduledTask> queued_;
    sigc::signal<void()> errorsChanged_;
    std::shared_ptr<HotKeyManager*> self_;
};

}  // namespace quenlith

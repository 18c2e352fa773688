#pragma once

#include <functional>

namespace quenlith {

// The launcher as the rest of the application reaches it: its shortcut toggles it, and it is
// dismissed before another window comes forward. Both do nothing while there is no launcher.
class LauncherControls {
public:
    // Set by the launcher when it exists; `clear` when it goes.
    void set(std::function<void()> toggle, std::function<void()> dismiss) {
        toggle_ = std::move(toggle);
        dismiss_ = std::move(dismiss);
    }
    void clear() { set(nullptr, nullptr); }

    void toggle() const {
        if (toggle_) toggle_();
    }
    void dismiss() const {
        if (dismiss_) dismiss_();
    }

private:
    std::function<void()> toggle_;
    std::function<void()> dismiss_;
};

}  // namespace quenlith

#include "model/pending_confirmation.hpp"

namespace quenlith {

void PendingConfirmation::ask(std::string text, std::function<void()> action) {
    text_ = std::move(text);
    action_ = std::move(action);
}

bool PendingConfirmation::confirm() {
    // Taken out first: the action may ask again, or answer again from inside.
    auto action = std::move(action_);
    action_ = nullptr;
    if (!action) return false;
    action();
    return true;
}

}  // namespace quenlith

#include "model/window_close_policy.hpp"

namespace quenlith {

CloseAction closeAction(CloseBehavior behavior, bool isOwnWindow, bool isPersistent) {
    if (behavior != CloseBehavior::release && isOwnWindow && isPersistent) return CloseAction::hide;
    return CloseAction::release;
}

}  // namespace quenlith

#pragma once

// Calling a closure that an object keeps (a button's action, a window's close handler) when the
// call may end that object: a close button's action closes the window that holds the action, and
// the closing resets or destroys the closure while it still runs. The closure is copied first, so
// its captures live until it returns.

#include <utility>

namespace quenlith {

// Calls `callback` through a copy of it when it is set; does nothing otherwise. Arguments must not
// refer into the object the call may end (pass ids by value).
template <typename Callback, typename... Arguments>
void callKept(const Callback& callback, Arguments&&... arguments) {
    if (!callback) return;
    Callback kept = callback;
    kept(std::forward<Arguments>(arguments)...);
}

}  // namespace quenlith

#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include <gio/gio.h>

#include "browser/engine/gobject_ptr.hpp"

namespace quenlith {

// Asynchronous GIO calls awaited on the main thread with a time limit, for services that may
// never answer. The calls run on a main context of their own, which is iterated until each call
// has ended or the time is up; then the calls are cancelled, and whatever still comes is dropped
// later. Nothing of the application's main loop runs meanwhile, so no other code is entered.
//
//   BoundedCalls calls(std::chrono::seconds(2));
//   auto result = calls.run([&](GAsyncReadyCallback callback, gpointer data) {
//       some_call_async(..., calls.cancellable(), callback, data);
//   });
//   if (!result) ... the time ran out ...
//   some_call_finish(..., result.get(), &error);
class BoundedCalls {
public:
    using Start = std::function<void(GAsyncReadyCallback, gpointer)>;

    // `limit` bounds all calls together; `cancelGrace` is how long a cancelled call may take to
    // end before it is left to end on its own.
    explicit BoundedCalls(std::chrono::milliseconds limit,
                          std::chrono::milliseconds cancelGrace = std::chrono::milliseconds(250));
    ~BoundedCalls();
    BoundedCalls(const BoundedCalls&) = delete;
    BoundedCalls& operator=(const BoundedCalls&) = delete;

    GCancellable* cancellable() const { return cancellable_.get(); }
    // Whether the time ran out (the calls were then cancelled).
    bool timedOut() const;

    // Starts one call with the callback and data given and waits for its result; nothing when the
    // time ran out, also when the call ended only through the cancellation. `keepAlive` is held
    // until the call has really ended, for what it may still read after being given up on.
    GObjectPtr<GAsyncResult> run(const Start& start, std::shared_ptr<const void> keepAlive = nullptr);

    struct PendingCall;

private:
    void waitFor(const PendingCall& call, gint64 until);

    GMainContext* context_;
    GObjectPtr<GCancellable> cancellable_;
    gint64 deadline_;
    gint64 cancelGrace_;
    std::shared_ptr<PendingCall> abandoned_;
};

}  // namespace quenlith

#include "browser/engine/bounded_calls.hpp"

#include <algorithm>

namespace quenlith {

// One call. Shared with its callback, which may come after the caller gave up: it then only keeps
// the answer, which is dropped with the state.
struct BoundedCalls::PendingCall {
    bool done = false;
    GObjectPtr<GAsyncResult> result;
    std::shared_ptr<const void> keepAlive;
};

namespace {

// How often a call given up on is looked at again, until it has ended by itself.
constexpr guint kDrainIntervalMs = 250;

void storeResult(GObject*, GAsyncResult* result, gpointer data) {
    auto* call = static_cast<std::shared_ptr<BoundedCalls::PendingCall>*>(data);
    (*call)->done = true;
    (*call)->result = GObjectPtr<GAsyncResult>::retain(result);
    delete call;
}

void iteratePending(GMainContext* context) {
    g_main_context_push_thread_default(context);
    while (g_main_context_iteration(context, FALSE)) {
    }
    g_main_context_pop_thread_default(context);
}

// A call given up on still has answers or its cancellation to come on its own context: the
// application's main context looks at that context from time to time until the call has ended,
// then lets both go.
struct AbandonedCall {
    GMainContext* context;
    std::shared_ptr<BoundedCalls::PendingCall> call;
};

gboolean drainAbandonedCall(gpointer data) {
    auto* abandoned = static_cast<AbandonedCall*>(data);
    iteratePending(abandoned->context);
    if (!abandoned->call->done) return G_SOURCE_CONTINUE;
    abandoned->call.reset();
    iteratePending(abandoned->context);  // what the dropped answer released
    g_main_context_unref(abandoned->context);
    delete abandoned;
    return G_SOURCE_REMOVE;
}

gint64 microseconds(std::chrono::milliseconds duration) {
    return std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
}

}  // namespace

BoundedCalls::BoundedCalls(std::chrono::milliseconds limit, std::chrono::milliseconds cancelGrace)
    : context_(g_main_context_new()),
      cancellable_(GObjectPtr<GCancellable>::adopt(g_cancellable_new())),
      deadline_(g_get_monotonic_time() + microseconds(limit)),
      cancelGrace_(microseconds(cancelGrace)) {
    // GIO delivers each answer to the thread's default context of the moment the call (or any
    // step of it) starts.
    g_main_context_push_thread_default(context_);
}

BoundedCalls::~BoundedCalls() {
    g_main_context_pop_thread_default(context_);
    if (abandoned_) {
        g_timeout_add(kDrainIntervalMs, drainAbandonedCall, new AbandonedCall{context_, std::move(abandoned_)});
        return;
    }
    // Lets the finished calls release what they still hold on this context.
    iteratePending(context_);
    g_main_context_unref(context_);
}

bool BoundedCalls::timedOut() const { return g_cancellable_is_cancelled(cancellable_.get()); }

GObjectPtr<GAsyncResult> BoundedCalls::run(const Start& start, std::shared_ptr<const void> keepAlive) {
    if (timedOut()) return {};
    auto call = std::make_shared<PendingCall>();
    call->keepAlive = std::move(keepAlive);
    start(storeResult, new std::shared_ptr<PendingCall>(call));
    waitFor(*call, deadline_);
    if (!call->done) {
        g_cancellable_cancel(cancellable_.get());
        waitFor(*call, g_get_monotonic_time() + cancelGrace_);
    }
    if (!call->done) {
        abandoned_ = std::move(call);
        return {};
    }
    // Some calls swallow a cancellation midway and end as if nothing was missing.
    if (timedOut()) return {};
    return std::move(call->result);
}

void BoundedCalls::waitFor(const PendingCall& call, gint64 until) {
    // Wakes the iteration at `until` when nothing else arrives.
    gint64 left = std::max<gint64>(0, until - g_get_monotonic_time());
    GSource* timer = g_timeout_source_new(static_cast<guint>((left + 999) / 1000));
    g_source_set_callback(timer, [](gpointer) { return G_SOURCE_REMOVE; }, nullptr, nullptr);
    g_source_attach(timer, context_);
    while (!call.done && g_get_monotonic_time() < until) g_main_context_iteration(context_, TRUE);
    g_source_destroy(timer);
    g_source_unref(timer);
}

}  // namespace quenlith

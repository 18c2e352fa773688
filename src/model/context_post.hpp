#pragma once

#include <functional>

#include <glib.h>

namespace quenlith {

// Queues `work` on `context` from any thread (the worker threads that write files hand their
// results back this way). An idle source rather than g_main_context_invoke, which may run the work
// on the calling thread when nobody iterates the context.
void postTo(GMainContext* context, std::function<void()> work);

}  // namespace quenlith

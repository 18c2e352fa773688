#include "browser/engine/bounded_fetch.hpp"

#include <algorithm>

namespace quenlith {

namespace {
constexpr gsize kChunk = 16 * 1024;
}

// Shared by the handle and the pending GIO callbacks; the callbacks keep it alive only until they
// see it cancelled.
struct BoundedFetch::State {
    GObjectPtr<SoupSession> session;
    GObjectPtr<SoupMessage> message;
    GObjectPtr<GInputStream> stream;
    GObjectPtr<GCancellable> cancellable = GObjectPtr<GCancellable>::adopt(g_cancellable_new());
    std::size_t limit = 0;
    FetchResult result;
    Completion completion;
    bool finished = false;

    void finish(bool ok) {
        if (finished) return;
        finished = true;
        result.ok = ok;
        // The session is ours alone: ending it drops its connections, so nothing outlives the load.
        if (session) soup_session_abort(session.get());
        auto done = std::move(completion);
        if (done) done(std::move(result));
    }
};

static void readNext(std::shared_ptr<BoundedFetch::State> state);

static void chunkRead(GObject* source, GAsyncResult* asyncResult, gpointer data) {
    auto holder = static_cast<std::shared_ptr<BoundedFetch::State>*>(data);
    auto state = *holder;
    delete holder;
    GError* error = nullptr;
    GBytes* bytes = g_input_stream_read_bytes_finish(G_INPUT_STREAM(source), asyncResult, &error);
    if (state->finished) {
        if (bytes) g_bytes_unref(bytes);
        g_clear_error(&error);
        return;
    }
    if (!bytes) {
        g_clear_error(&error);
        state->finish(false);
        return;
    }
    gsize size = 0;
    auto* chunk = static_cast<const char*>(g_bytes_get_data(bytes, &size));
    if (size == 0) {
        g_bytes_unref(bytes);
        state->finish(true);
        return;
    }
    std::size_t room = state->limit + 1 - state->result.body.size();
    state->result.body.append(chunk, std::min<std::size_t>(size, room));
    g_bytes_unref(bytes);
    if (state->result.body.size() > state->limit) {
        state->result.overLimit = true;
        g_cancellable_cancel(state->cancellable.get());
        state->finish(true);
        return;
    }
    readNext(state);
}

static void readNext(std::shared_ptr<BoundedFetch::State> state) {
    g_input_stream_read_bytes_async(state->stream.get(), kChunk, G_PRIORITY_DEFAULT, state->cancellable.get(),
                                    chunkRead, new std::shared_ptr<BoundedFetch::State>(state));
}

static void responseArrived(GObject* source, GAsyncResult* asyncResult, gpointer data) {
    auto holder = static_cast<std::shared_ptr<BoundedFetch::State>*>(data);
    auto state = *holder;
    delete holder;
    GError* error = nullptr;
    GInputStream* stream = soup_session_send_finish(SOUP_SESSION(source), asyncResult, &error);
    if (state->finished) {
        if (stream) g_object_unref(stream);
        g_clear_error(&error);
        return;
    }
    if (!stream) {
        g_clear_error(&error);
        state->finish(false);
        return;
    }
    state->stream = GObjectPtr<GInputStream>::adopt(stream);
    state->result.status = soup_message_get_status(state->message.get());
    const char* type =
        soup_message_headers_get_content_type(soup_message_get_response_headers(state->message.get()), nullptr);
    if (type) {
        gchar* lower = g_ascii_strdown(type, -1);
        state->result.contentType = lower;
        g_free(lower);
    }
    readNext(state);
}

std::shared_ptr<BoundedFetch> BoundedFetch::start(GObjectPtr<SoupSession> session, const std::string& address,
                                                  std::size_t limit, std::chrono::seconds timeout,
                                                  Completion completion) {
    auto state = std::make_shared<State>();
    state->session = std::move(session);
    state->limit = limit;
    state->completion = std::move(completion);
    auto fetch = std::shared_ptr<BoundedFetch>(new BoundedFetch(state));

    SoupMessage* message = state->session ? soup_message_new("GET", address.c_str()) : nullptr;
    if (!message) {
        // Reported on the next turn, like every other outcome, so callers never re-enter.
        g_idle_add_full(
            G_PRIORITY_DEFAULT_IDLE,
            [](gpointer data) -> gboolean {
                (*static_cast<std::shared_ptr<State>*>(data))->finish(false);
                return G_SOURCE_REMOVE;
            },
            new std::shared_ptr<State>(state), [](gpointer data) { delete static_cast<std::shared_ptr<State>*>(data); });
        return fetch;
    }
    state->message = GObjectPtr<SoupMessage>::adopt(message);
    g_object_set(state->session.get(), "timeout", static_cast<guint>(timeout.count()), "idle-timeout",
                 static_cast<guint>(timeout.count()), nullptr);
    soup_session_send_async(state->session.get(), message, G_PRIORITY_DEFAULT, state->cancellable.get(),
                            responseArrived, new std::shared_ptr<State>(state));
    return fetch;
}

BoundedFetch::~BoundedFetch() {
    // The owner is gone: nothing may be reported any more.
    state_->completion = nullptr;
    state_->finished = true;
    g_cancellable_cancel(state_->cancellable.get());
    if (state_->session) soup_session_abort(state_->session.get());
}

}  // namespace quenlith

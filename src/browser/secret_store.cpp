#include "browser/secret_store.hpp"

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include <libsecret/secret.h>

#include "browser/gobject_ptr.hpp"

namespace quenlith {

namespace {

// The schema and the one attribute of a call. Shared with the call, which may still run after the
// caller gave up on it.
struct Request {
    Request(std::string schemaName, std::string account)
        : schemaName(std::move(schemaName)),
          account(std::move(account)),
          attributes(g_hash_table_new(g_str_hash, g_str_equal)) {
        schema.name = this->schemaName.c_str();
        schema.flags = SECRET_SCHEMA_NONE;
        schema.attributes[0] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        schema.attributes[1] = {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING};
        g_hash_table_insert(attributes, const_cast<char*>("account"), const_cast<char*>(this->account.c_str()));
    }
    ~Request() { g_hash_table_unref(attributes); }
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    std::string schemaName;
    std::string account;
    SecretSchema schema{};
    GHashTable* attributes;
};

Error failure(const char* code, GError* error) {
    std::string message = error ? error->message : code;
    g_clear_error(&error);
    return Error{code, message};
}

// How long one call of the store may wait for the Secret Service. The main thread waits, so a
// service that owns its name but never answers must not freeze the windows for D-Bus's own
// time-out (25 s); it counts as no usable Secret Service instead.
constexpr auto kCallLimit = std::chrono::milliseconds(1750);
// Cancelled D-Bus calls end at once; this is only how long the cancellation may take to arrive.
constexpr auto kCancelGrace = std::chrono::milliseconds(250);
// How often a call given up on is looked at again, until it has ended by itself.
constexpr guint kDrainIntervalMs = 250;

// One asynchronous libsecret call. Shared with its callback, which may come after the caller gave
// up: it then only keeps the answer, which is dropped with the state.
struct PendingCall {
    bool done = false;
    GObjectPtr<GAsyncResult> result;
    std::shared_ptr<const Request> request;  // what the call may still read
};

void storeResult(GObject*, GAsyncResult* result, gpointer data) {
    auto* call = static_cast<std::shared_ptr<PendingCall>*>(data);
    (*call)->done = true;
    (*call)->result = GObjectPtr<GAsyncResult>::retain(result);
    delete call;
}

// A call given up on still has replies or a cancellation to come on its private context: the
// default main context looks at that context from time to time until the call has ended, then
// lets it go.
struct AbandonedCall {
    GMainContext* context;
    std::shared_ptr<PendingCall> call;
};

gboolean drainAbandonedCall(gpointer data) {
    auto* abandoned = static_cast<AbandonedCall*>(data);
    g_main_context_push_thread_default(abandoned->context);
    while (g_main_context_iteration(abandoned->context, FALSE)) {
    }
    bool ended = abandoned->call->done;
    g_main_context_pop_thread_default(abandoned->context);
    if (!ended) return G_SOURCE_CONTINUE;
    abandoned->call.reset();  // drops the late answer while the context still exists
    g_main_context_unref(abandoned->context);
    delete abandoned;
    return G_SOURCE_REMOVE;
}

// The Secret Service calls of one store operation. They run on a main context of their own,
// which is iterated here until each call has ended or the operation's time is up; then the calls
// are cancelled, and whatever still comes is dropped. Nothing of the application's main loop runs
// meanwhile, so no other code is entered from here.
class BoundedCalls {
public:
    BoundedCalls()
        : context_(g_main_context_new()),
          cancellable_(GObjectPtr<GCancellable>::adopt(g_cancellable_new())),
          deadline_(g_get_monotonic_time() + std::chrono::microseconds(kCallLimit).count()) {
        // libsecret and GDBus deliver every answer to the thread's default context of the moment.
        g_main_context_push_thread_default(context_);
    }

    ~BoundedCalls() {
        g_main_context_pop_thread_default(context_);
        if (abandoned_) {
            auto* drain = new AbandonedCall{context_, std::move(abandoned_)};
            g_timeout_add(kDrainIntervalMs, drainAbandonedCall, drain);
            return;
        }
        // Lets the finished calls release what they still hold on this context.
        g_main_context_push_thread_default(context_);
        while (g_main_context_iteration(context_, FALSE)) {
        }
        g_main_context_pop_thread_default(context_);
        g_main_context_unref(context_);
    }

    BoundedCalls(const BoundedCalls&) = delete;
    BoundedCalls& operator=(const BoundedCalls&) = delete;

    GCancellable* cancellable() const { return cancellable_.get(); }
    bool timedOut() const { return g_cancellable_is_cancelled(cancellable_.get()); }

    // Starts one call with the callback and data given and waits for its result; nothing when the
    // time ran out (the call is then cancelled).
    GObjectPtr<GAsyncResult> run(const std::function<void(GAsyncReadyCallback, gpointer)>& start,
                                 std::shared_ptr<const Request> request = nullptr) {
        if (timedOut()) return {};
        auto call = std::make_shared<PendingCall>();
        call->request = std::move(request);
        start(storeResult, new std::shared_ptr<PendingCall>(call));
        waitFor(*call, deadline_);
        if (!call->done) {
            g_cancellable_cancel(cancellable_.get());
            waitFor(*call, g_get_monotonic_time() + std::chrono::microseconds(kCancelGrace).count());
        }
        if (!call->done) {
            abandoned_ = std::move(call);
            return {};
        }
        // Finished, but only through the cancellation (libsecret may swallow it midway).
        if (timedOut()) return {};
        return std::move(call->result);
    }

private:
    // Iterates the private context until the call has ended or `until` (monotonic time) passes.
    void waitFor(const PendingCall& call, gint64 until) {
        // Wakes the iteration at `until` when nothing else arrives.
        GSource* timer = g_timeout_source_new(static_cast<guint>(std::max<gint64>(0, (until - g_get_monotonic_time() + 999) / 1000)));
        g_source_set_callback(timer, [](gpointer) { return G_SOURCE_REMOVE; }, nullptr, nullptr);
        g_source_attach(timer, context_);
        while (!call.done && g_get_monotonic_time() < until) g_main_context_iteration(context_, TRUE);
        g_source_destroy(timer);
        g_source_unref(timer);
    }

    GMainContext* context_;
    GObjectPtr<GCancellable> cancellable_;
    gint64 deadline_;
    std::shared_ptr<PendingCall> abandoned_;
};

Error timedOutFailure() { return Error{kSecretUnavailable, "the Secret Service did not answer in time"}; }

// A connection of our own rather than libsecret's process-wide one: it never outlives a
// restarted service, and nothing here unlocks or prompts.
Result<GObjectPtr<SecretService>> openService(BoundedCalls& calls, bool withSession) {
    auto flags = withSession ? SECRET_SERVICE_OPEN_SESSION : SECRET_SERVICE_NONE;
    auto opened = calls.run([&](GAsyncReadyCallback callback, gpointer data) {
        secret_service_open(SECRET_TYPE_SERVICE, nullptr, flags, calls.cancellable(), callback, data);
    });
    if (!opened) return timedOutFailure();
    GError* error = nullptr;
    SecretService* service = secret_service_open_finish(opened.get(), &error);
    if (!service) return failure(kSecretUnavailable, error);
    return GObjectPtr<SecretService>::adopt(service);
}

}  // namespace

LibsecretStore::LibsecretStore(std::string schemaName) : schemaName_(std::move(schemaName)) {}

Result<std::string> LibsecretStore::read(const std::string& account) {
    BoundedCalls calls;
    auto service = openService(calls, true);
    if (!service) return service.error();
    auto request = std::make_shared<Request>(schemaName_, account);
    // Without SECRET_SEARCH_UNLOCK: a locked item is reported, never unlocked (that would prompt).
    auto found = calls.run([&](GAsyncReadyCallback callback, gpointer data) {
        secret_service_search(service->get(), &request->schema, request->attributes,
                              static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS),
                              calls.cancellable(), callback, data);
    }, request);
    if (!found) return timedOutFailure();
    GError* error = nullptr;
    GList* items = secret_service_search_finish(service->get(), found.get(), &error);
    if (error) {
        g_list_free_full(items, g_object_unref);
        return failure(kSecretUnavailable, error);
    }

    std::optional<Result<std::string>> result;
    bool sawLocked = false;
    for (GList* node = items; node && !result; node = node->next) {
        auto* item = static_cast<SecretItem*>(node->data);
        if (secret_item_get_locked(item)) {
            sawLocked = true;
            continue;
        }
        SecretValue* value = secret_item_get_secret(item);
        if (!value) {
            sawLocked = true;
            continue;
        }
        gsize length = 0;
        const gchar* bytes = secret_value_get(value, &length);
        if (bytes && g_utf8_validate(bytes, static_cast<gssize>(length), nullptr))
            result = std::string(bytes, length);
        else
            result = Error{kSecretNotText, "the stored secret is not UTF-8 text"};
        secret_value_unref(value);
    }
    g_list_free_full(items, g_object_unref);
    if (result) return *result;
    if (sawLocked) return Error{kSecretLocked, "the secret is in a locked collection"};
    return Error{kSecretMissing, "no secret is stored for this account"};
}

Status LibsecretStore::add(const std::string& account, const std::string& label, const std::string& secret) {
    BoundedCalls calls;
    auto service = openService(calls, true);
    if (!service) return service.error();
    auto request = std::make_shared<Request>(schemaName_, account);
    SecretValue* value = secret_value_new(secret.data(), static_cast<gssize>(secret.size()), "text/plain");
    auto stored = calls.run([&](GAsyncReadyCallback callback, gpointer data) {
        secret_service_store(service->get(), &request->schema, request->attributes, SECRET_COLLECTION_DEFAULT,
                             label.c_str(), value, calls.cancellable(), callback, data);
    }, request);
    secret_value_unref(value);
    if (!stored) return timedOutFailure();
    GError* error = nullptr;
    if (!secret_service_store_finish(service->get(), stored.get(), &error)) return failure(kSecretUnavailable, error);
    return success();
}

void LibsecretStore::remove(const std::string& account) {
    BoundedCalls calls;
    auto service = openService(calls, false);
    if (!service) return;
    auto request = std::make_shared<Request>(schemaName_, account);
    auto cleared = calls.run([&](GAsyncReadyCallback callback, gpointer data) {
        secret_service_clear(service->get(), &request->schema, request->attributes, calls.cancellable(), callback,
                             data);
    }, request);
    if (!cleared) return;
    GError* error = nullptr;
    secret_service_clear_finish(service->get(), cleared.get(), &error);
    g_clear_error(&error);
}

}  // namespace quenlith

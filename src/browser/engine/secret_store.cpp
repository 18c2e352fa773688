#include "browser/engine/secret_store.hpp"

#include <chrono>
#include <memory>
#include <optional>

#include <libsecret/secret.h>

#include "browser/engine/bounded_calls.hpp"
#include "browser/engine/gobject_ptr.hpp"

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
// time-out (25 s); it counts as no usable Secret Service instead. With the grace for the
// cancellation this stays within two seconds.
constexpr auto kCallLimit = std::chrono::milliseconds(1750);

// Storing may make the keyring ask the user to unlock it (saving is something the user does, so
// a question is fine there, unlike reading); that answer gets time enough to be typed.
constexpr auto kPromptLimit = std::chrono::seconds(120);

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
    BoundedCalls calls(kCallLimit);
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
    BoundedCalls calls(kCallLimit);
    auto service = openService(calls, true);
    if (!service) return service.error();
    auto request = std::make_shared<Request>(schemaName_, account);
    SecretValue* value = secret_value_new(secret.data(), static_cast<gssize>(secret.size()), "text/plain");
    // The service answered in time, so only the user's unlock answer can make this slow.
    BoundedCalls storing(kPromptLimit);
    auto stored = storing.run([&](GAsyncReadyCallback callback, gpointer data) {
        secret_service_store(service->get(), &request->schema, request->attributes, SECRET_COLLECTION_DEFAULT,
                             label.c_str(), value, storing.cancellable(), callback, data);
    }, request);
    secret_value_unref(value);
    if (!stored) return timedOutFailure();
    GError* error = nullptr;
    if (!secret_service_store_finish(service->get(), stored.get(), &error)) return failure(kSecretUnavailable, error);
    return success();
}

void LibsecretStore::remove(const std::string& account) {
    BoundedCalls calls(kCallLimit);
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

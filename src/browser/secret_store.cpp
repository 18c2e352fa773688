#include "browser/secret_store.hpp"

#include <optional>

#include <libsecret/secret.h>

#include "browser/gobject_ptr.hpp"

namespace quenlith {

namespace {

SecretSchema makeSchema(const std::string& name) {
    SecretSchema schema{};
    schema.name = name.c_str();
    schema.flags = SECRET_SCHEMA_NONE;
    schema.attributes[0] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
    schema.attributes[1] = {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING};
    return schema;
}

// A hash table of the one attribute; the strings stay owned by the caller.
GHashTable* accountAttributes(const std::string& account) {
    GHashTable* attributes = g_hash_table_new(g_str_hash, g_str_equal);
    g_hash_table_insert(attributes, const_cast<char*>("account"), const_cast<char*>(account.c_str()));
    return attributes;
}

Error failure(const char* code, GError* error) {
    std::string message = error ? error->message : code;
    g_clear_error(&error);
    return Error{code, message};
}

// A connection of our own rather than libsecret's process-wide one: it never outlives a
// restarted service, and nothing here unlocks or prompts.
Result<GObjectPtr<SecretService>> openService(bool withSession) {
    GError* error = nullptr;
    auto flags = withSession ? SECRET_SERVICE_OPEN_SESSION : SECRET_SERVICE_NONE;
    SecretService* service = secret_service_open_sync(SECRET_TYPE_SERVICE, nullptr, flags, nullptr, &error);
    if (!service) return failure(kSecretUnavailable, error);
    return GObjectPtr<SecretService>::adopt(service);
}

}  // namespace

LibsecretStore::LibsecretStore(std::string schemaName) : schemaName_(std::move(schemaName)) {}

Result<std::string> LibsecretStore::read(const std::string& account) {
    auto service = openService(true);
    if (!service) return service.error();
    SecretSchema schema = makeSchema(schemaName_);
    GHashTable* attributes = accountAttributes(account);
    GError* error = nullptr;
    // Without SECRET_SEARCH_UNLOCK: a locked item is reported, never unlocked (that would prompt).
    GList* items = secret_service_search_sync(service->get(), &schema, attributes,
                                              static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS),
                                              nullptr, &error);
    g_hash_table_unref(attributes);
    if (error) return failure(kSecretUnavailable, error);

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
    auto service = openService(true);
    if (!service) return service.error();
    SecretSchema schema = makeSchema(schemaName_);
    GHashTable* attributes = accountAttributes(account);
    SecretValue* value = secret_value_new(secret.data(), static_cast<gssize>(secret.size()), "text/plain");
    GError* error = nullptr;
    gboolean stored = secret_service_store_sync(service->get(), &schema, attributes, SECRET_COLLECTION_DEFAULT,
                                                label.c_str(), value, nullptr, &error);
    secret_value_unref(value);
    g_hash_table_unref(attributes);
    if (!stored) return failure(kSecretUnavailable, error);
    return success();
}

void LibsecretStore::remove(const std::string& account) {
    auto service = openService(false);
    if (!service) return;
    SecretSchema schema = makeSchema(schemaName_);
    GHashTable* attributes = accountAttributes(account);
    GError* error = nullptr;
    secret_service_clear_sync(service->get(), &schema, attributes, nullptr, &error);
    g_clear_error(&error);
    g_hash_table_unref(attributes);
}

}  // namespace quenlith

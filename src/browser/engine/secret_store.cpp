#include "browser/engine/secret_store.hpp"

#include <memory>
#include <optional>

#include <libsecret/secret.h>

namespace quenlith {

namespace {

int inFlight = 0;

Error failure(const char* code, GError* error) {
    std::string message = error ? error->message : code;
    g_clear_error(&error);
    return Error{code, message};
}

// The data folder whose records name an item: two folders may share one keyring.
constexpr const char* kFolderAttribute = "folder";

Error timedOutFailure() { return Error{kSecretUnavailable, "the Secret Service did not answer in time"}; }

// One call: the schema and the attributes it names, the service once opened, and the answer
// still to give. Kept alive by the step libsecret is working on, so it outlives its SecretCall
// until libsecret has let go of it.
template <typename T>
struct Operation {
    // Without an account, the call matches every item of the schema.
    Operation(const std::string& schemaName, std::optional<std::string> account,
              std::function<void(Result<T>)> done)
        : schemaName(schemaName),
          account(std::move(account)),
          attributes(g_hash_table_new(g_str_hash, g_str_equal)),
          cancellable(GObjectPtr<GCancellable>::adopt(g_cancellable_new())),
          done(std::move(done)) {
        schema.name = this->schemaName.c_str();
        schema.flags = SECRET_SCHEMA_NONE;
        schema.attributes[0] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        schema.attributes[1] = {kFolderAttribute, SECRET_SCHEMA_ATTRIBUTE_STRING};
        schema.attributes[2] = {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING};
        if (this->account)
            g_hash_table_insert(attributes, const_cast<char*>("account"),
                                const_cast<char*>(this->account->c_str()));
        ++inFlight;
    }
    ~Operation() {
        g_hash_table_unref(attributes);
        --inFlight;
    }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    // Gives the answer once, and only to a caller still holding its SecretCall.
    void answer(Result<T> result) {
        if (answered) return;
        answered = true;
        limit.cancel();
        auto deliver = std::move(done);
        done = nullptr;
        if (deliver && !g_cancellable_is_cancelled(cancellable.get())) deliver(std::move(result));
    }
    bool stopped() const { return answered || g_cancellable_is_cancelled(cancellable.get()); }

    std::string schemaName;
    std::optional<std::string> account;
    SecretSchema schema{};
    GHashTable* attributes;
    GObjectPtr<GCancellable> cancellable;
    std::function<void(Result<T>)> done;
    GObjectPtr<SecretService> service;
    std::string label;   // of an item to add
    std::string secret;  // of an item to add
    std::string folder;  // of an item to add: the data folder whose records name it
    ScheduledTask limit;
    bool answered = false;
};

template <typename T>
using OperationPtr = std::shared_ptr<Operation<T>>;

// The data libsecret carries to a step's callback: one reference to the operation.
template <typename T>
gpointer carry(const OperationPtr<T>& operation) {
    return new OperationPtr<T>(operation);
}
template <typename T>
OperationPtr<T> arrive(gpointer data) {
    std::unique_ptr<OperationPtr<T>> carried(static_cast<OperationPtr<T>*>(data));
    return *carried;
}

// Starts the time limit, then opens a connection of our own rather than libsecret's process-wide
// one: it never outlives a restarted service, and nothing here unlocks or prompts. `next` runs
// with the opened service.
template <typename T>
SecretCall start(const OperationPtr<T>& operation, Scheduler& scheduler, std::chrono::milliseconds limit,
                 bool withSession, void (*next)(const OperationPtr<T>&)) {
    std::weak_ptr<Operation<T>> weak = operation;
    operation->limit = scheduler.schedule(limit, [weak] {
        auto giveUp = weak.lock();
        if (!giveUp) return;
        giveUp->answer(timedOutFailure());
        g_cancellable_cancel(giveUp->cancellable.get());
    });
    struct Step {
        void (*next)(const OperationPtr<T>&);
        OperationPtr<T> operation;
    };
    auto flags = withSession ? SECRET_SERVICE_OPEN_SESSION : SECRET_SERVICE_NONE;
    secret_service_open(
        SECRET_TYPE_SERVICE, nullptr, flags, operation->cancellable.get(),
        [](GObject*, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Step> step(static_cast<Step*>(data));
            GError* error = nullptr;
            SecretService* service = secret_service_open_finish(result, &error);
            if (!service) return step->operation->answer(failure(kSecretUnavailable, error));
            step->operation->service = GObjectPtr<SecretService>::adopt(service);
            if (!step->operation->stopped()) step->next(step->operation);
        },
        new Step{next, operation});
    return SecretCall(operation->cancellable);
}

Result<std::string> firstReadableSecret(GList* items) {
    bool sawLocked = false;
    for (GList* node = items; node; node = node->next) {
        auto* item = static_cast<SecretItem*>(node->data);
        SecretValue* value = secret_item_get_locked(item) ? nullptr : secret_item_get_secret(item);
        if (!value) {
            sawLocked = true;
            continue;
        }
        gsize length = 0;
        const gchar* bytes = secret_value_get(value, &length);
        std::optional<std::string> text;
        if (bytes && g_utf8_validate(bytes, static_cast<gssize>(length), nullptr)) text = std::string(bytes, length);
        secret_value_unref(value);
        if (!text) return Error{kSecretNotText, "the stored secret is not UTF-8 text"};
        return *text;
    }
    if (sawLocked) return Error{kSecretLocked, "the secret is in a locked collection"};
    return Error{kSecretMissing, "no secret is stored for this account"};
}

// The accounts of the items found that belong to `folder` (all when it is empty). An item made
// before items named their folder may be any folder's that shares the keyring: it is left out, so
// no sweep of one folder takes another's. A locked item's attributes are not asked for (the
// service may give them only once unlocked), it is only counted.
SecretAccounts accountsOf(GList* items, const std::string& folder) {
    SecretAccounts found;
    for (GList* node = items; node; node = node->next) {
        auto* item = static_cast<SecretItem*>(node->data);
        if (secret_item_get_locked(item)) {
            ++found.locked;
            continue;
        }
        GHashTable* attributes = secret_item_get_attributes(item);
        if (!attributes) continue;
        auto* owner = static_cast<const char*>(g_hash_table_lookup(attributes, kFolderAttribute));
        auto* account = static_cast<const char*>(g_hash_table_lookup(attributes, "account"));
        if (account && (folder.empty() || (owner && folder == owner))) found.accounts.emplace_back(account);
        g_hash_table_unref(attributes);
    }
    return found;
}

}  // namespace

LibsecretStore::LibsecretStore(std::string schemaName, Scheduler& scheduler, std::string folder)
    : schemaName_(std::move(schemaName)), scheduler_(scheduler), folder_(std::move(folder)) {}

int LibsecretStore::callsInFlight() { return inFlight; }

SecretCall LibsecretStore::read(const std::string& account, ReadDone done) {
    auto operation = std::make_shared<Operation<std::string>>(schemaName_, account, std::move(done));
    return start<std::string>(operation, scheduler_, kReadLimit, true, [](const OperationPtr<std::string>& op) {
        // Without SECRET_SEARCH_UNLOCK: a locked item is reported, never unlocked (that would prompt).
        secret_service_search(
            op->service.get(), &op->schema, op->attributes,
            static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS), op->cancellable.get(),
            [](GObject* source, GAsyncResult* result, gpointer data) {
                auto op = arrive<std::string>(data);
                GError* error = nullptr;
                GList* items = secret_service_search_finish(SECRET_SERVICE(source), result, &error);
                if (error) {
                    g_list_free_full(items, g_object_unref);
                    return op->answer(failure(kSecretUnavailable, error));
                }
                op->answer(firstReadableSecret(items));
                g_list_free_full(items, g_object_unref);
            },
            carry(op));
    });
}

SecretCall LibsecretStore::add(const std::string& account, const std::string& label, const std::string& secret,
                               WriteDone done) {
    auto operation = std::make_shared<Operation<Done>>(schemaName_, account, std::move(done));
    operation->label = label;
    operation->secret = secret;
    operation->folder = folder_;
    if (!operation->folder.empty())
        g_hash_table_insert(operation->attributes, const_cast<char*>(kFolderAttribute),
                            const_cast<char*>(operation->folder.c_str()));
    // Storing may make the keyring ask the user to unlock it: saving is something the user does, so
    // a question is fine there, unlike reading; the write limit leaves time to answer it.
    return start<Done>(operation, scheduler_, kWriteLimit, true, [](const OperationPtr<Done>& op) {
        SecretValue* value = secret_value_new(op->secret.data(), static_cast<gssize>(op->secret.size()), "text/plain");
        secret_service_store(
            op->service.get(), &op->schema, op->attributes, SECRET_COLLECTION_DEFAULT, op->label.c_str(), value,
            op->cancellable.get(),
            [](GObject* source, GAsyncResult* result, gpointer data) {
                auto op = arrive<Done>(data);
                GError* error = nullptr;
                if (!secret_service_store_finish(SECRET_SERVICE(source), result, &error))
                    return op->answer(failure(kSecretUnavailable, error));
                op->answer(success());
            },
            carry(op));
        secret_value_unref(value);
    });
}

SecretCall LibsecretStore::remove(const std::string& account, WriteDone done) {
    auto operation = std::make_shared<Operation<Done>>(schemaName_, account, std::move(done));
    // Only this folder's items: one without a folder, or another folder's, may be named elsewhere.
    operation->folder = folder_;
    if (!operation->folder.empty())
        g_hash_table_insert(operation->attributes, const_cast<char*>(kFolderAttribute),
                            const_cast<char*>(operation->folder.c_str()));
    return start<Done>(operation, scheduler_, kWriteLimit, false, [](const OperationPtr<Done>& op) {
        secret_service_clear(
            op->service.get(), &op->schema, op->attributes, op->cancellable.get(),
            [](GObject* source, GAsyncResult* result, gpointer data) {
                auto op = arrive<Done>(data);
                GError* error = nullptr;
                // FALSE without an error: nothing matched, which is no failure.
                secret_service_clear_finish(SECRET_SERVICE(source), result, &error);
                if (error) return op->answer(failure(kSecretUnavailable, error));
                op->answer(success());
            },
            carry(op));
    });
}

SecretCall LibsecretStore::list(ListDone done) {
    auto operation = std::make_shared<Operation<SecretAccounts>>(schemaName_, std::nullopt, std::move(done));
    operation->folder = folder_;
    return start<SecretAccounts>(
        operation, scheduler_, kReadLimit, false, [](const OperationPtr<SecretAccounts>& op) {
            // Without SECRET_SEARCH_UNLOCK: locked items are counted, never unlocked.
            secret_service_search(
                op->service.get(), &op->schema, op->attributes, SECRET_SEARCH_ALL, op->cancellable.get(),
                [](GObject* source, GAsyncResult* result, gpointer data) {
                    auto op = arrive<SecretAccounts>(data);
                    GError* error = nullptr;
                    GList* items = secret_service_search_finish(SECRET_SERVICE(source), result, &error);
                    if (error) {
                        g_list_free_full(items, g_object_unref);
                        return op->answer(failure(kSecretUnavailable, error));
                    }
                    op->answer(accountsOf(items, op->folder));
                    g_list_free_full(items, g_object_unref);
                },
                carry(op));
        });
}

}  // namespace quenlith

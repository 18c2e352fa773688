#include "browser/engine/website_sessions.hpp"

#include "model/browser_runtime_store.hpp"
#include "model/logging.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

WebsiteSessions::WebsiteSessions(ProxyRuntime& globalRuntime, ProxyRuntime::CredentialReader readCredential)
    : globalRuntime_(globalRuntime), readCredential_(std::move(readCredential)) {}

std::shared_ptr<WebsiteDataStore> WebsiteSessions::sharedDataStore() const {
    return WebsiteDataStore::defaultDataStore();
}

std::shared_ptr<WebsiteDataStore> WebsiteSessions::dataStore(const WebAppProfile& profile) {
    if (auto it = profileStores_.find(profile.id); it != profileStores_.end()) return it->second;

    auto identifier = profile.dataStoreIdentifier();
    if (!identifier) {
        auto store = WebsiteDataStore::defaultDataStore();
        profileStores_[profile.id] = store;
        return store;
    }

    std::shared_ptr<WebsiteDataStore> store;
    if (auto it = stores_.find(*identifier); it != stores_.end())
        store = it->second;
    else
        store = WebsiteDataStore::forIdentifier(*identifier);
    stores_[*identifier] = store;
    profileStores_[profile.id] = store;

    if (!routes_.contains(store.get())) {
        std::unique_ptr<ProxyRuntime> runtime;
        std::optional<BrowserProxySettings> siteProxy = profile.siteProxy;
        // A website's icon may have asked first: that runtime (its password maybe read) decides.
        if (auto waiting = waitingRoutes_.find(*identifier); waiting != waitingRoutes_.end()) {
            runtime = std::move(waiting->second.first);
            siteProxy = waiting->second.second;
            waitingRoutes_.erase(waiting);
        } else {
            runtime = makeRoute(profile);
        }
        if (siteProxy)
            proxyOverrides_[store.get()] = *siteProxy;
        else
            proxyOverrides_.erase(store.get());
        runtime->configure(store);
        routes_[store.get()] = std::move(runtime);
    }
    return store;
}

std::unique_ptr<ProxyRuntime> WebsiteSessions::makeRoute(const WebAppProfile& profile) const {
    auto runtime = std::make_unique<ProxyRuntime>(readCredential_);
    // An independent account without a proxy of its own goes through the global proxy of this launch.
    if (profile.siteProxy)
        runtime->load(*profile.siteProxy);
    else
        runtime->loadFrom(globalRuntime_);
    return runtime;
}

std::optional<Uuid> WebsiteSessions::storeIdentifier(const WebAppProfile& profile) const {
    if (auto it = profileStores_.find(profile.id); it != profileStores_.end()) return it->second->identifier();
    return profile.dataStoreIdentifier();
}

std::optional<std::string> WebsiteSessions::errorMessage(const std::shared_ptr<WebsiteDataStore>& store) const {
    if (store && store->errorMessage()) return store->errorMessage();
    if (auto it = routes_.find(store.get()); it != routes_.end()) return it->second->errorMessage();
    return globalRuntime_.errorMessage();
}

std::optional<BrowserProxySettings> WebsiteSessions::proxyOverride(const std::shared_ptr<WebsiteDataStore>& store) const {
    if (auto it = proxyOverrides_.find(store.get()); it != proxyOverrides_.end()) return it->second;
    return std::nullopt;
}

void WebsiteSessions::applyProxy(const std::shared_ptr<WebsiteDataStore>& store) {
    if (auto it = routes_.find(store.get()); it != routes_.end())
        it->second->configure(store);
    else
        globalRuntime_.configure(store);
}

GObjectPtr<SoupSession> WebsiteSessions::urlSession(const WebAppProfile& profile) {
    if (auto it = profileStores_.find(profile.id); it != profileStores_.end()) return storeSession(it->second);
    auto identifier = profile.dataStoreIdentifier();
    if (!identifier) return globalRuntime_.errorMessage() ? GObjectPtr<SoupSession>() : globalRuntime_.makeSession();
    if (auto it = stores_.find(*identifier); it != stores_.end()) return storeSession(it->second);
    auto& waiting = waitingRoutes_[*identifier];
    if (!waiting.first) waiting = {makeRoute(profile), profile.siteProxy};
    return waiting.first->errorMessage() ? GObjectPtr<SoupSession>() : waiting.first->makeSession();
}

GObjectPtr<SoupSession> WebsiteSessions::storeSession(const std::shared_ptr<WebsiteDataStore>& store) const {
    if (errorMessage(store)) return {};
    if (auto it = routes_.find(store.get()); it != routes_.end()) return it->second->makeSession();
    return globalRuntime_.makeSession();
}

void WebsiteSessions::forgetSession(const Uuid& profileID) {
    auto it = profileStores_.find(profileID);
    if (it == profileStores_.end()) return;
    auto store = it->second;
    profileStores_.erase(it);
    for (const auto& [id, other] : profileStores_)
        if (other == store) return;
    std::erase_if(stores_, [&](const auto& entry) { return entry.second == store; });
    routes_.erase(store.get());
    proxyOverrides_.erase(store.get());
}

void WebsiteSessions::clearWebsiteData(const std::vector<std::string>& types, std::function<void(Status)> completion) {
    struct Clearing {
        WebKitWebsiteDataTypes types;
        std::vector<Uuid> identifiers;
        size_t next = 0;
        Status outcome = success();
        std::function<void(Status)> completion;
    };
    auto clearing = std::make_shared<Clearing>();
    clearing->types = websiteDataTypes(types);
    clearing->completion = std::move(completion);

    // One store after the other: each removal is awaited before the next starts. A failure does
    // not stop the others; the first one is reported at the end.
    auto step = std::make_shared<std::function<void(Status)>>();
    *step = [clearing, weakStep = std::weak_ptr<std::function<void(Status)>>(step)](Status removed) {
        if (!removed && clearing->outcome) clearing->outcome = removed;
        if (clearing->next >= clearing->identifiers.size()) {
            if (clearing->completion) clearing->completion(clearing->outcome);
            return;
        }
        auto store = WebsiteDataStore::forIdentifier(clearing->identifiers[clearing->next++]);
        auto next = weakStep.lock();
        store->removeData(clearing->types, [next](Status status) { (*next)(std::move(status)); });
    };
    WebsiteDataStore::defaultDataStore()->removeData(clearing->types, [clearing, step](Status status) {
        clearing->identifiers = WebsiteDataStore::fetchAllDataStoreIdentifiers();
        (*step)(std::move(status));
    });
}

void WebsiteSessions::removeUnusedSessions(SessionUsers users, const SavedSessionFiles& files,
                                           std::function<void(std::vector<Uuid>)> done) {
    // A store handed out here is in use, whether or not a window shows it now.
    for (const auto& [identifier, store] : stores_) users.add(identifier);
    struct Sweep {
        SessionUsers users;
        SavedSessionFiles files;
        WebsiteDataFolders folders;
        std::function<void(std::vector<Uuid>)> done;
        std::vector<Uuid> removed;
    };
    GTask* task = g_task_new(
        nullptr, nullptr,
        [](GObject*, GAsyncResult* result, gpointer) {
            auto& sweep = *static_cast<Sweep*>(g_task_get_task_data(G_TASK(result)));
            if (!sweep.removed.empty())
                logInfo(LogCategory::browser, "Removed the website data of " + std::to_string(sweep.removed.size()) +
                                                  " sessions nothing uses");
            if (sweep.done) sweep.done(std::move(sweep.removed));
        },
        nullptr);
    g_task_set_task_data(task, new Sweep{std::move(users), files, WebsiteDataFolders::current(), std::move(done), {}},
                         [](gpointer sweep) { delete static_cast<Sweep*>(sweep); });
    g_task_run_in_thread(task, [](GTask* running, gpointer, gpointer data, GCancellable*) {
        auto& sweep = *static_cast<Sweep*>(data);
        WebsiteDataStore::removeLeftovers(sweep.folders);
        sweep.users.addSavedFiles(sweep.files);
        for (const auto& session : unusedSessions(WebsiteDataStore::identifiersOnDisk(sweep.folders), sweep.users))
            if (WebsiteDataStore::removeSessionFolders(sweep.folders, session)) sweep.removed.push_back(session);
        g_task_return_boolean(running, TRUE);
    });
    g_object_unref(task);
}

const ProxyRuntime* WebsiteSessions::route(const std::shared_ptr<WebsiteDataStore>& store) const {
    auto it = routes_.find(store.get());
    return it == routes_.end() ? nullptr : it->second.get();
}

WebsiteActivity activityFor(const BrowserRuntimeStore& runtime, const WebAppProfile& profile, WebsiteSessions& sessions) {
    const auto identifier = sessions.storeIdentifier(profile);
    return runtime.activity(profile.homeURL, std::nullopt, !identifier.has_value(), identifier);
}

}  // namespace quenlith

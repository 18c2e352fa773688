#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <libsoup/soup.h>

#include "browser/engine/gobject_ptr.hpp"
#include "browser/engine/proxy_runtime.hpp"
#include "browser/engine/website_data_store.hpp"
#include "model/browser_proxy_settings.hpp"
#include "model/session_users.hpp"
#include "model/uuid.hpp"
#include "model/website_activity.hpp"

namespace quenlith {

struct WebAppProfile;
class BrowserRuntimeStore;

// Hands out the website data store of each saved website (the shared one, or its own persistent
// store for an independent account or a website proxy), keeps one proxy runtime per own store,
// forgets a website's store when its window closes, and clears website data of all stores.
// Main thread only.
class WebsiteSessions {
public:
    // `globalRuntime` serves the shared store and every website without a proxy of its own; the
    // runtimes of own stores read passwords through `readCredential`.
    WebsiteSessions(ProxyRuntime& globalRuntime, ProxyRuntime::CredentialReader readCredential);
    WebsiteSessions(const WebsiteSessions&) = delete;
    WebsiteSessions& operator=(const WebsiteSessions&) = delete;

    // The shared store of every website without a session of its own.
    std::shared_ptr<WebsiteDataStore> sharedDataStore() const;
    // The store the website's windows use. A website keeps the store it was first given until
    // forgetSession; the first website to ask for a shared own store decides that store's proxy.
    std::shared_ptr<WebsiteDataStore> dataStore(const WebAppProfile& profile);
    // The identifier of the store the website's windows use, without making the store: the store
    // it was given, else the one its settings name (nothing: the shared store). Website stores are
    // always persistent.
    std::optional<Uuid> storeIdentifier(const WebAppProfile& profile) const;
    // The text to show instead of loading pages in the store (its proxy cannot be used, or its
    // folders could not be made), or nothing.
    std::optional<std::string> errorMessage(const std::shared_ptr<WebsiteDataStore>& store) const;
    // The website proxy an own store was set up with, or nothing.
    std::optional<BrowserProxySettings> proxyOverride(const std::shared_ptr<WebsiteDataStore>& store) const;
    // Has the store's own runtime, else the global one, configure the store (once per store).
    void applyProxy(const std::shared_ptr<WebsiteDataStore>& store);
    // A session whose requests take the same proxy as the website's pages; nothing when the
    // website's store has an error message. A website whose store is not made yet keeps it so:
    // the proxy runtime its store will get is made now and handed to the store when it is made.
    GObjectPtr<SoupSession> urlSession(const WebAppProfile& profile);
    // A session whose requests take the same proxy as the store's pages (see applyProxy); nothing
    // when the store has an error message.
    GObjectPtr<SoupSession> storeSession(const std::shared_ptr<WebsiteDataStore>& store) const;
    // Drops what was kept for the website; the store's route goes with the last website using it.
    void forgetSession(const Uuid& profileID);
    // Removes the named kinds of website data (the engine's names, see websiteDataTypes) from the
    // shared store and then from every own store on disk, one after the other; `completion` runs
    // once on the main loop when all are done, with the first failure if any. The kept stores and
    // routes are not changed.
    void clearWebsiteData(const std::vector<std::string>& types, std::function<void(Status)> completion);
    // Removes the data and cache folders of the sessions nothing uses: `users` with the stores
    // handed out here and what the saved `files` name (read on a worker thread, where the folders
    // are removed too; none while any source is unreadable, and never one a store of this process
    // was made on). `done` runs on the main loop with the sessions removed.
    void removeUnusedSessions(SessionUsers users, const SavedSessionFiles& files,
                              std::function<void(std::vector<Uuid> removed)> done);

    // The runtime of an own store, or nothing (inspection for tests and the proxy sheet).
    const ProxyRuntime* route(const std::shared_ptr<WebsiteDataStore>& store) const;

private:
    ProxyRuntime& globalRuntime_;
    ProxyRuntime::CredentialReader readCredential_;
    std::unordered_map<Uuid, std::shared_ptr<WebsiteDataStore>> profileStores_;
    std::unordered_map<Uuid, std::shared_ptr<WebsiteDataStore>> stores_;
    // Keyed by store identity; entries exist only for stores held in profileStores_.
    std::map<const WebsiteDataStore*, std::unique_ptr<ProxyRuntime>> routes_;
    std::map<const WebsiteDataStore*, BrowserProxySettings> proxyOverrides_;
    // Runtimes made for stores not made yet, by session identifier, with the website proxy each
    // was set up with.
    std::unordered_map<Uuid, std::pair<std::unique_ptr<ProxyRuntime>, std::optional<BrowserProxySettings>>>
        waitingRoutes_;
    std::unique_ptr<ProxyRuntime> makeRoute(const WebAppProfile& profile) const;
};

// What a saved website is doing in the open windows (the runtime store's activity(for:)): found
// by its home address among the windows of its own data store, or of the shared store when it has
// none. The website's store is not made for this.
WebsiteActivity activityFor(const BrowserRuntimeStore& runtime, const WebAppProfile& profile,
                            WebsiteSessions& sessions);

}  // namespace quenlith

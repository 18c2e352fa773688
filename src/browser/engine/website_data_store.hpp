#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <webkit2/webkit2.h>

#include "browser/engine/gobject_ptr.hpp"
#include "browser/engine/proxy_configuration.hpp"
#include "model/result.hpp"
#include "model/uuid.hpp"

namespace quenlith {

// The two folders that hold the persistent stores' data and caches ("WebsiteData" in the
// application's data and cache folders), read on the main thread (they follow the environment)
// for work on another.
struct WebsiteDataFolders {
    std::string data;
    std::string cache;

    static WebsiteDataFolders current();
};

// One website data store: cookies, caches and storage of the web engine, with the network
// process and proxy that serve them. It is one WebKitWebsiteDataManager with its own
// WebKitWebContext; web views of the store are made on that context. Stores are compared by
// identity (the shared pointer), never by value.
//
// Persistent stores live in the application's data folder under "WebsiteData/Default" (the shared
// store) or "WebsiteData/<UUID>" (a session identifier), caches likewise in the cache folder; the
// cookies are kept in "cookies.sqlite" there. There is never more than one store object per
// folder at a time: asking again while one is alive returns it.
class WebsiteDataStore : public std::enable_shared_from_this<WebsiteDataStore> {
public:
    // The shared store of every website without a session of its own.
    static std::shared_ptr<WebsiteDataStore> defaultDataStore();
    // The persistent store of a session identifier.
    static std::shared_ptr<WebsiteDataStore> forIdentifier(const Uuid& identifier);
    // A new store that keeps nothing on disk.
    static std::shared_ptr<WebsiteDataStore> nonPersistent();
    // The identifiers of every persistent store on disk, whether a store object is alive or not.
    static std::vector<Uuid> fetchAllDataStoreIdentifiers();
    // The same, on any thread, in the given folders.
    static std::vector<Uuid> identifiersOnDisk(const WebsiteDataFolders& folders);
    // On any thread: removes the data and cache folders of a session, unless a store was made on
    // that session in this process (its data manager, or the engine behind one gone, may still
    // use them); whether none is left. Each is moved aside before it is removed, so a store asked
    // for meanwhile makes new folders: never a data manager on a folder being removed.
    static bool removeSessionFolders(const WebsiteDataFolders& folders, const Uuid& identifier);
    // On any thread: removes what a removal interrupted (by the end of the process) left aside.
    static void removeLeftovers(const WebsiteDataFolders& folders);
    // The store a web view was made on (recorded by WebViewFactory), if any.
    static std::shared_ptr<WebsiteDataStore> of(WebKitWebView* view);
    // Records the store of a web view; the view keeps the store alive.
    static void attach(WebKitWebView* view, const std::shared_ptr<WebsiteDataStore>& store);

    ~WebsiteDataStore();
    WebsiteDataStore(const WebsiteDataStore&) = delete;
    WebsiteDataStore& operator=(const WebsiteDataStore&) = delete;

    bool isPersistent() const { return persistent_; }
    // The session identifier; nothing for the shared store and for non-persistent stores.
    const std::optional<Uuid>& identifier() const { return identifier_; }
    // The store's data folder; empty when it is not persistent.
    const std::string& dataDirectory() const { return dataDirectory_; }
    WebKitWebContext* webContext() const { return context_.get(); }
    WebKitWebsiteDataManager* dataManager() const { return manager_.get(); }

    // Why the store cannot keep its data (its folders could not be created), or nothing.
    const std::optional<std::string>& errorMessage() const { return errorMessage_; }

    // Removes the given kinds of data, however old. `completion` runs once on the main loop
    // when the engine is done, with the engine's failure if any; the store object stays alive
    // until then, so that asking for its folder meanwhile gives this store and no second data manager.
    void removeData(WebKitWebsiteDataTypes types, std::function<void(Status)> completion);

    // Sends every request of the store through the proxy.
    void useProxy(const ProxyConfiguration& configuration);
    // Gives the store a proxy that cannot be reached: no request of its views leaves the machine
    // by any route (used when the proxy it should have could not be set up).
    void blockNetwork();
    // Lets the desktop's proxy settings apply again (undoes useProxy and blockNetwork).
    void useSystemProxy();
    // Blocks the network until one of the three calls above decides the store's proxy (its
    // password is still being read): the views made on it wait for that before loading.
    void holdNetwork();
    bool networkHeld() const { return networkHeld_; }
    // Whether pages may start: the network is not held and the engine has taken the proxy settings
    // the store gave it last (each of the calls above gives them; a page asked for before the
    // engine has them may be dropped as they arrive).
    bool networkReady() const { return !networkHeld_ && proxySettingsTaken_ == proxySettingsGiven_; }
    // Runs `ready` once the network is ready; at once when it is. A waiter that may outlive what it
    // captured holds it weakly.
    void whenNetworkReady(std::function<void()> ready);
    // Whether blockNetwork() was applied.
    bool networkBlocked() const { return networkBlocked_; }
    // The proxy address given to the engine by useProxy or blockNetwork; nothing while the
    // desktop's proxy settings apply.
    const std::optional<std::string>& proxyAddress() const { return proxyAddress_; }
    // What its views answer to a proxy's challenge (HTTP CONNECT proxies with authentication).
    const std::optional<ProxyCredential>& proxyChallengeCredential() const { return challengeCredential_; }

    // Whether its pages may have host names looked up ahead of their loads (<link rel=dns-prefetch>).
    // The engine asks the system resolver for them and heeds only the desktop's proxy settings, so a
    // lookup would go past a proxy of the store's own: only while the desktop's settings apply.
    bool allowsNamePrefetch() const { return !proxyAddress_; }
    // Keeps the name prefetching of a view's settings in step with allowsNamePrefetch(), now and
    // whenever the store's proxy changes. The settings are held weakly.
    void governNamePrefetch(WebKitSettings* settings);

private:
    WebsiteDataStore(std::optional<Uuid> identifier, bool persistent, const std::string& name);
    static std::shared_ptr<WebsiteDataStore> persistentStore(std::optional<Uuid> identifier, const std::string& name);

    std::optional<Uuid> identifier_;
    bool persistent_ = false;
    std::string dataDirectory_;
    GObjectPtr<WebKitWebsiteDataManager> manager_;
    GObjectPtr<WebKitWebContext> context_;
    std::optional<ProxyCredential> challengeCredential_;
    bool networkBlocked_ = false;
    std::optional<std::string> proxyAddress_;
    bool networkHeld_ = false;
    // How many proxy settings the store gave the engine, and the latest of them it has taken.
    unsigned proxySettingsGiven_ = 0;
    unsigned proxySettingsTaken_ = 0;
    std::vector<std::function<void()>> networkWaiters_;
    std::optional<std::string> errorMessage_;
    struct WeakSettings;
    std::vector<std::unique_ptr<WeakSettings>> governedSettings_;

    void useUnreachableProxy();
    // Gives the engine a proxy address (nothing: the desktop's settings) and holds navigations until
    // it has taken it.
    void giveEngineProxy(const char* uri);
    void applyNamePrefetch();
    void releaseNetwork();
    void runNetworkWaiters();
};

// The website-data types named by their texts: the engine's own names of its types
// ("cookies", "disk-cache", "local-storage", ..., "all"). Unknown names are ignored.
WebKitWebsiteDataTypes websiteDataTypes(const std::vector<std::string>& names);

}  // namespace quenlith

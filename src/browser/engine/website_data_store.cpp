#include "browser/engine/website_data_store.hpp"

#include <algorithm>
#include <array>
#include <map>
#include <mutex>
#include <set>
#include <tuple>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <glib/gstdio.h>

#include "browser/engine/proxy_configuration.hpp"
#include "model/app_paths.hpp"
#include "model/file_store.hpp"
#include "model/logging.hpp"
#include "model/own_folder.hpp"

namespace quenlith {

namespace {

constexpr const char* kStoreKey = "quenlith-website-data-store";
// An address no request can reach: a scheme no proxy implementation knows, on port 0 of the
// loopback address (connecting there is refused at once). Nothing leaves the machine.
constexpr const char* kUnreachableProxy = "quenlith-blocked://127.0.0.1:0";

std::string websiteDataFolder(const std::string& base, const std::string& name) {
    return base + "/WebsiteData/" + name;
}

// Where a session's folders go while they are removed.
constexpr std::string_view kRemovedPrefix = ".removed-";

// The data folders a store was made on in this process, shared with the threads that remove the
// folders of unused sessions: those never remove one named here.
std::mutex& madeFoldersLock() {
    static std::mutex lock;
    return lock;
}
std::set<std::string>& madeFolders() {
    static std::set<std::string> folders;
    return folders;
}

// Live persistent stores by data folder: never two data managers on one folder.
std::map<std::string, std::weak_ptr<WebsiteDataStore>>& liveStores() {
    static std::map<std::string, std::weak_ptr<WebsiteDataStore>> stores;
    return stores;
}

// The engine's switch for <link rel=dns-prefetch> (the setting "enable-dns-prefetching" no longer
// does anything); none in an engine without it.
WebKitFeature* namePrefetchFeature() {
    static WebKitFeature* const feature = [] {
        // Kept for the life of the process, with the feature in it.
        WebKitFeatureList* features = webkit_settings_get_all_features();
        for (gsize i = 0; i < webkit_feature_list_get_length(features); ++i) {
            WebKitFeature* candidate = webkit_feature_list_get(features, i);
            if (g_strcmp0(webkit_feature_get_identifier(candidate), "LinkDNSPrefetch") == 0) return candidate;
        }
        logError(LogCategory::browser, "The web engine has no switch for DNS prefetching.");
        return static_cast<WebKitFeature*>(nullptr);
    }();
    return feature;
}

constexpr const char* kIconDatabase = "Favicons";

// The engine's icon database, which earlier runs kept in the store's folder (open at `folder`): no
// longer opened, and removed on a worker thread so the icons it holds (whatever their size) are
// not kept. A link in its place is removed, not what it points to.
void removeEngineIconDatabase(files::FolderHandle folder) {
    struct stat info {};
    if (::fstatat(folder.get(), kIconDatabase, &info, AT_SYMLINK_NOFOLLOW) != 0) return;
    GTask* task = g_task_new(nullptr, nullptr, nullptr, nullptr);
    g_task_set_task_data(task, GINT_TO_POINTER(folder.release()), [](gpointer fd) { ::close(GPOINTER_TO_INT(fd)); });
    g_task_run_in_thread(task, [](GTask*, gpointer, gpointer data, GCancellable*) {
        files::removeEntry(GPOINTER_TO_INT(data), kIconDatabase);
    });
    g_object_unref(task);
}

std::string parentOf(const std::string& path) {
    g_autofree char* parent = g_path_get_dirname(path.c_str());
    return parent;
}

std::string leafOf(const std::string& path) {
    g_autofree char* leaf = g_path_get_basename(path.c_str());
    return leaf;
}

// A "WebsiteData" folder (data or cache side) to list or remove in, opened only when it is a real
// folder of ours: through a link, names that look like ours may be a person's own folders.
files::FolderHandle openStoresFolder(const std::string& folder) {
    auto opened = files::openOwnFolder(parentOf(folder), leafOf(folder), files::MissingFolder::failure);
    if (opened) return std::move(*opened);
    if (opened.error().code == files::kLinkedFolder || opened.error().code == files::kNotOwnFolder)
        logError(LogCategory::browser, "The website data folder " + quotedForLog(folder) +
                                           " is not a folder of this application's own: nothing in it is removed");
    return {};
}

// The names in an open folder.
std::vector<std::string> namesIn(int folder) {
    std::vector<std::string> names;
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return names;
    DIR* entries = ::fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return names;
    }
    while (const dirent* entry = ::readdir(entries)) names.emplace_back(entry->d_name);
    ::closedir(entries);
    return names;
}

bool isRealFolderAt(int folder, const std::string& name) {
    struct stat info {};
    return ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
}

// "<UUID>" in the spelling this program writes, and nothing else.
std::optional<Uuid> sessionFolderName(std::string_view name) {
    auto identifier = Uuid::parse(name);
    if (!identifier || identifier->string() != name) return std::nullopt;
    return identifier;
}

}  // namespace

WebsiteDataStore::WebsiteDataStore(std::optional<Uuid> identifier, bool persistent, const std::string& name)
    : identifier_(std::move(identifier)), persistent_(persistent) {
    if (persistent_) {
        dataDirectory_ = websiteDataFolder(applicationDataDirectory(), name);
        std::string cacheDirectory = websiteDataFolder(applicationCacheDirectory(), name);
        // Below the application's folders (followed wherever a person moved them), each folder on
        // the way must be ours: the engine writes, and the icon database is removed, in nothing else.
        const std::string relative = std::string("WebsiteData/") + name;
        // Looked at before anything is made: a link on one side leaves the other side unmade too.
        auto open = [&](files::MissingFolder missing) {
            return std::pair{files::openOwnFolder(applicationDataDirectory(), relative, missing),
                             files::openOwnFolder(applicationCacheDirectory(), relative, missing)};
        };
        auto [data, cache] = open(files::MissingFolder::failure);
        auto linked = [](const auto& opened) { return !opened && opened.error().code == files::kLinkedFolder; };
        const bool leftAlone = linked(data) || linked(cache);
        if (!leftAlone) std::tie(data, cache) = open(files::MissingFolder::made);
        for (const auto* opened : {&data, &cache}) {
            if (*opened) continue;
            if (linked(*opened)) {
                logError(LogCategory::browser, "A website data folder is a symbolic link, so it is left as it is and "
                                               "the store's data is kept in memory only: " + opened->error().message);
            } else if (!errorMessage_ && !leftAlone) {
                // The engine would keep the store's data in memory only, and lose it at the end:
                // the failure is kept for the views to show.
                errorMessage_ = opened->error().message;
                logError(LogCategory::browser, *errorMessage_);
            }
        }
        if (leftAlone) {
            manager_ = GObjectPtr<WebKitWebsiteDataManager>::adopt(webkit_website_data_manager_new_ephemeral());
        } else {
            manager_ = GObjectPtr<WebKitWebsiteDataManager>::adopt(webkit_website_data_manager_new(
                "base-data-directory", dataDirectory_.c_str(), "base-cache-directory", cacheDirectory.c_str(), nullptr));
            // Without this the engine keeps cookies in memory only.
            std::string cookies = dataDirectory_ + "/cookies.sqlite";
            webkit_cookie_manager_set_persistent_storage(webkit_website_data_manager_get_cookie_manager(manager_.get()),
                                                         cookies.c_str(), WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
            if (data) removeEngineIconDatabase(std::move(*data));
        }
    } else {
        manager_ = GObjectPtr<WebKitWebsiteDataManager>::adopt(webkit_website_data_manager_new_ephemeral());
    }
    context_ = GObjectPtr<WebKitWebContext>::adopt(webkit_web_context_new_with_website_data_manager(manager_.get()));
}

struct WebsiteDataStore::WeakSettings {
    explicit WeakSettings(WebKitSettings* settings) { g_weak_ref_init(&ref, settings); }
    ~WeakSettings() { g_weak_ref_clear(&ref); }
    WeakSettings(const WeakSettings&) = delete;
    WeakSettings& operator=(const WeakSettings&) = delete;
    GObjectPtr<WebKitSettings> get() {
        return GObjectPtr<WebKitSettings>::adopt(static_cast<WebKitSettings*>(g_weak_ref_get(&ref)));
    }
    GWeakRef ref;
};

WebsiteDataStore::~WebsiteDataStore() = default;

void WebsiteDataStore::governNamePrefetch(WebKitSettings* settings) {
    // Settings of views gone are forgotten; a popup shares its opener's settings.
    std::erase_if(governedSettings_, [](const auto& weak) { return !weak->get(); });
    bool known = std::any_of(governedSettings_.begin(), governedSettings_.end(),
                             [&](const auto& weak) { return weak->get().get() == settings; });
    if (!known) governedSettings_.push_back(std::make_unique<WeakSettings>(settings));
    if (WebKitFeature* feature = namePrefetchFeature())
        webkit_settings_set_feature_enabled(settings, feature, allowsNamePrefetch());
}

void WebsiteDataStore::applyNamePrefetch() {
    WebKitFeature* feature = namePrefetchFeature();
    std::erase_if(governedSettings_, [](const auto& weak) { return !weak->get(); });
    if (!feature) return;
    for (const auto& weak : governedSettings_)
        if (auto settings = weak->get())
            webkit_settings_set_feature_enabled(settings.get(), feature, allowsNamePrefetch());
}

std::shared_ptr<WebsiteDataStore> WebsiteDataStore::persistentStore(std::optional<Uuid> identifier,
                                                                   const std::string& name) {
    std::string folder = websiteDataFolder(applicationDataDirectory(), name);
    auto& stores = liveStores();
    if (auto it = stores.find(folder); it != stores.end()) {
        if (auto store = it->second.lock()) return store;
    }
    {
        std::lock_guard lock(madeFoldersLock());
        madeFolders().insert(folder);
    }
    std::shared_ptr<WebsiteDataStore> store(new WebsiteDataStore(std::move(identifier), true, name));
    stores[folder] = store;
    return store;
}

std::shared_ptr<WebsiteDataStore> WebsiteDataStore::defaultDataStore() {
    // Kept for the life of the process; a changed data folder (only tests change it) gets its own.
    static std::shared_ptr<WebsiteDataStore> shared;
    if (!shared || shared->dataDirectory() != websiteDataFolder(applicationDataDirectory(), "Default"))
        shared = persistentStore(std::nullopt, "Default");
    return shared;
}

std::shared_ptr<WebsiteDataStore> WebsiteDataStore::forIdentifier(const Uuid& identifier) {
    return persistentStore(identifier, identifier.string());
}

std::shared_ptr<WebsiteDataStore> WebsiteDataStore::nonPersistent() {
    return std::shared_ptr<WebsiteDataStore>(new WebsiteDataStore(std::nullopt, false, std::string()));
}

WebsiteDataFolders WebsiteDataFolders::current() {
    return {applicationDataDirectory() + "/WebsiteData", applicationCacheDirectory() + "/WebsiteData"};
}

std::vector<Uuid> WebsiteDataStore::fetchAllDataStoreIdentifiers() {
    return identifiersOnDisk(WebsiteDataFolders::current());
}

std::vector<Uuid> WebsiteDataStore::identifiersOnDisk(const WebsiteDataFolders& folders) {
    std::vector<Uuid> identifiers;
    for (const auto& folder : {folders.data, folders.cache}) {
        const files::FolderHandle stores = openStoresFolder(folder);
        if (!stores) continue;
        for (const std::string& name : namesIn(stores.get())) {
            // The canonical spelling of a real folder only: another spelling, or a link, is not a
            // folder this program made.
            auto identifier = sessionFolderName(name);
            if (!identifier || !isRealFolderAt(stores.get(), name)) continue;
            if (std::find(identifiers.begin(), identifiers.end(), *identifier) == identifiers.end())
                identifiers.push_back(*identifier);
        }
    }
    return identifiers;
}

bool WebsiteDataStore::removeSessionFolders(const WebsiteDataFolders& folders, const Uuid& identifier) {
    const std::string name = identifier.string();
    const std::string aside = std::string(kRemovedPrefix) + name;
    // Everything by descriptor in a folder of ours: no link on the way, none followed at the end.
    std::array<files::FolderHandle, 2> bases{openStoresFolder(folders.data), openStoresFolder(folders.cache)};
    auto present = [](int base, const std::string& entry) {
        struct stat info {};
        return ::fstatat(base, entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    };
    // A side that is no real folder of ours is left as it is; the session then counts as removed
    // only when nothing of its name is there.
    for (const auto& base : bases)
        if (base) files::removeEntry(base.get(), aside);  // an interrupted removal's
    {
        std::lock_guard lock(madeFoldersLock());
        if (madeFolders().contains(folders.data + "/" + name)) return false;
        // Moved while no store can be made on them: a store asked for from now on makes new ones.
        // Only a real folder: a link of that name is a person's, and stays.
        for (const auto& base : bases)
            if (base && isRealFolderAt(base.get(), name)) ::renameat(base.get(), name.c_str(), base.get(), aside.c_str());
    }
    bool removed = true;
    for (std::size_t side = 0; side < bases.size(); ++side) {
        const int base = bases[side].get();
        if (base < 0) {
            const std::string folder = side == 0 ? folders.data : folders.cache;
            removed = removed && !g_file_test((folder + "/" + name).c_str(), G_FILE_TEST_EXISTS);
            continue;
        }
        files::removeEntry(base, aside);
        removed = removed && !isRealFolderAt(base, name) && !present(base, aside);
    }
    return removed;
}

void WebsiteDataStore::removeLeftovers(const WebsiteDataFolders& folders) {
    for (const auto& folder : {folders.data, folders.cache}) {
        const files::FolderHandle stores = openStoresFolder(folder);
        if (!stores) continue;
        // Only names wholly of the shape a removal gives: ".removed-<UUID>".
        for (const std::string& name : namesIn(stores.get()))
            if (name.starts_with(kRemovedPrefix) && sessionFolderName(std::string_view(name).substr(kRemovedPrefix.size())))
                files::removeEntry(stores.get(), name);
    }
}

std::shared_ptr<WebsiteDataStore> WebsiteDataStore::of(WebKitWebView* view) {
    auto* holder = static_cast<std::shared_ptr<WebsiteDataStore>*>(g_object_get_data(G_OBJECT(view), kStoreKey));
    return holder ? *holder : nullptr;
}

void WebsiteDataStore::attach(WebKitWebView* view, const std::shared_ptr<WebsiteDataStore>& store) {
    g_object_set_data_full(G_OBJECT(view), kStoreKey, new std::shared_ptr<WebsiteDataStore>(store),
                           [](gpointer data) { delete static_cast<std::shared_ptr<WebsiteDataStore>*>(data); });
}

void WebsiteDataStore::removeData(WebKitWebsiteDataTypes types, std::function<void(Status)> completion) {
    struct Pending {
        std::shared_ptr<WebsiteDataStore> store;  // also keeps the network process of a store made only for this
        std::function<void(Status)> completion;
    };
    auto* pending = new Pending{shared_from_this(), std::move(completion)};
    webkit_website_data_manager_clear(
        manager_.get(), types, 0, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
            GError* error = nullptr;
            Status status = success();
            if (!webkit_website_data_manager_clear_finish(WEBKIT_WEBSITE_DATA_MANAGER(source), result, &error)) {
                status = Error{"websiteData.clear", error ? error->message : "the engine did not clear the data"};
                logError(LogCategory::browser, "Website data could not be removed: " + status.error().message);
            }
            g_clear_error(&error);
            if (pending->completion) pending->completion(std::move(status));
        },
        pending);
}

void WebsiteDataStore::useProxy(const ProxyConfiguration& configuration) {
    std::string uri = configuration.uri();
    giveEngineProxy(uri.c_str());
    challengeCredential_ = configuration.challengeCredential();
    networkBlocked_ = false;
    proxyAddress_ = uri;
    applyNamePrefetch();
    releaseNetwork();
}

void WebsiteDataStore::blockNetwork() {
    useUnreachableProxy();
    releaseNetwork();
}

void WebsiteDataStore::holdNetwork() {
    // Views already waiting go on waiting.
    useUnreachableProxy();
    networkHeld_ = true;
}

void WebsiteDataStore::useUnreachableProxy() {
    giveEngineProxy(kUnreachableProxy);
    challengeCredential_.reset();
    networkBlocked_ = true;
    proxyAddress_ = kUnreachableProxy;
    applyNamePrefetch();
}

void WebsiteDataStore::useSystemProxy() {
    // A store never given a proxy already follows the desktop's settings.
    if (proxyAddress_) giveEngineProxy(nullptr);
    challengeCredential_.reset();
    networkBlocked_ = false;
    proxyAddress_.reset();
    applyNamePrefetch();
    releaseNetwork();
}

void WebsiteDataStore::giveEngineProxy(const char* uri) {
    WebKitNetworkProxySettings* settings = uri ? webkit_network_proxy_settings_new(uri, nullptr) : nullptr;
    webkit_website_data_manager_set_network_proxy_settings(
        manager_.get(), uri ? WEBKIT_NETWORK_PROXY_MODE_CUSTOM : WEBKIT_NETWORK_PROXY_MODE_DEFAULT, settings);
    if (settings) webkit_network_proxy_settings_free(settings);
    // The network process drops every request in flight as it takes new proxy settings, and a page
    // asked for just after them comes through the page's own process, so it can get there first and
    // be dropped. Navigations wait for the answer to a question sent behind the settings on the same
    // channel: the network process answers it only once it has taken them. The store stays alive
    // until then, so that asking for its folder meanwhile gives this store and no second data manager.
    struct Asked {
        std::shared_ptr<WebsiteDataStore> store;
        unsigned settings;
    };
    auto* asked = new Asked{shared_from_this(), ++proxySettingsGiven_};
    webkit_website_data_manager_fetch(
        manager_.get(), WEBKIT_WEBSITE_DATA_COOKIES, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Asked> asked(static_cast<Asked*>(data));
            GList* records = webkit_website_data_manager_fetch_finish(WEBKIT_WEBSITE_DATA_MANAGER(source),
                                                                      result, nullptr);
            g_list_free_full(records, reinterpret_cast<GDestroyNotify>(webkit_website_data_unref));
            WebsiteDataStore& store = *asked->store;
            if (asked->settings <= store.proxySettingsTaken_) return;
            store.proxySettingsTaken_ = asked->settings;
            store.runNetworkWaiters();
        },
        asked);
}

void WebsiteDataStore::whenNetworkReady(std::function<void()> ready) {
    if (networkReady()) return ready();
    networkWaiters_.push_back(std::move(ready));
}

void WebsiteDataStore::releaseNetwork() {
    networkHeld_ = false;
    runNetworkWaiters();
}

void WebsiteDataStore::runNetworkWaiters() {
    if (!networkReady()) return;
    // A waiter may wait again (a store held anew) or release the last view of this store.
    auto waiters = std::move(networkWaiters_);
    networkWaiters_.clear();
    auto keepAlive = weak_from_this().lock();
    for (auto& waiter : waiters) waiter();
}

WebKitWebsiteDataTypes websiteDataTypes(const std::vector<std::string>& names) {
    auto* flagsClass = static_cast<GFlagsClass*>(g_type_class_ref(WEBKIT_TYPE_WEBSITE_DATA_TYPES));
    unsigned types = 0;
    for (const auto& name : names)
        if (const GFlagsValue* value = g_flags_get_value_by_nick(flagsClass, name.c_str())) types |= value->value;
    g_type_class_unref(flagsClass);
    return static_cast<WebKitWebsiteDataTypes>(types);
}

}  // namespace quenlith

#pragma once

// Content blocking: turns ad-filter settings into a compiled content-rule list and keeps the list
// of the settings most recently asked for installed on each content manager. One compilation per
// settings value at a time, shared by every caller; a small cache of compiled lists; the compiled
// list of the settings in use is kept in the store between launches and every other stored list
// is removed, so nothing accumulates.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <sigc++/signal.h>

#include "browser/blocking/content_rule_compiler.hpp"
#include "model/ad_filter_settings.hpp"
#include "model/result.hpp"

typedef struct _WebKitUserContentManager WebKitUserContentManager;

namespace quenlith {

class PreferencesStore;

// The ad filter the preferences ask for at the moment it is called (normalised). The preferences
// outlive every call.
std::function<AdFilterSettings()> preferredAdFilter(const PreferencesStore& preferences);

class AdBlocking {
public:
    using ApplyHandler = std::function<void(Status)>;
    using ListHandler = std::function<void(Result<ContentRuleListPtr>)>;

    // The credit and date of the built-in list, shown by the ad-filtering settings page (the credit
    // is looked up with localizedString; the date is shown as it is).
    static constexpr const char* builtInListCredit = "EasyList and EasyPrivacy rules · source and license";
    static constexpr const char* builtInListDate = "2025-10-31";
    static constexpr const char* builtInListSourceURL = "https://easylist.to/pages/licence.html";

    // Shown while the settings still wanted could not be compiled.
    static constexpr const char* unavailableMessage = "Ad filtering is unavailable. Retry or turn it off.";

    // Prefix of the identifiers of compiled lists; the rest is the SHA-256 of the rule text.
    static constexpr const char* identifierPrefix = "Quenlith.Ads.v1.";

    // The application's blocker: the engine's store in the application's cache folder and the
    // built-in host list.
    static std::unique_ptr<AdBlocking> inCacheFolder();

    // The built-in blocked host names, read once from the bundled list.
    static const std::vector<std::string>& defaultDomains();

    // "Quenlith.Ads.v1." followed by the lower-case hex SHA-256 of `json`.
    static std::string identifierFor(const std::string& json);

    // The folder of the engine's store: $XDG_CACHE_HOME/com.quenlith.Quenlith/ContentFilters.
    static std::string storeDirectory();

    AdBlocking(std::unique_ptr<ContentRuleCompiler> compiler, std::vector<std::string> domains);
    ~AdBlocking();
    AdBlocking(const AdBlocking&) = delete;
    AdBlocking& operator=(const AdBlocking&) = delete;

    // Installs on `manager` the list of `settings` (normalised), or removes this blocker's list when
    // blocking is off. `done` runs exactly once: at once when nothing has to be compiled, else when
    // the manager carries the list of the settings most recently asked for it; it gets the
    // compilation's error when the settings still wanted failed to compile. The manager is kept
    // alive until then.
    void apply(const AdFilterSettings& settings, WebKitUserContentManager* manager, ApplyHandler done = {});

    // Installs on `manager` the settings `wanted` gives now (normalised), and again those it gives
    // once they are installed while they changed meanwhile; then `done` runs once, whether they
    // could be installed or not: a failed list holds no page back. `wanted` is not asked once this
    // blocker is gone. The one path by which a page's first request comes to meet the filter.
    void applyCurrent(std::function<AdFilterSettings()> wanted, WebKitUserContentManager* manager,
                      std::function<void()> done);

    // The compiled list of already normalised settings: cached, joined with a running compilation,
    // loaded from the store, or compiled. `done` may run before this returns.
    void compiled(const AdFilterSettings& settings, ListHandler done);

    // Published state; signal_changed() is emitted after either value changes.
    const std::optional<std::string>& errorMessage() const { return errorMessage_; }
    bool preparing() const { return preparing_; }
    sigc::signal<void()>& signal_changed() { return signalChanged_; }

    const std::vector<std::string>& domains() const { return domains_; }

    // What this blocker knows of one manager, for the views and tests.
    struct EntryState {
        AdFilterSettings desired;
        ContentRuleListPtr installed;
        std::optional<AdFilterSettings> installedSettings;
    };
    std::optional<EntryState> entryState(WebKitUserContentManager* manager) const;
    std::size_t entryCount() const { return entries_.size(); }
    std::size_t cachedCount() const { return cached_.size(); }
    bool isCached(const AdFilterSettings& settings) const;

private:
    struct Entry;
    struct Task;

    std::shared_ptr<Entry> entryFor(WebKitUserContentManager* manager);
    void runApply(GObjectPtr<WebKitUserContentManager> manager, std::shared_ptr<Entry> entry, ApplyHandler done);
    void install(WebKitUserContentManager* manager, Entry& entry, ContentRuleListPtr list, const AdFilterSettings& settings);
    void uninstall(WebKitUserContentManager* manager, Entry& entry);
    void startCompilation(const AdFilterSettings& settings, const std::string& identifier, std::string json);
    void finishTask(const AdFilterSettings& settings, Result<ContentRuleListPtr> outcome);
    void removeOtherStoredLists();
    void setErrorMessage(std::optional<std::string> message);
    void updatePreparing();
    static void managerFinalized(gpointer data, GObject* manager);

    std::unique_ptr<ContentRuleCompiler> compiler_;
    std::vector<std::string> domains_;
    std::optional<std::string> errorMessage_;
    bool preparing_ = false;
    bool startedUp_ = false;  // the first apply of a launch clears lists left in the store
    // The stored list to keep: that of the compilation or load that finished last. Read when the
    // store's identifiers arrive, so that an older clean-up never removes a newer list.
    std::string keptIdentifier_;
    sigc::signal<void()> signalChanged_;
    std::unordered_map<AdFilterSettings, std::unique_ptr<Task>> tasks_;
    // In insertion order, so the bound drops the oldest other list.
    std::vector<std::pair<AdFilterSettings, ContentRuleListPtr>> cached_;
    std::unordered_map<WebKitUserContentManager*, std::shared_ptr<Entry>> entries_;
    // Completions that arrive after this object is gone find the token expired.
    std::shared_ptr<int> token_ = std::make_shared<int>(0);
};

}  // namespace quenlith

#include "browser/blocking/ad_blocking.hpp"

#include <algorithm>

#include <glib.h>
#include <webkit2/webkit2.h>

#include "model/app_paths.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/preferences_store.hpp"

namespace quenlith {
namespace {

constexpr std::size_t kCacheBound = 5;  // a new list is stored, then the cache is cut below this

Error cancelledError() { return Error{"cancelled", "Content blocking was shut down."}; }
Error missingListError() { return Error{"invalidValue", "The operation could not be completed."}; }

std::vector<std::string> readDefaultDomains() {
    std::string path = resourcePath("blocklist/ad-hosts.txt");
    gchar* contents = nullptr;
    gsize length = 0;
    GError* error = nullptr;
    if (!g_file_get_contents(path.c_str(), &contents, &length, &error)) {
        logError(LogCategory::browser, std::string("Could not read the built-in host list: ") + error->message);
        g_error_free(error);
        return {};
    }
    std::vector<std::string> domains;
    std::string_view text(contents, length);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) domains.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    g_free(contents);
    return domains;
}

}  // namespace

std::function<AdFilterSettings()> preferredAdFilter(const PreferencesStore& preferences) {
    return [&preferences] { return preferences.value().adFilterSettings().normalized(); };
}

struct AdBlocking::Entry {
    AdFilterSettings desired;
    ContentRuleListPtr installed;
    std::optional<AdFilterSettings> installedSettings;
};

struct AdBlocking::Task {
    std::string identifier;
    bool compiling = false;  // false while the store is asked for a list kept from an earlier launch
    std::vector<ListHandler> waiters;
};

std::unique_ptr<AdBlocking> AdBlocking::inCacheFolder() {
    return std::make_unique<AdBlocking>(std::make_unique<WebKitContentRuleCompiler>(storeDirectory()),
                                        defaultDomains());
}

const std::vector<std::string>& AdBlocking::defaultDomains() {
    static const std::vector<std::string> domains = readDefaultDomains();
    return domains;
}

std::string AdBlocking::identifierFor(const std::string& json) {
    GChecksum* checksum = g_checksum_new(G_CHECKSUM_SHA256);
    g_checksum_update(checksum, reinterpret_cast<const guchar*>(json.data()), static_cast<gssize>(json.size()));
    std::string identifier = std::string(identifierPrefix) + g_checksum_get_string(checksum);
    g_checksum_free(checksum);
    return identifier;
}

std::string AdBlocking::storeDirectory() { return applicationCacheDirectory() + "/ContentFilters"; }

AdBlocking::AdBlocking(std::unique_ptr<ContentRuleCompiler> compiler, std::vector<std::string> domains)
    : compiler_(std::move(compiler)), domains_(std::move(domains)) {}

AdBlocking::~AdBlocking() {
    token_.reset();
    for (auto& [manager, entry] : entries_) g_object_weak_unref(G_OBJECT(manager), managerFinalized, this);
    entries_.clear();
    // Every waiting call still completes once.
    auto tasks = std::move(tasks_);
    tasks_.clear();
    for (auto& [settings, task] : tasks)
        for (auto& waiter : task->waiters) waiter(cancelledError());
}

void AdBlocking::managerFinalized(gpointer data, GObject* manager) {
    static_cast<AdBlocking*>(data)->entries_.erase(reinterpret_cast<WebKitUserContentManager*>(manager));
}

std::shared_ptr<AdBlocking::Entry> AdBlocking::entryFor(WebKitUserContentManager* manager) {
    auto it = entries_.find(manager);
    if (it != entries_.end()) return it->second;
    auto entry = std::make_shared<Entry>();
    entries_.emplace(manager, entry);
    g_object_weak_ref(G_OBJECT(manager), managerFinalized, this);
    return entry;
}

std::optional<AdBlocking::EntryState> AdBlocking::entryState(WebKitUserContentManager* manager) const {
    auto it = entries_.find(manager);
    if (it == entries_.end()) return std::nullopt;
    return EntryState{it->second->desired, it->second->installed, it->second->installedSettings};
}

bool AdBlocking::isCached(const AdFilterSettings& settings) const {
    return std::any_of(cached_.begin(), cached_.end(), [&](const auto& item) { return item.first == settings; });
}

void AdBlocking::apply(const AdFilterSettings& settings, WebKitUserContentManager* manager, ApplyHandler done) {
    if (!done) done = [](Status) {};
    auto entry = entryFor(manager);
    entry->desired = settings.normalized();
    if (!startedUp_) {
        startedUp_ = true;
        // With blocking off no stored list is in use; with it on, the list's load or compilation
        // clears the others.
        if (!entry->desired.enabled) removeOtherStoredLists();
    }
    runApply(GObjectPtr<WebKitUserContentManager>::retain(manager), std::move(entry), std::move(done));
}

void AdBlocking::applyCurrent(std::function<AdFilterSettings()> wanted, WebKitUserContentManager* manager,
                              std::function<void()> done) {
    const AdFilterSettings applying = wanted();
    std::weak_ptr<int> life = token_;
    apply(applying, manager,
          [this, life, wanted = std::move(wanted), manager = GObjectPtr<WebKitUserContentManager>::retain(manager),
           applying, done = std::move(done)](Status) mutable {
              if (!life.expired() && wanted() != applying) {
                  applyCurrent(std::move(wanted), manager.get(), std::move(done));
                  return;
              }
              done();
          });
}

void AdBlocking::runApply(GObjectPtr<WebKitUserContentManager> manager, std::shared_ptr<Entry> entry, ApplyHandler done) {
    const AdFilterSettings wanted = entry->desired;
    if (!wanted.enabled) {
        uninstall(manager.get(), *entry);
        entry->installedSettings = wanted;
        setErrorMessage(std::nullopt);
        done(success());
        return;
    }
    if (entry->installedSettings == wanted) {
        done(success());
        return;
    }
    std::weak_ptr<int> life = token_;
    compiled(wanted, [this, life, manager = std::move(manager), entry, wanted,
                      done = std::move(done)](Result<ContentRuleListPtr> outcome) mutable {
        if (life.expired()) {
            done(cancelledError());
            return;
        }
        // Another call for this manager may have asked for other settings while this one waited.
        if (entry->desired != wanted) {
            runApply(std::move(manager), std::move(entry), std::move(done));
            return;
        }
        if (outcome.ok() && outcome.value()) {
            install(manager.get(), *entry, outcome.value(), wanted);
            setErrorMessage(std::nullopt);
            done(success());
            return;
        }
        uninstall(manager.get(), *entry);
        entry->installedSettings.reset();
        setErrorMessage(localizedString(unavailableMessage));
        done(outcome.ok() ? missingListError() : outcome.error());
    });
}

void AdBlocking::install(WebKitUserContentManager* manager, Entry& entry, ContentRuleListPtr list,
                         const AdFilterSettings& settings) {
    uninstall(manager, entry);
    if (list->filter()) webkit_user_content_manager_add_filter(manager, list->filter());
    entry.installed = std::move(list);
    entry.installedSettings = settings;
}

void AdBlocking::uninstall(WebKitUserContentManager* manager, Entry& entry) {
    if (entry.installed && entry.installed->filter())
        webkit_user_content_manager_remove_filter(manager, entry.installed->filter());
    entry.installed.reset();
}

void AdBlocking::compiled(const AdFilterSettings& settings, ListHandler done) {
    for (const auto& [key, list] : cached_) {
        if (key == settings) {
            done(list);
            return;
        }
    }
    if (auto it = tasks_.find(settings); it != tasks_.end()) {
        it->second->waiters.push_back(std::move(done));
        return;
    }
    auto json = settings.contentRuleListJSON(domains_);
    if (!json.ok()) {
        done(json.error());
        return;
    }
    auto task = std::make_unique<Task>();
    task->identifier = identifierFor(*json);
    task->waiters.push_back(std::move(done));
    const std::string identifier = task->identifier;
    tasks_.emplace(settings, std::move(task));

    // A list kept from an earlier launch loads in about a millisecond; compile only without one.
    std::weak_ptr<int> life = token_;
    compiler_->load(identifier, [this, life, settings, identifier,
                                 json = std::move(*json)](Result<ContentRuleListPtr> outcome) mutable {
        if (life.expired()) return;
        if (outcome.ok() && outcome.value())
            finishTask(settings, std::move(outcome));
        else
            startCompilation(settings, identifier, std::move(json));
    });
}

void AdBlocking::startCompilation(const AdFilterSettings& settings, const std::string& identifier, std::string json) {
    auto it = tasks_.find(settings);
    if (it == tasks_.end()) return;
    it->second->compiling = true;
    updatePreparing();
    std::weak_ptr<int> life = token_;
    compiler_->compile(identifier, std::move(json), [this, life, settings](Result<ContentRuleListPtr> outcome) {
        if (life.expired()) return;
        finishTask(settings, std::move(outcome));
    });
}

void AdBlocking::finishTask(const AdFilterSettings& settings, Result<ContentRuleListPtr> outcome) {
    auto it = tasks_.find(settings);
    if (it == tasks_.end()) return;
    std::unique_ptr<Task> task = std::move(it->second);
    tasks_.erase(it);

    const bool succeeded = outcome.ok() && outcome.value();
    if (succeeded) {
        cached_.emplace_back(settings, outcome.value());
        if (cached_.size() >= kCacheBound) {
            auto other = std::find_if(cached_.begin(), cached_.end(), [&](const auto& item) { return item.first != settings; });
            if (other != cached_.end()) cached_.erase(other);
        }
        keptIdentifier_ = task->identifier;
        removeOtherStoredLists();
    } else {
        logError(LogCategory::browser,
                 "Content rules could not be compiled: " + (outcome.ok() ? missingListError() : outcome.error()).message);
    }
    updatePreparing();

    for (auto& waiter : task->waiters) {
        if (succeeded)
            waiter(outcome.value());
        else
            waiter(outcome.ok() ? missingListError() : outcome.error());
    }
}

void AdBlocking::removeOtherStoredLists() {
    std::weak_ptr<int> life = token_;
    compiler_->fetchIdentifiers([this, life](std::vector<std::string> identifiers) {
        if (life.expired()) return;
        for (const auto& identifier : identifiers) {
            if (identifier == keptIdentifier_) continue;
            // A list being loaded or compiled right now is left to its own task.
            bool busy = std::any_of(tasks_.begin(), tasks_.end(),
                                    [&](const auto& item) { return item.second->identifier == identifier; });
            if (!busy) compiler_->remove(identifier, [](Status) {});
        }
    });
}

void AdBlocking::setErrorMessage(std::optional<std::string> message) {
    if (errorMessage_ == message) return;
    errorMessage_ = std::move(message);
    signalChanged_.emit();
}

void AdBlocking::updatePreparing() {
    bool now = std::any_of(tasks_.begin(), tasks_.end(), [](const auto& item) { return item.second->compiling; });
    if (now == preparing_) return;
    preparing_ = now;
    signalChanged_.emit();
}

}  // namespace quenlith

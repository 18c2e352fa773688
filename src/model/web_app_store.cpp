#include "model/web_app_store.hpp"

#include <algorithm>
#include <utility>

#include <glib.h>

#include "model/address.hpp"
#include "model/address_text.hpp"
#include "model/file_store.hpp"
#include "model/file_writer.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/profile_document.hpp"
#include "model/text_limits.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

namespace {

// Sets each record's sortOrder to its position.
void renumberSortOrder(std::vector<WebAppProfile>& profiles) {
    for (std::size_t i = 0; i < profiles.size(); ++i) profiles[i].sortOrder = static_cast<std::int64_t>(i);
}

// The parts of an address the same-site test and naming look at.
using AddressParts = UriComponents;

std::optional<AddressParts> splitAddress(std::string_view address) { return parseUri(address); }

bool sameScheme(const AddressParts& a, const AddressParts& b) { return a.scheme == b.scheme; }
bool samePort(const AddressParts& a, const AddressParts& b) { return a.port == b.port; }

const char* const kReadFailureMessage =
    "Your saved websites could not be read. The original file and backup are preserved. Restore a valid "
    "profiles.json before making changes.";

// Keeps the copy of the set-aside records, if any, before a write of the file; fails when it cannot.
Status keepSetAside(const std::shared_ptr<SetAsideWebsites>& setAside) {
    if (!setAside) return success();
    auto kept = setAside->keepCopy();
    if (!kept) return kept.error();
    return success();
}

}  // namespace

WebAppStore::WebAppStore(std::optional<std::string> fileURL, Scheduler& scheduler, FileWriter& writer)
    : persistence_(fileURL ? *fileURL : defaultProfilesFilePath()),
      scheduler_(scheduler),
      // The save dies with the store (its tasks are cancelled), so it never reaches a destroyed one.
      pendingSave_(scheduler, {.quiet = kSaveDelay},
                   [this](DebouncedSave::Call) {
                       saveInBackground();
                       return true;
                   }),
      writer_(writer),
      self_(std::make_shared<WebAppStore*>(this)) {
    const std::string& path = persistence_.fileURL();
    // Only the store that owns the file clears what an interrupted write left: a reader elsewhere
    // (a backup, a tool) could take the file of a write in flight for a leftover.
    files::removeStaleTemporaryFiles(path);
    if (!files::pathExists(path) && files::pathExists(files::backupPath(path)))
        logError(LogCategory::lifecycle, "profiles.json is missing but its backup exists; starting with no websites");
    std::vector<WebAppProfile> setAside;
    auto loaded = persistence_.load(&setAside);
    if (!loaded) {
        writable_ = false;
        // The person reads the one fixed sentence; what was at fault, and whether a backup is
        // there at all, goes to the log.
        errorMessage_ = localizedString(kReadFailureMessage);
        logError(LogCategory::lifecycle,
                 "Profile data could not be read: " + loaded.error().message +
                     (files::pathExists(files::backupPath(path)) ? "" : " (there is no backup)"));
        return;
    }
    profiles_ = std::move(*loaded);
    savedProfiles_ = profiles_;
    if (!setAside.empty()) setAside_ = std::make_shared<SetAsideWebsites>(path, std::move(setAside));
}

const std::vector<WebAppProfile>& WebAppStore::setAsideProfiles() const {
    static const std::vector<WebAppProfile> none;
    return setAside_ ? setAside_->records() : none;
}

void WebAppStore::keepSetAsideCopy(std::function<void(const Result<std::string>&)> done) {
    if (!setAside_) return;
    auto kept = std::make_shared<std::optional<Result<std::string>>>();
    // Under a name of its own, so no save of the file that follows replaces it while it waits.
    writer_.write(
        persistence_.fileURL() + files::kRecoveryCopy,
        [setAside = setAside_, kept]() -> Status {
            *kept = setAside->keepCopy();
            if (!**kept) return (*kept)->error();
            return success();
        },
        [kept, done = std::move(done)](const Status&) {
            if (done && *kept) done(**kept);
        });
}

WebAppStore::~WebAppStore() {
    writer_.flush(persistence_.fileURL());
}

void WebAppStore::clearErrorMessage() { setError(std::nullopt); }

void WebAppStore::setError(std::optional<std::string> message) {
    if (message == errorMessage_) return;
    errorMessage_ = std::move(message);
    notifyObservers();
}

void WebAppStore::notifyObservers() {
    if (notification_.pending()) return;
    notification_ = scheduler_.scheduleIdle([this] { changed_.emit(); });
}

WebAppProfile* WebAppStore::findProfile(const Uuid& id) {
    auto found = std::find_if(profiles_.begin(), profiles_.end(), [&](const WebAppProfile& p) { return p.id == id; });
    return found == profiles_.end() ? nullptr : &*found;
}

// --- saving -----------------------------------------------------------------------------------

void WebAppStore::scheduleSave() {
    pendingSave_.changed();
}

bool WebAppStore::hasPendingSave() const {
    return pendingSave_.pending() || writer_.busy(persistence_.fileURL());
}

void WebAppStore::saveFailed(const Error& error) {
    profiles_ = savedProfiles_;
    notifyObservers();
    setError(localizedFormat("Could not save your websites: %@", {error.message}));
    logError(LogCategory::lifecycle, "Profile data could not be saved");
    logError(LogCategory::lifecycle, error.message);
}

bool WebAppStore::settleReports(std::optional<std::string> failure, std::optional<std::uint64_t> upTo) {
    std::vector<WriteReport> due;
    std::erase_if(reports_, [&](auto& waiting) {
        if (upTo && waiting.first > *upTo) return false;
        due.push_back(std::move(waiting.second));
        return true;
    });
    bool told = false;
    // A report may change the store again (a reopened editor saving); none is iterated by then.
    for (auto& report : due) told = report(failure) || told;
    return told;
}

void WebAppStore::whenWritten(WriteReport report) {
    if (!report) return;
    // The delayed save takes the next number when it is handed over.
    if (pendingSave_.pending())
        reports_.emplace_back(telling_.lastHandedOver() + 1, std::move(report));
    else if (writer_.busy(persistence_.fileURL()))
        reports_.emplace_back(telling_.lastHandedOver(), std::move(report));
    else
        report(std::nullopt);
}

bool WebAppStore::save() {
    pendingSave_.cancel();
    if (!writable_) return false;
    if (profiles_ == savedProfiles_ && !writer_.busy(persistence_.fileURL()) &&
        files::pathExists(persistence_.fileURL()))
        return true;
    // After the write in flight; it overtakes a delayed save still waiting, whose changes it carries.
    auto saved = writer_.writeAndWait(persistence_.fileURL(), [this]() -> Status {
        if (auto kept = keepSetAside(setAside_); !kept) return kept;
        return persistence_.save(profiles_);
    });
    if (!saved) {
        saveFailed(saved.error());
        telling_.takenBack();
        // The writes in flight are told no more: this one decided for them.
        settleReports(errorMessage_, std::nullopt);
        return false;
    }
    savedProfiles_ = profiles_;
    telling_.written(telling_.lastHandedOver());
    setError(std::nullopt);
    settleReports(std::nullopt, std::nullopt);
    return true;
}

bool WebAppStore::saveInBackground() {
    pendingSave_.cancel();
    if (!writable_) return false;
    if (profiles_ == savedProfiles_ && !writer_.busy(persistence_.fileURL()) &&
        files::pathExists(persistence_.fileURL())) {
        // A delayed save whose changes were undone before it ran: the file holds them already.
        telling_.takenBack();
        settleReports(std::nullopt, std::nullopt);
        return true;
    }
    auto list = std::make_shared<const std::vector<WebAppProfile>>(profiles_);
    auto encoded = encodeProfileDocument(*list, JsonStyle::pretty);
    if (!encoded) {
        saveFailed(files::encodingError(persistence_.fileURL()));
        // The caller is answered false and tells it.
        telling_.takenBack();
        return false;
    }
    const std::uint64_t number = telling_.handOver();
    writer_.write(
        persistence_.fileURL(),
        [path = persistence_.fileURL(), bytes = std::move(*encoded), setAside = setAside_]() -> Status {
            if (auto kept = keepSetAside(setAside); !kept) return kept;
            return replaceKeepingBackup(path, bytes, kProfilesFileSizeCap);
        },
        [weak = std::weak_ptr<WebAppStore*>(self_), number, list](const Status& result) {
            if (auto self = weak.lock()) (*self)->backgroundSaveFinished(number, list, result);
        });
    return true;
}

void WebAppStore::backgroundSaveFinished(std::uint64_t number,
                                         const std::shared_ptr<const std::vector<WebAppProfile>>& list,
                                         const Status& result) {
    if (result) {
        savedProfiles_ = *list;
        telling_.written(number);
        setError(std::nullopt);
        settleReports(std::nullopt, number);
        return;
    }
    // A newer save is on its way with every change; only the last one decides what stays.
    if (number != telling_.lastHandedOver()) return;
    pendingSave_.cancel();
    saveFailed(result.error());
    const std::string message = errorMessage_.value_or(result.error().message);
    const bool told = settleReports(errorMessage_, std::nullopt);
    if (auto notice = telling_.failed(told, message)) saveFailed_.emit(*notice);
}

// --- lookups ----------------------------------------------------------------------------------

std::optional<WebAppProfile> WebAppStore::profile(const Uuid& id) const {
    for (const auto& record : profiles_)
        if (record.id == id) return record;
    return std::nullopt;
}

bool WebAppStore::sharesHomeSite(const WebAppProfile& profile, std::string_view url) {
    auto home = normalizedWebsiteURL(profile.homeURL);
    if (!home) return false;
    auto homeParts = splitAddress(*home);
    auto pageParts = splitAddress(url);
    if (!homeParts || !pageParts) return false;
    return comparableHost(homeParts->host.value_or("")) == comparableHost(pageParts->host.value_or("")) &&
           sameScheme(*homeParts, *pageParts) && samePort(*homeParts, *pageParts);
}

std::optional<WebAppProfile> WebAppStore::profileMatching(std::string_view url, const std::optional<Uuid>& windowID,
                                                          const std::optional<WebAppProfile>& windowProfile) const {
    std::optional<WebAppProfile> saved = windowID ? profile(*windowID) : std::nullopt;
    std::optional<Uuid> store;
    if (windowProfile)
        store = windowProfile->dataStoreIdentifier();
    else if (saved)
        store = saved->dataStoreIdentifier();
    auto inSameStore = [&](const WebAppProfile& record) { return record.dataStoreIdentifier() == store; };

    if (saved && saved->dataStoreIdentifier() && inSameStore(*saved) && sharesHomeSite(*saved, url)) return saved;

    std::string pageKey = SuggestedWebsite::canonicalAddress(url);
    for (const auto& record : profiles_) {
        if (!inSameStore(record)) continue;
        auto home = normalizedWebsiteURL(record.homeURL);
        if (home && SuggestedWebsite::canonicalAddress(*home) == pageKey) return record;
    }

    if (saved && inSameStore(*saved) && sharesHomeSite(*saved, url)) return saved;

    for (const auto& record : profiles_) {
        if (!inSameStore(record) || !sharesHomeSite(record, url)) continue;
        auto home = normalizedWebsiteURL(record.homeURL);
        auto parts = home ? splitAddress(*home) : std::nullopt;
        if (parts && (parts->path.empty() || parts->path == "/")) return record;
    }
    return std::nullopt;
}

// --- whole-record changes ---------------------------------------------------------------------

bool WebAppStore::upsert(WebAppProfile profile, WriteReport report) {
    if (!writable_) return false;
    profile.normalize();
    auto found = std::find_if(profiles_.begin(), profiles_.end(), [&](const WebAppProfile& p) { return p.id == profile.id; });
    if (found == profiles_.end()) {
        profile.sortOrder = static_cast<std::int64_t>(profiles_.size());
        profiles_.push_back(std::move(profile));
    } else {
        WebAppProfile old = *found;
        *found = profile;
        // Websites that share one data store share its proxy: a proxy changed on one of them is
        // carried to all of them (a removed proxy is removed from all).
        auto shared = profile.dataStoreIdentifier();
        if (shared && old.dataStoreIdentifier() == shared && old.siteProxy != profile.siteProxy) {
            for (auto& record : profiles_)
                if (record.dataStoreIdentifier() == shared) record.siteProxy = profile.siteProxy;
        }
    }
    notifyObservers();
    telling_.changed(WebsiteChange::asked);
    if (!saveInBackground()) return false;
    whenWritten(std::move(report));
    return true;
}

bool WebAppStore::add(const SuggestedWebsite& suggestion, const AppPreferences& preferences) {
    std::string suggestionKey = SuggestedWebsite::canonicalAddress(suggestion.address);
    std::optional<WebAppProfile> record;
    for (const auto& candidate : profiles_) {
        if (candidate.accountName && !candidate.accountName->empty()) continue;
        auto home = normalizedWebsiteURL(candidate.homeURL);
        if (home && SuggestedWebsite::canonicalAddress(*home) == suggestionKey) {
            record = candidate;
            break;
        }
    }
    if (!record) {
        record.emplace();
        record->setIsolatedAccount(preferences.readsIsolateNewWindows());
        record->name = localizedString(suggestion.name);
        record->homeURL = suggestion.address;
        record->opacity = preferences.defaultOpacity;
        record->compactMode = preferences.defaultCompact;
    }
    record->menuBarIconEnabled = true;
    return upsert(std::move(*record));
}

bool WebAppStore::profileForOpening(bool menuBarIcon, std::string_view url, std::string_view title,
                                    const std::optional<Uuid>& windowID, const AppPreferences& preferences,
                                    const std::optional<WebAppProfile>& windowProfile, WriteReport report) {
    if (!isCredentialFreeURL(url)) return false;
    if (auto found = profileMatching(url, windowID, windowProfile)) {
        found->menuBarIconEnabled = menuBarIcon;
        return upsert(std::move(*found), std::move(report));
    }
    if (!menuBarIcon) {
        // No website to take the icon off: nothing to write.
        whenWritten(std::move(report));
        return true;
    }

    WebAppProfile record;
    auto pageParts = splitAddress(url);
    record.homeURL = std::string(url);
    record.name = trimmedWhitespaceAndNewlines(title);
    if (record.name.empty()) {
        if (pageParts && pageParts->host && !pageParts->host->empty())
            record.name = *pageParts->host;
        else
            record.name = localizedString("Website");
    }
    if (auto suggestion = SuggestedWebsite::matching(url)) {
        auto suggestionParts = splitAddress(suggestion->address);
        if (pageParts && suggestionParts && sameScheme(*pageParts, *suggestionParts) &&
            samePort(*pageParts, *suggestionParts)) {
            record.homeURL = suggestion->address;
            record.name = localizedString(suggestion->name);
        }
    }
    record.opacity = preferences.defaultOpacity;
    record.compactMode = preferences.defaultCompact;
    auto copySession = [&record](const WebAppProfile& source) {
        record.isolatedAccount = source.isolatedAccount;
        record.sessionIdentifier = source.sessionIdentifier;
        record.accountName = source.accountName;
        record.siteProxy = source.siteProxy;
    };
    if (windowProfile) {
        record.copyLiveSettings(*windowProfile);
        copySession(*windowProfile);
    } else if (auto saved = windowID ? profile(*windowID) : std::nullopt) {
        copySession(*saved);
    }
    record.menuBarIconEnabled = true;
    return upsert(std::move(record), std::move(report));
}

bool WebAppStore::deleteProfile(const Uuid& id) {
    if (!writable_) return false;
    std::erase_if(profiles_, [&](const WebAppProfile& p) { return p.id == id; });
    renumberSortOrder(profiles_);
    notifyObservers();
    telling_.changed(WebsiteChange::asked);
    return saveInBackground();
}

void WebAppStore::move(const Uuid& id, std::int64_t step) {
    if (!writable_) return;
    const WebAppProfile* moved = findProfile(id);
    if (!moved) return;
    std::vector<std::size_t> group;
    for (std::size_t i = 0; i < profiles_.size(); ++i)
        if (profiles_[i].isFavorite == moved->isFavorite) group.push_back(i);
    auto place = static_cast<std::int64_t>(
        std::find_if(group.begin(), group.end(), [&](std::size_t i) { return profiles_[i].id == id; }) - group.begin());
    std::int64_t target = std::clamp<std::int64_t>(place + step, 0, static_cast<std::int64_t>(group.size()) - 1);
    if (target == place) return;
    std::swap(profiles_[group[static_cast<std::size_t>(place)]], profiles_[group[static_cast<std::size_t>(target)]]);
    renumberSortOrder(profiles_);
    notifyObservers();
    telling_.changed(WebsiteChange::asked);
    saveInBackground();
}

void WebAppStore::reposition(const Uuid& id, std::int64_t step) {
    if (!writable_) return;
    auto found = std::find_if(profiles_.begin(), profiles_.end(), [&](const WebAppProfile& p) { return p.id == id; });
    if (found == profiles_.end()) return;
    auto position = static_cast<std::int64_t>(found - profiles_.begin());
    std::int64_t target = std::clamp<std::int64_t>(position + step, 0, static_cast<std::int64_t>(profiles_.size()) - 1);
    if (target == position) return;
    WebAppProfile record = std::move(*found);
    profiles_.erase(found);
    profiles_.insert(profiles_.begin() + target, std::move(record));
    renumberSortOrder(profiles_);
    notifyObservers();
    telling_.changed(WebsiteChange::asked);
    saveInBackground();
}

bool WebAppStore::replaceProfiles(std::vector<WebAppProfile> profiles) {
    if (!writable_) return false;
    std::vector<WebAppProfile> previous = std::move(profiles_);
    profiles_ = std::move(profiles);
    renumberSortOrder(profiles_);
    notifyObservers();
    if (save()) return true;
    // save() went back to the file's list; the person's unsaved edits come back with theirs.
    profiles_ = std::move(previous);
    if (profiles_ != savedProfiles_) {
        telling_.changed(WebsiteChange::asked);
        scheduleSave();
    }
    notifyObservers();
    return false;
}

// --- repairs ----------------------------------------------------------------------------------

bool WebAppStore::clearLastURLs() {
    if (!writable_) return false;
    for (auto& record : profiles_) record.lastURL.reset();
    notifyObservers();
    if (!save()) return false;

    std::string backup = files::backupPath(persistence_.fileURL());
    if (!files::pathExists(backup)) return true;
    auto records = ProfilePersistence(backup).load();
    if (!records) {
        setError(records.error().message);
        return false;
    }
    for (auto& record : *records) record.lastURL.reset();
    auto encoded = encodeProfileDocument(*records, JsonStyle::compact);
    if (!encoded) {
        setError(files::encodingError(backup).message);
        return false;
    }
    if (auto written =
            writer_.writeAndWait(backup, [&] { return files::writeBackup(backup, *encoded); });
        !written) {
        setError(written.error().message);
        return false;
    }
    return true;
}

bool WebAppStore::restorePrevious() {
    pendingSave_.cancel();
    const std::string& path = persistence_.fileURL();
    std::string backup = files::backupPath(path);
    auto fail = [this](const Error& error) {
        setError(error.message);
        return false;
    };
    // On the writer, after the write in flight: it may still refresh the backup, and the recovery
    // copy keeps what it wrote.
    Result<std::vector<WebAppProfile>> records = std::vector<WebAppProfile>{};
    auto written = writer_.writeAndWait(path, [&]() -> Status {
        if (!files::pathExists(backup)) return files::noSuchFileError(backup);
        records = ProfilePersistence(backup).load();
        if (!records) return records.error();
        if (files::pathExists(path)) {
            const std::string recovery = files::newRecoveryPath(path);
            if (auto copied = files::copyFileAtomically(path, recovery, kProfilesFileSizeCap); !copied)
                return copied;
            if (setAside_) setAside_->keptElsewhere(recovery);
        }
        auto encoded = encodeProfileDocument(*records, JsonStyle::compact);
        if (!encoded) return files::encodingError(path);
        return files::writeFileAtomically(path, *encoded);
    });
    if (!written) return fail(written.error());

    profiles_ = std::move(*records);
    savedProfiles_ = profiles_;
    // What the changes in flight carried is replaced by the backup's list: nothing to tell.
    reports_.clear();
    telling_.takenBack();
    writable_ = true;
    notifyObservers();
    setError(std::nullopt);
    return true;
}

// --- single-field setters ---------------------------------------------------------------------

void WebAppStore::update(const Uuid& id, const std::function<void(WebAppProfile&)>& mutation,
                         WebsiteChange kind) {
    if (!writable_) return;
    WebAppProfile* record = findProfile(id);
    if (!record) return;
    mutation(*record);
    record->normalize();
    telling_.changed(kind);
    notifyObservers();
    scheduleSave();
}

void WebAppStore::setWasVisible(bool visible, const Uuid& id) {
    update(id, [visible](WebAppProfile& p) { p.wasVisible = visible; }, WebsiteChange::keptByWindow);
}

void WebAppStore::setWindowFrame(const CodableRect& frame, const Uuid& id) {
    update(id, [&frame](WebAppProfile& p) { p.windowFrame = frame; }, WebsiteChange::keptByWindow);
}

void WebAppStore::setIconURL(const std::optional<std::string>& iconURL, const Uuid& id) {
    update(id, [&iconURL](WebAppProfile& p) { p.iconURL = iconURL; }, WebsiteChange::keptByWindow);
}

void WebAppStore::setMenuBarIcon(bool enabled, const Uuid& id) {
    update(id, [enabled](WebAppProfile& p) { p.menuBarIconEnabled = enabled; });
}

void WebAppStore::toggleMenuBarIcon(const Uuid& id) {
    update(id, [](WebAppProfile& p) { p.menuBarIconEnabled = !p.menuBarIconEnabled.value_or(false); });
}

void WebAppStore::toggleFavorite(const Uuid& id) {
    update(id, [](WebAppProfile& p) { p.isFavorite = !p.isFavorite; });
}

void WebAppStore::hideMenuBarIcon(const Uuid& id) {
    update(id, [](WebAppProfile& p) { p.menuBarIconEnabled = false; });
}

}  // namespace quenlith

#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sigc++/signal.h>

#include "model/app_preferences.hpp"
#include "model/debounced_save.hpp"
#include "model/profile_persistence.hpp"
#include "model/scheduler.hpp"
#include "model/set_aside_websites.hpp"
#include "model/suggested_website.hpp"
#include "model/web_app_profile.hpp"
#include "model/website_save_telling.hpp"

namespace quenlith {

class FileWriter;
FileWriter& applicationFileWriter();

// The one owner of the saved websites while the application runs. Loads profiles.json once,
// applies every change, saves at once or after a short quiet period, rolls a failed save back,
// and becomes read-only (refusing every edit) when the file cannot be read, until a restore from
// the backup succeeds. Main thread only.
class WebAppStore {
public:
    // Quiet period of the single-field setters before their changes are written; setters that keep
    // coming wait no longer than kSaveCeiling from the first unsaved change.
    static constexpr std::chrono::milliseconds kSaveDelay{400};

    // Loads `fileURL` (default: profiles.json in the application folder). Delayed saves and
    // observer notifications run through `scheduler`; the file is written through `writer`.
    explicit WebAppStore(std::optional<std::string> fileURL = std::nullopt,
                         Scheduler& scheduler = mainLoopScheduler(),
                         FileWriter& writer = applicationFileWriter());
    // Waits for the writes still handed over.
    ~WebAppStore();
    WebAppStore(const WebAppStore&) = delete;
    WebAppStore& operator=(const WebAppStore&) = delete;

    // The saved websites in display order.
    const std::vector<WebAppProfile>& profiles() const { return profiles_; }
    // The last failure to show; the views that show it may dismiss it.
    const std::optional<std::string>& errorMessage() const { return errorMessage_; }
    void clearErrorMessage();
    bool writable() const { return writable_; }
    const ProfilePersistence& persistence() const { return persistence_; }
    // True while setter changes wait for their delayed save or its write has not reported back.
    bool hasPendingSave() const;
    // The records left out at load for repeating the id of an earlier record (the first with an
    // id wins), in file order. Before the first write that leaves them out, the file as read is
    // kept beside it as a recovery copy ("profiles.json.recovery-<UUID>"); no write goes without it.
    const std::vector<WebAppProfile>& setAsideProfiles() const;
    // Keeps that recovery copy now without waiting (writes handed over later run after it);
    // `done` learns on the main loop where it is, or why it could not be made. Nothing when no
    // record was set aside.
    void keepSetAsideCopy(std::function<void(const Result<std::string>&)> done);

    // Writes the websites when they differ from the file (or no file exists) and waits for the
    // writer; cancels a pending delayed save. On failure the list goes back to the last saved one.
    // For the final save and restores.
    bool save();
    // The same without waiting for the disk: hands the list to the writer (a write still waiting
    // is replaced, so a burst of changes writes the file a few times at most) and cancels a
    // pending delayed save. A failure told later puts the last saved list back and is reported
    // through signal_saveFailed(); false at once only when read-only or the list cannot be encoded.
    bool saveInBackground();

    // A copy of the first website with the id.
    std::optional<WebAppProfile> profile(const Uuid& id) const;
    // The saved website a page address belongs to, seen from a window of the website `windowID`
    // (or the window's own record, which takes precedence for the data store).
    std::optional<WebAppProfile> profileMatching(std::string_view url, const std::optional<Uuid>& windowID,
                                                 const std::optional<WebAppProfile>& windowProfile) const;
    // Whether the website's home address and `url` share host (without "www."), scheme and port.
    static bool sharesHomeSite(const WebAppProfile& profile, std::string_view url);

    // Told once, on the main loop, how the write that carried a change went (at once when the
    // file held the list already): nothing when it is on disk, else the message of the failure
    // that rolled it back. On a failure it returns true when it told the person itself;
    // signal_saveFailed() then stays quiet for that failure.
    using WriteReport = std::function<bool(const std::optional<std::string>& failure)>;

    // `report` learns how the write carrying the changes made so far goes: the delayed save still
    // waiting, else the write handed over last (at once when none is on its way). A caller that
    // shows the store's failures where the person acted passes one answering true, so the failure
    // is not told twice. A restore of the backup before it is told drops it.
    void whenWritten(WriteReport report);
    // Normalises the record, replaces the one with its id (keeping the proxy of a shared data
    // store equal across its websites) or appends it, and saves at once in the background.
    // `report` (only when this returns true) learns how that save went, as whenWritten's does.
    bool upsert(WebAppProfile profile, WriteReport report = {});
    // Puts a built-in suggestion on the menu bar, reusing a saved website of the same address.
    bool add(const SuggestedWebsite& suggestion, const AppPreferences& preferences);
    // Turns the menu-bar icon of the page's saved website on or off, creating the website when an
    // icon is asked for and none exists. Sign-in pages and addresses with tokens are refused.
    // `report` (only when this returns true) learns how the write carrying the change went.
    bool profileForOpening(bool menuBarIcon, std::string_view url, std::string_view title,
                           const std::optional<Uuid>& windowID, const AppPreferences& preferences,
                           const std::optional<WebAppProfile>& windowProfile, WriteReport report = {});
    // Removes the website (every record with the id), renumbers and saves at once in the background.
    bool deleteProfile(const Uuid& id);
    // Start-page reorder within the website's favourite group, by swapping; saves in the background.
    void move(const Uuid& id, std::int64_t step);
    // Settings-list reorder over the whole list; saves in the background.
    void reposition(const Uuid& id, std::int64_t step);
    // Replaces the whole list (backup import and its rollback), renumbers it and saves at once.
    // When the save fails, the list held before goes back unwritten (still waiting for its own
    // delayed save when it had one), so no later save carries a half-applied import.
    bool replaceProfiles(std::vector<WebAppProfile> profiles);
    // Forgets every remembered last address, in memory, in profiles.json and in its backup.
    bool clearLastURLs();
    // Replaces profiles.json by its backup after keeping a recovery copy of the current file.
    // Allowed while read-only: it is the way out.
    bool restorePrevious();

    // Single-field setters: each changes the first record with the id, normalises it and
    // schedules a delayed save; an unknown id or a read-only store changes nothing. The first three
    // keep what a window keeps by itself; the others, and every other change, are asked for by the
    // person unless `update` is told otherwise (see WebsiteChange).
    void setWasVisible(bool visible, const Uuid& id);
    void setWindowFrame(const CodableRect& frame, const Uuid& id);
    void setIconURL(const std::optional<std::string>& iconURL, const Uuid& id);
    void setMenuBarIcon(bool enabled, const Uuid& id);
    void toggleMenuBarIcon(const Uuid& id);
    void toggleFavorite(const Uuid& id);
    void hideMenuBarIcon(const Uuid& id);
    void update(const Uuid& id, const std::function<void(WebAppProfile&)>& mutation,
                WebsiteChange kind = WebsiteChange::asked);

    // Emitted on the main loop after `profiles` or `errorMessage` changed; never inside an
    // operation, once for several changes in one turn.
    sigc::signal<void()>& signal_changed() { return changed_; }
    // Emitted on the main loop when a save that did not wait failed and was rolled back, and
    // WebsiteSaveTelling says the person is to hear of it: the title says what was not saved, the
    // message (also the store's errorMessage) why.
    sigc::signal<void(const SaveFailureNotice&)>& signal_saveFailed() { return saveFailed_; }

private:
    void scheduleSave();
    void backgroundSaveFinished(std::uint64_t number,
                                const std::shared_ptr<const std::vector<WebAppProfile>>& list,
                                const Status& result);
    void saveFailed(const Error& error);
    // Tells the reports of the changes written by background save `upTo` (every one when
    // nothing); true when one of the failures was told to the person.
    bool settleReports(std::optional<std::string> failure, std::optional<std::uint64_t> upTo);
    void setError(std::optional<std::string> message);
    void notifyObservers();
    WebAppProfile* findProfile(const Uuid& id);

    ProfilePersistence persistence_;
    Scheduler& scheduler_;
    // None when no record was set aside; shared with the writes, which keep its copy first.
    std::shared_ptr<SetAsideWebsites> setAside_;
    std::vector<WebAppProfile> profiles_;
    std::optional<std::string> errorMessage_;
    bool writable_ = true;
    std::vector<WebAppProfile> savedProfiles_;
    sigc::signal<void()> changed_;
    sigc::signal<void(const SaveFailureNotice&)> saveFailed_;
    ScheduledTask notification_;
    DebouncedSave pendingSave_;
    FileWriter& writer_;
    // Numbers the background saves (a failure rolls back only when no newer one follows it) and
    // decides which failures are told.
    WebsiteSaveTelling telling_;
    // Reports waiting for the background save (by number) that carries their change.
    std::vector<std::pair<std::uint64_t, WriteReport>> reports_;
    // Completions of background saves hold it weakly: they do nothing once the store is gone.
    std::shared_ptr<WebAppStore*> self_;
};

}  // namespace quenlith

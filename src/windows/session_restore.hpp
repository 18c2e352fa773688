#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/browser_session.hpp"
#include "model/debounced_save.hpp"
#include "model/result.hpp"
#include "model/scheduler.hpp"
#include "model/session_saver.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"
#include "windows/start_page_wait.hpp"

namespace quenlith {

class ApplicationLinks;
class BrowserWindowController;
class PreferencesStore;
class RuntimePublisher;
class WebAppStore;
class WebsiteSessions;
class WindowClosing;
class WindowFactory;
class WindowRegistry;
class WindowRouter;

// What a finished snapshot write tells the user: nothing on success, the size limit's own text,
// else the general one.
std::optional<std::string> snapshotMessage(const Status& result);

// How long one idle turn of an incremental restore goes on building windows: a frame, so the main
// loop stays responsive.
inline constexpr std::chrono::milliseconds kRestoreTurnBudget{12};

// The windows a restore owes: those an incremental restore has not built yet, the saved ones in
// saved order, then the websites that open at start (whether one still needs a window is known
// only when its turn comes); and the saved windows of websites that could not be looked up because
// the websites could not be read, which the saved session keeps (nothing is written meanwhile)
// until they come back.
struct OwedWindows {
    std::deque<RestorableWindow> saved;
    std::deque<Uuid> websites;
    std::vector<RestorableWindow> held;
};

// Session recovery of the window manager: the launch restore (at once, or windows built on idle
// turns within a frame each), the debounced and the final snapshot, the removal of the saved
// session and the website-data reset. Main thread only.
class SessionRestore {
public:
    // Quiet time after the last change before the session snapshot is written; changes that keep
    // coming (a page retitling itself) wait no longer than kSaveCeiling from the first unsaved one.
    static constexpr std::chrono::milliseconds kSnapshotDelay{700};
    // Size of a restored window without a usable frame.
    static constexpr double kRestoredWidth = 480;
    static constexpr double kRestoredHeight = 720;

    SessionRestore(WindowRegistry& registry, RuntimePublisher& publisher, WindowFactory& factory,
                   ApplicationLinks& links, WindowRouter& router, WindowClosing& closing, WebAppStore& store,
                   PreferencesStore& preferences, WebsiteSessions& sessions,
                   BrowserSessionPersistence persistence, Scheduler& timers);
    ~SessionRestore();
    SessionRestore(const SessionRestore&) = delete;
    SessionRestore& operator=(const SessionRestore&) = delete;

    const BrowserSessionPersistence& persistence() const { return persistence_; }

    // The start of the window manager, once: brings back the saved session's windows and tabs
    // while windows are restored (else deletes the saved session), then opens every saved website
    // marked to launch at start (or, while windows are restored, that was visible at quit) that has
    // no window yet and shows the hidden ones. An unreadable session file is left untouched and
    // stops every later snapshot until the saved session is removed; while the websites cannot be
    // read, the windows of websites are held, not dropped, and the file stays as it is.
    // `incremental` builds the first window at once and the others on idle turns of the main loop
    // (a frame's worth each), below the web processes' messages, so their first loads are not held
    // up; the state, the snapshot and the links wait for the last.
    void restoreSession(bool incremental = false);
    // Builds what an incremental restore still owes at once and ends it; every request that shows,
    // opens, hides or saves windows calls it first, so it acts on the whole session.
    void finishRestore();
    // Asks for the pages that restoreSession will show, before anything else of the application is
    // built: the selected page of every shown window of the saved session and, when no window is
    // restored, the page of every website that opens at start. Their web views are made on their
    // websites' stores and start loading now; the windows restoreSession builds take them over.
    // Once, before restoreSession; a page no window takes is dropped by restoreSession.
    void requestStartPages();
    bool didRestore() const { return didRestore_; }
    void setTurnBudget(std::chrono::milliseconds budget) { turnBudget_ = budget; }
    bool isRestoring() const { return restoring_; }

    // Once the websites can be read again (not while a restore is under way, during shutdown or a
    // website-data reset), restores the saved windows that waited for them and schedules a
    // snapshot; whether any came back.
    bool restoreHeldWindows();
    // A delivery of the preferences: snapshots follow them, or the saved session is deleted when
    // windows are no longer restored; application links apply again.
    void preferencesChanged();
    // Writes the snapshot kSnapshotDelay after the last call, or kSaveCeiling after the first one
    // not yet written when calls keep coming; a snapshot that differs from the last one only in
    // its pages' titles waits for the next other change, or the held time of DebouncedSave.
    // Nothing before the restore, during shutdown or a website-data reset, or while windows are
    // not restored.
    void scheduleSnapshot();
    // Records every window on a persistent store; `immediately` writes on this thread (the final
    // snapshot), else the writer thread takes it. Failures go to the continuity error. Nothing is
    // written before the restore, nor while the websites cannot be read.
    void writeSnapshot(bool immediately = false);
    // The record of one window; nothing for a window on a non-persistent store.
    std::optional<RestorableWindow> restorableWindow(BrowserWindowController& controller);
    // Deletes the session file and its backup, after any write in flight; a success (true) makes
    // the session writable again.
    bool removeSavedSession();
    bool sessionWritable() const { return sessionWritable_; }
    // Whether a snapshot handed to the writer thread has not been told finished yet.
    bool snapshotWriting() const { return writer_.busy(); }

    // Closes every window and deletes the saved session (website-data reset); nothing is scheduled
    // until the caller ends the reset.
    void closeAllAndForgetSession();
    bool isResettingWebsiteData() const { return resettingWebsiteData_; }
    void setResettingWebsiteData(bool resetting) { resettingWebsiteData_ = resetting; }

    // The first step of termination: stops a restore under way without building the windows it
    // still owes, writes the final snapshot at once while every window still exists (the windows
    // not built keep their saved records), and stops every later snapshot and build. False when
    // already shut down.
    bool beginShutdown();
    bool shuttingDown() const { return shuttingDown_; }

private:
    void restoreWindow(const RestorableWindow& saved);
    bool owesWindows() const;
    // Builds the next window owed; false when none was left.
    bool buildNextWindow();
    // Opens the website's own window unless one of its windows shows it already; whether it did.
    bool openAtLaunch(const Uuid& websiteID);
    bool restoreTurn();
    void startRestoreTurns();
    void askForStartPages();
    // What the session file is to hold now; nothing while it is not to be written.
    std::optional<BrowserSessionDocument> currentSnapshot();

    WindowRegistry& registry_;
    RuntimePublisher& publisher_;
    WindowFactory& factory_;
    ApplicationLinks& links_;
    WindowRouter& router_;
    WindowClosing& closing_;
    WebAppStore& store_;
    PreferencesStore& preferences_;
    WebsiteSessions& sessions_;
    const BrowserSessionPersistence persistence_;
    Scheduler& timers_;
    bool didRestore_ = false;
    OwedWindows owed_;
    bool restoring_ = false;
    bool preferencesWhileRestoring_ = false;
    unsigned int restoreSource_ = 0;
    std::chrono::milliseconds turnBudget_ = kRestoreTurnBudget;
    // The windows after the first wait for the pages asked for at start.
    StartPageWait startPageWait_;
    // What requestStartPages read.
    std::optional<Result<std::optional<BrowserSessionDocument>>> loadedSession_;
    bool shuttingDown_ = false;
    bool sessionWritable_ = true;
    bool resettingWebsiteData_ = false;
    SessionSaver writer_;
    DebouncedSave snapshotSave_;
    // Callbacks handed to GLib and WebKit hold this weakly: they find it expired once it is gone.
    std::shared_ptr<SessionRestore*> self_;
};

}  // namespace quenlith

#pragma once

namespace quenlith {

class AdBlocking;
class Clock;
class DownloadManager;
class PageIcons;
class PreferencesStore;
class Scheduler;
class WebsiteSessions;

// What every browser view of the application shares: made once by the application and handed
// down to each view, so a view reaches no process-wide instance and a test builds one with its own.
// Every member outlives the views made with it.
struct BrowserContext {
    PreferencesStore& preferences;
    // The websites' data stores and their proxies: the views' web views, page icons and session
    // errors go through it.
    WebsiteSessions& sessions;
    // The ad filter of every tab.
    AdBlocking& blocking;
    // The icons the tabs show.
    PageIcons& pageIcons;
    // The downloads of the pages; none leaves downloads to the engine (tests).
    DownloadManager* downloads;
    Clock& clock;
    // The auto-reload timer and the toast (the main loop unless a test steps time by hand).
    Scheduler& timers;
    // The work put off until the current event has been handled.
    Scheduler& deferred;
};

}  // namespace quenlith

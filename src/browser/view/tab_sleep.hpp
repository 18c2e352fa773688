#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "browser/view/browser_context.hpp"
#include "model/uuid.hpp"

namespace quenlith {

class BrowserTab;
class BrowserViewController;

// Tab sleeping of one browser view: the automatic pass over idle background tabs, the guarded
// three-stage attempt that replaces a tab by a sleeping one, the wake-up from the kept session,
// and pausing a tab's media. Reaches the view's tabs through the view. Main thread only.
class TabSleep {
public:
    TabSleep(BrowserViewController& view, const BrowserContext& context);
    TabSleep(const TabSleep&) = delete;
    TabSleep& operator=(const TabSleep&) = delete;

    // Wakes a sleeping tab, or tries to put an awake one to sleep by hand.
    void toggleTabSleep(const Uuid& id);
    void toggleTabMedia(const Uuid& id);
    // The automatic pass: while `backgroundSleepMinutes` is positive, every tab idle longer than
    // that (except the active tab of a presented window) is tried, one after the other; not in
    // private windows or for a website kept awake. `done` runs once the pass is over.
    void sleepIdleTabs(std::function<void()> done = {});
    // Tries to put a tab to sleep: refused (false) while it loads, is a popup, has a question or a
    // download open, carries credentials, or its page has input, a frame, filled fields or active
    // media; a manual attempt refused by the page says so. On success the tab's page and web view
    // are released, its history kept for the wake-up. `done` runs once with the outcome.
    void sleepTab(const Uuid& id, bool automatic, std::function<void(bool)> done = {});
    void wake(const Uuid& id);
    void wakeActiveTab();

private:
    bool hasActiveDownload() const;
    bool isShownActiveTab(const BrowserTab& tab) const;
    // The checks of a sleep attempt that do not ask the page.
    bool mayTrySleep(const BrowserTab& tab, bool automatic) const;
    void replaceBySleepingTab(BrowserTab& awake, const std::string& address, std::optional<double> fraction);
    // Loads a sleeping tab's kept history again; false when there is none to use.
    bool resumeSleepingSession(BrowserTab& tab);

    BrowserViewController& view_;
    const BrowserContext context_;
    // Answers of the engine that arrive after the view is gone find this expired.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace quenlith

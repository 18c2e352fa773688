#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "model/scheduler.hpp"
#include "model/uuid.hpp"

namespace quenlith {

// Follows the application in front for application links: each activation of another application
// applies the links of that application once it has stayed in front for kDebounce, so rapid
// switching applies only the last one. Activating this application itself changes nothing.
// Websites the user put away stay away until a different application has come to the front; no
// application in front (none) counts as one only once it has stayed for kDebounce.
class ApplicationLinkFollower {
public:
    static constexpr std::chrono::milliseconds kDebounce{300};

    // `ownApplication` is this application's desktop-file id; `apply` applies the links of an
    // application (none: an application without an id, which matches nothing).
    ApplicationLinkFollower(std::string ownApplication,
                            std::function<void(const std::optional<std::string>&)> apply,
                            Scheduler& timers = mainLoopScheduler());

    void applicationDidActivate(const std::optional<std::string>& application);
    // Reads whether no application is in front now, from the display itself: a report of the
    // next application may still be on its way (the reports wait for an idle main loop, which a
    // busy one reaches late), and none that did not stay must not count as another application.
    void setNoneInFront(std::function<bool()> noneInFront) { noneInFront_ = std::move(noneInFront); }
    // Drops a pending application of links (shutdown, website-data reset).
    void cancel() {
        linkTask_.cancel();
        noneWaiting_ = false;
    }

    // The last other application that came to the front.
    const std::optional<std::string>& lastApplication() const { return lastApplication_; }
    const std::string& ownApplication() const { return ownApplication_; }
    // Websites links must not bring forward while the same application stays in front.
    const std::set<Uuid>& dismissedLinks() const { return dismissedLinks_; }
    void dismiss(const Uuid& website) { dismissedLinks_.insert(website); }
    // The person put away or closed a window of this application that had the focus: the window
    // manager may leave no window in front after it, and that none is still this application, not
    // another one (what the person put away stays away when they go back to the linked one).
    // Holds for the next change of application.
    void ownWindowLeft() { ownWindowLeft_ = true; }
    // Websites whose window the person minimised: links leave them minimised until an application
    // other than the one in front then has come to the front (no application in front, as while
    // the focus moves on from the minimised window, does not count), so that theirs brings them
    // back when it comes again.
    const std::set<Uuid>& minimisedLinks() const { return minimisedLinks_; }
    void noteMinimised(const Uuid& website) { minimisedLinks_.insert(website); }

private:
    // `application` is now the application in front.
    void cameToFront(const std::optional<std::string>& application);
    void applyLater(const std::optional<std::string>& application);
    // Counts none in front as an application once it has stayed for kDebounce.
    void waitForNoneToStay();

    std::string ownApplication_;
    std::function<void(const std::optional<std::string>&)> apply_;
    std::function<bool()> noneInFront_;
    Scheduler& timers_;
    std::optional<std::string> lastApplication_;
    // The last application that came to the front, never none.
    std::optional<std::string> lastNamedApplication_;
    std::set<Uuid> dismissedLinks_;
    std::set<Uuid> minimisedLinks_;
    ScheduledTask linkTask_;
    // The pending task waits to see whether none stays in front.
    bool noneWaiting_ = false;
    // A focused window of this application went away: the next none in front is its leaving.
    bool ownWindowLeft_ = false;
};

}  // namespace quenlith

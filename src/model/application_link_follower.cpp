#include "model/application_link_follower.hpp"

namespace quenlith {

ApplicationLinkFollower::ApplicationLinkFollower(std::string ownApplication,
                                                 std::function<void(const std::optional<std::string>&)> apply,
                                                 Scheduler& timers)
    : ownApplication_(std::move(ownApplication)), apply_(std::move(apply)), timers_(timers) {}

void ApplicationLinkFollower::applicationDidActivate(const std::optional<std::string>& application) {
    const bool noneWaiting = std::exchange(noneWaiting_, false);
    // No window in front after a focused window of ours went away is the focus left where it was.
    const bool leftByOwnWindow = !application && ownWindowLeft_;
    if (application != ownApplication_) ownWindowLeft_ = false;
    if (application == ownApplication_ || leftByOwnWindow) {
        // No window in front just before was the focus on its way here: what was waiting before
        // it still comes (the links of the application last in front, which stay as they are).
        if (noneWaiting) applyLater(lastApplication_);
        return;
    }
    if (!application) {
        // No window in front counts as another application (a Wayland one, say) only once it has
        // stayed: window managers pass through none as the focus moves from one window of an
        // application to another, and that must not bring back what the person put away.
        noneWaiting_ = true;
        waitForNoneToStay();
        return;
    }
    cameToFront(application);
    applyLater(application);
}

void ApplicationLinkFollower::waitForNoneToStay() {
    linkTask_ = timers_.schedule(kDebounce, [this] {
        // Another window is in front already and its report is still on its way: it ends the wait
        // when it comes; should none come back before it, none is judged again.
        if (noneInFront_ && !noneInFront_()) {
            waitForNoneToStay();
            return;
        }
        noneWaiting_ = false;
        cameToFront(std::nullopt);
        if (apply_) apply_(std::nullopt);
    });
}

void ApplicationLinkFollower::cameToFront(const std::optional<std::string>& application) {
    if (lastApplication_ != application) dismissedLinks_.clear();
    lastApplication_ = application;
    if (application && application != lastNamedApplication_) {
        minimisedLinks_.clear();
        lastNamedApplication_ = application;
    }
}

void ApplicationLinkFollower::applyLater(const std::optional<std::string>& application) {
    // The task belongs to this object: destroying it cancels the pending application.
    linkTask_ = timers_.schedule(kDebounce, [this, application] {
        if (apply_) apply_(application);
    });
}

}  // namespace quenlith

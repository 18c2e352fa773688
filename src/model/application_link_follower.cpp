#include "model/application_link_follower.hpp"

namespace quenlith {

ApplicationLinkFollower::ApplicationLinkFollower(std::string ownApplication,
                                                 std::function<void(const std::optional<std::string>&)> apply,
                                                 Scheduler& timers)
    : ownApplication_(std::move(ownApplication)), apply_(std::move(apply)), timers_(timers) {}

void ApplicationLinkFollower::applicationDidActivate(const std::optional<std::string>& application) {
    if (application == ownApplication_) return;
    if (lastApplication_ != application) dismissedLinks_.clear();
    lastApplication_ = application;
    if (application && application != lastNamedApplication_) {
        minimisedLinks_.clear();
        lastNamedApplication_ = application;
    }
    // The task belongs to this object: destroying it cancels the pending application.
    linkTask_ = timers_.schedule(kDebounce, [this, application] {
        if (apply_) apply_(application);
    });
}

}  // namespace quenlith

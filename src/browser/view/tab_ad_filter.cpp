#include "browser/view/tab_ad_filter.hpp"

#include "browser/blocking/ad_blocking.hpp"
#include "model/preferences_store.hpp"

namespace quenlith {

namespace {

AdFilterSettings currentAdFilter(const PreferencesStore& preferences) {
    return preferences.value().adFilterSettings().normalized();
}

}  // namespace

TabAdFilter::TabAdFilter(PreferencesStore& preferences, AdBlocking& blocking, Managers managers)
    : preferences_(preferences), blocking_(blocking), managers_(std::move(managers)) {}

TabAdFilter::~TabAdFilter() {
    alive_.reset();
    preferencesChanged_.disconnect();
}

void TabAdFilter::follow() {
    preferencesChanged_.disconnect();
    preferencesChanged_ = preferences_.signal_changed().connect([this] { update(); });
}

void TabAdFilter::update() {
    auto settings = currentAdFilter(preferences_);
    if (applied_ == settings) return;
    applied_ = std::move(settings);
    auto managers = managers_();
    if (!managers.empty()) apply(std::move(managers), 0);
}

void TabAdFilter::apply(std::vector<GObjectPtr<WebKitUserContentManager>> managers, std::size_t next) {
    if (next >= managers.size()) return;
    WebKitUserContentManager* manager = managers[next].get();
    // Each tab's settings are read when its turn comes; a failure moves on to the next tab.
    blocking_.apply(
        currentAdFilter(preferences_), manager,
        [this, alive = std::weak_ptr<int>(alive_), managers = std::move(managers), next](Status) mutable {
            if (alive.expired()) return;
            apply(std::move(managers), next + 1);
        });
}

}  // namespace quenlith

#include "model/page_group_state.hpp"

namespace quenlith {

std::optional<Uuid> PageGroupState::openedWindow(const Uuid& groupID, const Uuid& sceneWindowID,
                                                 const std::set<Uuid>& registered) const {
    auto group = sessions_.find(groupID);
    if (group == sessions_.end()) return std::nullopt;
    auto found = group->second.find(sceneWindowID);
    if (found == group->second.end() || !registered.count(found->second)) return std::nullopt;
    return found->second;
}

void PageGroupState::recordWindow(const Uuid& groupID, const Uuid& sceneWindowID, const Uuid& windowID) {
    sessions_[groupID][sceneWindowID] = windowID;
}

std::set<Uuid> PageGroupState::windowsOf(const Uuid& groupID) const {
    std::set<Uuid> ids;
    if (auto group = sessions_.find(groupID); group != sessions_.end())
        for (const auto& [sceneWindowID, windowID] : group->second) ids.insert(windowID);
    return ids;
}

void PageGroupState::focusBegins(const std::set<Uuid>& onScreen) {
    if (!focusedScene_) beforeFocus_ = onScreen;
}

std::set<Uuid> PageGroupState::focusOn(const Uuid& groupID, const std::set<Uuid>& registered) {
    const std::set<Uuid> group = windowsOf(groupID);
    std::set<Uuid> away;
    for (const Uuid& id : registered)
        if (!group.count(id)) away.insert(id);
    focusedScene_ = groupID;
    return away;
}

std::optional<PageGroupState::FocusEnd> PageGroupState::endFocus(const std::set<Uuid>& registered) {
    if (!focusedScene_) return std::nullopt;
    FocusEnd end;
    for (const Uuid& id : windowsOf(*focusedScene_))
        if (!beforeFocus_.count(id) && registered.count(id)) end.putAway.insert(id);
    for (const Uuid& id : beforeFocus_)
        if (registered.count(id)) end.present.insert(id);
    beforeFocus_.clear();
    focusedScene_.reset();
    return end;
}

}  // namespace quenlith

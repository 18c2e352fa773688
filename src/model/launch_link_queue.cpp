#include "model/launch_link_queue.hpp"

#include <algorithm>

namespace quenlith {

namespace {

std::vector<std::string> firstBatch(const std::vector<std::string>& links) {
    const auto count = std::min(links.size(), LaunchLinkQueue::kBatchLimit);
    return {links.begin(), links.begin() + static_cast<std::ptrdiff_t>(count)};
}

}  // namespace

void LaunchLinkQueue::receive(const std::vector<std::string>& links) {
    auto batch = firstBatch(links);
    if (route_) {
        route_(batch);
        return;
    }
    pending_.insert(pending_.end(), batch.begin(), batch.end());
}

void LaunchLinkQueue::launchFinished(std::function<void(const std::vector<std::string>&)> route) {
    route_ = std::move(route);
    std::vector<std::string> queued = std::move(pending_);
    pending_.clear();
    if (route_ && !queued.empty()) route_(firstBatch(queued));
}

}  // namespace quenlith

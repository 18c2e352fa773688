#include "model/launch_link_queue.hpp"

#include <algorithm>

#include "model/address_limit.hpp"

namespace quenlith {

namespace {

// The first 20 links, without those too long to name an address: they would never open, and a
// queue waiting for the launch would hold megabytes of them.
std::vector<std::string> firstBatch(const std::vector<std::string>& links) {
    const auto count = std::min(links.size(), LaunchLinkQueue::kBatchLimit);
    std::vector<std::string> batch;
    for (std::size_t i = 0; i < count; ++i)
        if (isWithinLaunchLinkLimit(links[i])) batch.push_back(links[i]);
    return batch;
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

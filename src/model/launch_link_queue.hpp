#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace quenlith {

// Links handed to the application (first or later start, or a desktop's scheme handler): at most
// the first 20 of one hand-off are used; those that arrive before launching has finished wait, in
// the order received, and are replayed as one hand-off once it has.
class LaunchLinkQueue {
public:
    static constexpr std::size_t kBatchLimit = 20;

    // Handles one hand-off: routed at once after launch, else queued.
    void receive(const std::vector<std::string>& links);
    // Launching has finished: from now on links go to `route`, and the queue is replayed through
    // it as one hand-off (so again at most 20 of it).
    void launchFinished(std::function<void(const std::vector<std::string>&)> route);

    const std::vector<std::string>& pending() const { return pending_; }

private:
    std::vector<std::string> pending_;
    std::function<void(const std::vector<std::string>&)> route_;
};

}  // namespace quenlith

#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/web_app_store.hpp"

namespace quenlith {

// Lets go of the proxy credentials a website save replaced only once that save is on the disk: a
// write that fails takes the old record back, and the old record needs its password. What a failed
// save replaced is let go of after the next save that reaches the disk, when nothing uses it then.
// Main thread only.
class ReplacedCredentials {
public:
    // `letGo` removes a credential's password unless something still uses it.
    explicit ReplacedCredentials(std::function<void(const std::string&)> letGo);
    ReplacedCredentials(const ReplacedCredentials&) = delete;
    ReplacedCredentials& operator=(const ReplacedCredentials&) = delete;

    // The report to hand to the store with the save about to be made; `then` is told after it.
    // Credentials named replaced until the next save wait for this one's write.
    WebAppStore::WriteReport beginSave(WebAppStore::WriteReport then = {});
    // A credential the last save replaced: let go of once its write is told, at once when none is
    // in flight (the file held the record already, or the report was dropped).
    void replaced(const std::string& credentialID);

private:
    using Credentials = std::vector<std::string>;
    void settle(const Credentials& replaced, bool failed);

    std::function<void(const std::string&)> letGo_;
    // The save in flight, held by its report until the store tells it.
    std::weak_ptr<Credentials> saving_;
    Credentials replacedBeforeFailures_;
    std::shared_ptr<ReplacedCredentials*> self_;
};

}  // namespace quenlith

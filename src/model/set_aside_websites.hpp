#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "model/result.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// The website records left out of a profiles.json at load for repeating the id of an earlier record,
// and the recovery copy of the file as read that keeps them ("<file>.recovery-<UUID>"): made on the
// writer's worker before the first write that leaves them out, once.
class SetAsideWebsites {
public:
    SetAsideWebsites(std::string path, std::vector<WebAppProfile> records)
        : path_(std::move(path)), records_(std::move(records)) {}

    const std::vector<WebAppProfile>& records() const { return records_; }
    // Keeps the copy unless it is kept already (an identical one found counts); its path, or why it
    // could not be made. Any thread.
    Result<std::string> keepCopy();
    // A copy of the file as read made otherwise (a restore's) serves as well.
    void keptElsewhere(const std::string& copy);

private:
    std::mutex mutex_;
    const std::string path_;
    const std::vector<WebAppProfile> records_;
    std::optional<std::string> keptAt_;
};

}  // namespace quenlith

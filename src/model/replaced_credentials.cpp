#include "model/replaced_credentials.hpp"

#include <set>
#include <utility>

namespace quenlith {

ReplacedCredentials::ReplacedCredentials(std::function<void(const std::string&)> letGo)
    : letGo_(std::move(letGo)), self_(std::make_shared<ReplacedCredentials*>(this)) {}

WebAppStore::WriteReport ReplacedCredentials::beginSave(WebAppStore::WriteReport then) {
    auto replaced = std::make_shared<Credentials>();
    saving_ = replaced;
    std::weak_ptr<ReplacedCredentials*> weak = self_;
    return [weak, replaced, then = std::move(then)](const std::optional<std::string>& failure) {
        if (auto self = weak.lock()) (*self)->settle(*replaced, failure.has_value());
        return then ? then(failure) : false;
    };
}

void ReplacedCredentials::replaced(const std::string& credentialID) {
    if (auto saving = saving_.lock()) {
        saving->push_back(credentialID);
        return;
    }
    letGo_(credentialID);
}

void ReplacedCredentials::settle(const Credentials& replaced, bool failed) {
    if (failed) {
        // The record taken back uses them again; the next save that reaches the disk may not.
        replacedBeforeFailures_.insert(replacedBeforeFailures_.end(), replaced.begin(), replaced.end());
        return;
    }
    // A failed save and the one after it may both have replaced the same credential: it goes once.
    Credentials due = std::exchange(replacedBeforeFailures_, {});
    due.insert(due.end(), replaced.begin(), replaced.end());
    std::set<std::string> told;
    for (const std::string& credentialID : due)
        if (told.insert(credentialID).second) letGo_(credentialID);
}

}  // namespace quenlith

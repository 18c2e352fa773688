#include "model/replaced_credentials.hpp"

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
    for (const std::string& credentialID : std::exchange(replacedBeforeFailures_, {})) letGo_(credentialID);
    for (const std::string& credentialID : replaced) letGo_(credentialID);
}

}  // namespace quenlith

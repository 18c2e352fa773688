#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "model/proxy_form_rules.hpp"

namespace quenlith::test {

// An HTTP CONNECT proxy at proxy.example:3128 whose user "ann" authenticates.
inline BrowserProxySettings authenticatedProxy(std::optional<std::string> credential = "OLD",
                                               BrowserProxyKind kind = BrowserProxyKind::httpConnect) {
    return {kind, "proxy.example", 3128, "ann", std::move(credential), true};
}

// A secret store in memory whose answers wait until the test releases them, as the real one
// answers on a later turn of the main loop.
class FakeProxyVault final : public ProxyPasswordVault {
public:
    static constexpr const char* kMessage = "vault failed";
    std::map<std::string, std::string> items;
    std::vector<std::string> removed;
    bool failStores = false;
    int created = 0;

    void verify(const std::string& credentialID, std::function<void(Status)> done) override {
        bool found = items.count(credentialID) > 0;
        pending_.push_back([found, done] { done(found ? success() : Status(Error{"vault", kMessage})); });
    }
    void store(const std::string& password, std::function<void(Result<std::string>)> done) override {
        if (failStores) return pending_.push_back([done] { done(Error{"vault", kMessage}); });
        std::string id = "NEW-" + std::to_string(++created);
        items[id] = password;
        pending_.push_back([id, done] { done(id); });
    }
    void remove(const std::string& credentialID) override {
        items.erase(credentialID);
        removed.push_back(credentialID);
    }
    void answerAll() {
        for (auto answers = std::exchange(pending_, {}); !answers.empty();
             answers = std::exchange(pending_, {}))
            for (auto& answer : answers) answer();
    }

private:
    std::vector<std::function<void()>> pending_;
};

}  // namespace quenlith::test

#pragma once

#include "model/proxy_form_rules.hpp"

namespace quenlith {

// The proxy forms' view of the desktop's secret store (the browser layer's proxy passwords).
class KeyringPasswordVault final : public ProxyPasswordVault {
public:
    void verify(const std::string& credentialID, std::function<void(Status)> done) override;
    void store(const std::string& password, std::function<void(Result<std::string>)> done) override;
    void remove(const std::string& credentialID) override;
};

}  // namespace quenlith

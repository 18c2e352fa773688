#pragma once

#include <optional>

#include <nlohmann/json_fwd.hpp>

#include "model/browser_proxy_settings.hpp"
#include "model/uuid.hpp"

namespace quenlith {

struct WebAppProfile;

// The data-store session and proxy a saved page, page-group window or window belongs to; no
// reference at all means the shared default data store.
struct WindowSessionReference {
    Uuid identifier;
    std::optional<BrowserProxySettings> proxy;  // with its credential id

    // Nothing when the website uses the shared store; else its store identifier and its proxy.
    static std::optional<WindowSessionReference> from(const WebAppProfile& profile);

    bool operator==(const WindowSessionReference&) const = default;
};

void to_json(nlohmann::json& json, const WindowSessionReference& reference);
void from_json(const nlohmann::json& json, WindowSessionReference& reference);

}  // namespace quenlith

#include "model/window_session_reference.hpp"

#include "model/json_coding.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

std::optional<WindowSessionReference> WindowSessionReference::from(const WebAppProfile& profile) {
    auto identifier = profile.dataStoreIdentifier();
    if (!identifier) return std::nullopt;
    return WindowSessionReference{*identifier, profile.siteProxy};
}

void to_json(nlohmann::json& json, const WindowSessionReference& reference) {
    json = nlohmann::json{{"identifier", reference.identifier}};
    writeOptional(json, "proxy", reference.proxy);
}

void from_json(const nlohmann::json& json, WindowSessionReference& reference) {
    requireObject(json);
    readRequired(json, "identifier", reference.identifier);
    readOptional(json, "proxy", reference.proxy);
}

}  // namespace quenlith

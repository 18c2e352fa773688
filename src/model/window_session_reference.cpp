#include "model/window_session_reference.hpp"

#include "model/json_coding.hpp"
#include "model/record_fields.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

std::optional<WindowSessionReference> WindowSessionReference::from(const WebAppProfile& profile) {
    auto identifier = profile.dataStoreIdentifier();
    if (!identifier) return std::nullopt;
    return WindowSessionReference{*identifier, profile.siteProxy};
}

namespace {

constexpr RecordFields kFields{
    field("identifier", &WindowSessionReference::identifier),
    field("proxy", &WindowSessionReference::proxy),
};

}  // namespace

void to_json(nlohmann::json& json, const WindowSessionReference& reference) {
    kFields.write(json, reference);
}

void from_json(const nlohmann::json& json, WindowSessionReference& reference) {
    kFields.read(json, reference);
}

}  // namespace quenlith

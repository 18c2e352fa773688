#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/json_text.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// The root object of profiles.json.
struct ProfileDocument {
    std::int64_t version = 1;
    std::vector<WebAppProfile> profiles;

    bool operator==(const ProfileDocument&) const = default;
};

void to_json(nlohmann::json& json, const ProfileDocument& document);
void from_json(const nlohmann::json& json, ProfileDocument& document);

// The JSON text of a version-1 document holding `profiles`; nothing when a record holds a value
// JSON cannot carry.
std::optional<std::string> encodeProfileDocument(const std::vector<WebAppProfile>& profiles, JsonStyle style);

}  // namespace quenlith

#include "model/profile_document.hpp"

#include "model/json_coding.hpp"

namespace quenlith {

void to_json(Json& json, const ProfileDocument& document) {
    json = Json::object();
    json["version"] = document.version;
    json["profiles"] = document.profiles;
}

void from_json(const Json& json, ProfileDocument& document) {
    requireObject(json);
    readRequired(json, "version", document.version);
    readRequired(json, "profiles", document.profiles);
}

std::optional<std::string> encodeProfileDocument(const std::vector<WebAppProfile>& profiles, JsonStyle style) {
    Json json = Json::object();
    json["version"] = 1;
    json["profiles"] = profiles;
    return encodeJsonText(json, style);
}

}  // namespace quenlith

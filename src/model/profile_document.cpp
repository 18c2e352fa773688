#include "model/profile_document.hpp"

#include "model/json_coding.hpp"
#include "model/record_fields.hpp"

namespace quenlith {

namespace {

constexpr RecordFields kFields{
    field("version", &ProfileDocument::version),
    field("profiles", &ProfileDocument::profiles),
};

}  // namespace

void to_json(Json& json, const ProfileDocument& document) {
    kFields.write(json, document);
}

void from_json(const Json& json, ProfileDocument& document) {
    kFields.read(json, document);
}

std::optional<std::string> encodeProfileDocument(const std::vector<WebAppProfile>& profiles, JsonStyle style) {
    Json json = Json::object();
    json["version"] = 1;
    json["profiles"] = profiles;
    return encodeJsonText(json, style);
}

}  // namespace quenlith

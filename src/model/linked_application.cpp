#include "model/linked_application.hpp"

#include "model/json_coding.hpp"

namespace quenlith {

void to_json(nlohmann::json& json, const LinkedApplication& application) {
    json = nlohmann::json{{"id", application.id}, {"name", application.name}};
}

void from_json(const nlohmann::json& json, LinkedApplication& application) {
    requireObject(json);
    readRequired(json, "id", application.id);
    readRequired(json, "name", application.name);
}

}  // namespace quenlith

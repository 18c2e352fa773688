#include "model/linked_application.hpp"

#include "model/json_coding.hpp"
#include "model/record_fields.hpp"

namespace quenlith {

namespace {

constexpr RecordFields kFields{
    field("id", &LinkedApplication::id),
    field("name", &LinkedApplication::name),
};

}  // namespace

void to_json(nlohmann::json& json, const LinkedApplication& application) {
    kFields.write(json, application);
}

void from_json(const nlohmann::json& json, LinkedApplication& application) {
    kFields.read(json, application);
}

}  // namespace quenlith

#include "model/codable_rect.hpp"

#include "model/json_coding.hpp"
#include "model/record_fields.hpp"

namespace quenlith {

namespace {

constexpr RecordFields kFields{
    field("x", &CodableRect::x),
    field("y", &CodableRect::y),
    field("width", &CodableRect::width),
    field("height", &CodableRect::height),
    field("displayID", &CodableRect::displayID),
};

}  // namespace

void to_json(nlohmann::json& json, const CodableRect& rect) {
    kFields.write(json, rect);
}

void from_json(const nlohmann::json& json, CodableRect& rect) {
    kFields.read(json, rect);
}

}  // namespace quenlith

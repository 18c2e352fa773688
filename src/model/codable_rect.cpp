#include "model/codable_rect.hpp"

#include "model/json_coding.hpp"

namespace quenlith {

void to_json(nlohmann::json& json, const CodableRect& rect) {
    json = nlohmann::json{{"x", rect.x}, {"y", rect.y}, {"width", rect.width}, {"height", rect.height}};
    writeOptional(json, "displayID", rect.displayID);
}

void from_json(const nlohmann::json& json, CodableRect& rect) {
    requireObject(json);
    readRequired(json, "x", rect.x);
    readRequired(json, "y", rect.y);
    readRequired(json, "width", rect.width);
    readRequired(json, "height", rect.height);
    readOptional(json, "displayID", rect.displayID);
}

}  // namespace quenlith

#include "model/dock_edge.hpp"

#include <string>

#include "model/json_coding.hpp"

namespace quenlith {

std::string_view rawValue(DockEdge edge) { return edge == DockEdge::left ? "left" : "right"; }

std::optional<DockEdge> dockEdgeFromRawValue(std::string_view raw) {
    if (raw == "left") return DockEdge::left;
    if (raw == "right") return DockEdge::right;
    return std::nullopt;
}

void to_json(nlohmann::json& json, DockEdge edge) { json = std::string(rawValue(edge)); }

void from_json(const nlohmann::json& json, DockEdge& edge) {
    std::string raw;
    decodeValue(json, raw);
    auto parsed = dockEdgeFromRawValue(raw);
    if (!parsed) throw JsonDecodingError("unknown dock edge \"" + raw + "\"");
    edge = *parsed;
}

}  // namespace quenlith

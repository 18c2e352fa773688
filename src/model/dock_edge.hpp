#pragma once

#include <optional>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace quenlith {

// The screen edge a window is tucked at; coded as "left" or "right".
enum class DockEdge { left, right };

std::string_view rawValue(DockEdge edge);
std::optional<DockEdge> dockEdgeFromRawValue(std::string_view raw);

void to_json(nlohmann::json& json, DockEdge edge);
void from_json(const nlohmann::json& json, DockEdge& edge);

}  // namespace quenlith

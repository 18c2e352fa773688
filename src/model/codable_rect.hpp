#pragma once

#include <cstdint>
#include <optional>

#include <nlohmann/json_fwd.hpp>

namespace quenlith {

// A remembered window frame in root-window coordinates, with the number of the monitor it was on.
struct CodableRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    std::optional<std::uint32_t> displayID;

    bool operator==(const CodableRect&) const = default;
};

void to_json(nlohmann::json& json, const CodableRect& rect);
void from_json(const nlohmann::json& json, CodableRect& rect);

}  // namespace quenlith

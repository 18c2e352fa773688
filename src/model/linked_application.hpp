#pragma once

#include <string>

#include <nlohmann/json_fwd.hpp>

namespace quenlith {

// An application whose activation brings a website forward; `id` is its desktop-file id and the
// identity of the entry.
struct LinkedApplication {
    std::string id;
    std::string name;

    bool operator==(const LinkedApplication&) const = default;
};

void to_json(nlohmann::json& json, const LinkedApplication& application);
void from_json(const nlohmann::json& json, LinkedApplication& application);

}  // namespace quenlith

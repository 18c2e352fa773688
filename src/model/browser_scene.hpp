#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/clock.hpp"
#include "model/codable_rect.hpp"
#include "model/uuid.hpp"
#include "model/window_session_reference.hpp"

namespace quenlith {

// One saved window of a page group.
struct SceneWindow {
    Uuid id;
    std::string name;
    std::vector<std::string> urls;  // tab addresses in tab order
    std::int64_t selected = 0;
    CodableRect frame;
    double opacity = 1.0;
    bool onTop = true;
    bool compact = false;
    std::optional<Uuid> profileID;
    std::optional<WindowSessionReference> windowSession;

    bool operator==(const SceneWindow&) const = default;
};

// A page group ("workspace"): a named set of saved windows that reopen together.
struct BrowserScene {
    Uuid id;
    std::string name;
    std::vector<SceneWindow> windows;
    Date modified;

    bool operator==(const BrowserScene&) const = default;
};

void to_json(nlohmann::json& json, const SceneWindow& window);
void from_json(const nlohmann::json& json, SceneWindow& window);
void to_json(nlohmann::json& json, const BrowserScene& scene);
void from_json(const nlohmann::json& json, BrowserScene& scene);

}  // namespace quenlith

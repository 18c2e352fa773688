#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace quenlith {

enum class JsonStyle {
    compact,
    pretty,  // two-space indent; keys are always sorted
};

// Serialises `json`, refusing non-finite numbers (they would be written as null and make the
// file unreadable). Object keys come out sorted.
std::optional<std::string> encodeJsonText(const nlohmann::json& json, JsonStyle style);

// True when every number inside `json` is finite.
bool isJsonFinite(const nlohmann::json& json);

// Parses JSON text; nullopt on malformed input, with the parser's message in `errorText`.
std::optional<nlohmann::json> parseJsonText(std::string_view text, std::string* errorText = nullptr);

}  // namespace quenlith

#pragma once

#include <cstddef>
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

// Our records nest fewer than ten levels; anything deeper is damage or an attack.
inline constexpr std::size_t kMaximumJsonNesting = 64;

// The deepest nesting of arrays and objects in `text`, counted without parsing it.
std::size_t jsonNestingDepth(std::string_view text);

// Parses JSON text; nullopt on malformed input or input nested deeper than kMaximumJsonNesting,
// with the reason in `errorText`.
std::optional<nlohmann::json> parseJsonText(std::string_view text, std::string* errorText = nullptr);

}  // namespace quenlith

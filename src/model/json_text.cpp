#include "model/json_text.hpp"

#include <algorithm>
#include <cmath>

namespace quenlith {

bool isJsonFinite(const nlohmann::json& json) {
    switch (json.type()) {
    case nlohmann::json::value_t::number_float:
        return std::isfinite(json.get<double>());
    case nlohmann::json::value_t::object:
    case nlohmann::json::value_t::array:
        for (const auto& element : json)
            if (!isJsonFinite(element)) return false;
        return true;
    default:
        return true;
    }
}

std::optional<std::string> encodeJsonText(const nlohmann::json& json, JsonStyle style) {
    if (!isJsonFinite(json)) return std::nullopt;
    // nlohmann::json keeps object keys in a std::map, so they are written sorted.
    try {
        return json.dump(style == JsonStyle::pretty ? 2 : -1, ' ', false, nlohmann::json::error_handler_t::strict);
    } catch (const nlohmann::json::type_error&) {  // text that is not valid UTF-8
        return std::nullopt;
    }
}

std::size_t jsonNestingDepth(std::string_view text) {
    std::size_t depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped) escaped = false;
            else if (c == '\\') escaped = true;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

std::optional<nlohmann::json> parseJsonText(std::string_view text, std::string* errorText) {
    // Checked on the text, before any tree exists: copying, checking or writing a tree thousands
    // of levels deep would overflow the stack.
    if (jsonNestingDepth(text) > kMaximumJsonNesting) {
        if (errorText) *errorText = "values nested more than " + std::to_string(kMaximumJsonNesting) + " levels deep";
        return std::nullopt;
    }
    try {
        return nlohmann::json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::exception& error) {
        // parse_error for malformed text, out_of_range for a number no double can hold (1e999).
        if (errorText) *errorText = error.what();
        return std::nullopt;
    }
}

}  // namespace quenlith

#include "model/json_text.hpp"

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

std::optional<nlohmann::json> parseJsonText(std::string_view text, std::string* errorText) {
    try {
        return nlohmann::json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::exception& error) {  // malformed text, or a number beyond a double
        if (errorText) *errorText = error.what();
        return std::nullopt;
    }
}

}  // namespace quenlith

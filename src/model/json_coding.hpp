#pragma once

// Strict JSON decoding shared by every record: a required key that is missing, or any key of the
// wrong JSON type, fails the record (and the document holding it); unknown keys are ignored;
// absent optional values are left out when writing.

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include <nlohmann/json.hpp>

namespace quenlith {

using Json = nlohmann::json;

// Thrown inside decoders only; document readers catch it and report a failure value.
class JsonDecodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace json_detail {

template <typename T>
struct IsVector : std::false_type {};
template <typename T>
struct IsVector<std::vector<T>> : std::true_type {};
template <typename T>
struct IsOptional : std::false_type {};
template <typename T>
struct IsOptional<std::optional<T>> : std::true_type {};

}  // namespace json_detail

// Reads one JSON value into `out`, checking its type exactly.
template <typename T>
void decodeValue(const Json& json, T& out) {
    if constexpr (std::is_same_v<T, bool>) {
        if (!json.is_boolean()) throw JsonDecodingError("expected a Boolean");
        out = json.get<bool>();
    } else if constexpr (std::is_same_v<T, std::string>) {
        if (!json.is_string()) throw JsonDecodingError("expected a string");
        out = json.get<std::string>();
    } else if constexpr (std::is_floating_point_v<T>) {
        if (!json.is_number()) throw JsonDecodingError("expected a number");
        out = json.get<T>();
    } else if constexpr (std::is_integral_v<T>) {
        using Limits = std::numeric_limits<T>;
        if (json.is_number_unsigned()) {
            auto value = json.get<std::uint64_t>();
            if (value > static_cast<std::uint64_t>(Limits::max()))
                throw JsonDecodingError("number out of range");
            out = static_cast<T>(value);
        } else if (json.is_number_integer()) {
            auto value = json.get<std::int64_t>();
            if (value < static_cast<std::int64_t>(Limits::min()) ||
                (value > 0 && static_cast<std::uint64_t>(value) > static_cast<std::uint64_t>(Limits::max())))
                throw JsonDecodingError("number out of range");
            out = static_cast<T>(value);
        } else if (json.is_number_float()) {
            // An integral value written with a fraction part (3.0) is still that integer.
            double value = json.get<double>();
            if (!std::isfinite(value) || std::trunc(value) != value ||
                value < static_cast<double>(Limits::min()) || value >= std::ldexp(1.0, Limits::digits))
                throw JsonDecodingError("expected an integer");
            out = static_cast<T>(value);
        } else {
            throw JsonDecodingError("expected an integer");
        }
    } else if constexpr (json_detail::IsVector<T>::value) {
        if (!json.is_array()) throw JsonDecodingError("expected an array");
        out.clear();
        out.reserve(json.size());
        for (const auto& element : json) {
            typename T::value_type item{};
            decodeValue(element, item);
            out.push_back(std::move(item));
        }
    } else {
        // Records and enumerations decode through their own from_json (found by ADL).
        from_json(json, out);
    }
}

// Requires `json` to be an object; records call this first.
inline void requireObject(const Json& json) {
    if (!json.is_object()) throw JsonDecodingError("expected an object");
}

template <typename T>
void readRequired(const Json& object, const char* key, T& out) {
    auto it = object.find(key);
    if (it == object.end()) throw JsonDecodingError(std::string("missing key \"") + key + "\"");
    try {
        decodeValue(*it, out);
    } catch (const JsonDecodingError& error) {
        throw JsonDecodingError(std::string("key \"") + key + "\": " + error.what());
    }
}

// An optional key: absent, and also JSON null, leave the value absent.
template <typename T>
void readOptional(const Json& object, const char* key, std::optional<T>& out) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        out.reset();
        return;
    }
    T value{};
    try {
        decodeValue(*it, value);
    } catch (const JsonDecodingError& error) {
        throw JsonDecodingError(std::string("key \"") + key + "\": " + error.what());
    }
    out = std::move(value);
}

template <typename T>
void writeOptional(Json& object, const char* key, const std::optional<T>& value) {
    if (value) object[key] = *value;
}

// Decodes a whole value, turning a failure into an error text instead of an exception.
template <typename T>
std::optional<T> decodeJson(const Json& json, std::string* errorText = nullptr) {
    try {
        T value{};
        decodeValue(json, value);
        return value;
    } catch (const std::exception& error) {  // JsonDecodingError and nlohmann's own type errors
        if (errorText) *errorText = error.what();
        return std::nullopt;
    }
}

}  // namespace quenlith

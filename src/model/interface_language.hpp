#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace quenlith {

// The language the user chose for the interface: follow the system, English or Simplified Chinese.
enum class InterfaceLanguage { system, english, simplifiedChinese };

// Every case, in picker order.
inline constexpr std::array<InterfaceLanguage, 3> kAllInterfaceLanguages = {
    InterfaceLanguage::system, InterfaceLanguage::english, InterfaceLanguage::simplifiedChinese};

// "system", "en", "zh-Hans".
std::string_view rawValue(InterfaceLanguage language);
// The case for a raw value (exact spelling), or nothing.
std::optional<InterfaceLanguage> interfaceLanguageFromRawValue(std::string_view text);

// The picker's text: "System Default" in the interface language; "English" and "简体中文" are
// never translated.
std::string displayName(InterfaceLanguage language);

// JSON form: the raw value; any other value fails decoding with JsonDecodingError.
void to_json(nlohmann::json& json, const InterfaceLanguage& language);
void from_json(const nlohmann::json& json, InterfaceLanguage& language);

}  // namespace quenlith

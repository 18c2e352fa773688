#include "model/interface_language.hpp"

#include <nlohmann/json.hpp>

#include "model/logging.hpp"
#include "model/json_coding.hpp"
#include "model/localization.hpp"

namespace quenlith {

std::string_view rawValue(InterfaceLanguage language) {
    switch (language) {
        case InterfaceLanguage::system: return "system";
        case InterfaceLanguage::english: return "en";
        case InterfaceLanguage::simplifiedChinese: return "zh-Hans";
    }
    return "system";
}

std::optional<InterfaceLanguage> interfaceLanguageFromRawValue(std::string_view text) {
    for (auto language : kAllInterfaceLanguages)
        if (rawValue(language) == text) return language;
    return std::nullopt;
}

std::string displayName(InterfaceLanguage language) {
    switch (language) {
        case InterfaceLanguage::system: return localizedString("System Default");
        case InterfaceLanguage::english: return "English";
        case InterfaceLanguage::simplifiedChinese: return "简体中文";
    }
    return localizedString("System Default");
}

void to_json(nlohmann::json& json, const InterfaceLanguage& language) {
    json = std::string(rawValue(language));
}

void from_json(const nlohmann::json& json, InterfaceLanguage& language) {
    if (!json.is_string()) throw JsonDecodingError("expected a language code");
    auto parsed = interfaceLanguageFromRawValue(json.get_ref<const std::string&>());
    if (!parsed) throw JsonDecodingError("unknown interface language: " + quotedForLog(json.get_ref<const std::string&>()));
    language = *parsed;
}

}  // namespace quenlith

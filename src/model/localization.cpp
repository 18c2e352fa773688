#include "model/localization.hpp"

#include <locale.h>

#include <memory>
#include <mutex>

#include <glib.h>
#include <unicode/locid.h>

#include "model/app_paths.hpp"
#include "model/json_text.hpp"
#include "model/localization_testing.hpp"
#include "model/mo_catalog.hpp"
#include "model/raw_file.hpp"
#include "model/text_format.hpp"

namespace quenlith {

namespace {

constexpr const char* kEnglish = "en";
constexpr const char* kSimplifiedChinese = "zh-Hans";
constexpr const char* kLanguageKey = "interfaceLanguage";

// The text stored under "interfaceLanguage"; nothing when the file, the key or a string is missing.
std::optional<std::string> storedLanguageChoice() {
    // Read quietly: the texts of a read error would need the very localisation being set up.
    auto read = files::readRegularFile(settingsFilePath(), kSettingsFileSizeCap);
    if (read.failure != files::RawRead::none) return std::nullopt;
    auto json = parseJsonText(read.bytes);
    if (!json || !json->is_object()) return std::nullopt;
    auto it = json->find(kLanguageKey);
    if (it == json->end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

// Which available localisation serves one preferred language, if any. Chinese is served when its
// script is Simplified, written or implied: "zh", "zh_CN", "zh_SG", "zh-Hans…" are; Traditional
// forms ("zh_TW", "zh_HK", "zh_MO", "zh-Hant…") are not, so the next preference decides.
std::optional<std::string> servingLocalization(const std::string& preferred) {
    std::string tag = preferred.substr(0, preferred.find_first_of(".@"));
    if (tag.empty() || tag == "C" || tag == "POSIX") return std::nullopt;
    for (char& c : tag)
        if (c == '_') c = '-';
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = icu::Locale::forLanguageTag(tag, status);
    if (U_FAILURE(status) || locale.isBogus()) return std::nullopt;
    std::string language = locale.getLanguage();
    if (language == "en") return std::string(kEnglish);
    if (language != "zh") return std::nullopt;
    locale.addLikelySubtags(status);
    if (U_FAILURE(status)) return std::nullopt;
    if (std::string(locale.getScript()) == "Hans") return std::string(kSimplifiedChinese);
    return std::nullopt;
}

struct Localization {
    std::string languageCode;
    std::optional<MoCatalog> catalog;
    TextFormatter formatter;
};

std::mutex mutex;
std::shared_ptr<const Localization> current;

std::shared_ptr<const Localization> makeLocalization() {
    std::string code = localization_testing::resolveLanguageCode(
        storedLanguageChoice(), localization_testing::preferredLanguagesFromEnvironment());
    std::optional<MoCatalog> catalog;
    // English is the key itself and needs no catalog; a missing or corrupt catalog means English
    // texts with the language's number formatting.
    if (code == kSimplifiedChinese) catalog = MoCatalog::load(resourcePath("locale/zh_Hans.mo"));
    return std::make_shared<const Localization>(Localization{code, std::move(catalog), TextFormatter(code)});
}

std::shared_ptr<const Localization> localization() {
    std::lock_guard lock(mutex);
    if (!current) current = makeLocalization();
    return current;
}

}  // namespace

namespace localization_testing {

std::string resolveLanguageCode(const std::optional<std::string>& storedChoice,
                                const std::vector<std::string>& preferredLanguages) {
    if (storedChoice == kEnglish) return kEnglish;
    if (storedChoice == kSimplifiedChinese) return kSimplifiedChinese;
    for (const auto& preferred : preferredLanguages)
        if (auto code = servingLocalization(preferred)) return *code;
    return kEnglish;
}

std::vector<std::string> preferredLanguagesFromEnvironment() {
    // The platform lists every entry followed by its generalisations ("zh_TW", then "zh"); only
    // the entries themselves are preferences, or "zh_TW" would be served as Simplified Chinese.
    std::vector<std::string> preferred;
    gchar** variants = nullptr;
    for (const gchar* const* name = g_get_language_names(); *name; ++name) {
        if (variants && g_strv_contains(variants, *name)) continue;
        g_strfreev(variants);
        variants = g_get_locale_variants(*name);
        preferred.emplace_back(*name);
    }
    g_strfreev(variants);
    return preferred;
}

std::vector<std::pair<std::string, std::string>> toolkitLanguageVariables(
    const std::optional<std::string>& storedChoice,
    const std::function<std::optional<std::string>(const char*)>& current,
    const std::function<bool(const std::string&)>& localeExists) {
    if (storedChoice == kEnglish) return {{"LANGUAGE", "en"}};
    if (storedChoice != kSimplifiedChinese) return {};
    std::vector<std::pair<std::string, std::string>> variables{{"LANGUAGE", "zh_CN"}};
    // The messages locale is the first of these that is set and not empty.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        auto value = current(name);
        if (!value || value->empty()) continue;
        if (*value == "C" || *value == "POSIX" || !localeExists(*value))
            variables.emplace_back(std::string(name) == "LC_ALL" ? "LC_ALL" : "LC_MESSAGES", "C.UTF-8");
        return variables;
    }
    variables.emplace_back("LC_MESSAGES", "C.UTF-8");
    return variables;
}

void reset() {
    std::lock_guard lock(mutex);
    current.reset();
}

std::string effectiveLanguageCode() {
    return localization()->languageCode;
}

}  // namespace localization_testing

std::string localizedString(std::string_view english) {
    auto state = localization();
    if (state->catalog)
        if (const std::string* text = state->catalog->lookup(english)) return *text;
    return std::string(english);
}

std::string localizedFormat(std::string_view englishFormat, const std::vector<FormatArgument>& arguments) {
    auto state = localization();
    std::string_view format = englishFormat;
    if (state->catalog) {
        if (const std::string* translated = state->catalog->lookup(englishFormat)) {
            // A translation that takes other arguments than the English text would show wrong or
            // missing values: the English format is used instead.
            auto expected = placeholderKinds(englishFormat);
            if (expected && placeholderKinds(*translated) == expected) format = *translated;
        }
    }
    return state->formatter.format(format, arguments);
}

std::string localizedPlural(std::string_view singularFormat, std::string_view pluralFormat,
                            std::int64_t count) {
    return localizedPlural(singularFormat, pluralFormat, count, {count});
}

std::string localizedPlural(std::string_view singularFormat, std::string_view pluralFormat,
                            std::int64_t count, const std::vector<FormatArgument>& arguments) {
    auto state = localization();
    std::string_view english = count == 1 ? singularFormat : pluralFormat;
    std::string_view format = english;
    if (state->catalog) {
        if (const auto* forms = state->catalog->lookupPlural(singularFormat, pluralFormat)) {
            // One form serves every count (Chinese); two follow the English rule.
            const std::string& translated = (*forms)[forms->size() == 1 || count == 1 ? 0 : 1];
            auto expected = placeholderKinds(english);
            if (expected && placeholderKinds(translated) == expected) format = translated;
        }
    }
    return state->formatter.format(format, arguments);
}

void useInterfaceLanguageForToolkitTexts() {
    auto variables = localization_testing::toolkitLanguageVariables(
        storedLanguageChoice(),
        [](const char* name) -> std::optional<std::string> {
            const gchar* value = g_getenv(name);
            if (!value) return std::nullopt;
            return std::string(value);
        },
        [](const std::string& name) {
            locale_t locale = newlocale(LC_MESSAGES_MASK, name.c_str(), nullptr);
            if (locale) freelocale(locale);
            return locale != nullptr;
        });
    for (const auto& [name, value] : variables) g_setenv(name.c_str(), value.c_str(), TRUE);
}

std::string localizedList(const std::vector<std::string>& items) {
    const char* separator = localization()->languageCode == kSimplifiedChinese ? "\u3001" : ", ";
    std::string list;
    for (const auto& item : items) list += (list.empty() ? "" : separator) + item;
    return list;
}

std::string withUnbreakableQuotes(std::string_view text) {
    static constexpr std::string_view open = "\u201C", close = "\u201D", joiner = "\u2060";
    std::string result;
    result.reserve(text.size());
    bool quoted = false;
    while (!text.empty()) {
        if (text.substr(0, open.size()) == open) quoted = true;
        if (text.substr(0, close.size()) == close) quoted = false;
        // One whole UTF-8 character: a lead byte and its continuation bytes.
        std::size_t length = 1;
        while (length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) ++length;
        const bool insideBeforeNext = quoted && text.substr(0, open.size()) != open && length < text.size() &&
                                      text.substr(length, close.size()) != close;
        result.append(text.substr(0, length));
        if (insideBeforeNext) result.append(joiner);
        text.remove_prefix(length);
    }
    return result;
}

}  // namespace quenlith

namespace quenlith {

std::string interfaceLanguageCode() { return localization()->languageCode; }

}  // namespace quenlith

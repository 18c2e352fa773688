// settings.json: the preferences and the interface language as the preferences store reads them.
#include "fuzz/fuzz_input.hpp"
#include "model/app_preferences.hpp"
#include "model/interface_language.hpp"
#include "model/json_coding.hpp"
#include "model/json_text.hpp"

using namespace quenlith;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto json = parseJsonText(fuzz::text(data, size));
    if (!json || !json->is_object()) return 0;
    if (auto language = json->find("interfaceLanguage"); language != json->end() && language->is_string())
        (void)interfaceLanguageFromRawValue(language->get_ref<const std::string&>());
    auto preferences = json->find("preferences.v1");
    if (preferences == json->end()) return 0;
    auto decoded = decodeJson<AppPreferences>(*preferences);
    if (!decoded) return 0;
    (void)decoded->adFilterSettings();
    if (auto encoded = encodeJsonText(Json(*decoded), JsonStyle::pretty))
        fuzz::require(decodeJson<AppPreferences>(*parseJsonText(*encoded)) == decoded);
    return 0;
}

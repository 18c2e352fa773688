#include <gtest/gtest.h>

#include "model/interface_language.hpp"
#include "model/json_coding.hpp"

namespace quenlith {
namespace {

TEST(InterfaceLanguage, CodesByLanguageCodeInPickerOrder) {
    const char* expected[] = {"system", "en", "zh-Hans"};
    for (std::size_t i = 0; i < kAllInterfaceLanguages.size(); ++i) {
        InterfaceLanguage language = kAllInterfaceLanguages[i];
        EXPECT_EQ(rawValue(language), expected[i]);
        EXPECT_EQ(interfaceLanguageFromRawValue(expected[i]), language);
        Json json = language;
        EXPECT_EQ(json, Json(expected[i]));
        EXPECT_EQ(decodeJson<InterfaceLanguage>(json), language);
    }
}

TEST(InterfaceLanguage, RefusesUnknownValues) {
    for (const char* text : {"zh-hans", "zh_Hans", "EN", "fr", ""}) {
        EXPECT_FALSE(interfaceLanguageFromRawValue(text)) << text;
        InterfaceLanguage language{};
        EXPECT_THROW(decodeValue(Json(text), language), JsonDecodingError) << text;
    }
    EXPECT_FALSE(decodeJson<InterfaceLanguage>(Json(3)));
}

TEST(InterfaceLanguage, LanguageNamesAreWrittenInTheirOwnLanguage) {
    EXPECT_EQ(displayName(InterfaceLanguage::english), "English");
    EXPECT_EQ(displayName(InterfaceLanguage::simplifiedChinese), "简体中文");
    EXPECT_FALSE(displayName(InterfaceLanguage::system).empty());
}

}  // namespace
}  // namespace quenlith

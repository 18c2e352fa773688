// Every enumeration stored as JSON: each value has exactly one text, and any other text (another
// case, a spare space, a number) is refused.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "model/app_preferences.hpp"
#include "model/dock_edge.hpp"
#include "model/interface_language.hpp"
#include "model/json_coding.hpp"
#include "model/page_clip.hpp"

namespace quenlith {
namespace {

template <typename E>
void expectCoding(const std::vector<std::pair<E, const char*>>& values, const std::vector<Json>& refused) {
    for (const auto& [value, text] : values) {
        EXPECT_EQ(Json(value), text);
        EXPECT_EQ(decodeJson<E>(Json(text)), value) << text;
    }
    for (const auto& json : refused) EXPECT_FALSE(decodeJson<E>(json)) << json.dump();
}

TEST(EnumerationJson, EachValueHasItsOneTextAndTitle) {
    using L = LinkBehavior;
    using K = BrowserProxyKind;
    expectCoding<SearchEngine>({{SearchEngine::google, "Google"}, {SearchEngine::duckDuckGo, "DuckDuckGo"},
                                {SearchEngine::bing, "Bing"}},
                               {"google", "DuckDuckGo ", "Yahoo", "", 1, nullptr});
    expectCoding<L>({{L::newTab, "New Tab"}, {L::newWindow, "New Floating Window"}, {L::external, "Default Browser"}},
                    {"newTab", "Tab"});
    expectCoding<CloseBehavior>({{CloseBehavior::hide, "Hide Window"}, {CloseBehavior::release, "Close Window"}},
                                {"hide", "Quit"});
    expectCoding<AppTheme>({{AppTheme::light, "Light"}, {AppTheme::dark, "Dark"}, {AppTheme::system, "System"}},
                           {"light", "Blue"});
    expectCoding<K>({{K::system, "system"}, {K::httpConnect, "httpConnect"}, {K::httpsConnect, "httpsConnect"},
                     {K::socks5, "socks5"}},
                    {"SOCKS5", "ftp", "http"});
    expectCoding<InterfaceLanguage>({{InterfaceLanguage::system, "system"}, {InterfaceLanguage::english, "en"},
                                     {InterfaceLanguage::simplifiedChinese, "zh-Hans"}},
                                    {"zh-hans", "zh_Hans", "EN", "fr", "", 3});
    expectCoding<DockEdge>({{DockEdge::left, "left"}, {DockEdge::right, "right"}}, {"top", "Left", 0, nullptr});
    expectCoding<ReadingState>({{ReadingState::unread, "unread"}, {ReadingState::finished, "finished"}}, {"later", true});
    EXPECT_EQ(interfaceLanguageFromRawValue("zh-Hans"), InterfaceLanguage::simplifiedChinese);
    EXPECT_FALSE(interfaceLanguageFromRawValue("zh_Hans"));
    EXPECT_EQ(title(LinkBehavior::external), "Default Browser");
    EXPECT_EQ(displayName(InterfaceLanguage::english), "English");
    EXPECT_EQ(displayName(InterfaceLanguage::simplifiedChinese), "简体中文") << "each language in its own";
}

}  // namespace
}  // namespace quenlith

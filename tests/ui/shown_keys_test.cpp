// The keys the menus show, named as the menus name them: by the toolkit, in the interface
// language where the toolkit has texts of it and in its English names where it has none.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/toolkit_language.hpp"
#include "ui/shown_keys.hpp"

namespace quenlith {
namespace {

TEST(ShownKeys, NameTheMenusKeysInTheToolkitsWordsForTheInterfaceLanguage) {
    const bool chineseKeys = test::ToolkitLanguage::toolkitHasTexts("zh_CN");
    const struct {
        const char* language;
        bool toolkitTexts;
        std::vector<std::string>
            shown;  // back, forward, previous tab, next tab, reload, a command without keys
    } cases[] = {
        {"en", true, {"Alt+Left", "Alt+Right", "Ctrl+Page Up", "Ctrl+Page Down", "Ctrl+R", ""}},
        {"zh_CN", false, {"Alt+Left", "Alt+Right", "Ctrl+Page Up", "Ctrl+Page Down", "Ctrl+R", ""}},
        {"zh_CN", true, {"Alt+\u5DE6", "Alt+\u53F3", "Ctrl+Page Up", "Ctrl+Page Down", "Ctrl+R", ""}},
    };
    for (const auto& [language, toolkitTexts, shown] : cases) {
        SCOPED_TRACE(std::string(language) + (toolkitTexts ? " with" : " without") + " the toolkit's texts");
        if (std::string(language) == "zh_CN" && toolkitTexts && !chineseKeys) continue;  // not installed here
        test::ToolkitLanguage chosen(language, toolkitTexts);
        std::vector<std::string> named;
        for (const char* action : {"back", "forward", "previousTab", "nextTab", "reload", "hide"})
            named.push_back(shownCommandKey(action));
        EXPECT_EQ(named, shown);
    }
}

}  // namespace
}  // namespace quenlith

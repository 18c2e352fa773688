#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <glib.h>

#include "model/app_paths.hpp"
#include "model/command_keys.hpp"
#include "model/file_test_support.hpp"
#include "model/guide_key_list.hpp"
#include "model/localization.hpp"
#include "model/localization_testing.hpp"
#include "model/more_menu.hpp"
#include "model/product_guide.hpp"
#include "model/shortcut_picker_rules.hpp"
#include "model/website_switches.hpp"

namespace quenlith {
namespace {

// In each interface language: the guide's texts come from that language's catalog.
class ProductGuide : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        test::writeFile(settingsFilePath(), std::string(R"({"interfaceLanguage": ")") + GetParam() + "\"}");
        localization_testing::reset();
        ASSERT_EQ(localization_testing::effectiveLanguageCode(), GetParam());
    }
    void TearDown() override { localization_testing::reset(); }
    test::LanguageEnvironment environment;
};

std::string titleOf(MoreMenuItem item, const MoreMenuFacts& facts) {
    const auto entries = moreMenuEntries(facts);
    auto found = std::find_if(entries.begin(), entries.end(), [item](const auto& entry) { return entry.item == item; });
    return found == entries.end() ? "" : found->title;
}

std::string sectionText(const std::string& title) {
    for (const GuideSection& section : guideSections())
        if (section.title == title) return guideText(section);
    ADD_FAILURE() << "no section " << title;
    return "";
}

// Each instruction sends the person to controls as the More menu, its button and the website's
// switches label them.
TEST_P(ProductGuide, NamesTheControlsAsTheyAreLabelled) {
    MoreMenuFacts window;  // a window of its own session, in compact mode with its controls shown
    window.ownSession = window.compactMode = window.compactRevealed = true;
    const std::string more = localizedString(kMoreOptionsLabel);
    auto switchLabel = [](const char* key) { return localizedString(websiteSwitch(key).label); };
    const struct {
        const char* section;
        std::vector<std::string> names;
    } rows[] = {
        {"Websites and Tray", {titleOf(MoreMenuItem::showInMenuBar, window), more}},
        // "Close Tab Completely" and "Close Window Completely…", by the words they share.
        {"Running and Hidden", {GetParam() == std::string("en") ? "Close Completely" : "“彻底关闭”"}},
        {"Accounts and Website Proxies", {titleOf(MoreMenuItem::otherSessionWindow, window), more}},
        {"Recovery and Sleep", {switchLabel("keepAwakeEnabled")}},
        {"Compact Mode", {titleOf(MoreMenuItem::hideControls, window), more}},
        {"Edge Handles and Application Links",
         {titleOf(MoreMenuItem::tuck, window), more, switchLabel("edgeTuckEnabled")}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.section);
        const std::string text = sectionText(row.section);
        for (const std::string& name : row.names) {
            ASSERT_FALSE(name.empty());
            EXPECT_NE(text.find(name), std::string::npos) << name << " not in: " << text;
        }
    }
    // The menu is not said to be anywhere in particular: its items come and go.
    EXPECT_EQ(sectionText("Websites and Tray").find(GetParam() == std::string("en") ? "top" : "顶部"),
              std::string::npos);
}

bool hasHan(const std::string& text) {
    for (const char* at = text.c_str(); *at; at = g_utf8_next_char(at))
        if (g_unichar_get_script(g_utf8_get_char(at)) == G_UNICODE_SCRIPT_HAN) return true;
    return false;
}

// Every section reads in the interface language with all its controls named: a translation whose
// placeholders do not match the English would show the English around the labels.
TEST_P(ProductGuide, EverySectionReadsInTheInterfaceLanguage) {
    const bool chinese = GetParam() != std::string("en");
    for (const GuideSection& section : guideSections()) {
        SCOPED_TRACE(section.title);
        std::string text = guideText(section);
        EXPECT_EQ(text.find('%'), std::string::npos) << text;
        for (const std::string& control : section.controls) {
            const std::string label = localizedString(control);
            const auto at = text.find(label);
            ASSERT_NE(at, std::string::npos) << label << " not in: " << text;
            text.erase(at, label.size());
        }
        EXPECT_EQ(hasHan(text), chinese) << text;
        EXPECT_EQ(hasHan(localizedString(section.title)), chinese);
    }
}

// Each entry of the key list names keys that do what it says: the keys of the commands it names,
// in order, written in one form in either language (their English names, none translated).
TEST_P(ProductGuide, TheKeyListNamesOnlyKeysThatDoWhatItSays) {
    const struct {
        const char* term;
        const char* chinese;
        std::vector<const char*> actions;  // one a key; "" for the global shortcut
    } rows[] = {
        {"Quick Open", "快速打开", {"quickOpen"}},
        {"Read Later", "稍后阅读", {"readLater"}},
        {"Multiple links", "多个链接", {"batchLinks"}},
        {"Address", "地址栏", {"address"}},
        {"New tab", "新标签页", {"newTab"}},
        {"Reopen tab", "重新打开标签页", {"reopenTab"}},
        {"Find", "查找", {"find"}},
        {"Print / PDF", "打印 / PDF", {"printPage"}},
        {"Saved Pages", "已存页面", {"library"}},
        {"Private window", "隐私窗口", {"privateWindow"}},
        {"Recover mouse control", "恢复鼠标控制", {""}},
        {"Back / Forward (also the mouse\u2019s side buttons)", "后退 / 前进（鼠标侧键亦可）", {"back", "forward"}},
        {"Reload", "重新载入", {"reload"}},
        {"Next tab", "下一个标签页", {"nextTab", "nextTab"}},
        {"Previous tab", "上一个标签页", {"previousTab", "previousTab"}},
        {"Stop loading", "停止载入", {"stop"}},
    };
    const bool chinese = GetParam() != std::string("en");
    const auto entries = keyListEntries(guideKeyList());
    ASSERT_EQ(entries.size(), std::size(rows));
    for (std::size_t at = 0; at < entries.size(); ++at) {
        const auto& [term, chineseTerm, actions] = rows[at];
        SCOPED_TRACE(term);
        EXPECT_EQ(entries[at].term, chinese ? chineseTerm : term);
        ASSERT_EQ(entries[at].keys.size(), actions.size());
        for (std::size_t key = 0; key < actions.size(); ++key) {
            std::vector<std::string> names;
            for (std::string_view accelerator : commandAccelerators(actions[key]))
                names.push_back(keyListName(accelerator));
            if (*actions[key] == '\0') names.push_back(kMouseRecoveryShortcut.displayString());
            EXPECT_NE(std::find(names.begin(), names.end(), entries[at].keys[key]), names.end())
                << entries[at].keys[key] << " is no key of " << actions[key];
            EXPECT_FALSE(hasHan(entries[at].keys[key])) << entries[at].keys[key];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, ProductGuide, testing::Values("en", "zh-Hans"));

}  // namespace
}  // namespace quenlith

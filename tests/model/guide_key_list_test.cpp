#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/guide_key_list.hpp"

namespace quenlith {
namespace {

const std::string kNoBreakSpace = "\u00A0";

// A key is written by its English name as on the keyboard, one name never split at a space.
TEST(GuideKeyList, WritesKeysByTheirEnglishNames) {
    const std::pair<const char*, std::string> cases[] = {
        {"<Alt>Left", "Alt+Left"},
        {"<Primary>Page_Down", "Ctrl+Page" + kNoBreakSpace + "Down"},
        {"Escape", "Esc"},
        {"<Shift><Primary>t", "Ctrl+Shift+T"},
        {"F5", "F5"},
    };
    for (const auto& [accelerator, name] : cases) EXPECT_EQ(keyListName(accelerator), name) << accelerator;
}

// An entry's keys come first, "/" between them, then what they do, which may hold a "/" itself.
TEST(GuideKeyList, ReadsEachEntrysKeysAndTerm) {
    const std::string pageDown = "Ctrl+Page" + kNoBreakSpace + "Down";
    const auto entries = keyListEntries("Ctrl+P Print / PDF \u00B7 Ctrl+Tab / " + pageDown +
                                        " 下一个标签页\nCtrl++ / Ctrl+\u2212 Zoom \u00B7 Esc Stop loading \u00B7 F5 Reload");
    const std::vector<std::pair<std::vector<std::string>, std::string>> expected = {
        {{"Ctrl+P"}, "Print / PDF"},
        {{"Ctrl+Tab", pageDown}, "下一个标签页"},
        {{"Ctrl++", "Ctrl+\u2212"}, "Zoom"},
        {{"Esc"}, "Stop loading"},
        {{"F5"}, "Reload"},
    };
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t at = 0; at < entries.size(); ++at) {
        EXPECT_EQ(entries[at].keys, expected[at].first);
        EXPECT_EQ(entries[at].term, expected[at].second);
    }
}

// A line of the list breaks at a space only: a Chinese term (which has none) is never split, an
// entry's term starts on its key's line, and neither "/" nor the middle dot starts a line.
TEST(GuideKeyList, LinesBreakOnlyBetweenWords) {
    const std::string pageDown = "Ctrl+Page" + kNoBreakSpace + "Down";
    const struct {
        std::string list;
        std::vector<std::string> runs;
    } cases[] = {
        {"Ctrl+K 快速打开 \u00B7 Ctrl+Shift+O 多个链接\nCtrl+Shift+T 重新打开标签页",
         {"Ctrl+K 快速打开 \u00B7", "Ctrl+Shift+O 多个链接", "Ctrl+Shift+T 重新打开标签页"}},
        {"Ctrl+Tab / " + pageDown + " 下一个标签页 \u00B7 Esc 停止载入",
         {"Ctrl+Tab /", pageDown + " 下一个标签页 \u00B7", "Esc 停止载入"}},
        {"Alt+Left / Alt+Right 后退 / 前进（鼠标侧键亦可） \u00B7 F5 重新载入",
         {"Alt+Left /", "Alt+Right 后退 /", "前进（鼠标侧键亦可） \u00B7", "F5 重新载入"}},
        {"Alt+Left / Alt+Right Back / Forward (also the mouse\u2019s side buttons)",
         {"Alt+Left /", "Alt+Right Back /", "Forward", "(also", "the", "mouse\u2019s", "side", "buttons)"}},
        {"", {}},
    };
    for (const auto& [list, expected] : cases) {
        std::vector<std::string> runs;
        for (const auto& [start, end] : keyListUnbreakableRuns(list)) runs.push_back(list.substr(start, end - start));
        EXPECT_EQ(runs, expected) << list;
    }
}

}  // namespace
}  // namespace quenlith

// What the start notices say: the place of the kept file, and the websites set aside by name, a long
// list cut to its first names and a count.
#include "model/start_notice.hpp"

#include <gtest/gtest.h>

#include "model/app_paths.hpp"
#include "model/file_test_support.hpp"
#include "model/localization.hpp"
#include "model/localization_testing.hpp"

namespace quenlith {
namespace {

// A name as the notice shows it: quoted.
std::string quoted(const std::string& name) { return "“" + name + "”"; }

TEST(StartNotice, NamesTheWebsitesSetAsideAndWhereTheyAreKept) {
    test::LanguageEnvironment english;
    const std::string kept = "/home/x/profiles.json.recovery-1";
    const std::string singular = " has the same identifier as another saved website, so Quenlith left it out. A copy of "
                                 "the websites file that still holds it is kept as “" + kept +
                                 "”, and its website data is kept as well.";
    const std::string plural = " have the same identifier as other saved websites, so Quenlith left them out. A copy "
                               "of the websites file that still holds them is kept as “" + kept +
                               "”, and their website data is kept as well.";
    struct Row {
        std::vector<std::string> names;
        StartNotice told;
    };
    const Row rows[] = {
        {{"Mail"}, {"1 saved website was set aside", quoted("Mail") + singular}},
        {{"Mail", "Mail"}, {"2 saved websites were set aside", quoted("Mail") + ", " + quoted("Mail") + plural}},
        {{"A", "B", "C", "D", "E"},
         {"5 saved websites were set aside",
          quoted("A") + ", " + quoted("B") + ", " + quoted("C") + ", " + quoted("D") + ", " + quoted("E") + plural}},
        {{"A", "B", "C", "D", "E", "F"},
         {"6 saved websites were set aside",
          quoted("A") + ", " + quoted("B") + ", " + quoted("C") + ", " + quoted("D") + ", " + quoted("E") +
              ", 1 other" + plural}},
        {{"A", "B", "C", "D", "E", "F", "G"},
         {"7 saved websites were set aside",
          quoted("A") + ", " + quoted("B") + ", " + quoted("C") + ", " + quoted("D") + ", " + quoted("E") +
              ", 2 others" + plural}},
        // A name of any length is shown by its beginning.
        {{std::string(100, 'n')}, {"1 saved website was set aside", quoted(std::string(60, 'n') + "…") + singular}},
    };
    for (const Row& row : rows) EXPECT_EQ(setAsideWebsitesNotice(row.names, kept), row.told) << row.names.size();
    EXPECT_EQ(unreadableSettingsNotice("/home/x/settings.json.unreadable-1"),
              (StartNotice{"Quenlith could not read its settings",
                           "Quenlith is using the default settings. Websites without a proxy of their own no longer "
                           "use a proxy set in Quenlith: their pages wait until you choose OK, then follow the "
                           "desktop’s proxy settings.\n\nThe old settings file is kept as "
                           "“/home/x/settings.json.unreadable-1”."}));
}

TEST(StartNotice, SpeaksTheInterfaceLanguage) {
    test::LanguageEnvironment chinese;
    test::writeFile(settingsFilePath(), R"({"interfaceLanguage": "zh-Hans"})");
    localization_testing::reset();
    ASSERT_EQ(localization_testing::effectiveLanguageCode(), "zh-Hans");
    EXPECT_EQ(setAsideWebsitesNotice({"A", "B", "C", "D", "E", "F", "G"}, "/k"),
              (StartNotice{"有 7 个已存网站未载入",
                           quoted("A") + "、" + quoted("B") + "、" + quoted("C") + "、" + quoted("D") + "、" +
                               quoted("E") + "、另外 2 个与其他已存网站的 ID 重复，因此 Quenlith 没有载入。已将仍包含"
                                             "该网站的网站列表另存为“/k”，其网站数据也已保留。"}));
    EXPECT_EQ(unreadableSettingsNotice("/k").title, "无法读取 Quenlith 的设置");
    EXPECT_NE(unreadableSettingsNotice("/k").message.find("旧的设置文件已保留为“/k”。"), std::string::npos);
}

}  // namespace
}  // namespace quenlith

#include <gtest/gtest.h>

#include <glib.h>
#include <libintl.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/app_paths.hpp"
#include "model/file_test_support.hpp"
#include "model/interface_language.hpp"
#include "model/localization.hpp"
#include "model/localization_testing.hpp"
#include "model/mo_catalog.hpp"
#include "model/settings_file.hpp"
#include "model/suggested_website.hpp"
#include "model/text_format.hpp"

namespace quenlith {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// Writes a compiled catalog the way msgfmt lays it out: header, two tables, then the strings.
std::string buildCatalog(const Entries& entries, bool bigEndian = false) {
    std::string out;
    auto word = [&](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            int shift = bigEndian ? (3 - i) * 8 : i * 8;
            out.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    };
    auto count = static_cast<std::uint32_t>(entries.size());
    std::uint32_t originals = 28, translations = 28 + 8 * count;
    std::uint32_t offset = translations + 8 * count;
    for (std::uint32_t value : {0x950412deu, 0u, count, originals, translations, 0u, 0u}) word(value);
    std::string strings;
    std::vector<std::uint32_t> table;
    for (bool translated : {false, true})
        for (const auto& [key, value] : entries) {
            const std::string& text = translated ? value : key;
            table.push_back(static_cast<std::uint32_t>(text.size()));
            table.push_back(offset + static_cast<std::uint32_t>(strings.size()));
            strings += text;
            strings.push_back('\0');
        }
    for (auto value : table) word(value);
    return out + strings;
}

// A language environment under the C locale whose settings file chooses Simplified Chinese, and
// that can also hold a catalog of its own.
class ChineseChosen : public test::LanguageEnvironment {
public:
    ChineseChosen() { storeSettings(R"({"interfaceLanguage":"zh-Hans"})"); }
    void storeSettings(const std::string& text) { test::writeFile(settingsFilePath(), text); }
    // Points the resources at a folder holding only the given catalog bytes.
    void useCatalog(const std::string& bytes) {
        test::writeFile(root() + "/resources/locale/zh_Hans.mo", bytes);
        set("QUENLITH_RESOURCE_DIR", root() + "/resources");
    }
};

// Parses a copy of `bytes` in a buffer of exactly their size, so reading one byte past is caught.
std::optional<MoCatalog> parseExact(std::string_view bytes) {
    std::unique_ptr<char[]> buffer(new char[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), buffer.get());
    return MoCatalog::parse(std::string_view(buffer.get(), bytes.size()));
}

// --- Compiled catalogs ---

TEST(MoCatalog, ReadsBothByteOrdersOnlyUsableTranslationsAndTheShippedCatalog) {
    Entries entries = {{"", "Content-Type: text/plain; charset=UTF-8\n"},
                       {"Close", "关闭"},
                       {"menu\x04Open", "打开（菜单）"},
                       {std::string("File\0Files", 10), std::string("文件\0文件们", 16)},
                       {std::string("Tab\0Tabs", 8), std::string("标签\0", 7)},
                       {"Untranslated", ""},
                       {"Not UTF-8", "\xFF\xFE"}};
    for (bool bigEndian : {false, true}) {
        auto catalog = MoCatalog::parse(buildCatalog(entries, bigEndian));
        ASSERT_TRUE(catalog) << bigEndian;
        ASSERT_NE(catalog->lookup("Close"), nullptr);
        EXPECT_EQ(*catalog->lookup("Close"), "关闭");
        ASSERT_NE(catalog->lookup("File"), nullptr);
        EXPECT_EQ(*catalog->lookup("File"), "文件");
        ASSERT_NE(catalog->lookupPlural("File", "Files"), nullptr);
        EXPECT_EQ(*catalog->lookupPlural("File", "Files"), (std::vector<std::string>{"文件", "文件们"}));
        EXPECT_EQ(catalog->lookupPlural("File", "Filez"), nullptr);  // both English forms are the key
        EXPECT_EQ(catalog->lookupPlural("Close", ""), nullptr);      // a plain entry is no plural one
        EXPECT_EQ(catalog->lookupPlural(std::string_view("Tab"), "Tabs"), nullptr);  // a form left empty
        EXPECT_EQ(catalog->lookup(""), nullptr);              // the header is no translation
        EXPECT_EQ(catalog->lookup("Open"), nullptr);          // context entries are not ours
        EXPECT_EQ(catalog->lookup("Untranslated"), nullptr);  // an empty translation falls back
        EXPECT_EQ(catalog->lookup("Not UTF-8"), nullptr);     // nor is text that is not UTF-8
        EXPECT_EQ(catalog->lookup("close"), nullptr);
    }
    // The shipped catalog.
    auto catalog = MoCatalog::load(resourcePath("locale/zh_Hans.mo"));
    ASSERT_TRUE(catalog);
    ASSERT_NE(catalog->lookup("OK"), nullptr);
    EXPECT_EQ(*catalog->lookup("OK"), "确定");
    EXPECT_FALSE(MoCatalog::load(resourcePath("locale/missing.mo")));
    // The texts of the model's own tables are all translated.
    for (const auto& row : SuggestedWebsite::all()) EXPECT_NE(catalog->lookup(row.name), nullptr) << row.name;
    EXPECT_NE(catalog->lookup("System Default"), nullptr);
}

TEST(MoCatalog, RefusesMalformedFiles) {
    std::string valid = buildCatalog({{"Close", "关闭"}, {"Open", "打开"}});
    ASSERT_TRUE(MoCatalog::parse(valid));
    auto patched = [&](std::size_t offset, std::uint32_t value) {
        std::string bytes = valid;
        for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        return bytes;
    };
    std::map<std::string, std::string> cases = {
        {"empty", ""},
        {"bad magic", patched(0, 0x12345678)},
        {"major revision 2", patched(4, 0x00020000)},
        {"huge count", patched(8, 0x7FFFFFFF)},
        {"original table outside", patched(12, static_cast<std::uint32_t>(valid.size()))},
        {"translation table wraps", patched(16, 0xFFFFFFF8)},
        {"string length past the end", patched(28, 0xFFFFFFFF)},
        {"string offset past the end", patched(32, static_cast<std::uint32_t>(valid.size()))},
    };
    for (const auto& [name, bytes] : cases) EXPECT_FALSE(parseExact(bytes)) << name;
    // Every truncation loses at least the final terminator.
    for (std::size_t length = 0; length < valid.size(); ++length)
        EXPECT_FALSE(parseExact(std::string_view(valid).substr(0, length))) << length;
    EXPECT_TRUE(parseExact(valid));
}

// --- Language resolution ---

TEST(LanguageResolution, ChoosesTheServingLocalizationFromTheEnvironmentsEntriesInOrder) {
    const std::optional<std::string> none;
    const std::tuple<std::optional<std::string>, std::vector<std::string>, const char*> cases[] = {
        {"en", {"zh_CN.UTF-8"}, "en"},            // stored English beats Chinese preference
        {"zh-Hans", {"en_US.UTF-8"}, "zh-Hans"},  // and the other way round
        {"system", {"zh_CN.UTF-8"}, "zh-Hans"},
        {"klingon", {"zh_CN"}, "zh-Hans"},  // unknown stored text is system
        {"zh-hans", {"fr"}, "en"},          // stored codes are case-sensitive
        {none, {"zh_CN", "en"}, "zh-Hans"}, {none, {"fr_FR", "en_GB"}, "en"},
        {none, {"fr_FR", "zh_SG"}, "zh-Hans"}, {none, {"fr_FR.UTF-8"}, "en"}, {none, {}, "en"},
        {none, {"C.UTF-8", "C"}, "en"}, {none, {"zh"}, "zh-Hans"}, {none, {"zh-Hans"}, "zh-Hans"},
        {none, {"zh_Hans_HK"}, "zh-Hans"},
        {none, {"zh_TW.UTF-8", "en"}, "en"},  // Taiwan and Hong Kong are Traditional
        {none, {"zh_HK"}, "en"}, {none, {"zh-Hant", "zh_CN"}, "zh-Hans"},
        {none, {"", "@", "..", "zh_CN"}, "zh-Hans"}};
    for (const auto& [stored, preferred, expected] : cases)
        EXPECT_EQ(localization_testing::resolveLanguageCode(stored, preferred), expected)
            << stored.value_or("-") << " " << (preferred.empty() ? "" : preferred.front());

    // The preferred languages keep the environment's entries in order.
    test::LanguageEnvironment environment;
    environment.set("LANGUAGE", "zh_TW:fr:en");
    EXPECT_EQ(localization_testing::preferredLanguagesFromEnvironment(),
              (std::vector<std::string>{"zh_TW", "fr", "en", "C"}));
    environment.set("LANGUAGE", std::nullopt);
    environment.set("LC_MESSAGES", "zh_CN.UTF-8");
    auto preferred = localization_testing::preferredLanguagesFromEnvironment();
    ASSERT_FALSE(preferred.empty());
    EXPECT_EQ(preferred.front(), "zh_CN.UTF-8");
    EXPECT_EQ(std::count(preferred.begin(), preferred.end(), "zh"), 0);
}

// --- Lookup in one process, resolved again per case ---

TEST(TextLookup, StoredChineseShowsChineseUnderTheCLocaleUntilResolvedAgain) {
    ChineseChosen environment;
    environment.storeSettings(R"({"interfaceLanguage": "zh-Hans", "preferences.v1": {}})");
    EXPECT_EQ(localization_testing::effectiveLanguageCode(), "zh-Hans");
    EXPECT_EQ(localizedString("OK"), "确定");
    EXPECT_EQ(localizedString("System Default"), "跟随系统");
    EXPECT_EQ(displayName(InterfaceLanguage::system), "跟随系统");
    EXPECT_EQ(displayName(InterfaceLanguage::english), "English");
    EXPECT_EQ(localizedString("A text nobody translated"), "A text nobody translated");
    environment.storeSettings(R"({"interfaceLanguage":"en"})");
    EXPECT_EQ(localizedString("OK"), "确定");  // a saved change waits for the next launch
    localization_testing::reset();
    EXPECT_EQ(localizedString("OK"), "OK");
}

TEST(TextLookup, FollowsSettingsThenPreferences) {
    const std::optional<std::string> noFile;
    const char* none = nullptr;
    // A settings file larger than the cap is not read: exactly the cap is, one byte more is not.
    const std::string chosen = R"({"interfaceLanguage":"zh-Hans"})";
    const std::string atCap = chosen + std::string(kSettingsFileSizeCap - chosen.size(), ' ');
    // The settings file, LANGUAGE and LANG, and the text shown for "OK".
    const std::tuple<std::optional<std::string>, const char*, const char*, const char*> cases[] = {
        {noFile, "zh_CN:en", "C.UTF-8", "确定"},
        {noFile, "fr:en", "C.UTF-8", "OK"},
        {noFile, "fr", "C.UTF-8", "OK"},
        {noFile, "zh_TW", "C.UTF-8", "OK"},
        {noFile, none, "zh_CN.UTF-8", "确定"},  // LANG when nothing else is set
        {R"({"interfaceLanguage":"en"})", "zh_CN", "C.UTF-8", "OK"},
        {R"({"interfaceLanguage":"system"})", "zh_CN", "C.UTF-8", "确定"},
        {R"({"interfaceLanguage":"de"})", "zh_CN", "C.UTF-8", "确定"},
        {R"({"interfaceLanguage":1})", "zh_CN", "C.UTF-8", "确定"},
        {"{not json", "zh_CN", "C.UTF-8", "确定"},
        {"[\"en\"]", "zh_CN", "C.UTF-8", "确定"},
        {atCap, none, "C.UTF-8", "确定"},
        {atCap + " ", none, "C.UTF-8", "OK"}};
    for (const auto& [settings, language, lang, expected] : cases) {
        test::LanguageEnvironment environment(lang);
        if (settings) test::writeFile(settingsFilePath(), *settings);
        if (language) environment.set("LANGUAGE", language);
        EXPECT_EQ(localizedString("OK"), expected)
            << settings.value_or("-").substr(0, 40) << " " << (language ? language : "-");
    }
}

TEST(TextLookup, CorruptOrMissingCatalogFallsBackToEnglish) {
    std::string valid = buildCatalog({{"OK", "好"}});
    std::string corrupt = valid;
    corrupt[28] = '\xFF';  // the first key's length now runs past the end
    for (const std::string& bytes :
         {corrupt, std::string("not a catalog"), valid.substr(0, valid.size() - 1)}) {
        ChineseChosen environment;
        environment.useCatalog(bytes);
        EXPECT_EQ(localizedString("OK"), "OK");
        EXPECT_EQ(localizedFormat("%ld items", {std::int64_t{3}}), "3 items");
    }
    ChineseChosen environment;
    environment.set("QUENLITH_RESOURCE_DIR", "/nonexistent-quenlith-resources");
    EXPECT_EQ(localizedString("OK"), "OK");
}

TEST(TextLookup, FormatsWithTheTranslationOnlyWhenItsPlaceholdersMatch) {
    ChineseChosen environment;
    environment.useCatalog(buildCatalog({
        {"%@ has %ld tabs", "%1$@ 有 %2$ld 个标签页"},
        {"Move %@ to %@", "将 %2$@ 移到 %1$@ 之前"},  // reordered: still the same arguments
        {"Closed %ld windows", "已关闭 %@ 个窗口"},   // wrong kind
        {"Opened %@ in %@", "已打开 %@"},             // one argument missing
        {"Saved %@", "已保存 %@ %@"},                 // one argument too many
        {"Only text", "仅文字 %ld"},                  // a placeholder the English lacks
        {"100%% done", "完成 100%%"},
    }));
    const std::tuple<const char*, std::vector<FormatArgument>, const char*> cases[] = {
        {"%@ has %ld tabs", {std::string("Mail"), std::int64_t{12345}}, "Mail 有 12345 个标签页"},
        {"Move %@ to %@", {std::string("A"), std::string("B")}, "将 B 移到 A 之前"},
        {"Closed %ld windows", {std::int64_t{2}}, "Closed 2 windows"},
        {"Opened %@ in %@", {std::string("x"), std::string("y")}, "Opened x in y"},
        {"Saved %@", {std::string("page")}, "Saved page"},
        {"Only text", {}, "Only text"},
        {"100%% done", {}, "完成 100%"},
        {"Not in the catalog: %lld", {std::int64_t{-7}}, "Not in the catalog: -7"},
    };
    for (const auto& [format, arguments, expected] : cases)
        EXPECT_EQ(localizedFormat(format, arguments), expected) << format;
}

TEST(TextLookup, CountsReadInTheirPluralForm) {
    const std::string window = std::string("%ld window\0%ld windows", 22);
    const std::string catalog =
        buildCatalog({{window, "%ld 个窗口"},
                      {std::string("%ld tab\0%ld tabs", 16), "%@ 个标签页"},  // wrong kind
                      {std::string("%ld of %@\0%ld of %@", 19), "%2$@ 中的 %1$ld 个"}});
    // Count, then the text in English (no catalog) and in Chinese.
    const std::tuple<std::int64_t, const char*, const char*> windows[] = {{1, "1 window", "1 个窗口"},
                                                                          {2, "2 windows", "2 个窗口"},
                                                                          {0, "0 windows", "0 个窗口"},
                                                                          {-1, "-1 windows", "-1 个窗口"},
                                                                          {21, "21 windows", "21 个窗口"}};
    for (const bool chinese : {false, true}) {
        ChineseChosen environment;
        environment.useCatalog(catalog);
        if (!chinese) environment.storeSettings(R"({"interfaceLanguage":"en"})");
        for (const auto& [count, english, translated] : windows)
            EXPECT_EQ(localizedPlural("%ld window", "%ld windows", count), chinese ? translated : english)
                << count;
        EXPECT_EQ(localizedPlural("%ld tab", "%ld tabs", 1), "1 tab");  // the English forms serve
        EXPECT_EQ(localizedPlural("%ld tab", "%ld tabs", 3), "3 tabs");
        EXPECT_EQ(localizedPlural("%ld of %@", "%ld of %@", 4, {std::int64_t{4}, std::string("X")}),
                  chinese ? "X 中的 4 个" : "4 of X");
        EXPECT_EQ(localizedPlural("%ld line", "%ld lines", 1), "1 line");  // not in the catalog
        EXPECT_EQ(localizedList({"a", "b", "c"}), chinese ? "a\u3001b\u3001c" : "a, b, c");
        EXPECT_EQ(localizedList({"a"}), "a");
        EXPECT_EQ(localizedList({}), "");
    }
}

TEST(TextLayout, QuotedRunsHoldTogetherWithWordJoiners) {
    const std::string joiner = "\u2060";
    const std::pair<std::string, std::string> cases[] = {
        {"保存在“书签”中。", "保存在“书" + joiner + "签”中。"},
        {"“稍后阅读”与“书签”", "“稍" + joiner + "后" + joiner + "阅" + joiner + "读”与“书" + joiner + "签”"},
        {"“a b”", "“a" + joiner + " " + joiner + "b”"},
        {"“书”", "“书”"},                      // one character: nothing to join
        {"no quotes here", "no quotes here"},  // text outside quotes is left alone
        {"“open", "“o" + joiner + "p" + joiner + "e" + joiner + "n"},
        {"", ""}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(withUnbreakableQuotes(text), expected) << text;
}

TEST(ToolkitTexts, GettextServesTheInterfaceLanguageToGtk) {
    using Variables = std::vector<std::pair<std::string, std::string>>;
    using Current = std::map<std::string, std::string>;
    const std::optional<std::string> system;
    const std::tuple<std::optional<std::string>, Current, Variables> cases[] = {
        {"zh-Hans", {{"LANG", "C"}}, {{"LANGUAGE", "zh_CN"}, {"LC_MESSAGES", "C.UTF-8"}}},
        {"zh-Hans", {}, {{"LANGUAGE", "zh_CN"}, {"LC_MESSAGES", "C.UTF-8"}}},
        {"zh-Hans", {{"LANG", "C.UTF-8"}}, {{"LANGUAGE", "zh_CN"}}},
        {"zh-Hans", {{"LANG", "fr_FR.UTF-8"}}, {{"LANGUAGE", "zh_CN"}}},
        {"zh-Hans",
         {{"LANG", "xx_YY.UTF-8"}},
         {{"LANGUAGE", "zh_CN"}, {"LC_MESSAGES", "C.UTF-8"}}},  // missing
        {"zh-Hans",
         {{"LC_ALL", "POSIX"}, {"LANG", "C.UTF-8"}},
         {{"LANGUAGE", "zh_CN"}, {"LC_ALL", "C.UTF-8"}}},
        {"zh-Hans",
         {{"LC_ALL", ""}, {"LC_MESSAGES", "C"}},
         {{"LANGUAGE", "zh_CN"}, {"LC_MESSAGES", "C.UTF-8"}}},
        {"en", {{"LANG", "zh_CN.UTF-8"}}, {{"LANGUAGE", "en"}}},
        {"en", {{"LANG", "C"}}, {{"LANGUAGE", "en"}}},
        // The system's language: GTK and the web pages keep the system's languages.
        {"system", {{"LANG", "C"}}, {}},
        {system, {{"LANG", "fr_FR.UTF-8"}}, {}},
        {"klingon", {}, {}}};
    for (const auto& [stored, current, expected] : cases) {
        auto variables = localization_testing::toolkitLanguageVariables(
            stored,
            [&current = current](const char* name) -> std::optional<std::string> {
                auto it = current.find(name);
                if (it == current.end()) return std::nullopt;
                return it->second;
            },
            [](const std::string& name) { return name != "xx_YY.UTF-8"; });
        EXPECT_EQ(variables, expected)
            << stored.value_or("-") << " " << (current.empty() ? "" : current.rbegin()->second);
    }

    // GTK's own catalog, read through gettext as GTK does, once the variables are set.
    if (!g_file_test("/usr/share/locale/zh_CN/LC_MESSAGES/gtk30.mo", G_FILE_TEST_EXISTS))
        GTEST_SKIP() << "GTK's Chinese catalog is not installed";
    ChineseChosen environment;
    environment.set("LANG", "C");
    useInterfaceLanguageForToolkitTexts();
    ASSERT_TRUE(setlocale(LC_ALL, ""));
    bind_textdomain_codeset("gtk30", "UTF-8");
    EXPECT_STREQ(dgettext("gtk30", "_Cancel"), "\u53D6\u6D88(_C)");
    setlocale(LC_ALL, "C");
}

// --- Formatting ---

TEST(PlaceholderKinds, ListsArgumentPositionsAndKinds) {
    using K = PlaceholderKind;
    using Kinds = std::map<std::size_t, PlaceholderKind>;
    EXPECT_EQ(placeholderKinds("plain 100%"), Kinds{});
    EXPECT_EQ(placeholderKinds("%@ %d %ld %lld %%"),
              (Kinds{{0, K::text}, {1, K::integer}, {2, K::integer}, {3, K::integer}}));
    EXPECT_EQ(placeholderKinds("%2$@ %1$ld"), (Kinds{{0, K::integer}, {1, K::text}}));
    EXPECT_EQ(placeholderKinds("%1$@ and %1$@ again"), (Kinds{{0, K::text}}));
    EXPECT_FALSE(placeholderKinds("%1$@ %1$ld"));
    EXPECT_EQ(placeholderKinds("%s %x %5d %0$@ %llld"), Kinds{});  // not placeholders of ours
}

TEST(TextFormatting, FillsPlaceholdersSafely) {
    const std::tuple<const char*, std::vector<FormatArgument>, const char*> cases[] = {
        {"Could not save: %@", {std::string("disk full")}, "Could not save: disk full"},
        {"%d/%ld/%lld", {std::int64_t{1}, std::int64_t{-2}, std::int64_t{9007199254740993}},
         "1/-2/9007199254740993"},
        {"%2$@ %1$ld", {std::int64_t{1234567}, std::string("tabs:")}, "tabs: 1234567"},
        {"%% %@%%", {std::string("50")}, "% 50%"},
        {"trailing %", {}, "trailing %"},
        {"ends %1", {std::string("a")}, "ends %1"},  // each form cut off at the end
        {"ends %1$", {std::string("a")}, "ends %1$"},
        {"ends %ll", {std::int64_t{1}}, "ends %ll"},
        {"ends %2$l", {std::int64_t{1}}, "ends %2$l"},
        {"%s and %x stay", {std::string("unused")}, "%s and %x stay"},
        {"%@ and %@", {std::string("one")}, "one and %@"},  // too few arguments
        {"%3$@ %1$@", {std::string("a")}, "%3$@ a"},        // position beyond the arguments
        {"%ld items", {std::string("many")}, "many items"},  // text for a number
        {"Tab %@", {std::int64_t{42}}, "Tab 42"},            // number for text
        {"%@", {std::string("%ld %@ %%")}, "%ld %@ %%"},     // arguments are not formats
        {"%ld", {std::numeric_limits<std::int64_t>::min()}, "-9223372036854775808"},
        {"", {std::string("x")}, ""}};
    TextFormatter formatter("en");
    for (const auto& [format, arguments, expected] : cases)
        EXPECT_EQ(formatter.format(format, arguments), expected) << '"' << format << '"';
}

TEST(TextFormatting, WritesNumbersInTheLocalesDigitsWithoutGrouping) {
    EXPECT_EQ(TextFormatter("en").formatInteger(1234567), "1234567");
    EXPECT_EQ(TextFormatter("zh-Hans").formatInteger(-1234567), "-1234567");
    // A locale with its own digits shows that the locale, not the C library, writes the number.
    EXPECT_EQ(TextFormatter("ar-EG").formatInteger(12), "\u0661\u0662");
}

// --- The shipped catalog against the sources ---

// One source file with its comments left out and each string literal replaced by '\1'; the
// literals, decoded, in order.
struct ScannedSource {
    std::string code;
    std::vector<std::string> literals;
};

ScannedSource scanSource(std::string_view text) {
    ScannedSource scanned;
    auto identifierChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        if (text.substr(at, 2) == "//") {
            at = std::min(text.find('\n', at), text.size());
        } else if (text.substr(at, 2) == "/*") {
            at = std::min(text.find("*/", at) + 2, text.size());
        } else if (c == 'R' && text.substr(at + 1, 1) == "\"" && (at == 0 || !identifierChar(text[at - 1]))) {
            const std::size_t open = text.find('(', at);
            const std::string close = ")" + std::string(text.substr(at + 2, open - at - 2)) + "\"";
            const std::size_t end = text.find(close, open);
            scanned.literals.emplace_back(text.substr(open + 1, end - open - 1));
            scanned.code.push_back('\1');
            at = end + close.size();
        } else if (c == '"') {
            std::string value;
            for (++at; at < text.size() && text[at] != '"'; ++at) {
                if (text[at] != '\\') {
                    value.push_back(text[at]);
                    continue;
                }
                const char escape = text[++at];
                if (escape == 'n') {
                    value.push_back('\n');
                } else if (escape == 'u') {
                    auto unicode =
                        static_cast<gunichar>(std::stoul(std::string(text.substr(at + 1, 4)), nullptr, 16));
                    char utf8[6];
                    value.append(utf8, static_cast<std::size_t>(g_unichar_to_utf8(unicode, utf8)));
                    at += 4;
                } else {
                    value.push_back(escape);  // \" \\ \' and the like
                }
            }
            ++at;
            scanned.literals.push_back(std::move(value));
            scanned.code.push_back('\1');
        } else if (c == '\'' && (at == 0 || !std::isxdigit(static_cast<unsigned char>(text[at - 1])))) {
            // A character literal ('"', '\''); a quote after a digit separates digits (200'000).
            at = text.find('\'', at + (text[at + 1] == '\\' ? 3 : 2)) + 1;
            scanned.code.push_back('0');
        } else {
            scanned.code.push_back(c);
            ++at;
        }
    }
    return scanned;
}

// One lookup call of the sources and the string literals among its arguments (adjacent literals
// joined; both branches of a conditional are there).
struct LookupCall {
    bool plural = false;
    std::vector<std::string> literals;
    std::string where;
};

std::vector<LookupCall> lookupCalls(const std::string& path, const ScannedSource& source) {
    static const std::regex call(R"(\blocalized(String|Format|Plural)\s*\()");
    const std::string& code = source.code;
    // Each literal belongs to the innermost call around it (a count's plural form inside a format's
    // arguments is the plural call's); -1 for a literal that continues the previous one.
    std::vector<std::pair<std::size_t, bool>> owner(source.literals.size(), {SIZE_MAX, false});
    std::vector<LookupCall> calls;
    for (auto it = std::sregex_iterator(code.begin(), code.end(), call); it != std::sregex_iterator(); ++it) {
        calls.push_back({(*it)[1] == "Plural", {}, path});
        auto at = static_cast<std::size_t>(it->position() + it->length());
        auto literal =
            static_cast<std::size_t>(std::count(code.begin(), code.begin() + static_cast<long>(at), '\1'));
        bool joining = false;  // the last token was a literal: a literal right after continues it
        for (int depth = 1; at < code.size() && depth > 0; ++at) {
            const char c = code[at];
            if (c == '\1') {
                owner[literal++] = {calls.size() - 1, joining};
                joining = true;
            } else if (!std::isspace(static_cast<unsigned char>(c))) {
                joining = false;
                depth += c == '(' ? 1 : c == ')' ? -1 : 0;
            }
        }
    }
    for (std::size_t literal = 0; literal < owner.size(); ++literal) {
        const auto [index, continues] = owner[literal];
        if (index == SIZE_MAX) continue;
        auto& literals = calls[index].literals;
        if (continues)
            literals.back() += source.literals[literal];
        else
            literals.push_back(source.literals[literal]);
    }
    return calls;
}

std::vector<std::pair<std::string, ScannedSource>> scannedSources() {
    std::vector<std::pair<std::string, ScannedSource>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(QUENLITH_SOURCE_DIR "/src")) {
        const auto extension = entry.path().extension();
        if (extension != ".cpp" && extension != ".hpp") continue;
        std::ifstream in(entry.path());
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        files.emplace_back(entry.path().string(), scanSource(text));
    }
    return files;
}

// A saved set of windows is a page group: "workspace" is the desktop's word, for its own workspaces.
bool namesPageGroupsWorkspaces(const std::string& text) {
    static const std::regex workspace(R"(\b[Ww]orkspace)");
    return std::regex_search(std::regex_replace(text, std::regex("All Workspaces"), ""), workspace);
}

// Words of another desktop that no English text shows.
std::optional<std::string> foreignDesktopWord(const std::string& text) {
    static const std::regex words(
        R"(\b(Menu Bar|menu bar|Spaces|Dock|Keychain|Finder)\b| pt\b|[Nn]otari[sz]|[Ll]ogin [Ii]tem)");
    std::smatch match;
    if (std::regex_search(text, match, words)) return match.str();
    return std::nullopt;
}

TEST(ShippedCatalog, TranslatesEveryTextTheSourcesLookUpInThisDesktopsWords) {
    auto catalog = MoCatalog::load(resourcePath("locale/zh_Hans.mo"));
    ASSERT_TRUE(catalog);
    // A count in a text that is no plural form: "%ld windows" would read "1 windows".
    static const std::regex count(R"(%(\d\$)?l{0,2}d [a-z]+s\b)");
    std::size_t texts = 0, plurals = 0, literals = 0;
    for (const auto& [path, source] : scannedSources()) {
        // Texts kept in tables and looked up later: every literal of the sources is free of the
        // other desktop's words, whatever reads it.
        for (const std::string& literal : source.literals) {
            ++literals;
            EXPECT_FALSE(foreignDesktopWord(literal)) << literal << " in " << path;
        }
        if (path.find("/model/localization.") != std::string::npos) continue;  // the lookups themselves
        for (const LookupCall& call : lookupCalls(path, source)) {
            for (const std::string& english : call.literals)
                EXPECT_FALSE(namesPageGroupsWorkspaces(english)) << english << " in " << call.where;
            if (call.plural) {
                ASSERT_GE(call.literals.size(), 2u) << call.where;
                ++plurals;
                const auto* forms = catalog->lookupPlural(call.literals[0], call.literals[1]);
                EXPECT_TRUE(forms && forms->size() == 1)
                    << "no plural entry: " << call.literals[0] << " in " << call.where;
                continue;
            }
            for (const std::string& english : call.literals) {
                if (english.empty()) continue;  // an argument's fallback, such as value_or("")
                ++texts;
                EXPECT_TRUE(catalog->lookup(english))
                    << "untranslated: \"" << english << "\" in " << call.where;
                EXPECT_FALSE(std::regex_search(english, count)) << "a count needs plural forms: " << english;
            }
        }
    }
    // The scan found the lookups (a broken pattern would pass with nothing found).
    EXPECT_GT(texts, 500u);
    EXPECT_GE(plurals, 10u);
    EXPECT_GT(literals, texts);
}

// A title names its window; the ellipsis belongs to the command that opens it. The literals of the
// first two arguments of every call that makes a window, a dialog or an alert with a title.
TEST(ShippedCatalog, WindowTitlesEndInNoEllipsis) {
    static const std::regex titled(
        R"((\bset_title|FileChooserNative::create|\bGtk::Dialog|MessageDialog\s*>?|\bpresentAlert|\balert|\bask)\s*\()");
    std::size_t titles = 0;
    for (const auto& [path, source] : scannedSources()) {
        const std::string& code = source.code;
        for (auto it = std::sregex_iterator(code.begin(), code.end(), titled); it != std::sregex_iterator(); ++it) {
            auto at = static_cast<std::size_t>(it->position() + it->length());
            auto literal = static_cast<std::size_t>(std::count(code.begin(), code.begin() + static_cast<long>(at), '\1'));
            for (int depth = 1, commas = 0; at < code.size() && depth > 0 && commas < 2; ++at) {
                const char c = code[at];
                if (c == '\1') {
                    const std::string& text = source.literals[literal++];
                    ++titles;
                    EXPECT_FALSE(text.ends_with("\u2026") || text.ends_with("...")) << text << " in " << path;
                }
                depth += c == '(' || c == '{' ? 1 : c == ')' || c == '}' ? -1 : 0;
                commas += depth == 1 && c == ',';
            }
        }
    }
    EXPECT_GT(titles, 30u);
}

bool hasHan(const std::string& text) {
    for (const char* at = text.c_str(); *at; at = g_utf8_next_char(at))
        if (g_unichar_get_script(g_utf8_get_char(at)) == G_UNICODE_SCRIPT_HAN) return true;
    return false;
}

// One line of the glossary at the head of the catalog: a concept, the Chinese names no
// translation uses, and English patterns with the name their translations hold.
struct GlossaryRule {
    std::string line;
    std::vector<std::regex> rejected;  // "not:"
    struct Naming {
        std::regex english;
        std::string chinese;
        bool only = false;  // "<=>": no other translation holds the name
        std::size_t found = 0;
    };
    std::vector<Naming> namings;             // "en:"
    std::vector<std::regex> rejectedEnglish;  // "en not:"
    std::vector<std::string> exceptIn;        // "except:", English texts the rule leaves alone
};

std::vector<std::string> splitOn(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        parts.push_back(text.substr(start, end - start));
        start = end + separator.size();
    }
    return parts;
}

GlossaryRule glossaryRule(const std::string& line) {
    GlossaryRule rule{line, {}, {}, {}, {}};
    const auto english = std::regex::ECMAScript | std::regex::icase;
    const auto fields = splitOn(line, " | ");
    for (std::size_t at = 1; at < fields.size(); ++at) {
        const std::string& field = fields[at];
        auto value = [&](const char* key) { return field.substr(std::string(key).size()); };
        if (field.rfind("not: ", 0) == 0) {
            for (const std::string& name : splitOn(value("not: "), ", ")) rule.rejected.emplace_back(name);
        } else if (field.rfind("en not: ", 0) == 0) {
            rule.rejectedEnglish.emplace_back(value("en not: "), english);
        } else if (field.rfind("en: ", 0) == 0) {
            const std::string naming = value("en: ");
            const bool only = naming.find(" <=> ") != std::string::npos;
            const auto parts = splitOn(naming, only ? " <=> " : " = ");
            EXPECT_EQ(parts.size(), 2u) << line;
            rule.namings.push_back({std::regex(parts.front(), english), parts.back(), only});
        } else if (field.rfind("except: ", 0) == 0) {
            rule.exceptIn = splitOn(value("except: "), " / ");
        } else {
            ADD_FAILURE() << "unknown field \"" << field << "\" in " << line;
        }
    }
    return rule;
}

// The glossary names each concept's one Chinese name; no translation calls the concept otherwise,
// the translation of every English text that names it holds its name, and a name kept for one
// concept stands for no other. A text names a person's thing in Chinese in quotation marks, as
// its English quotes it or ends a label with it. Brackets beside Chinese are full-width.
TEST(ShippedCatalog, UsesOneChineseNamePerConceptOfItsGlossary) {
    std::vector<GlossaryRule> rules;
    std::vector<std::pair<std::string, std::string>> entries;  // English, Chinese
    std::ifstream in(QUENLITH_SOURCE_DIR "/resources/po/zh_Hans.po");
    std::string field;
    auto quoted = [](const std::string& line) {
        return line.substr(line.find('"') + 1, line.rfind('"') - line.find('"') - 1);
    };
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("#   ", 0) == 0 && line.find(" | ") != std::string::npos) {
            rules.push_back(glossaryRule(line));
        } else if (line.rfind("msgid ", 0) == 0) {
            entries.emplace_back(quoted(line), "");
            field = "msgid";
        } else if (line.rfind("msgid_plural ", 0) == 0) {
            field = "plural";
        } else if (line.rfind("msgstr", 0) == 0) {
            entries.back().second = quoted(line);
            field = "msgstr";
        } else if (line.rfind('"', 0) == 0 && !entries.empty()) {
            if (field == "msgid") entries.back().first += quoted(line);
            if (field == "msgstr") entries.back().second += quoted(line);
        }
    }
    ASSERT_GE(rules.size(), 30u) << "the glossary lists the concepts";
    ASSERT_GT(entries.size(), 500u);
    // The desktop entry's Chinese names and comments follow the same glossary.
    std::ifstream desktop(QUENLITH_SOURCE_DIR "/resources/desktop/com.quenlith.Quenlith.desktop");
    std::map<std::string, std::string> englishOfKey;
    std::size_t desktopEntries = 0;
    for (std::string line; std::getline(desktop, line);) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (const auto locale = key.find("[zh"); locale != std::string::npos) {
            entries.emplace_back(englishOfKey[key.substr(0, locale)], value);
            ++desktopEntries;
        } else {
            englishOfKey[key] = value;
        }
    }
    ASSERT_GE(desktopEntries, 2u) << "the desktop entry has its Chinese texts";
    // A thing's name ending a label ("Close %@"), or quoted in English, is quoted in Chinese.
    static const std::regex labelEndingInName(R"(^[A-Z][A-Za-z ]* %@$)");
    static const std::regex placeholder(R"(%(\d\$)?@)");
    auto quotedNames = [](const std::string& text) {
        std::size_t count = 0;
        for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder); it != std::sregex_iterator(); ++it) {
            const auto at = static_cast<std::size_t>(it->position()), end = at + static_cast<std::size_t>(it->length());
            count += at >= 3 && text.compare(at - 3, 3, "\u201C") == 0 && text.compare(end, 3, "\u201D") == 0;
        }
        return count;
    };
    for (const auto& [english, chinese] : entries) {
        if (english.empty()) continue;  // the header
        for (GlossaryRule& rule : rules) {
            if (std::any_of(rule.exceptIn.begin(), rule.exceptIn.end(),
                            [&](const std::string& text) { return english.find(text) != std::string::npos; }))
                continue;
            for (const std::regex& name : rule.rejected)
                EXPECT_FALSE(std::regex_search(chinese, name)) << chinese << "\n  against " << rule.line;
            for (const std::regex& word : rule.rejectedEnglish)
                EXPECT_FALSE(std::regex_search(english, word)) << english << "\n  against " << rule.line;
            for (GlossaryRule::Naming& naming : rule.namings) {
                const bool named = std::regex_search(english, naming.english);
                naming.found += named;
                if (named) {
                    EXPECT_NE(chinese.find(naming.chinese), std::string::npos) << chinese << "\n  against " << rule.line;
                } else if (naming.only) {
                    EXPECT_EQ(chinese.find(naming.chinese), std::string::npos)
                        << chinese << " (" << english << ")\n  against " << rule.line;
                }
            }
        }
        const std::size_t names = quotedNames(english) + std::regex_search(english, labelEndingInName);
        EXPECT_GE(quotedNames(chinese), names) << "a name without quotation marks: " << chinese;
        if (hasHan(chinese)) {
            EXPECT_EQ(chinese.find_first_of("()"), std::string::npos) << "half-width brackets: " << chinese;
        }
    }
    for (const GlossaryRule& rule : rules)
        for (const GlossaryRule::Naming& naming : rule.namings)
            EXPECT_GT(naming.found, 0u) << "a pattern that finds no text: " << rule.line;
}

}  // namespace
}  // namespace quenlith

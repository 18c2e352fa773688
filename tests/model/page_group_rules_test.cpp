// The rules of page groups without a display: what a capture keeps, the record and tabs a saved
// window opens with, focus and its end, names, counts and the search.
#include <gtest/gtest.h>

#include "model/library_document.hpp"
#include "model/page_group_state.hpp"
#include "model/page_group_text.hpp"
#include "model/scene_windows.hpp"

namespace quenlith {
namespace {

TEST(SceneWindowsTest, ACaptureKeepsKeepableTabsAndTheRightReference) {
    CapturedWindow window;
    window.record.name = "Mail";
    window.record.opacity = 0.7;
    window.record.setIsolatedAccount(false);
    window.record.sessionIdentifier.reset();
    window.tabs = {{std::nullopt, false},
                   {"https://start.test/", true},
                   {"https://mail.test/inbox", false},
                   {"https://mail.test/oauth/authorize", false},
                   {"https://mail.test/cb#access_token=x", false},
                   {"ftp://files.test/", false},
                   {"https://mail.test/sent", false}};
    window.activeIndex = 6;
    auto captured = capturedSceneWindow(window);
    ASSERT_TRUE(captured);
    EXPECT_EQ(captured->urls, (std::vector<std::string>{"https://mail.test/inbox", "https://mail.test/sent"}));
    EXPECT_EQ(captured->selected, 1);
    EXPECT_EQ(captured->name, "Mail");
    EXPECT_DOUBLE_EQ(captured->opacity, 0.7);
    window.activeIndex = 1;
    EXPECT_EQ(capturedSceneWindow(window)->selected, 0) << "an active tab left out selects the first";

    // Saved website with its own store: the website; in the shared store: nothing; an unsaved
    // record with its own store: its session.
    EXPECT_FALSE(captured->profileID || captured->windowSession);
    window.record.setIsolatedAccount(true);
    EXPECT_EQ(capturedSceneWindow(window)->windowSession, WindowSessionReference::from(window.record));
    window.isSavedWebsite = true;
    EXPECT_EQ(capturedSceneWindow(window)->profileID, window.record.id);
    EXPECT_FALSE(capturedSceneWindow(window)->windowSession);

    window.tabs = {{"https://start.test/", true}, {"https://mail.test/oauth/x", false}, {std::nullopt, false}};
    EXPECT_FALSE(capturedSceneWindow(window));
}

TEST(SceneWindowsTest, ASavedWindowOpensWithItsOwnRecordAndTabs) {
    SceneWindow saved;
    saved.name = "Group window";
    saved.opacity = 0.6;
    saved.onTop = false;
    saved.compact = true;
    WebAppProfile website;
    website.name = "Site";
    website.homeURL = "https://site.test/";
    website.rememberLastURL = true;
    website.rememberWindowFrame = true;
    saved.profileID = website.id;

    WebAppProfile record = sceneWindowRecord(saved, website, true);
    EXPECT_EQ(record.id, website.id);
    EXPECT_EQ(record.name, "Site");
    EXPECT_EQ(std::tuple(record.opacity, record.alwaysOnTop, record.compactMode, record.rememberLastURL,
                         record.rememberWindowFrame),
              std::tuple(0.6, false, true, false, false));

    saved.profileID.reset();
    saved.windowSession = WindowSessionReference{Uuid::random(), std::nullopt};
    record = sceneWindowRecord(saved, std::nullopt, false);
    EXPECT_EQ(std::tuple(record.id, record.name, record.homeURL), std::tuple(saved.windowSession->identifier,
                                                                            saved.name, std::string()));
    EXPECT_EQ(record.dataStoreIdentifier(), saved.windowSession->identifier);
    saved.windowSession.reset();
    EXPECT_TRUE(sceneWindowRecord(saved, std::nullopt, true).dataStoreIdentifier());
    EXPECT_FALSE(sceneWindowRecord(saved, std::nullopt, false).dataStoreIdentifier());

    struct Case {
        std::vector<std::string> urls;
        std::int64_t selected;
        std::vector<std::string> tabs;
        bool keepsStartPage;
        std::optional<std::size_t> selectedTab;
    };
    const std::string a = "https://a.test/", b = "https://b.test/", bad = "ftp://x.test/";
    const std::vector<Case> cases = {
        {{bad, a, b}, 2, {a, b}, true, 2},
        {{a, bad, b}, 2, {a, b}, false, 1},
        {{a, bad, b}, 1, {a, b}, false, std::nullopt},
        {{a, b}, 5, {a, b}, false, std::nullopt},
        {{" https://C.test/ ", a}, 0, {"https://C.test/", a}, false, 0},
    };
    for (const auto& test : cases) {
        saved.urls = test.urls;
        saved.selected = test.selected;
        SceneTabPlan plan = sceneTabPlan(saved);
        EXPECT_EQ(std::tuple(plan.urls, plan.keepsStartPage, plan.selectedTab),
                  std::tuple(test.tabs, test.keepsStartPage, test.selectedTab))
            << test.urls[0] << " selected " << test.selected;
    }
}

TEST(PageGroupStateTest, FocusRemembersTheFirstScreenAndEndsOnce) {
    const Uuid a = Uuid::random(), b = Uuid::random(), c = Uuid::random(), d = Uuid::random(), e = Uuid::random();
    const Uuid work = Uuid::random(), play = Uuid::random();
    PageGroupState state;
    EXPECT_FALSE(state.endFocus({a, b}));
    state.recordWindow(work, Uuid::random(), c);
    state.recordWindow(work, Uuid::random(), a);
    state.recordWindow(play, Uuid::random(), d);
    EXPECT_FALSE(state.openedWindow(play, Uuid::random(), {a, b, c, d}));

    state.focusBegins({a, b});
    EXPECT_EQ(state.focusOn(work, {a, b, c, d}), (std::set<Uuid>{b, d}));
    state.focusBegins({a, c});
    EXPECT_EQ(state.focusOn(play, {a, b, c, d, e}), (std::set<Uuid>{a, b, c, e}));
    EXPECT_EQ(state.focusedScene(), play);
    EXPECT_EQ(state.beforeFocus(), (std::set<Uuid>{a, b})) << "the first focus's screen stays";

    auto end = state.endFocus({a, c, d});
    ASSERT_TRUE(end);
    EXPECT_EQ(end->putAway, (std::set<Uuid>{d}));
    EXPECT_EQ(end->present, (std::set<Uuid>{a})) << "closed windows are skipped";
    EXPECT_FALSE(state.focusedScene());
    EXPECT_FALSE(state.endFocus({a}));
}

TEST(PageGroupTextTest, NamesCountsLinksAndSearch) {
    const std::string hundred(100, 'x');
    std::string family;
    for (int i = 0; i < 100; ++i) family += "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    struct Case {
        std::string typed;
        std::optional<std::string> renamed;
        bool canSave;
    };
    for (const auto& test : std::vector<Case>{{"  Work  ", "Work", true},
                                              {" \n\t ", std::nullopt, false},
                                              {hundred, hundred, true},
                                              {hundred + "x", std::nullopt, false},
                                              {" " + hundred, hundred, false},
                                              {family, family, true}})
        EXPECT_EQ(std::pair(renamedSceneName(test.typed), canSaveSceneName(test.typed)),
                  std::pair(test.renamed, test.canSave))
            << test.typed;

    BrowserScene work{Uuid::random(), "Daily Work", {}, Date{}};
    work.windows.resize(2);
    work.windows[0].urls.resize(3);
    work.windows[1].urls.resize(4);
    work.windows[1].name = "Mail";
    BrowserScene other{Uuid::random(), "Ärger", {}, Date{}};
    EXPECT_EQ(sceneCounts(work), (SceneCounts{2, 7}));
    EXPECT_EQ(sceneCountsText(work), "2 windows · 7 pages");
    EXPECT_EQ(sceneLink(work.id), "quenlith://workspace?id=" + work.id.string());

    auto names = [](const std::vector<BrowserScene>& scenes) {
        std::vector<std::string> list;
        for (const auto& scene : scenes) list.push_back(scene.name);
        return list;
    };
    const std::vector<BrowserScene> scenes = {work, other};
    EXPECT_EQ(names(filteredScenes(scenes, "")), (std::vector<std::string>{"Daily Work", "Ärger"}));
    EXPECT_EQ(names(filteredScenes(scenes, "WORK")), (std::vector<std::string>{"Daily Work"}));
    EXPECT_EQ(names(filteredScenes(scenes, "äR")), (std::vector<std::string>{"Ärger"}));
    EXPECT_TRUE(filteredScenes(scenes, " work ").empty()) << "the search is not trimmed";
    EXPECT_TRUE(filteredScenes(scenes, "Mail").empty()) << "only names are searched";

    LibraryDocument document;
    document.scenes = {work, other, work};
    document.renameScene(other.id, "Fun");
    document.removeScene(work.id);
    ASSERT_EQ(document.scenes.size(), 1u);
    EXPECT_EQ(document.scenes[0].name, "Fun");
}

}  // namespace
}  // namespace quenlith

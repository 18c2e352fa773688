// The rules of page groups without a display: what a capture keeps, the record and tabs a saved
// window opens with, focus and its end, names and the search.
#include <gtest/gtest.h>

#include "model/page_group_state.hpp"
#include "model/page_group_text.hpp"
#include "model/scene_windows.hpp"

namespace quenlith {
namespace {

TEST(SceneWindowsTest, ACaptureKeepsKeepableTabsAndTheRightReference) {
    CapturedWindow window;
    window.record.setIsolatedAccount(false);
    window.tabs = {{std::nullopt, false},
                   {"https://start.test/", true},
                   {"https://mail.test/inbox", false},
                   {"https://mail.test/oauth/authorize", false},
                   {"https://mail.test/cb#access_token=x", false},
                   {"https://mail.test/sent", false}};
    window.activeIndex = 5;
    // The window's look comes along, each part away from a new window's.
    window.record.name = "Mail";
    window.record.opacity = 0.6;
    window.record.alwaysOnTop = false;
    window.record.compactMode = true;
    window.frame = CodableRect{10, 20, 640, 480, 7};
    auto captured = capturedSceneWindow(window);
    ASSERT_TRUE(captured);
    EXPECT_EQ(*captured, (SceneWindow{captured->id, "Mail", {"https://mail.test/inbox", "https://mail.test/sent"}, 1,
                                      window.frame, 0.6, false, true, std::nullopt, std::nullopt}));

    // Shared store: no reference; an unsaved record with its own store: its session; a saved
    // website with its own store: the website.
    EXPECT_FALSE(captured->profileID || captured->windowSession);
    window.record.setIsolatedAccount(true);
    EXPECT_EQ(capturedSceneWindow(window)->windowSession, WindowSessionReference::from(window.record));
    window.isSavedWebsite = true;
    EXPECT_EQ(capturedSceneWindow(window)->profileID, window.record.id);
    EXPECT_FALSE(capturedSceneWindow(window)->windowSession);
}

TEST(SceneWindowsTest, ASavedWindowOpensWithItsOwnRecordAndTabs) {
    SceneWindow saved;
    saved.opacity = 0.6;
    saved.compact = true;
    WebAppProfile website;
    website.rememberWindowFrame = website.rememberLastURL = true;
    saved.profileID = website.id;
    WebAppProfile record = sceneWindowRecord(saved, website, true);
    EXPECT_EQ(std::tuple(record.id, record.opacity, record.compactMode, record.rememberWindowFrame,
                         record.rememberLastURL),
              std::tuple(website.id, 0.6, true, false, false));
    saved.profileID.reset();
    saved.windowSession = WindowSessionReference{Uuid::random(), BrowserProxySettings{}};
    EXPECT_EQ(WindowSessionReference::from(sceneWindowRecord(saved, std::nullopt, false)),
              saved.windowSession);
    saved.windowSession.reset();
    EXPECT_TRUE(sceneWindowRecord(saved, std::nullopt, true).dataStoreIdentifier());
    EXPECT_FALSE(sceneWindowRecord(saved, std::nullopt, false).dataStoreIdentifier());

    // Addresses and selection; the tabs made, whether the start page stays, the tab to select.
    using Case = std::tuple<std::vector<std::string>, std::int64_t, std::vector<std::string>, bool,
                            std::optional<std::size_t>>;
    const std::string a = "https://a.test/", b = "https://b.test/", c = "https://c.test/",
                      bad = "ftp://x.test/";
    for (const auto& [urls, selected, tabs, keepsStartPage, selectedTab] :
         std::vector<Case>{{{bad, a, b}, 2, {a, b}, true, 2},
                           {{a, bad, b, c}, 2, {a, b, c}, false, 1},
                           {{a, bad, b}, 1, {a, b}, false, std::nullopt},
                           {{a, b}, 5, {a, b}, false, std::nullopt}}) {
        saved.urls = urls;
        saved.selected = selected;
        SceneTabPlan plan = sceneTabPlan(saved);
        EXPECT_EQ(std::tuple(plan.urls, plan.keepsStartPage, plan.selectedTab),
                  std::tuple(tabs, keepsStartPage, selectedTab))
            << urls[0] << " selected " << selected;
    }
}

TEST(PageGroupStateTest, FocusRemembersTheFirstScreenAndEnds) {
    const Uuid a = Uuid::random(), b = Uuid::random(), c = Uuid::random(), d = Uuid::random(),
               e = Uuid::random();
    const Uuid work = Uuid::random(), play = Uuid::random(), saved = Uuid::random();
    PageGroupState state;
    state.recordWindow(work, saved, c);
    state.recordWindow(play, Uuid::random(), e);
    state.recordWindow(play, Uuid::random(), d);
    EXPECT_EQ(state.openedWindow(work, saved, {c}), c);
    EXPECT_FALSE(state.openedWindow(work, saved, {a}));

    state.focusBegins({a, b});
    EXPECT_EQ(state.focusOn(work, {a, b, c, d}), (std::set<Uuid>{a, b, d}));
    state.focusBegins({a, c});
    EXPECT_EQ(state.focusOn(play, {a, b, c, d, e}), (std::set<Uuid>{a, b, c}));
    EXPECT_EQ(state.beforeFocus(), (std::set<Uuid>{a, b})) << "the first focus's screen stays";
    auto end = state.endFocus({a, c, d});
    ASSERT_TRUE(end);
    EXPECT_EQ(end->putAway, (std::set<Uuid>{d}));
    EXPECT_EQ(end->present, (std::set<Uuid>{a})) << "closed windows are skipped";
}

TEST(PageGroupTextTest, NamesAndSearch) {
    const std::string hundred(100, 'x');
    for (const auto& [typed, renamed, canSave] :
         std::vector<std::tuple<std::string, std::optional<std::string>, bool>>{
             {"  Work  ", "Work", true},
             {" \n\t ", std::nullopt, false},
             {hundred + "x", std::nullopt, false},
             {" " + hundred, hundred, false}})
        EXPECT_EQ(std::pair(renamedSceneName(typed), canSaveSceneName(typed)), std::pair(renamed, canSave))
            << typed;

    BrowserScene work{Uuid::random(), "Daily Work", {SceneWindow{}}, Date{}};
    BrowserScene other{Uuid::random(), "Ärger", {}, Date{}};
    auto names = [&](std::string_view query) {
        std::vector<std::string> list;
        for (const auto& scene : filteredScenes({work, other}, query)) list.push_back(scene.name);
        return list;
    };
    EXPECT_EQ(names("äR"), (std::vector<std::string>{"Ärger"}));
    EXPECT_TRUE(names(" work ").empty()) << "the search is not trimmed";
}

}  // namespace
}  // namespace quenlith

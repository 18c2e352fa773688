// Application links on live windows: a website linked to an application comes forward with it and
// goes away when an unrelated one comes to the front; what the person put away stays away while
// the application stays in front.
#include <gtest/gtest.h>

#include "model/application_link_follower.hpp"
#include "windows/application_links.hpp"
#include "windows/session_restore.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_manager_fixture.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {
namespace {

constexpr const char* kEditor = "org.example.Editor.desktop";
constexpr const char* kOther = "org.example.Other.desktop";

class ApplicationLinksTest : public test::WindowManagerFixture {
protected:
    // `application` comes to the front and stays there past the debounce.
    void activate(const char* application) {
        manager->links().applicationDidActivate(std::string(application));
        timers.advance(ApplicationLinkFollower::kDebounce);
    }
    bool shown(const Uuid& websiteID) {
        BrowserWindowController* window = manager->registry().window(websiteID);
        return window && window->isOnScreen();
    }
};

TEST_F(ApplicationLinksTest, ALinkedWebsiteFollowsItsApplicationUntilThePersonPutsItAway) {
    auto alpha = website("Alpha", "/alpha");
    alpha.applicationLinkEnabled = true;
    alpha.linkedApplications = std::vector<LinkedApplication>{{kEditor, "Editor"}};
    auto beta = website("Beta", "/beta");
    start({alpha, beta});
    manager->session().restoreSession();

    activate(kEditor);
    EXPECT_EQ(manager->registry().window(alpha.id), nullptr) << "links are off in the preferences";

    ASSERT_TRUE(preferences->update([](AppPreferences& values) { values.applicationLinksEnabled = true; }));
    activate(kOther);
    activate(kEditor);
    EXPECT_TRUE(shown(alpha.id));
    EXPECT_EQ(manager->registry().window(beta.id), nullptr) << "an unlinked website stays closed";
    EXPECT_EQ(manager->links().linkedWindows(), std::set<Uuid>{alpha.id});

    activate(kOther);
    ASSERT_NE(manager->registry().window(alpha.id), nullptr) << "put away, not closed";
    EXPECT_FALSE(shown(alpha.id));
    EXPECT_TRUE(manager->links().linkedWindows().empty());

    activate(kEditor);
    EXPECT_TRUE(shown(alpha.id)) << "the same window comes back";
    EXPECT_EQ(manager->registry().windows().size(), 1u);

    manager->closing().hide(alpha.id);
    manager->links().applyApplicationLinks(std::string(kEditor));
    EXPECT_FALSE(shown(alpha.id)) << "put away by the person while the application stays in front";

    activate(kOther);
    activate(kEditor);
    EXPECT_TRUE(shown(alpha.id)) << "another application came between";
}

// A close request tells the shell whether links had brought the window forward: such a window comes
// back with their application, which is in front, and the shell opens no launcher over it.
TEST_F(ApplicationLinksTest, ACloseRequestTellsWhetherLinksHadBroughtTheWindowForward) {
    auto alpha = website("Alpha", "/alpha");
    alpha.applicationLinkEnabled = true;
    alpha.linkedApplications = std::vector<LinkedApplication>{{kEditor, "Editor"}};
    start({alpha});
    manager->session().restoreSession();
    ASSERT_TRUE(preferences->update([](AppPreferences& values) { values.applicationLinksEnabled = true; }));
    auto told = std::make_shared<std::vector<bool>>();
    manager->closing().signal_closeRequested().connect([told](bool byLink) { told->push_back(byLink); });

    activate(kOther);
    activate(kEditor);
    ASSERT_TRUE(shown(alpha.id));
    manager->closing().requestClose(alpha.id);
    EXPECT_FALSE(shown(alpha.id));

    activate(kOther);
    activate(kEditor);
    ASSERT_TRUE(shown(alpha.id)) << "the link shows it again";
    // Brought forward by the person, it is theirs: closed, nothing else brings it back.
    manager->routing().showProfile(alpha.id);
    manager->closing().requestClose(alpha.id);
    EXPECT_EQ(*told, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace quenlith

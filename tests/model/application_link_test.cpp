#include <gtest/gtest.h>

#include "model/application_link.hpp"
#include "model/sample_records.hpp"

namespace quenlith {
namespace {

WebAppProfile website(std::vector<std::string> applications, std::optional<bool> enabled = true) {
    WebAppProfile profile;
    profile.id = Uuid::random();
    profile.name = "Site";
    profile.homeURL = "https://example.com";
    profile.applicationLinkEnabled = enabled;
    std::vector<LinkedApplication> linked;
    for (auto& id : applications) linked.push_back(LinkedApplication{id, id});
    profile.linkedApplications = linked;
    return profile;
}

TEST(LinkedWebsiteIDs, MatchesWebsitesLinkedToTheApplicationExactlyAndPutsTheRestAway) {
    auto editor = website({"org.gnome.TextEditor.desktop"});
    auto both = website({"code.desktop", "org.gnome.TextEditor.desktop"});
    auto switchedOff = website({"org.gnome.TextEditor.desktop"}, false);
    auto unset = website({"org.gnome.TextEditor.desktop"}, std::nullopt);
    auto upperCase = website({"ORG.GNOME.TEXTEDITOR.DESKTOP"});
    WebAppProfile noList = website({});
    noList.linkedApplications.reset();
    std::vector<WebAppProfile> all = {editor, both, switchedOff, unset, upperCase, noList};

    auto plan = linkedWebsiteIDs("org.gnome.TextEditor.desktop", all, {}, {}, true, {});
    EXPECT_EQ(plan.toShow, (std::set<Uuid>{editor.id, both.id}));
    EXPECT_TRUE(plan.toHide.empty());

    // Websites the caller does not want brought forward (already visible, dismissed) stay put.
    plan = linkedWebsiteIDs("org.gnome.TextEditor.desktop", all, {}, {editor.id}, true, {});
    EXPECT_EQ(plan.toShow, (std::set<Uuid>{both.id}));

    // Links off, or no application in front: everything shown is put away.
    auto a = website({"a.desktop"});
    auto b = website({"b.desktop"});
    std::set<Uuid> shown = {a.id, b.id};
    for (bool enabled : {false, true}) {
        std::optional<std::string> application;
        if (!enabled) application = "a.desktop";
        auto away = linkedWebsiteIDs(application, {a, b}, shown, {}, enabled, {});
        EXPECT_TRUE(away.toShow.empty());
        EXPECT_EQ(away.toHide, shown);
    }
}

TEST(LinkedWebsiteIDs, AWebsiteSharingTheWindowOfAMatchedOneStays) {
    auto matched = website({"a.desktop"});
    auto sameWindow = website({"b.desktop"});
    auto otherWindow = website({"b.desktop"});
    auto noWindow = website({"b.desktop"});
    Uuid window1 = Uuid::random(), window2 = Uuid::random();
    std::map<Uuid, Uuid> windowOf = {
        {matched.id, window1}, {sameWindow.id, window1}, {otherWindow.id, window2}};
    auto plan = linkedWebsiteIDs("a.desktop", {matched, sameWindow, otherWindow, noWindow},
                                 {matched.id, sameWindow.id, otherWindow.id, noWindow.id}, {matched.id}, true,
                                 windowOf);
    EXPECT_TRUE(plan.toShow.empty());
    EXPECT_EQ(plan.toHide, (std::set<Uuid>{otherWindow.id, noWindow.id}));
}

}  // namespace
}  // namespace quenlith

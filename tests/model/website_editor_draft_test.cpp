#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/scheduler.hpp"
#include "model/web_app_store.hpp"
#include "model/website_editor_draft.hpp"
#include "support/temp_environment.hpp"

namespace quenlith {
namespace {

TEST(WebsiteEditorDraft, DecidesBetweenEditNewAccountAndNewWebsite) {
    test::TemporaryEnvironment home;
    ManualScheduler scheduler;
    WebAppStore store(std::nullopt, scheduler);
    WebAppProfile mail;
    mail.name = "Mail";
    mail.homeURL = "https://mail.example/inbox";
    ASSERT_TRUE(store.upsert(mail));
    mail = store.profiles().front();

    AppPreferences preferences;
    preferences.defaultOpacity = 0.8;
    preferences.defaultCompact = true;
    preferences.isolateNewWindows = false;

    WebAppProfile source;
    source.zoomLevel = 1.5;
    source.setIsolatedAccount(true);
    source.accountName = "Work";

    auto edited = websiteEditorDraft({.editID = mail.id}, store, preferences);
    EXPECT_TRUE(edited.draft == mail && !edited.isNew());

    auto savedPage =
        websiteEditorDraft({.pageURL = "https://mail.example/inbox", .title = "Other"}, store, preferences);
    EXPECT_EQ(savedPage.editedID, mail.id) << "a page of a saved website edits that website";

    auto page = websiteEditorDraft(
        {.pageURL = "https://news.example/a", .title = "News", .openAfterSave = false, .source = source},
        store, preferences);
    EXPECT_TRUE(page.isNew() && page.reusesSession);
    EXPECT_TRUE(page.draft.name == "News" && page.draft.homeURL == "https://news.example/a");
    EXPECT_TRUE(page.draft.zoomLevel == 1.5 && page.draft.sessionIdentifier == source.sessionIdentifier &&
                page.draft.accountName == "Work")
        << "the source window's live settings and session";

    EXPECT_EQ(websiteEditorDraft({.pageURL = "https://news.example/a"}, store, preferences).draft.name,
              "news.example");

    auto fresh = websiteEditorDraft({}, store, preferences);
    EXPECT_EQ(fresh.draft.opacity, 0.8);
    EXPECT_TRUE(fresh.draft.compactMode);
    EXPECT_FALSE(fresh.draft.isolatedAccount.value_or(true));
    EXPECT_TRUE(websiteEditorDraft({}, store, AppPreferences{}).draft.isolatedAccount.value_or(false));

    auto account = websiteEditorDraft({.accountOf = mail.id}, store, preferences);
    EXPECT_TRUE(account.isNew() && account.draft.id != mail.id);
    EXPECT_TRUE(account.draft.homeURL == mail.homeURL && account.draft.isolatedAccount.value_or(false));

    auto gone = websiteEditorDraft({.editID = Uuid::random()}, store, preferences);
    EXPECT_TRUE(gone.isNew() && gone.draft.opacity == 0.8) << "a deleted website opens as a new one";
}

}  // namespace
}  // namespace quenlith

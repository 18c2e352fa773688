// The Page Groups pane and its sheet on live windows: saving what is on screen as a named group in
// library.json (or the notice when nothing qualifies), the name rules of "Save", a full library,
// the list with its search, the group link, the focus banner and deleting after the question.
#include <gtest/gtest.h>
#include <gtkmm/clipboard.h>

#include <nlohmann/json.hpp>

#include "library/library_pane_context.hpp"
#include "library/page_group_sheet.hpp"
#include "library/page_groups_pane.hpp"
#include "model/library_file.hpp"
#include "model/library_store.hpp"
#include "model/saved_pages_section.hpp"
#include "windows/window_manager_fixture.hpp"

namespace quenlith {
namespace {

class PageGroupsPaneTest : public test::WindowManagerFixture {
protected:
    void SetUp() override {
        start();
        context = std::make_unique<LibraryPaneContext>(library, *store, *preferences, *manager, navigation);
        context->setNotice = [this](const std::string& text) { notice = text; };
        context->clearNotice = [this] { notice.reset(); };
        context->ask = [this](const std::string& text, std::function<void()> action) {
            question = text;
            pendingAction = std::move(action);
        };
        context->showSceneSheet = [this](const BrowserScene& draft) {
            sheet = context->makeSceneSheet(draft, [this] { sheetOpen = false; });
            sheetOpen = true;
        };
        pane = std::make_unique<PageGroupsPane>(*context);
    }
    PageGroupSheet& groupSheet() { return dynamic_cast<PageGroupSheet&>(*sheet); }
    LibraryDocument savedDocument() { return nlohmann::json::parse(test::readFile(defaultLibraryFilePath())); }

    LibraryStore library{std::nullopt, timers};
    SavedPagesNavigation navigation;
    std::unique_ptr<LibraryPaneContext> context;
    std::unique_ptr<PageGroupsPane> pane;
    std::unique_ptr<Gtk::Widget> sheet;
    bool sheetOpen = false;
    std::optional<std::string> notice, question;
    std::function<void()> pendingAction;
};

TEST_F(PageGroupsPaneTest, SavingTheWindowsOnScreenNamesTheGroupAndListsIt) {
    pane->saveOpenWindowsAsGroup();
    EXPECT_EQ(notice, "Open at least one regular webpage in a visible Quenlith window first.");
    EXPECT_FALSE(sheetOpen);

    std::vector<BrowserWindowController*> windows;
    for (const char* path : {"/a", "/b", "/c"}) {
        windows.push_back(&openOwn(website(path, path)));
        ASSERT_TRUE(test::spinUntil([&] { return windows.back()->browser().activeTab()->address().has_value(); }));
    }
    windows[1]->browser().addTab(server.url("/b2"));
    ASSERT_TRUE(test::spinUntil([&] { return server.requestCount("/b2") == 1; }));
    pane->saveOpenWindowsAsGroup();
    EXPECT_FALSE(notice) << "a capture clears the notice first";
    ASSERT_TRUE(sheetOpen);

    // "Save" waits for a name of 1 to 100 characters; the name is saved trimmed.
    PageGroupSheet& form = groupSheet();
    for (const auto& [typed, enabled] : std::vector<std::pair<std::string, bool>>{
             {"", false}, {"   ", false}, {std::string(101, 'w'), false}, {std::string(100, 'w'), true}}) {
        form.nameField().set_text(typed);
        EXPECT_EQ(form.saveButton().get_sensitive(), enabled) << '"' << typed << '"';
    }
    form.nameField().set_text("  Work  ");
    form.saveButton().clicked();
    EXPECT_FALSE(sheetOpen);
    ASSERT_EQ(savedDocument().scenes.size(), 1u);
    const BrowserScene saved = savedDocument().scenes[0];
    EXPECT_EQ(saved.name, "Work");
    ASSERT_EQ(saved.windows.size(), 3u);
    EXPECT_EQ(saved.windows[1].urls, (std::vector<std::string>{server.url("/b"), server.url("/b2")}));
    EXPECT_EQ(saved.windows[1].selected, 1);
    EXPECT_EQ(saved.windows[2].frame, windows[2]->panel().savedFrame());

    // The list, its search (names only, case ignored) and the counts.
    pane->refresh();
    ASSERT_EQ(pane->shownScenes().size(), 1u);
    context->query = "WOR";
    pane->refresh();
    EXPECT_EQ(pane->shownScenes().size(), 1u);
    context->query = "/b";
    pane->refresh();
    EXPECT_TRUE(pane->shownScenes().empty());

    pane->copyGroupLink(saved.id);
    EXPECT_EQ(Gtk::Clipboard::get()->wait_for_text(), "quenlith://workspace?id=" + saved.id.string());

    // The banner follows the focus, also when it ends elsewhere.
    EXPECT_FALSE(pane->showsFocusBanner());
    pane->focusGroup(saved);
    EXPECT_TRUE(pane->showsFocusBanner());
    manager->endSceneFocus();
    EXPECT_FALSE(pane->showsFocusBanner());

    // A full library refuses the next group: the sheet stays open with the message in red.
    library.update([&](LibraryDocument& document) {
        while (document.scenes.size() < kMaximumScenes) {
            BrowserScene copy = saved;
            copy.id = Uuid::random();
            document.scenes.push_back(copy);
        }
    });
    pane->saveOpenWindowsAsGroup();
    groupSheet().nameField().set_text("More");
    groupSheet().saveButton().clicked();
    EXPECT_TRUE(sheetOpen);
    EXPECT_TRUE(groupSheet().errorLine().get_visible());
    EXPECT_EQ(groupSheet().errorLine().get_text(), *library.errorMessage());

    // Deleting asks first and leaves the windows open.
    pane->confirmDeleteGroup(saved);
    EXPECT_EQ(question, "Delete this workspace? Its open windows will stay open.");
    EXPECT_EQ(savedDocument().scenes.size(), kMaximumScenes);
    pendingAction();
    EXPECT_EQ(savedDocument().scenes.size(), kMaximumScenes - 1);
    EXPECT_EQ(manager->windows().size(), 3u + 3u);
}

}  // namespace
}  // namespace quenlith

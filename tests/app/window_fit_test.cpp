// Every window of the application at a larger text size: each shows all of its content, none
// drawn smaller than it needs or larger than the screen.
#include <gtkmm/aboutdialog.h>
#include <gtkmm/dialog.h>
#include <webkit2/webkit2.h>

#include "app/about_window.hpp"
#include "app/app_fixture.hpp"
#include "app/browser_sheets.hpp"
#include "app/status_bar_controller.hpp"
#include "app/website_editor_presenter.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "editor/web_app_editor_window.hpp"
#include "launcher/launcher_window.hpp"
#include "support/content_fit.hpp"
#include "windows/window_router.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

class WindowFitTest : public test::AppFixture {};

TEST_F(WindowFitTest, AtOneAndAHalfTimesTheTextSizeEveryWindowShowsAllOfItsContent) {
    test::TextScaleScope textScale(1.5);
    environment = std::make_unique<AppEnvironment>(sessions);
    auto controller = std::make_unique<StatusBarController>(*environment, nullptr);
    WebAppProfile website{.name = "Site", .homeURL = server.url("/page")};
    server.page("/page", "<title>Page</title>");
    ASSERT_TRUE(environment->store().upsert(website));
    std::unique_ptr<Gtk::AboutDialog> about;
    using Kind = AuxiliaryWindows::Kind;
    auto aux = [this](Kind kind) { return environment->auxiliaryWindows().window(kind); };
    // The website's window with one of its sheets: the sheet.
    auto sheet = [&](void (BrowserMoreMenu::*show)()) -> Gtk::Window* {
        BrowserWindowController* window = environment->windows().routing().showProfile(website.id);
        if (!window || !spinUntil([&] { return window->panel().get_mapped(); })) return nullptr;
        (window->browser().moreMenu().*show)();
        return environment->browserSheets().sheet(window->id);
    };
    const struct {
        const char* name;
        std::function<Gtk::Window*()> open;
    } windows[] = {
        {"launcher",
         [&]() -> Gtk::Window* {
             controller->launcher().showAsWindow();
             return &controller->launcher();
         }},
        {"settings", [&] { return environment->auxiliaryWindows().showSettings(), aux(Kind::settings); }},
        {"editor",
         [&]() -> Gtk::Window* {
             environment->websiteEditor().showAddWebsite();
             return environment->websiteEditor().editorWindow();
         }},
        {"library", [&] { return environment->showLibrary(std::nullopt), aux(Kind::library); }},
        {"downloads", [&] { return environment->auxiliaryWindows().showDownloads(), aux(Kind::downloads); }},
        {"guide", [&] { return environment->auxiliaryWindows().showGuide(), aux(Kind::guide); }},
        {"Quick Open", [&] { return environment->auxiliaryWindows().showQuickOpen(), aux(Kind::quickOpen); }},
        {"multiple links", [&] { return environment->auxiliaryWindows().showBatchLinks(), aux(Kind::batchLinks); }},
        {"about",
         [&]() -> Gtk::Window* {
             about = makeAboutWindow(std::nullopt);
             about->present();
             return about.get();
         }},
        {"window settings sheet", [&] { return sheet(&BrowserMoreMenu::showWindowSettingsSheet); }},
        {"user agent sheet", [&] { return sheet(&BrowserMoreMenu::showUserAgentSheet); }},
        {"proxy sheet", [&] { return sheet(&BrowserMoreMenu::showProxySheet); }},
    };
    for (const auto& window : windows) {
        SCOPED_TRACE(window.name);
        Gtk::Window* shown = window.open();
        ASSERT_NE(shown, nullptr);
        ASSERT_TRUE(spinUntil([&] { return shown->get_mapped() && shown->get_allocated_height() > 1; }));
        // Laid out once the toolkit is idle.
        EXPECT_TRUE(spinUntil([&] { return test::cutOffContent(*shown).empty(); }))
            << testing::PrintToString(test::cutOffContent(*shown));
        if (auto* dialog = dynamic_cast<Gtk::Dialog*>(shown)) dialog->response(Gtk::RESPONSE_CANCEL);
        shown->hide();
    }
}

}  // namespace
}  // namespace quenlith

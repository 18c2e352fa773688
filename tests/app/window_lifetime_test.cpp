// Every kind of window the application makes, closed with the close behaviour "Close Window" the
// three ways a person closes it: the window manager's close request, the title bar's close button
// and Ctrl+W on its last tab, with the address field focused. Each closing runs inside an event of
// the window it ends; under AddressSanitizer (the lifetime lane) any touch of what is gone stops the
// test, and neither opening nor closing may make the toolkit warn.
#include <set>

#include <webkit2/webkit2.h>

#include "app/app_fixture.hpp"
#include "browser/view/browser_view_controller.hpp"

#include "support/toolkit_warnings.hpp"

#include "support/close_requests.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

enum class WindowKind { browser, savedWebsite, privateWindow, duplicate, popup };
enum class CloseWay { windowManager, closeButton, closeKey };
constexpr const char* kKindNames[] = {"browser", "saved website", "private", "duplicate", "pop-up"};
constexpr const char* kWayNames[] = {"window manager", "close button", "Ctrl+W"};

class WindowLifetime : public test::AppFixture {
protected:
    std::set<Uuid> windowIDs() {
        std::set<Uuid> ids;
        for (const auto& [id, window] : environment->windows().registry().windows()) ids.insert(id);
        return ids;
    }

    // Opens a window of the kind as the application's commands do and answers its id.
    std::optional<Uuid> open(WindowKind kind, const WebAppProfile& saved) {
        BrowserWindowManager& windows = environment->windows();
        switch (kind) {
            case WindowKind::browser: windows.routing().showBrowser(); return windows.registry().browserID();
            case WindowKind::savedWebsite: windows.routing().showProfile(saved.id); return saved.id;
            case WindowKind::privateWindow:
                windows.routing().openPrivateWindow();
                return windows.registry().lastActiveID();
            case WindowKind::duplicate:
            case WindowKind::popup: break;
        }
        // Both come from a page in a browser window.
        BrowserViewController* opener = windows.routing().open(server.url("/opener"));
        if (!opener || !spinUntil([&] { return !opener->tabs().active()->isLoading(); })) return std::nullopt;
        const std::set<Uuid> before = windowIDs();
        auto added = [&]() -> std::optional<Uuid> {
            for (const Uuid& id : windowIDs())
                if (!before.count(id)) return id;
            return std::nullopt;
        };
        if (kind == WindowKind::duplicate) {
            opener->services().onCommand(BrowserCommand::duplicate);
        } else {
            webkit_web_view_evaluate_javascript(opener->tabs().active()->webView(), "window.open('/popup')",
                                                -1, nullptr, nullptr, nullptr, nullptr, nullptr);
            spinUntil([&] { return added().has_value(); });
        }
        return added();
    }
};

TEST_F(WindowLifetime, EveryKindOfWindowClosesFromTheWindowManagerItsCloseButtonAndItsCloseKey) {
    WebAppProfile saved = website("Saved", "/saved");
    server.page("/opener", "<!doctype html><title>Opener</title>");
    server.page("/popup", "<!doctype html><title>Popup</title>");
    saveWebsites({saved});
    startWithMenu();
    environment->preferences().update([](AppPreferences& p) {
        p.closeBehavior = CloseBehavior::release;
        p.linkBehavior = LinkBehavior::newWindow;
    });
    BrowserWindowManager& windows = environment->windows();

    for (WindowKind kind : {WindowKind::browser, WindowKind::savedWebsite, WindowKind::privateWindow,
                            WindowKind::duplicate, WindowKind::popup}) {
        for (CloseWay way : {CloseWay::windowManager, CloseWay::closeButton, CloseWay::closeKey}) {
            SCOPED_TRACE(testing::Message()
                         << kKindNames[static_cast<int>(kind)] << ", " << kWayNames[static_cast<int>(way)]);
            const int warningsBefore = test::toolkitWarningCount();
            const std::optional<Uuid> id = open(kind, saved);
            ASSERT_TRUE(id);
            BrowserWindowController* window = windows.registry().window(*id);
            ASSERT_NE(window, nullptr);
            FloatingBrowserPanel& panel = window->panel();
            ASSERT_TRUE(spinUntil([&] { return panel.get_mapped(); }));
            // The person is in the window's address field when it closes: the focus leaves the
            // field while the title bar is taken apart.
            ASSERT_TRUE(spinUntil([&] {
                if (!panel.is_active()) panel.present();
                return panel.is_active();
            }));
            window->browser().presenter().focusAddressField();
            switch (way) {
                case CloseWay::windowManager: test::sendWindowManagerClose(panel); break;
                case CloseWay::closeButton:
                    ASSERT_TRUE(spinUntil([&] { return test::pressTitleBarCloseButton(panel); }));
                    break;
                case CloseWay::closeKey:
                    // The key acts on the key window: asked again until it is.
                    ASSERT_TRUE(spinUntil([&] {
                        if (!panel.is_active()) panel.present();
                        return menu->activeBrowser() == &window->browser();
                    }));
                    ASSERT_EQ(window->browser().tabs().items().size(), 1u);
                    test::pressKey(panel, "w", GDK_CONTROL_MASK);
                    break;
            }
            ASSERT_TRUE(spinUntil([&] { return windows.registry().window(*id) == nullptr; }));
            EXPECT_NE(windows.registry().lastActiveID(), id);
            EXPECT_EQ(test::toolkitWarningCount(), warningsBefore) << "opening and closing warned";
        }
    }
    // The pop-ups and duplicates came from a page of the browser window.
    windows.closing().close(windows.registry().browserID());
    EXPECT_TRUE(windowIDs().empty());
    EXPECT_EQ(windows.publisher().visibleWindowCount(), 0);
}

}  // namespace
}  // namespace quenlith

// Windows closed the ways a person closes them: the window manager's close request and the close
// button of the window's title bar, for every kind of window and both close behaviours. The
// closing runs inside the window's own delete event, whose handler the closing tears down; under
// AddressSanitizer (the lifetime lane) any touch of what is gone stops the test.
#include <set>

#include <gtest/gtest.h>

#include <webkit2/webkit2.h>

#include "windows/window_manager_fixture.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

#include "support/close_requests.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

enum class WindowKind { privateWindow, popup, duplicate, savedWebsite };
enum class CloseWay { windowManager, closeButton };

const char* name(WindowKind kind) {
    switch (kind) {
        case WindowKind::privateWindow: return "private";
        case WindowKind::popup: return "pop-up";
        case WindowKind::duplicate: return "duplicate";
        case WindowKind::savedWebsite: return "saved website";
    }
    return "";
}

class WindowClosingLifetime : public test::WindowManagerFixture {
protected:
    std::set<Uuid> windowIDs() const {
        std::set<Uuid> ids;
        for (const auto& [id, window] : manager->registry().windows()) ids.insert(id);
        return ids;
    }
    // The one window registered since `before`.
    std::optional<Uuid> newWindow(const std::set<Uuid>& before) const {
        for (const Uuid& id : windowIDs())
            if (!before.count(id)) return id;
        return std::nullopt;
    }

    // Opens a window of the kind the way the application does and answers its id.
    std::optional<Uuid> open(WindowKind kind, BrowserWindowController& opener, const WebAppProfile& saved) {
        const std::set<Uuid> before = windowIDs();
        switch (kind) {
            case WindowKind::privateWindow: manager->routing().openPrivateWindow(); break;
            case WindowKind::popup:
                webkit_web_view_evaluate_javascript(opener.browser().tabs().active()->webView(),
                                                    "window.open('/popup')", -1, nullptr, nullptr, nullptr,
                                                    nullptr, nullptr);
                spinUntil([&] { return newWindow(before).has_value(); });
                break;
            case WindowKind::duplicate:
                opener.browser().services().onCommand(BrowserCommand::duplicate);
                break;
            case WindowKind::savedWebsite: manager->routing().showProfile(saved.id); return saved.id;
        }
        return newWindow(before);
    }
};

TEST_F(WindowClosingLifetime, EveryKindOfWindowClosesFromTheWindowManagerAndItsCloseButton) {
    auto saved = website("Saved", "/saved");
    server.page("/opener", test::titledPage("Opener"));
    server.page("/popup", test::titledPage("Popup"));
    preferences->update([](AppPreferences& p) { p.linkBehavior = LinkBehavior::newWindow; });
    start({saved});
    timers.runDue();
    BrowserViewController* openerView = manager->routing().open(server.url("/opener"));
    ASSERT_NE(openerView, nullptr);
    BrowserWindowController& opener = *manager->registry().window(manager->registry().browserID());
    ASSERT_TRUE(spinUntil(
        [&] { return server.requestCount("/opener") > 0 && !openerView->tabs().active()->isLoading(); }));

    for (CloseBehavior behavior : {CloseBehavior::hide, CloseBehavior::release}) {
        preferences->update([&](AppPreferences& p) { p.closeBehavior = behavior; });
        for (WindowKind kind : {WindowKind::privateWindow, WindowKind::popup, WindowKind::duplicate,
                                WindowKind::savedWebsite}) {
            // A duplicate has a record of its own, which "Hide Window" keeps: it closes with "Close Window".
            if (kind == WindowKind::duplicate && behavior == CloseBehavior::hide) continue;
            for (CloseWay way : {CloseWay::windowManager, CloseWay::closeButton}) {
                SCOPED_TRACE(testing::Message()
                             << name(kind)
                             << (way == CloseWay::windowManager ? ", window manager" : ", close button")
                             << (behavior == CloseBehavior::hide ? ", Hide Window" : ", Close Window"));
                const std::optional<Uuid> id = open(kind, opener, saved);
                ASSERT_TRUE(id);
                BrowserWindowController* window = manager->registry().window(*id);
                ASSERT_NE(window, nullptr);
                // The person is in the window they close: it is the last one brought forward.
                manager->routing().focus(*id, window->browser().tabs().active()->id);
                ASSERT_EQ(manager->registry().lastActiveID(), id);
                ASSERT_TRUE(mapped(*window));

                if (way == CloseWay::windowManager)
                    test::sendWindowManagerClose(window->panel());
                else
                    ASSERT_TRUE(spinUntil([&] { return test::pressTitleBarCloseButton(window->panel()); }));

                // "Hide Window" hides a saved website's own window and releases the others.
                if (behavior == CloseBehavior::hide && kind == WindowKind::savedWebsite) {
                    ASSERT_TRUE(spinUntil([&] { return !window->panel().get_visible(); }));
                    EXPECT_EQ(manager->registry().window(*id), window) << "hidden, kept with its page";
                    continue;
                }
                ASSERT_TRUE(spinUntil([&] { return manager->registry().window(*id) == nullptr; }));
                EXPECT_EQ(manager->registry().lastActiveID(), std::nullopt);
                EXPECT_FALSE(manager->registry().browsingProfiles().count(*id))
                    << "its own record goes with it";
                // The closed window is released on the next idle turn, after its handler returned.
                timers.runDue();
            }
        }
    }
    EXPECT_EQ(windowIDs(), std::set<Uuid>{manager->registry().browserID()});
}

}  // namespace
}  // namespace quenlith

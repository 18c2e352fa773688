// A notice over a browser window lies wholly in view, whatever the window shows around the page.
#include "app/app_fixture.hpp"
#include "browser/page/download_manager.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/localization.hpp"
#include "support/content_fit.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// The notice of a download that failed for a full disk, with a long file name.
std::string failedDownloadNotice() {
    DownloadEntry entry;
    entry.name = "Quarterly accounts of the northern region, final version for the board.pdf";
    entry.status = localizedFormat(
        download_status::couldNotSave,
        {"Error writing to file \u201c/home/person/Downloads/quarterly-accounts.pdf\u201d: No space left on device"});
    entry.isActive = false;
    return downloadNotice(entry).value();
}

// The label under `root` that shows `text`; none when none is drawn.
Gtk::Label* drawnLabel(Gtk::Widget& root, const std::string& text) {
    if (auto* label = dynamic_cast<Gtk::Label*>(&root); label && label->get_is_drawable() && label->get_text() == text)
        return label;
    if (auto* container = dynamic_cast<Gtk::Container*>(&root))
        for (Gtk::Widget* child : container->get_children())
            if (Gtk::Label* found = drawnLabel(*child, text)) return found;
    return nullptr;
}

// The notices stay until a test moves its timers on.
class ToastFitTest : public test::AppFixture {
protected:
    // Spins the main loop, running the work put off to it, until `condition` holds.
    bool settle(const std::function<bool()>& condition) {
        return spinUntil([&] {
            timers.runDue();
            return condition();
        });
    }

    // Waits until `toast` has been drawn and nothing hides any of it; adds a failure naming what does.
    void expectWhollyInView(Gtk::Widget& toast) {
        bool drawn = false;
        sigc::connection drawing = toast.signal_draw().connect(
            [&](const Cairo::RefPtr<Cairo::Context>&) {
                drawn = true;
                return false;
            },
            false);
        toast.queue_draw();
        EXPECT_TRUE(settle([&] { return drawn && test::hiddenParts(toast).empty(); }))
            << testing::PrintToString(test::hiddenParts(toast));
        drawing.disconnect();
    }

    ManualScheduler timers;
};

TEST_F(ToastFitTest, AFailuresNoticeLiesWhollyInViewInEveryLayoutOfTheWindow) {
    environment = std::make_unique<AppEnvironment>(sessions, timers);
    const std::string notice = failedDownloadNotice();
    const struct {
        const char* name;
        bool compact = false;
        bool revealed = false;  // compact mode's chrome brought back over the page
        bool twoTabs = false;
        bool findBar = false;
        bool narrowest = false;
        double textScale = 1;
    } layouts[] = {
        {.name = "plain window"},
        {.name = "tab bar", .twoTabs = true},
        {.name = "find bar", .findBar = true},
        {.name = "compact mode", .compact = true},
        {.name = "compact mode, its chrome shown over the page with the tab bar",
         .compact = true, .revealed = true, .twoTabs = true},
        {.name = "compact mode, its chrome shown with tab bar and find bar",
         .compact = true, .revealed = true, .twoTabs = true, .findBar = true},
        {.name = "narrowest window", .narrowest = true},
        {.name = "narrowest window with tab bar and find bar", .twoTabs = true, .findBar = true, .narrowest = true},
        {.name = "narrowest compact window, its chrome shown with the tab bar",
         .compact = true, .revealed = true, .twoTabs = true, .narrowest = true},
        {.name = "tab bar and find bar, text one and a half times as large",
         .twoTabs = true, .findBar = true, .textScale = 1.5},
    };
    int made = 0;
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        test::TextScaleScope textScale(layout.textScale);
        const std::string number = std::to_string(++made);
        WebAppProfile profile = website("Site " + number, "/site" + number);
        profile.compactMode = layout.compact;
        ASSERT_TRUE(environment->store().upsert(profile));
        BrowserWindowController* window = environment->windows().routing().showProfile(profile.id);
        ASSERT_NE(window, nullptr);
        BrowserViewController& browser = window->browser();
        ASSERT_TRUE(settle([&] { return window->panel().get_mapped(); }));
        if (layout.narrowest) {
            Rect frame = window->panel().frame();
            frame.width = kPanelMinimumWidth;
            frame.height = kPanelMinimumHeight;
            window->panel().setFrame(frame);
            ASSERT_TRUE(settle([&] {
                return window->panel().get_width() == static_cast<int>(kPanelMinimumWidth) &&
                       window->panel().get_height() == static_cast<int>(kPanelMinimumHeight);
            })) << window->panel().get_width() << " x " << window->panel().get_height();
        }
        if (layout.twoTabs) {
            // The page in front again, as when one of its downloads fails.
            browser.tabs().openNew();
            browser.tabs().select(0, true, false);
        }
        if (layout.findBar) browser.page().showFindBar();
        if (layout.revealed) browser.presenter().revealCompactChrome(true);
        ASSERT_TRUE(settle([&] {
            return browser.chrome().tabStrip().view().get_is_drawable() == layout.twoTabs &&
                   browser.chrome().findBar().get_is_drawable() == layout.findBar &&
                   browser.chrome().chromeView().get_is_drawable() == (!layout.compact || layout.revealed);
        }));

        // The page's own notice, and the window's.
        browser.chrome().toast().show(notice);
        expectWhollyInView(browser.chrome().toast());
        browser.chrome().toast().hide();
        environment->windows().routing().showToast(notice, *window);
        Gtk::Label* windowNotice = nullptr;
        ASSERT_TRUE(settle([&] { return (windowNotice = drawnLabel(window->panel(), notice)) != nullptr; }));
        expectWhollyInView(*windowNotice);
        environment->windows().closing().close(window->id);
    }
}

}  // namespace
}  // namespace quenlith

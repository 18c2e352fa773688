// A browser window's "more" menu and its sheets in the running application, against a local
// server, an authenticated proxy and the ad blocker.
#include <sys/stat.h>

#include <gdkmm/monitor.h>
#include <glibmm/main.h>
#include <gtkmm/checkmenuitem.h>
#include <gtkmm/menu.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/settings.h>
#include <webkit2/webkit2.h>

#include "app/app_fixture.hpp"
#include "app/browser_sheets.hpp"
#include "app/website_editor_presenter.hpp"
#include "browser/blocking/ad_blocking.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "editor/browser_window_settings_view.hpp"
#include "editor/user_agent_settings_view.hpp"
#include "editor/website_proxy_settings_view.hpp"
#include "model/credential_release.hpp"
#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/file_writer.hpp"
#include "model/preferences_store.hpp"
#include "model/user_agent.hpp"
#include "model/web_app_store.hpp"
#include "settings/ad_filtering_pane.hpp"
#include "support/accessibility_walk.hpp"
#include "support/child_process_test.hpp"
#include "support/granting_key_grabber.hpp"
#include "support/keyring_daemon.hpp"
#include "support/proxy_servers.hpp"
#include "support/toolkit_warnings.hpp"
#include "support/user_input_time.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

#include <gdk/gdkx.h>  // after gtkmm: Xlib defines macros gtkmm uses as names

namespace quenlith {
namespace {

using test::spinUntil;

// The window's _NET_WM_WINDOW_OPACITY as xprop reads it from the X server.
std::string opacityByXprop(Gtk::Window& window) {
    const std::string id = std::to_string(gdk_x11_window_get_xid(window.get_window()->gobj()));
    std::string command = "xprop -id " + id + " _NET_WM_WINDOW_OPACITY", output;
    gchar* out = nullptr;
    if (g_spawn_command_line_sync(command.c_str(), &out, nullptr, nullptr, nullptr) && out) output = out;
    g_free(out);
    auto equals = output.find("= ");
    return equals == std::string::npos ? output : output.substr(equals + 2, output.find('\n') - equals - 2);
}

class BrowserSheetsTest : public test::AppFixture {
protected:
    BrowserSheetsTest() : AppFixture(std::nullopt, readProxyPassword) {}
    // A new launch on the same files: the websites' sessions are made anew.
    void launch() {
        environment.reset();
        launched = std::make_unique<WebsiteSessions>(proxy, readProxyPassword);
        environment = std::make_unique<AppEnvironment>(*launched, mainLoopScheduler(),
                                                       std::make_unique<test::GrantingKeyGrabber>());
    }
    std::unique_ptr<WebsiteSessions> launched;

    // Opens a saved website on `path` and waits for its page.
    BrowserWindowController& open(const std::string& path) {
        if (!environment) launch();
        WebAppProfile website{.name = "Site", .homeURL = server.url(path)};
        EXPECT_TRUE(environment->store().upsert(website));
        BrowserWindowController& window = *environment->windows().routing().showProfile(website.id);
        EXPECT_TRUE(spinUntil([&] {
            BrowserTab* tab = window.browser().tabs().active();
            return tab && webkit_web_view_get_uri(tab->webView()) && !tab->isLoading() &&
                   window.panel().get_mapped();
        }));
        return window;
    }
    template <typename Sheet>
    Sheet* sheet(BrowserWindowController& window) {
        return dynamic_cast<Sheet*>(environment->browserSheets().sheet(window.id));
    }
    std::string lastAgent() { return test::lastHeader(server, "/agent", "User-Agent"); }
};

TEST_F(BrowserSheetsTest, WindowSettingsAndUserAgentApplyOnSaveAndAreSavedToTheWebsite) {
    server.page("/agent", "<title>Agent</title>");
    BrowserWindowController& window = open("/agent");
    BrowserViewController& browser = window.browser();
    const std::string engineDefault = lastAgent();
    EXPECT_TRUE(browser.chrome().toolbar().more().get_mapped());
    // The title bar's button builds the menu and pops it up, from the keyboard with its first item
    // that acts highlighted: not the main menu's, whose submenu would take the arrows. Whether it
    // maps depends on a pointer grab, which another test process on the same display may hold, so
    // only the menu is checked.
    // With the main menu's button, as the application gives it; in the narrow window its item leads.
    auto mainMenu = Gio::Menu::create();
    mainMenu->append("Settings", "app.settings");
    auto* mainMenuButton = Gtk::manage(new Gtk::MenuButton());
    mainMenuButton->set_menu_model(mainMenu);
    browser.chrome().toolbar().setMainMenuButton(*mainMenuButton, {});
    ASSERT_TRUE(spinUntil([&] { return browser.chrome().toolbar().mainMenuInMenu(); }));
    browser.chrome().toolbar().more().grab_focus();
    test::pressKey(window.panel(), "Return");
    EXPECT_TRUE(spinUntil([] {
        for (Gtk::Window* shown : Gtk::Window::list_toplevels())
            if (auto* menu = dynamic_cast<Gtk::Menu*>(shown->get_child());
                menu && !menu->get_children().empty()) {
                GtkWidget* selected = gtk_menu_shell_get_selected_item(GTK_MENU_SHELL(menu->gobj()));
                EXPECT_NE(selected, nullptr);
                if (selected) {
                    EXPECT_EQ(gtk_menu_item_get_submenu(GTK_MENU_ITEM(selected)), nullptr);
                }
                return menu->popdown(), true;
            }
        return false;
    }));
    browser.moreMenu().showWebsiteSettings();  // a saved website: the editor, not the sheet
    EXPECT_NE(environment->websiteEditor().editorWindow(), nullptr);
    EXPECT_EQ(sheet<Gtk::Dialog>(window), nullptr);

    browser.moreMenu().showWindowSettingsSheet();
    auto* settings = sheet<BrowserWindowSettingsView>(window);
    ASSERT_NE(settings, nullptr);
    browser.moreMenu().showUserAgentSheet();  // one sheet at a time
    EXPECT_EQ(sheet<BrowserWindowSettingsView>(window), settings);
    settings->opacityControl().setValue(0.5);
    settings->opacityControl().reportChange(0.5);
    settings->zoomSlider().set_value(1.5);
    settings->clickThroughToggle().set_active(true);
    EXPECT_FALSE(window.panel().ignoresMouseEvents()) << "click-through waits for Save";
    EXPECT_EQ(settings->zoomText(), "150%");
    settings->response(Gtk::RESPONSE_OK);

    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(browser.tabs().active()->webView()), 1.5);
    EXPECT_TRUE(window.panel().ignoresMouseEvents());
    EXPECT_TRUE(spinUntil([&] { return opacityByXprop(window.panel()) == "2147483647"; })) << opacityByXprop(window.panel());
    auto saved = environment->store().profile(window.profileID);
    EXPECT_TRUE(saved && saved->zoomLevel == 1.5 && saved->opacity == 0.5);
    ASSERT_TRUE(spinUntil([&] { return sheet<Gtk::Dialog>(window) == nullptr; }));

    // Cancel leaves click-through as it is; an unchanged flag on Save sends no command.
    browser.moreMenu().showWindowSettingsSheet();
    sheet<BrowserWindowSettingsView>(window)->clickThroughToggle().set_active(false);
    sheet<BrowserWindowSettingsView>(window)->response(Gtk::RESPONSE_CANCEL);
    EXPECT_TRUE(window.panel().ignoresMouseEvents());
    ASSERT_TRUE(spinUntil([&] { return sheet<Gtk::Dialog>(window) == nullptr; }));
    // Return saves nothing: no button is the sheet's default, which Return in a field or on the
    // sheet would press.
    browser.moreMenu().showWindowSettingsSheet();
    EXPECT_EQ(gtk_window_get_default_widget(GTK_WINDOW(sheet<BrowserWindowSettingsView>(window)->gobj())), nullptr);
    sheet<BrowserWindowSettingsView>(window)->response(Gtk::RESPONSE_OK);
    EXPECT_TRUE(window.panel().ignoresMouseEvents());

    // A preset reaches the server; a blank custom text means the engine's default.
    ASSERT_TRUE(spinUntil([&] { return sheet<Gtk::Dialog>(window) == nullptr; }));
    browser.moreMenu().showUserAgentSheet();
    sheet<UserAgentSettingsView>(window)->picker().presetPicker().set_active(2);  // iPhone
    sheet<UserAgentSettingsView>(window)->response(Gtk::RESPONSE_OK);
    browser.page().reloadActiveTab();
    ASSERT_TRUE(spinUntil([&] { return server.requestCount("/agent") == 2; }));
    EXPECT_EQ(lastAgent(), *userAgentText(UserAgentPreset::iphone));
    EXPECT_EQ(environment->store().profile(window.profileID)->customUserAgent,
              *userAgentText(UserAgentPreset::iphone));
    ASSERT_TRUE(spinUntil([&] { return sheet<Gtk::Dialog>(window) == nullptr; }));
    browser.moreMenu().showUserAgentSheet();
    auto& picker = sheet<UserAgentSettingsView>(window)->picker();
    picker.presetPicker().set_active(4);  // Custom
    picker.customField().set_text("   ");
    sheet<UserAgentSettingsView>(window)->response(Gtk::RESPONSE_OK);
    EXPECT_EQ(environment->store().profile(window.profileID)->customUserAgent, std::nullopt);
    browser.page().reloadActiveTab();
    ASSERT_TRUE(spinUntil([&] { return server.requestCount("/agent") == 3; }));
    EXPECT_EQ(lastAgent(), engineDefault);

    // A sheet goes with its window.
    ASSERT_TRUE(spinUntil([&] { return sheet<Gtk::Dialog>(window) == nullptr; }));
    browser.moreMenu().showUserAgentSheet();
    const Uuid id = window.id;
    environment->windows().closing().close(id);
    EXPECT_TRUE(spinUntil([&] {
        return !environment->browserSheets().sheet(id) && !environment->windows().registry().window(id);
    }));
}

// A screen reader's walk of a website's window and of each of its sheets (the proxy sheet with its
// fields shown): every control named, no drop-down named by its value, no two controls of one name.
TEST_F(BrowserSheetsTest, TheWindowAndItsSheetsReadWithANameForEveryControl) {
    server.page("/page", "<title>Page</title>");
    BrowserWindowController& window = open("/page");
    EXPECT_THAT(test::accessibilityProblems(window.panel()), testing::IsEmpty());
    BrowserViewController& browser = window.browser();
    for (auto show : {&BrowserMoreMenu::showWindowSettingsSheet, &BrowserMoreMenu::showUserAgentSheet,
                      &BrowserMoreMenu::showProxySheet}) {
        (browser.moreMenu().*show)();
        Gtk::Dialog* shown = sheet<Gtk::Dialog>(window);
        ASSERT_NE(shown, nullptr);
        if (auto* proxySheet = dynamic_cast<WebsiteProxySettingsView*>(shown))
            test::fillProxy(proxySheet->sessionSettings(), 1, "3128", "ann", "secret");
        ASSERT_TRUE(spinUntil([&] { return shown->get_mapped(); }));
        EXPECT_THAT(test::accessibilityProblems(*shown), testing::IsEmpty()) << G_OBJECT_TYPE_NAME(shown->gobj());
        shown->response(Gtk::RESPONSE_CANCEL);
        ASSERT_TRUE(spinUntil([&] { return sheet<Gtk::Dialog>(window) == nullptr; }));
    }
}

// Every label of a website's window, its title and address in the header bar among them, reads at
// 4.5:1 or more in the default theme, light and dark, and in the high-contrast theme.
TEST_F(BrowserSheetsTest, TheWindowsTextReadsAtFourAndAHalfInEachTheme) {
    server.page("/page", "<title>Page</title>");
    test::ThemeScope themes;
    for (const test::MeasuredTheme& theme : test::kMeasuredThemes) {
        SCOPED_TRACE(theme.label());
        themes.use(theme);
        launch();  // a window built after the change, styled from the start by the theme
        ASSERT_TRUE(spinUntil([&] { return test::prefersDarkTheme() == theme.dark; }));
        BrowserWindowController& window = open("/page");
        ASSERT_TRUE(spinUntil([&] { return !window.browser().chrome().toolbar().shownAddress().empty(); }));
        std::size_t measured = 0;
        for (const test::TextContrast& text : test::labelContrasts(window.panel())) {
            EXPECT_GE(text.ratio, 4.5) << "\"" << text.text << "\"";
            ++measured;
        }
        EXPECT_GE(measured, 2u) << "the title and the address";
    }
}

// The dialog shown in front of the window, transient for it: a sheet or the engine's print dialog.
Gtk::Window* dialogOf(Gtk::Window& window) {
    for (Gtk::Window* shown : Gtk::Window::list_toplevels())
        if (shown->get_visible() && shown->get_transient_for() == &window) return shown;
    return nullptr;
}

// A sheet or the print dialog opened from a website's window and closed with Escape gives the focus
// back to that window, where the next key goes. Read by a screen reader meanwhile, neither logs a
// toolkit warning as it goes.
TEST_F(BrowserSheetsTest, EscapeClosesASheetAndGivesTheFocusBackToItsWindow) {
    server.page("/page", "<title>Page</title>");
    BrowserWindowController& window = open("/page");
    FloatingBrowserPanel& panel = window.panel();
    BrowserViewController& browser = window.browser();
    // The print dialog runs a loop of its own until it closes: it is opened from the main loop.
    const std::pair<const char*, std::function<void()>> openers[] = {
        {"user agent", [&] { browser.moreMenu().showUserAgentSheet(); }},
        {"proxy", [&] { browser.moreMenu().showProxySheet(); }},
        {"print", [&] { Glib::signal_idle().connect_once([&] { browser.page().printActivePage(); }); }},
    };
    test::AccessibilityListener reader;
    for (const auto& [name, openIt] : openers) {
        SCOPED_TRACE(name);
        // Tests running beside this one on the same display may take the focus: ask again until held.
        ASSERT_TRUE(spinUntil([&] {
            if (!panel.is_active()) panel.present();
            return panel.is_active();
        }));
        const int warnings = test::toolkitWarningCount();
        // Read, then Escape, from a source of the main loop: the print dialog's own loop runs it too.
        bool pressed = false, focused = false;
        int ticks = 0;
        sigc::connection typing = Glib::signal_timeout().connect(
            [&] {
                Gtk::Window* shown = dialogOf(panel);
                // Typed anyway after 10 s without the focus, so that a dialog's own loop ends.
                if (!shown || (!shown->is_active() && ++ticks < 500)) return true;
                focused = shown->is_active();
                test::accessibleControlNames(*shown);
                test::pressKey(*shown, "Escape", 0, test::userInputNow(*shown));
                pressed = true;
                return false;
            },
            20);
        openIt();
        EXPECT_TRUE(spinUntil([&] { return pressed && !dialogOf(panel) && panel.is_active(); }))
            << "pressed " << pressed << ", active " << panel.is_active();
        EXPECT_TRUE(focused) << "the dialog took the focus";
        typing.disconnect();
        EXPECT_EQ(test::toolkitWarningCount(), warnings);
    }
}

// While there is no tray, the More menu's "Show in Tray" says so and is off, on a page it would
// otherwise offer.
TEST_F(BrowserSheetsTest, TheMoreMenuSaysThereIsNoTrayWhileThereIsNone) {
    server.page("/page", "<title>Page</title>");
    BrowserWindowController& window = open("/page");
    for (bool available : {false, true}) {
        environment->windows().tray().setAvailable(available);
        auto menu = window.browser().moreMenu().make();
        Gtk::MenuItem* tray = nullptr;
        for (Gtk::Widget* child : menu->get_children())
            if (auto* item = dynamic_cast<Gtk::MenuItem*>(child);
                item && item->get_label().rfind("Show in Tray", 0) == 0)
                tray = item;
        ASSERT_NE(tray, nullptr);
        EXPECT_EQ(tray->get_label(), available ? "Show in Tray" : "Show in Tray (No Tray Found)");
        EXPECT_EQ(tray->get_sensitive(), available);
    }
}

// The item of the window's More menu titled `title`, in a menu built now; none without one.
Gtk::CheckMenuItem* moreMenuItem(BrowserWindowController& window, const std::string& title,
                                 std::unique_ptr<Gtk::Menu>& menu) {
    menu = window.browser().moreMenu().make();
    for (Gtk::Widget* child : menu->get_children())
        if (auto* item = dynamic_cast<Gtk::CheckMenuItem*>(child); item && item->get_label() == title)
            return item;
    return nullptr;
}

// The alerts on screen titled `title`; answered when `answer` says so.
int alertsTitled(const std::string& title, bool answer = false) {
    int shown = 0;
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (auto* alert = dynamic_cast<Gtk::MessageDialog*>(window);
            alert && alert->get_visible() && alert->property_text().get_value() == title) {
            ++shown;
            if (answer) alert->response(Gtk::RESPONSE_OK);
        }
    return shown;
}

// A switch of the More menu whose write fails (profiles.json is a folder) is told on the window
// every time it is chosen, and never confirmed: "Show in Tray" shows no toast and adds no icon,
// "Compact Mode" goes back, and both check marks stay off.
TEST_F(BrowserSheetsTest, AMoreMenuSwitchThatCannotBeSavedIsToldEveryTimeAndNeverConfirmed) {
    server.page("/page", "<title>Page</title>");
    BrowserWindowController& window = open("/page");
    environment->windows().tray().setAvailable(true);
    const Uuid websiteID = window.profileID;
    ASSERT_TRUE(spinUntil([&] { return !environment->store().hasPendingSave(); }));
    const std::string path = defaultProfilesFilePath();
    ASSERT_TRUE(files::removeFileIfPresent(path));
    ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);

    bool toasted = false;
    for (const char* title : {"Show in Tray", "Compact Mode"}) {
        for (int attempt = 1; attempt <= 3; ++attempt) {
            SCOPED_TRACE(std::string(title) + ", attempt " + std::to_string(attempt));
            std::unique_ptr<Gtk::Menu> menu;
            Gtk::CheckMenuItem* item = moreMenuItem(window, title, menu);
            ASSERT_NE(item, nullptr);
            EXPECT_FALSE(item->get_active());
            item->activate();
            EXPECT_TRUE(spinUntil([&] {
                toasted = toasted || window.toastText().has_value();
                return alertsTitled("Could not save website") == 1;
            }));
            EXPECT_FALSE(toasted) << window.toastText().value_or("");
            EXPECT_EQ(alertsTitled("Could not save website", /*answer=*/true), 1);
            ASSERT_TRUE(spinUntil([] { return alertsTitled("Could not save website") == 0; }));
            EXPECT_FALSE(environment->store().profile(websiteID)->menuBarIconEnabled.value_or(false));
            EXPECT_FALSE(environment->store().profile(websiteID)->compactMode);
            EXPECT_FALSE(window.browser().profile().compactMode) << "the window shows what is saved";
        }
    }
    std::unique_ptr<Gtk::Menu> menu;
    EXPECT_FALSE(moreMenuItem(window, "Show in Tray", menu)->get_active());
    EXPECT_FALSE(moreMenuItem(window, "Compact Mode", menu)->get_active());

    // Written, the switch is confirmed.
    ASSERT_EQ(::rmdir(path.c_str()), 0);
    moreMenuItem(window, "Show in Tray", menu)->activate();
    EXPECT_TRUE(spinUntil([&] { return window.toastText() == std::optional<std::string>("Added to Tray"); }));
    EXPECT_EQ(alertsTitled("Could not save website"), 0);
    EXPECT_TRUE(storedWebsites().front().menuBarIconEnabled.value_or(false));
}

TEST_F(BrowserSheetsTest, ProxySheetMovesTheWebsiteOntoAnAuthenticatedProxyAndBack) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    test::TinyproxyServer tinyproxy("ann", "secret1");
    server.page("/proxied", "<title>Proxied</title>");
    const std::string target = "127.0.0.1:" + std::to_string(server.port());
    BrowserWindowController* window = &open("/proxied");
    const Uuid websiteID = window->profileID;
    EXPECT_FALSE(tinyproxy.sawRequestFor(target));

    window->browser().moreMenu().showProxySheet();
    auto* proxySheet = sheet<WebsiteProxySettingsView>(*window);
    ASSERT_NE(proxySheet, nullptr);
    test::fillProxy(proxySheet->sessionSettings(), 1, std::to_string(tinyproxy.port()), "ann", "secret1");
    proxySheet->response(Gtk::RESPONSE_OK);
    ASSERT_TRUE(spinUntil([&] { return sheet<Gtk::Dialog>(*window) == nullptr; })) << proxySheet->error().value_or("");
    const auto stored = environment->store().profile(websiteID)->siteProxy;
    ASSERT_TRUE(stored && stored->credentialID);

    // The next launch takes the website's new route.
    launch();
    window = environment->windows().routing().showProfile(websiteID);
    ASSERT_TRUE(spinUntil([&] { return server.requestCount("/proxied") == 2; }));
    EXPECT_TRUE(tinyproxy.sawRequestFor(target)) << tinyproxy.log();

    // Off, on a full disk: the write fails after the sheet closed and takes the record back, which
    // needs its password still.
    auto turnProxyOff = [&] {
        window->browser().moreMenu().showProxySheet();
        sheet<WebsiteProxySettingsView>(*window)->sessionSettings().proxyToggle().set_active(false);
        sheet<WebsiteProxySettingsView>(*window)->response(Gtk::RESPONSE_OK);
        return spinUntil([&] { return sheet<Gtk::Dialog>(*window) == nullptr; });
    };
    {
        test::FileSizeLimit full(1);
        ASSERT_TRUE(turnProxyOff());
        applicationFileWriter().flush();
    }
    ASSERT_TRUE(spinUntil([&] { return environment->store().profile(websiteID)->siteProxy == stored; }))
        << "the record is taken back";
    EXPECT_TRUE(test::keyringHolds(*stored->credentialID)) << "the record taken back lost its password";
    for (Gtk::Window* shown : Gtk::Window::list_toplevels())
        if (auto* alert = dynamic_cast<Gtk::MessageDialog*>(shown); alert && alert->get_visible())
            alert->response(Gtk::RESPONSE_OK);

    ASSERT_TRUE(turnProxyOff());
    ASSERT_TRUE(spinUntil([&] { return !environment->store().hasPendingSave(); }));
    EXPECT_EQ(environment->store().profile(websiteID)->siteProxy, std::nullopt);
    // The file's backup is the file before this save: "Restore Previous" would bring the record
    // back, and it needs its password.
    ASSERT_TRUE(spinUntil([] { return credentialSearchesInFlight() == 0; }));
    EXPECT_TRUE(test::keyringHolds(*stored->credentialID)) << "the backup still names it";
    // Once a later save has replaced that backup, nothing names it, and letting go of it takes it.
    window->browser().moreMenu().showProxySheet();
    sheet<WebsiteProxySettingsView>(*window)->sessionSettings().accountField().set_text("Work");
    sheet<WebsiteProxySettingsView>(*window)->response(Gtk::RESPONSE_OK);
    ASSERT_TRUE(spinUntil([&] { return sheet<Gtk::Dialog>(*window) == nullptr; }));
    ASSERT_TRUE(spinUntil([&] { return !environment->store().hasPendingSave(); }));
    environment->windows().services().discardProxyCredential(*stored->credentialID);
    EXPECT_TRUE(spinUntil([&] { return !test::keyringHolds(*stored->credentialID); }))
        << "the password nothing names is gone";
}

// The password the proxy sheet stored for a save whose write fails is named by nothing once the
// record is taken back, and no sheet is left to save it again: it goes. One the record had before
// stays.
TEST_F(BrowserSheetsTest, APasswordTheProxySheetStoredGoesWhenItsSaveNeverReachesTheDisk) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    server.page("/site", "<title>Site</title>");
    BrowserWindowController& window = open("/site");
    const Uuid websiteID = window.profileID;
    // Saves the sheet as filled in by `fill`, on a full disk when asked; the credential it saved.
    auto saveSheet = [&](const std::function<void(WebsiteSessionSettings&)>& fill, bool diskFull) {
        window.browser().moreMenu().showProxySheet();
        EXPECT_NE(sheet<WebsiteProxySettingsView>(window), nullptr);
        fill(sheet<WebsiteProxySettingsView>(window)->sessionSettings());
        std::optional<test::FileSizeLimit> full;
        if (diskFull) full.emplace(1);
        sheet<WebsiteProxySettingsView>(window)->response(Gtk::RESPONSE_OK);
        EXPECT_TRUE(spinUntil([&] { return sheet<Gtk::Dialog>(window) == nullptr; }));
        auto saved =
            environment->store().profile(websiteID)->siteProxy.value_or(BrowserProxySettings{}).credentialID;
        applicationFileWriter().flush();
        return saved;
    };
    // What the sheet edits of the stored record.
    auto sheetFields = [&] {
        const auto record = environment->store().profile(websiteID);
        return std::make_pair(record->siteProxy, record->accountName);
    };
    // Waits until the store holds `fields` again, and puts the failure's alert away.
    auto takenBack = [&](const decltype(sheetFields())& fields) {
        bool back = spinUntil([&] { return sheetFields() == fields; });
        for (Gtk::Window* shown : Gtk::Window::list_toplevels())
            if (auto* alert = dynamic_cast<Gtk::MessageDialog*>(shown); alert && alert->get_visible())
                alert->response(Gtk::RESPONSE_OK);
        return back;
    };
    auto proxyWith = [](const std::string& password) {
        return
            [password](WebsiteSessionSettings& form) { test::fillProxy(form, 3, "1080", "ann", password); };
    };

    const auto without = sheetFields();
    const auto made = saveSheet(proxyWith("first"), true);
    ASSERT_TRUE(made);
    ASSERT_TRUE(takenBack(without));
    EXPECT_TRUE(spinUntil([&] { return !test::keyringHolds(*made); })) << "named by nothing, it stayed";

    const auto own = saveSheet(proxyWith("second"), false);
    ASSERT_TRUE(own && test::keyringHolds(*own));
    ASSERT_TRUE(spinUntil([&] { return !environment->store().hasPendingSave(); }));
    const auto with = sheetFields();
    const auto kept =
        saveSheet([](WebsiteSessionSettings& form) { form.accountField().set_text("Work"); }, true);
    EXPECT_EQ(kept, own) << "the password is kept without one typed";
    ASSERT_TRUE(takenBack(with)) << "the account name is taken back";
    EXPECT_TRUE(test::keyringHolds(*own)) << "the record taken back lost its password";
}

TEST_F(BrowserSheetsTest, ASheetOfAWindowLowOnTheScreenOpensOnTheWorkArea) {
    server.page("/low", "<title>Low</title>");
    BrowserWindowController& window = open("/low");
    Gdk::Rectangle area;
    window.panel().get_display()->get_monitor_at_window(window.panel().get_window())->get_workarea(area);
    const Rect low{double(area.get_x() + 400), double(area.get_y() + area.get_height() - 200), 400, 180};
    window.panel().setFrame(low);
    ASSERT_TRUE(spinUntil([&] { return window.panel().frame() == low; }));
    window.browser().moreMenu().showProxySheet();
    auto* proxySheet = sheet<WebsiteProxySettingsView>(window);
    ASSERT_NE(proxySheet, nullptr);
    ASSERT_TRUE(spinUntil([&] { return proxySheet->get_mapped(); }));
    Gdk::Rectangle frame;
    ASSERT_TRUE(spinUntil([&] {
        proxySheet->get_window()->get_frame_extents(frame);
        return frame.get_height() >= 580;
    }));
    EXPECT_NEAR(frame.get_x() + frame.get_width() / 2.0, low.x + low.width / 2, 1)
        << "centred over its window";
    EXPECT_GE(frame.get_y(), area.get_y());
    EXPECT_LE(frame.get_y() + frame.get_height(), area.get_y() + area.get_height());
}

// Items of a "more" menu by title.
Gtk::MenuItem* menuItem(Gtk::Menu& menu, const std::string& prefix) {
    for (Gtk::Widget* child : menu.get_children())
        if (auto* item = dynamic_cast<Gtk::MenuItem*>(child); item && item->get_label().rfind(prefix, 0) == 0)
            return item;
    return nullptr;
}

TEST_F(BrowserSheetsTest, AllowingAdsOnAWebsiteLetsAListedHostsScriptLoadUntilSwitchedOff) {
    // The shared blocker keeps the cache folder of its first use: a process of its own.
    if (!test::runInChildProcess(test::ChildProcessOptions())) return;
    test::TestHttpServer adHost;
    adHost.route("/ad.js", [](const test::TestRequest&) {
        return test::TestResponse{200, "application/javascript", "0;", {{"Cache-Control", "no-store"}}};
    });
    int served = 0;
    server.route("/news", [&](const test::TestRequest&) {
        const std::string n = std::to_string(++served);
        return test::TestResponse{200, "text/html", "<script src=\"" + adHost.url("/ad.js", "ads.localhost") +
                                                        "\" onload=\"document.title='loaded" + n +
                                                        "'\" onerror=\"document.title='blocked" + n + "'\"></script>", {}};
    });
    launch();
    environment->preferences().update([](AppPreferences& p) {
        p.adFilter = AdFilterSettings{.enabled = true,
                                      .hidePlaceholders = true,
                                      .allowedSites = {},
                                      .blockedDomains = {"ads.localhost"}};
    });
    BrowserWindowController& window = open("/news");
    BrowserViewController& browser = window.browser();
    auto title = [&] { return browser.tabs().active()->pageTitle(); };
    WebKitUserContentManager* manager =
        webkit_web_view_get_user_content_manager(browser.tabs().active()->webView());
    auto applied = [&](bool allowed) {
        auto state = environment->adBlocking().entryState(manager);
        return state && state->installedSettings && state->installedSettings->allowedSites.empty() != allowed;
    };
    auto reloadAndRead = [&] {
        const int before = served;
        browser.page().reloadActiveTab();
        spinUntil([&] { return served > before && title().ends_with(std::to_string(served)); });
        return title().substr(0, title().size() - std::to_string(served).size());
    };
    ASSERT_TRUE(spinUntil([&] { return applied(false); }, std::chrono::seconds(60)));
    EXPECT_EQ(reloadAndRead(), "blocked");

    auto menu = browser.moreMenu().make();
    ASSERT_NE(menuItem(*menu, "Allow Ads on This Website"), nullptr);
    menuItem(*menu, "Allow Ads on This Website")->activate();
    ASSERT_TRUE(spinUntil([&] { return applied(true); }, std::chrono::seconds(60)));
    EXPECT_EQ(reloadAndRead(), "loaded");
    auto reopened = browser.moreMenu().make();
    EXPECT_TRUE(dynamic_cast<Gtk::CheckMenuItem&>(*menuItem(*reopened, "Allow Ads on This Website")).get_active());

    // The sheet's page shows the exception; switching it off there blocks the host again.
    browser.moreMenu().showAdFilterSheet();
    auto* pane = dynamic_cast<AdFilteringPane*>(
        environment->browserSheets().sheet(window.id)->get_content_area()->get_children().front());
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(pane->placeholderToggle().get_active()) << "the stored choice is shown";
    EXPECT_EQ(pane->footerText(), std::to_string(AdBlocking::defaultDomains().size()) + " built-in domains \u00b7 2025-10-31");
    EXPECT_TRUE(pane->allowCurrentHostToggle().get_active());
    pane->allowCurrentHostToggle().set_active(false);
    ASSERT_TRUE(spinUntil([&] { return applied(false); }, std::chrono::seconds(60)));
    // A loaded machine may have cut an earlier load short before it was served: the reload's own
    // request is the one that counts.
    const int servedBefore = served;
    pane->reloadButton().clicked();
    EXPECT_EQ(sheet<Gtk::Dialog>(window), nullptr) << "reloading closes the sheet";
    spinUntil([&] { return served > servedBefore && title() == "blocked" + std::to_string(served); });
    EXPECT_GT(served, servedBefore);
    EXPECT_EQ(title(), "blocked" + std::to_string(served));
}

TEST(AdFilteringPaneTest, ListsEditInOrderAndAFailedPreparationOffersTryAgain) {
    test::TemporaryEnvironment home;
    PreferencesStore preferences;
    // A store folder that cannot be made: every compilation fails.
    AdBlocking blocker(std::make_unique<WebKitContentRuleCompiler>("/proc/quenlith-no-store"), {"ads.example"});
    AdFilteringPane pane(preferences, blocker);
    auto& exceptions = pane.exceptionsList();
    for (const char* typed : {"B.example", "https://a.example/page", "not a domain"}) {
        exceptions.field().set_text(typed);
        exceptions.field().activate();
    }
    EXPECT_EQ(exceptions.shownEntries(), (std::vector<std::string>{"a.example", "b.example"}));
    EXPECT_EQ(preferences.value().adFilterSettings().allowedSites, exceptions.shownEntries());
    EXPECT_EQ(exceptions.field().get_text(), "not a domain");
    exceptions.remove("a.example");
    EXPECT_EQ(exceptions.errorText(), AdFilterDomainEditor::refusalMessage()) << "removing keeps the refusal";
    EXPECT_FALSE(pane.placeholderToggle().get_sensitive());

    pane.blockToggle().set_active(true);
    EXPECT_TRUE(pane.placeholderToggle().get_sensitive());
    ASSERT_TRUE(spinUntil([&] { return pane.errorRow().get_visible(); }));
    EXPECT_EQ(blocker.errorMessage(), "Ad filtering is unavailable. Retry or turn it off.");
    const int runs = pane.preparationCount();
    pane.retryButton().clicked();
    EXPECT_EQ(pane.preparationCount(), runs + 1) << "Try Again prepares the same settings again";
    pane.blockToggle().set_active(false);
    EXPECT_TRUE(spinUntil([&] { return !pane.errorRow().get_visible(); }));
}

}  // namespace
}  // namespace quenlith

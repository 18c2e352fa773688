// The settings window against the real stores: every live control writes the settings file at
// once, the windows follow, and the Websites and Shortcuts tabs reach the store and the shortcuts.
#include <map>
#include <set>

#include <atkmm/object.h>
#include <gdkmm/display.h>
#include <gdkmm/seat.h>
#include <gtkmm/settings.h>

#include <gtkmm/messagedialog.h>

#include "app/status_bar_controller.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/isolated_text.hpp"
#include "model/file_test_support.hpp"
#include "model/file_writer.hpp"
#include "model/login_item.hpp"
#include "model/preferences_store.hpp"
#include "settings/appearance_pane.hpp"
#include "settings/general_pane.hpp"
#include "settings/network_settings_page.hpp"
#include "settings/settings_fixture.hpp"
#include "settings/shortcuts_pane.hpp"
#include "settings/websites_pane.hpp"
#include "support/accessibility_walk.hpp"
#include "support/toolkit_language.hpp"
#include "ui/action_button.hpp"
#include "ui/site_icon.hpp"
#include "windows/hot_key_manager.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

class SettingsWindowTest : public test::SettingsFixture {};

bool accessibleControlNamesEmpty(Gtk::Widget& root) {
    return test::accessibleControlNames(root).empty();
}

TEST_F(SettingsWindowTest, EveryLiveControlWritesItsFileAtOnceAndTheWindowsFollow) {
    auto site = website("Site", "/site");
    start({site});
    BrowserWindowController* existing = environment->windows().routing().showProfile(site.id);
    ASSERT_NE(existing, nullptr);
    EXPECT_TRUE(existing->panel().get_skip_taskbar_hint()) << "no taskbar entry unless asked for";
    auto& general = settings->generalPane();
    auto& appearance = settings->appearancePane();
    struct Step {
        const char* name;
        std::function<void()> act;
        std::function<bool(const AppPreferences&)> written;
    } steps[] = {
        {"opacity", [&] { general.opacityControl().reportChange(0.6); },
         [](auto& p) { return p.defaultOpacity == 0.6; }},
        {"isolation", [&] { general.isolationSwitch().set_active(false); },
         [](auto& p) { return p.isolateNewWindows == false; }},
        {"dock", [&] { general.dockSwitch().set_active(true); }, [](auto& p) { return p.showDockIcon; }},
        {"restore", [&] { general.restoreSwitch().set_active(true); },
         [](auto& p) { return p.restoreWindows; }},
        {"sleep", [&] { general.sleepPicker().set_active(2); },
         [](auto& p) { return p.backgroundSleepMinutes == 10; }},
        {"links", [&] { general.applicationLinksSwitch().set_active(true); },
         [](auto& p) { return p.applicationLinksEnabled == true; }},
        {"search", [&] { general.searchEnginePicker().set_active(1); },
         [](auto& p) { return p.searchEngine == SearchEngine::duckDuckGo; }},
        {"new links", [&] { general.linkBehaviorPicker().set_active(2); },
         [](auto& p) { return p.linkBehavior == LinkBehavior::external; }},
        {"close", [&] { general.closeBehaviorPicker().set_active(1); },
         [](auto& p) { return p.closeBehavior == CloseBehavior::release; }},
        {"theme", [&] { appearance.themePicker().set_active(1); },
         [](auto& p) { return p.theme == AppTheme::dark; }},
        {"width", [&] { appearance.widthStepper().spin(Gtk::SPIN_STEP_FORWARD, 20); },
         [](auto& p) { return p.defaultWidth == 500; }},
        {"height at its bound", [&] { appearance.heightStepper().spin(Gtk::SPIN_END, 0); },
         [](auto& p) { return p.defaultHeight == 1400; }},
        {"compact", [&] { appearance.compactSwitch().set_active(true); },
         [](auto& p) { return p.defaultCompact; }},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_TRUE(step.written(stored())) << step.name << " is in the file once written";
    }
    general.languagePicker().set_active(2);
    environment->preferences().flush();
    EXPECT_EQ(PreferencesStore().language(), InterfaceLanguage::simplifiedChinese);
    EXPECT_EQ(settings->status(), "") << "nothing failed";

    // The application follows: the dark theme, the taskbar entry of open windows, the opacity
    // and size of a new window.
    EXPECT_TRUE(spinUntil([&] { return test::prefersDarkTheme() && !existing->panel().get_skip_taskbar_hint(); }));
    environment->windows().routing().openAddress(server.url("/other"));
    BrowserWindowController* opened = nullptr;
    ASSERT_TRUE(spinUntil([&] {
        for (const auto& [id, window] : environment->windows().registry().windows())
            if (window.get() != existing) opened = window.get();
        return opened != nullptr;
    }));
    EXPECT_DOUBLE_EQ(opened->browser().profile().opacity, 0.6);
    EXPECT_FALSE(opened->panel().get_skip_taskbar_hint());
    EXPECT_TRUE(spinUntil([&] { return appearance.widthText() == "Width: 500 px"; })) << "labels follow";
    general.dockSwitch().set_active(false);
    EXPECT_TRUE(spinUntil([&] { return existing->panel().get_skip_taskbar_hint(); })) << "and back";

    // The login switch writes and deletes the autostart entry.
    auto& login = general.loginSwitch();
    login.set_active(true);
    const std::string entry = test::readFile(autostartEntryPath());
    EXPECT_NE(entry.find("Exec=" + execLineArgument(currentExecutablePath()) + "\n"), std::string::npos) << entry;
    login.set_active(false);
    EXPECT_FALSE(test::fileExists(autostartEntryPath()));
}

TEST_F(SettingsWindowTest, ALongMessageWrapsWithinTheWindowsWidthOnEveryTab) {
    test::writeFile(defaultProfilesFilePath(), "{ not a list of websites");
    start();
    int minimum = 0, natural = 0;
    settings->get_preferred_width(minimum, natural);
    EXPECT_LE(natural, 700) << "the websites file's error: " << settings->websitesPane().errorText();
}

// A website's name of any length is cut within its rows of the Websites and Shortcuts tabs, and
// widens neither them nor the window.
TEST_F(SettingsWindowTest, AVeryLongWebsiteNameIsCutWithinItsRowsAndWidensNoTab) {
    start({website(std::string(200'000, 'W'), "/long")});
    for (Gtk::Widget* pane : {static_cast<Gtk::Widget*>(&settings->websitesPane()),
                              static_cast<Gtk::Widget*>(&settings->shortcutsPane())}) {
        Gtk::Label* name = test::labelStartingWith(*pane, "WW");
        ASSERT_TRUE(name) << G_OBJECT_TYPE_NAME(pane->gobj());
        EXPECT_LE(name->get_text().bytes(), 2 * kShownNameCharacters) << "laid out whole";
        EXPECT_EQ(name->get_ellipsize(), Pango::ELLIPSIZE_END);
        int minimum = 0, natural = 0;
        pane->get_preferred_width(minimum, natural);
        EXPECT_LE(natural, 700) << G_OBJECT_TYPE_NAME(pane->gobj());
    }
    int minimum = 0, natural = 0;
    settings->get_preferred_width(minimum, natural);
    EXPECT_LE(natural, 700);
}

// A screen reader's walk of every tab: every control has a name, no drop-down is named by the value
// it shows, and the controls every website row (and every domain list) repeats say which row; no
// two tabs hold controls of one name (the window's own controls are read on every tab).
TEST_F(SettingsWindowTest, EveryTabReadsWithANameForEveryControl) {
    start({website("Mail", "/mail"), website("News", "/news")});
    ASSERT_TRUE(spinUntil([&] { return settings->get_mapped(); }));
    const SettingsWindow::Tab tabs[] = {SettingsWindow::general,   SettingsWindow::appearance,
                                        SettingsWindow::websites,  SettingsWindow::shortcuts,
                                        SettingsWindow::network,   SettingsWindow::adFiltering,
                                        SettingsWindow::privacy};
    std::map<std::string, std::set<int>> tabsOfName;
    for (auto tab : tabs) {
        SCOPED_TRACE(tab);
        settings->selectTab(tab);
        ASSERT_TRUE(spinUntil([&] { return !accessibleControlNamesEmpty(*settings); }));
        EXPECT_THAT(test::accessibilityProblems(*settings), testing::IsEmpty());
        for (const std::string& name : test::accessibleControlNames(*settings)) tabsOfName[name].insert(tab);
    }
    for (const auto& [name, on] : tabsOfName)
        EXPECT_TRUE(on.size() == 1 || on.size() == std::size(tabs)) << "\"" << name << "\" on " << on.size() << " tabs";
    settings->selectTab(SettingsWindow::websites);
    EXPECT_THAT(test::accessibleControlNames(*settings),
                testing::IsSupersetOf({"Edit Website, Mail", "Edit Website, News"}));
    settings->selectTab(SettingsWindow::shortcuts);
    EXPECT_THAT(test::accessibleControlNames(*settings), testing::IsSupersetOf({"Edit Shortcut, Mail"}));
    settings->selectTab(SettingsWindow::appearance);
    EXPECT_THAT(test::accessibleControlNames(*settings), testing::IsSupersetOf({"Theme", "Width", "Height"}));
}

// Every label of every tab, the captions under the controls among them, reads at 4.5:1 or more in
// the default theme, light and dark, and in the high-contrast theme.
TEST_F(SettingsWindowTest, TextContrastIsAtLeastFourAndAHalfOnEveryTabInEachTheme) {
    test::ThemeScope themes;
    for (const test::MeasuredTheme& theme : test::kMeasuredThemes) {
        SCOPED_TRACE(theme.label());
        themes.use(theme);
        // A window built after the change, styled from the start by the theme.
        if (environment) environment->windows().shutdown();
        environment.reset();
        // Ctrl+Alt+P held by another client: the shortcuts tab shows its error text too.
        auto grabber = std::make_unique<test::RefusingKeyGrabber>();
        grabber->heldByOthers = {35};
        start({website("Mail", "/mail")}, std::move(grabber));
        ASSERT_TRUE(spinUntil([&] {
            return settings->get_mapped() && test::prefersDarkTheme() == theme.dark;
        }));
        // Read as it shows at rest: the pointer away from the window, hovering over no link.
        auto pointer = Gdk::Display::get_default()->get_default_seat()->get_pointer();
        pointer->warp(Gdk::Screen::get_default(), 0, 0);
        for (auto tab : {SettingsWindow::general, SettingsWindow::appearance, SettingsWindow::websites,
                         SettingsWindow::shortcuts, SettingsWindow::network, SettingsWindow::adFiltering,
                         SettingsWindow::privacy}) {
            SCOPED_TRACE(tab);
            settings->selectTab(tab);
            ASSERT_TRUE(spinUntil([&] { return !test::labelContrasts(*settings).empty(); }));
            for (const test::TextContrast& text : test::labelContrasts(*settings))
                EXPECT_GE(text.ratio, 4.5) << "\"" << text.text << "\"";
        }
    }
}

TEST_F(SettingsWindowTest, TheNetworkPagesResultLineIsScrolledIntoViewAfterSave) {
    start();
    settings->selectTab(SettingsWindow::network);
    auto& page = settings->networkPage();
    ASSERT_TRUE(spinUntil([&] { return page.get_mapped(); }));
    page.kindPicker().set_active(1);  // HTTP CONNECT
    page.portField().set_text("70000");
    page.authenticationToggle().set_active(true);
    page.saveButton().clicked();
    ASSERT_TRUE(spinUntil([&] { return !page.saving(); }));
    EXPECT_EQ(page.messageText(), "Proxy port must be between 1 and 65535.");
    auto inView = [&] {
        int x = 0, y = 0;
        Gtk::Label& line = page.messageLabel();
        return line.get_mapped() && line.translate_coordinates(page, 0, 0, x, y) && y >= 0 &&
               y + line.get_allocated_height() <= page.get_allocated_height();
    };
    EXPECT_TRUE(spinUntil(inView));
}

TEST_F(SettingsWindowTest, AStoredSleepTimeThatIsNotOfferedIsShownUntilAnotherIsChosen) {
    ASSERT_TRUE(PreferencesStore().update([](AppPreferences& p) { p.backgroundSleepMinutes = 1; }));
    start();
    auto& picker = settings->generalPane().sleepPicker();
    EXPECT_EQ(picker.get_active_text(), "1 minute");
    picker.set_active(0);
    EXPECT_EQ(stored().backgroundSleepMinutes, 0);
    ASSERT_TRUE(spinUntil([&] { return picker.get_active_text() == "Off"; }));
    picker.set_active(static_cast<int>(picker.get_model()->children().size()) - 1);
    EXPECT_EQ(stored().backgroundSleepMinutes, 60) << "the rows offered, without the one no longer stored";
}

// A stored size with a fraction (a settings file written by hand) is shown cut to whole pixels in
// the stepper and its label, and a click on "−" steps from the stored value, fraction and all.
TEST_F(SettingsWindowTest, AFractionalStoredSizeIsShownCutAndSteppedWithItsFraction) {
    ASSERT_TRUE(PreferencesStore().update([](AppPreferences& p) { p.defaultWidth = 487.9; }));
    start();
    auto& appearance = settings->appearancePane();
    Gtk::SpinButton& width = appearance.widthStepper();
    EXPECT_EQ(width.get_text().raw(), "487");
    EXPECT_EQ(appearance.widthText(), "Width: 487 px");

    // A click on "−" as the toolkit makes it: the field is read back, then the value steps.
    width.update();
    width.spin(Gtk::SPIN_STEP_BACKWARD, 20);
    EXPECT_DOUBLE_EQ(stored().defaultWidth, 467.9);
    EXPECT_EQ(width.get_text().raw(), "467");
    EXPECT_TRUE(spinUntil([&] { return appearance.widthText() == "Width: 467 px"; }))
        << appearance.widthText();
}

// While there is no tray, the websites' tray boxes are off and a line says why; they follow a tray
// coming and going.
TEST_F(SettingsWindowTest, WithoutATrayTheWebsitesTrayBoxesAreOffAndSayWhy) {
    start({website("A", "/a"), website("B", "/b")});
    auto& pane = settings->websitesPane();
    for (bool available : {false, true, false}) {
        environment->windows().tray().setAvailable(available);
        ASSERT_EQ(pane.rows().size(), 2u);
        for (const auto& row : pane.rows()) EXPECT_EQ(row.menuBar->get_sensitive(), available);
        EXPECT_EQ(pane.saysNoTray(), !available);
    }
}

TEST_F(SettingsWindowTest, WebsitesReorderWithinTheListToggleTheirStatusItemAndAreDeletedAfterAsking) {
    auto a = website("A", "/a"), b = website("B", "/b"), c = website("C", "/c");
    start({a, b, c});
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    ASSERT_NE(bus, nullptr);
    StatusBarController statusBar(*environment, bus);
    auto& pane = settings->websitesPane();
    // Each row starts with the website's icon, asked for when the tab shows.
    auto pixbuf = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, true, 8, 16, 16);
    pixbuf->fill(0xCC3300FF);
    gchar* png = nullptr;
    gsize size = 0;
    pixbuf->save_to_buffer(png, size, "png");
    server.route("/favicon.ico", [bytes = std::string(png, size)](const test::TestRequest&) {
        return test::TestResponse{200, "image/png", bytes, {}};
    });
    g_free(png);
    ASSERT_EQ(pane.rows().size(), 3u);
    for (const auto& row : pane.rows()) ASSERT_NE(row.icon, nullptr);
    EXPECT_EQ(pane.rows().front().icon->content(), SiteIcon::Content::letter);
    settings->selectTab(SettingsWindow::websites);
    EXPECT_TRUE(spinUntil([&] { return pane.rows().front().icon->content() == SiteIcon::Content::favicon; }));
    auto order = [] {
        std::vector<std::string> names;
        for (const auto& website : storedWebsites()) names.push_back(website.name + std::to_string(website.sortOrder));
        return names;
    };
    const std::string before = test::readFile(defaultProfilesFilePath());
    pane.rows().front().up->invoke();
    pane.rows().back().down->invoke();
    EXPECT_EQ(test::readFile(defaultProfilesFilePath()), before) << "the ends do not move";
    pane.rows()[1].up->invoke();
    EXPECT_EQ(order(), (std::vector<std::string>{"B0", "A1", "C2"}));
    ASSERT_TRUE(spinUntil([&] { return pane.rows().front().id == b.id; }));

    pane.rows().front().menuBar->set_active(true);
    EXPECT_EQ(storedWebsites()[0].menuBarIconEnabled, true) << "saved at once";
    EXPECT_TRUE(spinUntil([&] { return statusBar.websiteItems().count(b.id) == 1; }));
    pane.rows().front().menuBar->set_active(false);
    EXPECT_TRUE(spinUntil([&] { return statusBar.websiteItems().empty(); }));

    pane.rows().back().remove->invoke();
    Gtk::MessageDialog* question = settings->alert();
    ASSERT_NE(question, nullptr);
    // The launcher's question, with what the settings keep: titled and heard by what it asks,
    // attached to the settings, "Cancel" chosen by Return.
    EXPECT_EQ(question->get_title(), "Delete website?");
    EXPECT_EQ(question->get_accessible()->get_name(), "Delete website?");
    EXPECT_EQ(question->property_secondary_text().get_value(),
              "Its configuration and windows will be removed. Website data is kept until you clear it in Privacy "
              "settings.");
    EXPECT_EQ(question->get_transient_for(), settings);
    ASSERT_NE(question->get_default_widget(), nullptr);
    EXPECT_EQ(question->get_response_for_widget(*question->get_default_widget()), Gtk::RESPONSE_CANCEL);
    EXPECT_TRUE(question->get_widget_for_response(Gtk::RESPONSE_ACCEPT)->get_style_context()->has_class(
        "destructive-action"));
    settings->alert()->response(Gtk::RESPONSE_CANCEL);
    EXPECT_EQ(storedWebsites().size(), 3u);
    pane.rows().back().remove->invoke();
    settings->alert()->response(Gtk::RESPONSE_ACCEPT);
    EXPECT_EQ(order(), (std::vector<std::string>{"B0", "A1"}));
    statusBar.teardown();
    g_object_unref(bus);
}

// The keyboard stays on a control as the Websites tab's rows are built again: a row moved keeps the
// button that moved it; after a confirmed deletion the next row takes it, the previous one when the
// last went, and "Add Website" when none is left.
TEST_F(SettingsWindowTest, TheKeyboardGoesToANeighbouringRowAfterADeletion) {
    auto a = website("A", "/a"), b = website("B", "/b"), c = website("C", "/c");
    start({a, b, c});
    settings->selectTab(SettingsWindow::websites);
    auto& pane = settings->websitesPane();
    auto focused = [&] {
        Gtk::Widget* focus = settings->get_focus();
        return focus ? std::string(focus->get_accessible()->get_name()) : std::string("nothing");
    };
    auto row = [&](const Uuid& id) {
        for (const auto& row : pane.rows())
            if (row.id == id) return row;
        ADD_FAILURE() << "no row";
        return pane.rows().front();
    };
    row(a.id).down->grab_focus();
    row(a.id).down->invoke();
    ASSERT_TRUE(spinUntil([&] { return pane.rows()[1].id == a.id; }));
    EXPECT_EQ(focused(), "Move down, A") << "a moved row keeps the button that moved it";
    struct Step {
        Uuid deleted;
        const char* expected;
    };
    // B A C: the middle, then the last, then the only one.
    for (const auto& [deleted, expected] : {Step{a.id, "C"}, Step{c.id, "B"}, Step{b.id, "Add Website"}}) {
        row(deleted).remove->grab_focus();
        row(deleted).remove->invoke();
        ASSERT_NE(settings->alert(), nullptr);
        settings->alert()->response(Gtk::RESPONSE_ACCEPT);
        EXPECT_TRUE(spinUntil([&] { return focused() == expected; })) << expected << ": " << focused();
    }
}

// A change made in the Websites tab that cannot be written is told once, in the tab's error line,
// and not in an alert besides.
TEST_F(SettingsWindowTest, AFailedSaveFromTheWebsitesTabIsToldOnceInIt) {
    start({website("A", "/a"), website("B", "/b")});
    auto& pane = settings->websitesPane();
    settings->selectTab(SettingsWindow::websites);
    ASSERT_TRUE(spinUntil([&] { return pane.get_mapped(); }));
    auto alertsShown = [] {
        int shown = 0;
        for (Gtk::Window* window : Gtk::Window::list_toplevels())
            if (auto* alert = dynamic_cast<Gtk::MessageDialog*>(window);
                alert && alert->get_visible() && alert->property_text().get_value() == "Could not save website")
                ++shown;
        return shown;
    };
    const std::vector<WebAppProfile> stored = storedWebsites();
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"the tray box", [&] { pane.rows().front().menuBar->set_active(true); }},
        {"a move down", [&] { pane.rows().front().down->invoke(); }},
        {"a move up", [&] { pane.rows().back().up->invoke(); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        {
            // No file may grow: the write fails for real, on the writer's thread.
            test::FileSizeLimit full(1);
            change();
            applicationFileWriter().flush();
        }
        ASSERT_TRUE(spinUntil([&] { return pane.errorText().find("Could not save your websites") == 0; }))
            << pane.errorText();
        // The alert would come in the same turn as the failure, before the line shows.
        EXPECT_EQ(alertsShown(), 0);
        EXPECT_EQ(storedWebsites(), stored);
        environment->store().clearErrorMessage();
        ASSERT_TRUE(spinUntil([&] { return pane.errorText().empty(); }));
    }
}

// The keys of a browser window listed under the websites' shortcuts are written in one form, by
// their English names as the list's other keys, whether or not the toolkit has Chinese texts.
TEST_F(SettingsWindowTest, TheBrowserKeysAreWrittenAsTheListsOtherKeys) {
    test::ToolkitLanguage chinese("zh_CN", test::ToolkitLanguage::toolkitHasTexts("zh_CN"));
    start();
    Gtk::Label* keys = test::labelStartingWith(settings->shortcutsPane(), "Ctrl+L ");
    ASSERT_TRUE(keys);
    EXPECT_THAT(keys->get_text().raw(),
                testing::HasSubstr("\nAlt+Left / Alt+Right \u540E\u9000 / \u524D\u8FDB"));
    EXPECT_THAT(keys->get_text().raw(),
                testing::HasSubstr("\nCtrl+Page\u00A0Up / Ctrl+Page\u00A0Down \u5207\u6362"));
}

TEST_F(SettingsWindowTest, ShortcutsAreStoredEvenWhenRefusedAndErrorsShowUnderTheirRow) {
    auto site = website("Site", "/site");
    site.globalShortcut = ShortcutConfiguration{40, kCommandModifier | kOptionModifier};
    auto grabber = std::make_unique<test::RefusingKeyGrabber>();
    grabber->heldByOthers = {40, 34};  // K and I
    start({site, website("Plain", "/plain")}, std::move(grabber));
    auto& pane = settings->shortcutsPane();
    EXPECT_EQ(pane.websiteShortcutTexts(), (std::vector<std::string>{"Ctrl+Alt+K", "Not set"}));

    // Switched on, each picker offers its own key, unless a desktop takes it (compact mode's K)
    // or another binding holds it: then the first key nothing takes.
    pane.picker("launcher").enableToggle().set_active(true);
    EXPECT_EQ(stored().launcherShortcut, (ShortcutConfiguration{11, kCommandModifier | kOptionModifier}));
    pane.picker("compact").enableToggle().set_active(true);
    EXPECT_EQ(pane.picker("compact").text(), "Ctrl+Alt+E") << "B is the launcher's, K the website's";
    EXPECT_EQ(pane.validationText(), "");
    // Ctrl+Alt+K belongs to the website already: stored all the same, and said to be taken.
    pane.picker("compact").keyPicker().set_active(10);
    EXPECT_EQ(stored().compactShortcut, site.globalShortcut);
    EXPECT_NE(pane.validationText(), "");
    pane.picker("pin").enableToggle().set_active(true);
    EXPECT_EQ(pane.picker("pin").text(), "Ctrl+Alt+I") << "its own key, beside the launcher's B";
    pane.picker("pin").keyPicker().set_active(8);  // Ctrl+Alt+I, held by another client
    EXPECT_TRUE(stored().pinShortcut.has_value());
    EXPECT_TRUE(spinUntil([&] { return pane.errorText("pin") != "" && pane.errorText(site.id.string()) != ""; }));
    EXPECT_EQ(pane.errorText("launcher"), "");
    pane.picker("launcher").enableToggle().set_active(false);
    EXPECT_EQ(stored().launcherShortcut, std::nullopt);

    // Each row says what the registration said of its binding: a shortcut the desktop is not
    // even asked for (no Ctrl, Alt or Super; taken by the recovery or by a binding that sorts
    // first) is invalid or already used, one the desktop refused is unavailable.
    auto& launcher = pane.picker("launcher");
    launcher.enableToggle().set_active(true);
    launcher.modifierToggle(2).set_active(true);  // Shift
    for (int modifier : {0, 1}) launcher.modifierToggle(modifier).set_active(false);
    EXPECT_EQ(stored().launcherShortcut, (ShortcutConfiguration{11, kShiftModifier}));
    pane.picker("pin").keyPicker().set_active(15);  // Ctrl+Alt+P
    EXPECT_EQ(stored().pinShortcut, HotKeyManager::kRescueShortcut);
    const std::string used = "Shortcut is invalid or already used in Quenlith.";
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"launcher", used},  // Shift alone
        {"pin", used},       // the recovery's
        {"compact", used},   // the website's, whose id sorts first
        {site.id.string(), "Ctrl+Alt+K is unavailable. Choose another shortcut (system code 10)."},
    };
    for (const auto& [binding, message] : rows)
        EXPECT_TRUE(spinUntil([&] { return pane.errorText(binding) == message; }))
            << binding << ": " << pane.errorText(binding);
}

}  // namespace
}  // namespace quenlith

#include <algorithm>

#include <gtkmm/adjustment.h>
#include <gtkmm/expander.h>
#include <gtkmm/image.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/settings.h>

#include "app/app_fixture.hpp"
#include "app/focus_walk.hpp"
#include "app/website_editor_presenter.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "editor/browser_window_settings_view.hpp"
#include "model/file_test_support.hpp"
#include "model/file_writer.hpp"
#include "model/localization.hpp"
#include "model/credential_release.hpp"
#include "model/preferences_store.hpp"
#include "model/proxy_vault_fake.hpp"
#include "model/tray_presence.hpp"
#include "model/user_agent.hpp"
#include "model/web_app_store.hpp"
#include "model/website_switches.hpp"
#include "support/accessibility_walk.hpp"
#include "support/child_process_test.hpp"
#include "support/keyring_daemon.hpp"
#include "support/proxy_servers.hpp"
#include "ui/alert.hpp"
#include "ui/focus_in_view.hpp"
#include "windows/window_registry.hpp"

namespace quenlith {
namespace {

// The icon name of the first image in the widget's tree: the editor's header.
std::string firstIconName(Gtk::Widget& widget) {
    if (auto* image = dynamic_cast<Gtk::Image*>(&widget)) return image->property_icon_name().get_value();
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children())
            if (std::string name = firstIconName(*child); !name.empty()) return name;
    return "";
}

class WebsiteEditorTest : public testing::Test {
protected:
    test::TemporaryEnvironment home;
    std::unique_ptr<WebAppStore> store;
    PreferencesStore preferences;
    std::unique_ptr<WebsiteEditorPresenter> presenter;

    void open() {
        // The store before goes first: it finishes its writes, which the next one reads.
        presenter.reset();
        store.reset();
        store = std::make_unique<WebAppStore>();
        presenter = std::make_unique<WebsiteEditorPresenter>(*store, preferences);
    }
    WebAppEditorWindow& editor() { return *presenter->editorWindow(); }
    // Opens "Add Website" with a name, an address and an authenticated website proxy of `kindRow`,
    // its passwords kept by `vault`.
    void addProxiedWebsite(int kindRow) {
        auto links = presenter->links();
        links.vault = vault;
        presenter->setLinks(links);
        presenter->showAddWebsite();
        editor().nameField().set_text("Proxied");
        editor().addressField().set_text("http://127.0.0.1:8080/page");
        test::fillProxy(editor().sessionSettings(), kindRow, "3128", "ann", "secret");
    }
    std::shared_ptr<test::FakeProxyVault> vault = std::make_shared<test::FakeProxyVault>();
};

TEST_F(WebsiteEditorTest, ShortcutRoundTripsThroughTheFile) {
    open();
    const WebAppProfile website{.name = "Mail", .homeURL = "https://mail.example"};
    ASSERT_TRUE(store->upsert(website));
    WebAppProfile other{.name = "News", .homeURL = "https://news.example"};
    other.globalShortcut = ShortcutConfiguration{11, kCommandModifier | kOptionModifier};
    ASSERT_TRUE(store->upsert(other));
    presenter->showEditWebsite(website.id);
    auto& picker = editor().shortcutPicker();
    picker.enableToggle().set_active(true);
    EXPECT_EQ(picker.text(), "Ctrl+Alt+E") << "Ctrl+Alt+B is the other website's, C and D are taken already";
    EXPECT_TRUE(picker.modifierToggle(0).get_visible() && picker.keyPicker().get_visible());
    for (int modifier : {2, 3}) picker.modifierToggle(modifier).set_active(true);  // Shift, Super
    picker.keyPicker().set_active(40);          // F5
    EXPECT_EQ(picker.text(), "Ctrl+Alt+Shift+Super+F5");
    editor().saveButton().clicked();
    ASSERT_EQ(presenter->editorWindow(), nullptr);

    open();  // a new store reads the file
    presenter->showEditWebsite(website.id);
    EXPECT_EQ(editor().draft().globalShortcut, (ShortcutConfiguration{96, 0x1B00}));
    EXPECT_EQ(editor().shortcutPicker().text(), "Ctrl+Alt+Shift+Super+F5");
}

void expandAll(Gtk::Widget& widget) {
    if (auto* expander = dynamic_cast<Gtk::Expander*>(&widget)) expander->set_expanded(true);
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children()) expandAll(*child);
}

// A screen reader's walk of the editor with every section open and the website proxy on: every
// field is named by its label (the account field by its placeholder), no drop-down by its value.
TEST_F(WebsiteEditorTest, EveryControlReadsWithTheNameOfItsLabel) {
    open();
    presenter->showAddWebsite();
    test::fillProxy(editor().sessionSettings(), 1, "3128", "ann", "secret");
    expandAll(editor());
    ASSERT_TRUE(test::spinUntil(
        [&] { return editor().get_mapped() && editor().sessionSettings().hostField().get_mapped(); }));
    EXPECT_THAT(
        test::accessibleControlNames(editor()),
        testing::IsSupersetOf({"Name", "Website URL", "Page zoom", "Account label (optional)", "Proxy type",
                               "Proxy Host", "Proxy Port", "Proxy Username", "Proxy Password"}));
    EXPECT_THAT(test::accessibilityProblems(editor()), testing::IsEmpty());
}

// Every label of the editor with every section open, the captions under the controls among them,
// reads at 4.5:1 or more in the default theme, light and dark, and in the high-contrast theme.
TEST_F(WebsiteEditorTest, TextContrastIsAtLeastFourAndAHalfInEachTheme) {
    open();
    auto settings = Gtk::Settings::get_default();
    const Glib::ustring savedTheme = settings->property_gtk_theme_name();
    const bool savedDark = settings->property_gtk_application_prefer_dark_theme();
    const std::pair<const char*, bool> themes[] = {
        {"Adwaita", false}, {"Adwaita", true}, {"HighContrast", false}};
    for (const auto& [theme, dark] : themes) {
        SCOPED_TRACE(std::string(theme) + (dark ? " dark" : ""));
        settings->property_gtk_theme_name() = theme;
        settings->property_gtk_application_prefer_dark_theme() = dark;
        presenter->showAddWebsite();
        test::fillProxy(editor().sessionSettings(), 1, "3128", "ann", "secret");
        expandAll(editor());
        ASSERT_TRUE(test::spinUntil(
            [&] { return editor().get_mapped() && !test::labelContrasts(editor()).empty(); }));
        for (const test::TextContrast& text : test::labelContrasts(editor()))
            EXPECT_GE(text.ratio, 4.5) << "\"" << text.text << "\"";
        presenter->closeEditor();
    }
    settings->property_gtk_theme_name() = savedTheme;
    settings->property_gtk_application_prefer_dark_theme() = savedDark;
}

TEST_F(WebsiteEditorTest, RefusedSaveKeepsTheEditsAndRemovesThePasswordItMade) {
    test::writeFile(home.path("profiles.json"), "{ not json");  // the store becomes read-only
    open();
    addProxiedWebsite(1);
    editor().saveButton().clicked();
    vault->answerAll();

    ASSERT_TRUE(test::spinUntil([&] { return hasAttachedSheet(editor()); }));
    auto* alert = dynamic_cast<Gtk::MessageDialog*>(attachedSheet(editor()));
    EXPECT_EQ(alert->property_text().get_value(), "Could not save website");
    EXPECT_EQ(vault->removed, std::vector<std::string>{"NEW-1"}) << "the password made for the refused save";
    ASSERT_NE(presenter->editorWindow(), nullptr);
    EXPECT_EQ(editor().draft().name, "Proxied");
    EXPECT_EQ(editor().draft().siteProxy->credentialID, std::nullopt);
    alert->response(Gtk::RESPONSE_OK);  // a modal alert left open takes the keys of later tests
}

// Save closes the editor before the disk has the record; when that write fails, the store takes
// the record back and the editor comes again with what was typed, under one alert.
TEST_F(WebsiteEditorTest, ASaveWhoseWriteFailsLaterOpensTheEditorAgainWithTheEdits) {
    open();
    const WebAppProfile mail{.name = "Mail", .homeURL = "https://mail.example/"};
    ASSERT_TRUE(store->upsert(mail));
    ASSERT_TRUE(test::spinUntil([&] { return !store->hasPendingSave(); }));
    int generalAlerts = 0;
    store->signal_saveFailed().connect([&](const SaveFailureNotice&) { ++generalAlerts; });
    auto shownAlerts = [] {
        const std::vector<Gtk::Window*> windows = Gtk::Window::list_toplevels();
        return std::count_if(windows.begin(), windows.end(), [](Gtk::Window* window) {
            auto* alert = dynamic_cast<Gtk::MessageDialog*>(window);
            return alert && alert->get_visible() &&
                   alert->property_text().get_value() == "Could not save website";
        });
    };
    const struct {
        bool isNew;
        std::string name, address;
    } rows[] = {{true, "Notes", "https://notes.example/"}, {false, "Mail at work", "https://mail.example/"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.isNew)
            presenter->showAddWebsite();
        else
            presenter->showEditWebsite(mail.id);
        editor().nameField().set_text(row.name);
        editor().addressField().set_text(row.address);
        const Glib::ustring saveLabel = editor().saveButton().get_label();
        {
            test::FileSizeLimit full(1);
            editor().saveButton().clicked();
            ASSERT_EQ(presenter->editorWindow(), nullptr) << "closed without waiting for the disk";
            applicationFileWriter().flush();  // fails on the writer's thread while the disk is full
        }
        ASSERT_TRUE(test::spinUntil([&] { return presenter->editorWindow() && hasAttachedSheet(editor()); }))
            << "the edits are gone";
        EXPECT_EQ(editor().isNew(), row.isNew);
        EXPECT_EQ(editor().nameField().get_text(), row.name);
        EXPECT_EQ(editor().addressField().get_text(), row.address);
        EXPECT_EQ(editor().saveButton().get_label(), saveLabel);
        auto named = [&] {
            return std::any_of(store->profiles().begin(), store->profiles().end(),
                               [&](const WebAppProfile& website) { return website.name == row.name; });
        };
        EXPECT_FALSE(named()) << "rolled back";
        EXPECT_EQ(store->profile(mail.id)->name, "Mail");
        auto* alert = dynamic_cast<Gtk::MessageDialog*>(attachedSheet(editor()));
        EXPECT_EQ(alert->property_text().get_value(), "Could not save website");
        EXPECT_EQ(shownAlerts(), 1);
        EXPECT_EQ(generalAlerts, 0);
        alert->response(Gtk::RESPONSE_OK);

        editor().saveButton().clicked();  // the disk has room again
        ASSERT_EQ(presenter->editorWindow(), nullptr);
        ASSERT_TRUE(test::spinUntil([&] { return !store->hasPendingSave(); }));
        EXPECT_FALSE(store->errorMessage());
        EXPECT_TRUE(named());
    }
}

// A new proxy password replaces the old one in the keyring only once the record naming it is on the
// disk: a failed write takes the old record back, and its password must still be there.
TEST_F(WebsiteEditorTest, AReplacedProxyPasswordStaysUntilTheRecordWithoutItIsOnTheDisk) {
    open();
    auto links = presenter->links();
    links.vault = vault;
    presenter->setLinks(links);
    vault->items["OLD"] = "old secret";
    WebAppProfile proxied{.name = "Proxied", .homeURL = "http://127.0.0.1:8080/page"};
    proxied.siteProxy = test::authenticatedProxy("OLD");
    proxied.siteProxy->host = "127.0.0.1";
    ASSERT_TRUE(store->upsert(proxied));
    ASSERT_TRUE(test::spinUntil([&] { return !store->hasPendingSave(); }));

    presenter->showEditWebsite(proxied.id);
    editor().sessionSettings().passwordField().set_text("new secret");
    {
        test::FileSizeLimit full(1);
        editor().saveButton().clicked();
        vault->answerAll();
        ASSERT_EQ(presenter->editorWindow(), nullptr);
        EXPECT_TRUE(vault->removed.empty()) << "nothing is let go of before the write is told";
        applicationFileWriter().flush();
    }
    ASSERT_TRUE(test::spinUntil([&] { return presenter->editorWindow() && hasAttachedSheet(editor()); }));
    EXPECT_EQ(store->profile(proxied.id)->siteProxy->credentialID, std::optional<std::string>("OLD"));
    EXPECT_TRUE(vault->items.count("OLD")) << "the record taken back lost its password";
    dynamic_cast<Gtk::MessageDialog*>(attachedSheet(editor()))->response(Gtk::RESPONSE_OK);

    editor().saveButton().clicked();  // the disk has room again
    vault->answerAll();
    ASSERT_EQ(presenter->editorWindow(), nullptr);
    ASSERT_TRUE(test::spinUntil([&] { return !store->hasPendingSave() && credentialSearchesInFlight() == 0; }));
    EXPECT_EQ(store->profile(proxied.id)->siteProxy->credentialID, std::optional<std::string>("NEW-1"));
    // The file's backup is the file as it was before this save: it names the old password, which
    // stays until no saved file names it (the start's sweep takes it then).
    EXPECT_TRUE(test::readFile(home.path("profiles.json.backup")).find("OLD") != std::string::npos);
    EXPECT_TRUE(vault->removed.empty()) << "the backup still names it";
    EXPECT_TRUE(vault->items.count("OLD") && vault->items.count("NEW-1"));
}

TEST_F(WebsiteEditorTest, BadPortOrIntervalTextIsRefusedNotKept) {
    open();
    presenter->showAddWebsite();
    editor().nameField().set_text("Site");
    editor().addressField().set_text("site.example");
    editor().autoReloadToggle().set_active(true);
    // The field keeps what is typed: emptied, and typed over after selecting all.
    auto& interval = editor().intervalField();
    interval.set_text("");
    EXPECT_EQ(interval.get_text(), "");
    interval.set_text("60");
    interval.select_region(0, -1);
    interval.delete_selection();
    int position = 0;
    interval.insert_text("ten", 3, position);
    EXPECT_EQ(interval.get_text(), "ten");
    editor().saveButton().clicked();
    EXPECT_EQ(editor().error(), "Auto reload must be at least 10 seconds.");
    editor().intervalField().set_text("15");
    auto& session = editor().sessionSettings();
    session.proxyToggle().set_active(true);
    session.kindPicker().set_active(3);
    session.portField().set_text("10 80");
    editor().saveButton().clicked();
    EXPECT_EQ(editor().error(), "Proxy port must be between 1 and 65535.");
    EXPECT_TRUE(store->profiles().empty());
}

TEST_F(WebsiteEditorTest, ALongMessageWrapsWithinTheEditorsWidth) {
    open();
    presenter->showAddWebsite();
    auto width = [&] {
        int minimum = 0, natural = 0;
        editor().get_preferred_width(minimum, natural);
        return natural;
    };
    EXPECT_LE(width(), 560);
    editor().nameField().set_text("Site");
    editor().addressField().set_text("site.example");
    auto& picker = editor().shortcutPicker();
    picker.enableToggle().set_active(true);
    picker.keyPicker().set_active(15);  // P: Ctrl+Alt+P, the recovery shortcut
    editor().saveButton().clicked();
    ASSERT_TRUE(editor().error().has_value());
    EXPECT_GT(editor().error()->size(), 80u) << "a message longer than a line";
    EXPECT_LE(width(), 560);
}

TEST_F(WebsiteEditorTest, ApplicationChooserListsDesktopEntriesWithoutItselfOrDuplicatesAndStopsAtTwenty) {
    test::TemporaryFolder first("quenlith-apps"), second("quenlith-apps");
    auto entry = [](const std::string& folder, const std::string& id, const std::string& name) {
        test::writeFile(folder + "/applications/" + id + ".desktop",
                        "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n");
    };
    for (int i = 0; i < 25; ++i)
        entry(first.path(), "app" + std::to_string(100 + i), "App " + std::to_string(100 + i));
    entry(first.path(), "com.quenlith.Quenlith", "Quenlith");
    entry(second.path(), "app100", "App 100 elsewhere");
    std::string dataDirectories = first.path() + ":" + second.path() + ":/usr/local/share:/usr/share";
    if (!test::runInChildProcess(test::ChildProcessOptions().withVariable("XDG_DATA_DIRS", dataDirectories)))
        return;
    std::vector<LinkedApplication> ours;
    for (const auto& app : installedDesktopApplications())
        if (app.id.rfind("app", 0) == 0 || app.id.rfind("com.quenlith", 0) == 0) ours.push_back(app);
    ASSERT_EQ(ours.size(), 25u);
    EXPECT_EQ(ours[0], (LinkedApplication{"app100.desktop", "App 100"}));

    open();
    auto presenterLinks = presenter->links();
    presenterLinks.installedApplications = [ours] { return ours; };
    presenter->setLinks(presenterLinks);
    presenter->showAddWebsite();
    auto& links = editor().applicationLinks();
    links.chooseApplications();
    ASSERT_NE(links.chooser(), nullptr);
    for (std::size_t i = 0; i < links.chooser()->applications().size(); ++i)
        links.chooser()->setChosen(i, true);
    links.chooser()->response(Gtk::RESPONSE_OK);
    auto linked = editor().draft().linkedApplications.value();
    ASSERT_EQ(linked.size(), 20u);
    EXPECT_EQ(linked.back().id, "app119.desktop");
}

TEST_F(WebsiteEditorTest, LateSaveOfAClosedEditorStoresNothingAndLeavesTheOpenOneAlone) {
    open();
    addProxiedWebsite(3);
    editor().saveButton().clicked();  // waits for the secret store
    ASSERT_TRUE(editor().saving());
    editor().cancel();
    presenter->showAddWebsite();
    auto* second = presenter->editorWindow();

    vault->answerAll();
    EXPECT_TRUE(presenter->editorWindow() == second && second->get_visible());
    EXPECT_TRUE(store->profiles().empty());
    EXPECT_EQ(vault->removed, std::vector<std::string>{"NEW-1"});
}

TEST_F(WebsiteEditorTest, OpensOnTheNameAndTabStopsOnlyAtControlsInSight) {
    open();
    presenter->showAddWebsite();
    ASSERT_TRUE(test::spinUntil([&] { return editor().get_mapped(); }));
    EXPECT_TRUE(editor().nameField().is_focus()) << "the editor opens on the Name field";
    Gtk::CheckButton* onTop = test::findLabelled<Gtk::CheckButton>(editor(), "Always on top");
    ASSERT_TRUE(onTop);
    // Only a control on screen takes the focus: a collapsed section's are not.
    EXPECT_FALSE(onTop->get_mapped()) << "collapsed content takes no focus";
    Gtk::Expander* windowGroup = test::findLabelled<Gtk::Expander>(editor(), "Window");
    ASSERT_TRUE(windowGroup);
    windowGroup->set_expanded(true);
    ASSERT_TRUE(test::spinUntil([&] { return onTop->get_mapped() && onTop->get_allocated_height() > 1; }));
    // Taking the focus out of sight, it comes into sight with room around it for its focus ring.
    auto* scroller = static_cast<Gtk::ScrolledWindow*>(onTop->get_ancestor(GTK_TYPE_SCROLLED_WINDOW));
    ASSERT_TRUE(scroller);
    auto vertical = scroller->get_vadjustment();
    vertical->set_value(0);
    onTop->grab_focus();
    EXPECT_TRUE(onTop->is_focus()) << "expanded, its switches are reached";
    int x = 0, y = 0;
    ASSERT_TRUE(onTop->translate_coordinates(*scroller, 0, 0, x, y));
    EXPECT_GE(y, kFocusMargin) << "from the top of the view";
    EXPECT_LE(y + onTop->get_allocated_height() + kFocusMargin, scroller->get_allocated_height());
    windowGroup->set_expanded(false);
    EXPECT_TRUE(test::spinUntil([&] { return !onTop->get_mapped(); })) << "collapsed again";
    EXPECT_FALSE(onTop->is_focus());
}

// The texts of the labels under `widget`, shown or not.
std::string labelTexts(Gtk::Widget& widget) {
    std::string texts;
    if (auto* label = dynamic_cast<Gtk::Label*>(&widget)) texts += label->get_text() + "|";
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children()) texts += labelTexts(*child);
    return texts;
}

// The editor and a window's settings sheet show the on/off settings of one table: each switch
// shows its setting, flipping it edits that setting alone, and the sheet shows only its own.
TEST_F(WebsiteEditorTest, EverySwitchOfBothScreensShowsAndEditsItsOwnSetting) {
    open();
    WebAppProfile website{.name = "Mail", .homeURL = "https://mail.example"};
    website.edgeTuckEnabled = true;
    website.alwaysOnTop = false;
    ASSERT_TRUE(store->upsert(website));
    presenter->showEditWebsite(website.id);
    Gtk::Window parent;
    BrowserWindowSettingsView sheet(parent, website, false);
    struct Screen {
        Gtk::Widget& root;
        std::function<const WebAppProfile&()> record;
    };
    const Screen screens[] = {{editor(), [&]() -> const WebAppProfile& { return editor().draft(); }},
                              {sheet, [&]() -> const WebAppProfile& { return sheet.profile(); }}};
    for (const auto& setting : websiteSwitches()) {
        for (const auto& screen : screens) {
            auto* toggle = test::findLabelled<Gtk::CheckButton>(screen.root, localizedString(setting.label));
            if (&screen.root == &sheet && setting.windowSheetPlace == 0) {
                EXPECT_FALSE(toggle) << setting.label << " is not the sheet's";
                continue;
            }
            ASSERT_TRUE(toggle) << setting.label;
            const bool was = toggle->get_active();
            EXPECT_EQ(was, setting.isOn(screen.record())) << setting.label;
            WebAppProfile expected = screen.record();
            setting.set(expected, !was);
            toggle->set_active(!was);
            EXPECT_EQ(screen.record(), expected) << setting.label;
        }
    }

    // Each screen keeps its own order: the editor's window group, and the sheet's window section.
    const std::vector<std::string> orders[] = {
        {"Tuck when dragged to an edge", "Always on top", "Show on All Workspaces",
         "Remember position and size", "Compact mode", "Page zoom"},
        {"Always on top", "Show on All Workspaces", "Tuck when dragged to an edge", "Keep this website awake",
         "Click-through (Ctrl+Alt+P to recover)", "Page zoom"},
    };
    for (std::size_t i = 0; i < std::size(orders); ++i) {
        const std::string texts = labelTexts(screens[i].root);
        std::vector<std::size_t> places;
        for (const auto& text : orders[i]) places.push_back(texts.find(localizedString(text) + "|"));
        EXPECT_TRUE(std::ranges::is_sorted(places) && std::ranges::count(places, std::string::npos) == 0)
            << texts;
    }
}

// The editor opens on every kind of stored website, as a new website from a draft and as an edit
// of the stored record, and shows what the record holds without changing it: the name, address,
// opacity, zoom and every switch of each, and the part each row is about.
TEST_F(WebsiteEditorTest, OpensOnEveryKindOfStoredWebsiteAndShowsWhatItHolds) {
    using Edit = std::function<void(WebAppProfile&)>;
    using Shows = std::function<std::string(WebAppEditorWindow&)>;
    auto autoReload = [](WebAppEditorWindow& editor) -> std::string {
        return std::string(editor.autoReloadToggle().get_active() ? "on " : "off ") +
               (editor.autoReloadToggle().get_active() ? editor.intervalField().get_text() : "");
    };
    auto userAgent = [](WebAppEditorWindow& editor) -> std::string {
        auto& picker = editor.userAgentPicker();
        return std::to_string(picker.presetPicker().get_active_row_number()) + " " +
               picker.value().value_or("none") + " " + picker.customField().get_text();
    };
    auto session = [](WebAppEditorWindow& editor) -> std::string {
        auto& section = editor.sessionSettings();
        return std::string(section.sessionToggle().get_active() ? "own " : "shared ") +
               section.accountField().get_text();
    };
    auto proxy = [](WebAppEditorWindow& editor) -> std::string {
        auto& section = editor.sessionSettings();
        if (!section.proxyToggle().get_active()) return "global";
        return std::to_string(section.kindPicker().get_active_row_number()) + " " + section.hostField().get_text() +
               ":" + section.portField().get_text() + (section.authenticationToggle().get_active() ? " as " : " ") +
               section.usernameField().get_text();
    };
    auto links = [](WebAppEditorWindow& editor) -> std::string {
        // The rows of the linked applications lie between the switch and the chooser's button.
        const std::string texts = labelTexts(editor.applicationLinks());
        const std::string from = "Show this website with selected apps|";
        const std::size_t begin = texts.find(from) + from.size();
        return std::string(editor.applicationLinks().linkToggle().get_active() ? "on " : "off ") +
               texts.substr(begin, texts.find("Choose Application\u2026|") - begin);
    };
    auto opacityAndZoom = [](WebAppEditorWindow& editor) -> std::string {
        return editor.opacityControl().percentText() + " " + editor.zoomText();
    };
    auto switchesOn = [](WebAppEditorWindow& editor) {
        int on = 0;
        for (const auto& setting : websiteSwitches())
            on += test::findLabelled<Gtk::CheckButton>(editor, localizedString(setting.label))->get_active();
        return std::to_string(on) + " on";
    };
    auto proxied = [](BrowserProxyKind kind, bool authentication) -> Edit {
        return [kind, authentication](WebAppProfile& website) {
            website.siteProxy = BrowserProxySettings{.kind = kind, .host = "proxy.localhost", .port = 3128};
            if (authentication) {
                website.siteProxy->usesAuthentication = true;
                website.siteProxy->username = "ann";
                website.siteProxy->credentialID = "CREDENTIAL-1";
            }
            website.setIsolatedAccount(true);
        };
    };
    const auto allSwitches = [](bool on) -> Edit {
        return [on](WebAppProfile& website) {
            for (const auto& setting : websiteSwitches()) setting.set(website, on);
        };
    };
    struct Case {
        const char* what;
        Edit edit;
        Shows shows;
        std::string expected;
    };
    const Case cases[] = {
        {"no optional field", [](WebAppProfile&) {}, autoReload, "off "},
        {"the switches as they start", [](WebAppProfile&) {}, switchesOn, "5 on"},
        {"auto reload", [](WebAppProfile& website) { website.autoReloadInterval = 45; }, autoReload, "on 45"},
        {"auto reload at its least", [](WebAppProfile& website) { website.autoReloadInterval = 10; }, autoReload,
         "on 10"},
        {"auto reload of a fraction", [](WebAppProfile& website) { website.autoReloadInterval = 90.5; },
         autoReload, "on 90.5"},
        {"custom user agent", [](WebAppProfile& website) { website.customUserAgent = "Quenlith Test/1.0"; },
         userAgent, "4 Quenlith Test/1.0 Quenlith Test/1.0"},
        {"preset user agent",
         [](WebAppProfile& website) { website.customUserAgent = std::string(*userAgentText(UserAgentPreset::iphone)); },
         userAgent, "2 " + std::string(*userAgentText(UserAgentPreset::iphone)) + " "},
        {"shortcut",
         [](WebAppProfile& website) { website.globalShortcut = ShortcutConfiguration{0x28, 0x0900}; },
         [](WebAppEditorWindow& editor) -> std::string { return editor.shortcutPicker().text(); }, "Ctrl+Alt+K"},
        {"independent account",
         [](WebAppProfile& website) {
             website.setIsolatedAccount(true);
             website.accountName = "Work";
         },
         session, "own Work"},
        {"shared session", [](WebAppProfile& website) { website.setIsolatedAccount(false); }, session, "shared "},
        {"system network proxy", proxied(BrowserProxyKind::system, false), proxy, "0 proxy.localhost:3128 "},
        {"HTTP proxy", proxied(BrowserProxyKind::httpConnect, false), proxy, "1 proxy.localhost:3128 "},
        {"HTTP proxy with a password", proxied(BrowserProxyKind::httpConnect, true), proxy,
         "1 proxy.localhost:3128 as ann"},
        {"HTTPS proxy", proxied(BrowserProxyKind::httpsConnect, false), proxy, "2 proxy.localhost:3128 "},
        {"HTTPS proxy with a password", proxied(BrowserProxyKind::httpsConnect, true), proxy,
         "2 proxy.localhost:3128 as ann"},
        {"SOCKS5 proxy", proxied(BrowserProxyKind::socks5, false), proxy, "3 proxy.localhost:3128 "},
        {"SOCKS5 proxy with a password", proxied(BrowserProxyKind::socks5, true), proxy,
         "3 proxy.localhost:3128 as ann"},
        {"application links",
         [](WebAppProfile& website) {
             website.applicationLinkEnabled = true;
             website.linkedApplications = std::vector<LinkedApplication>{{"editor.desktop", "Text Editor"},
                                                                         {"terminal.desktop", "Terminal"}};
         },
         links, "on Text Editor|editor.desktop|Terminal|terminal.desktop|"},
        {"every switch on", allSwitches(true), switchesOn, "10 on"},
        {"every switch off", allSwitches(false), switchesOn, "0 on"},
        {"remembered frame, icon and last page",
         [](WebAppProfile& website) {
             website.windowFrame = CodableRect{40, 60, 800, 600, 7};
             website.iconURL = "https://mail.localhost/icon.png";
             website.lastURL = "https://mail.localhost/inbox";
             website.trackerBlockingEnabled = false;
         },
         opacityAndZoom, "100% 100%"},
        {"least opacity and zoom",
         [](WebAppProfile& website) {
             website.opacity = kMinimumOpacity;
             website.zoomLevel = kMinimumZoomLevel;
         },
         opacityAndZoom, "35% 50%"},
        {"greatest opacity and zoom",
         [](WebAppProfile& website) {
             website.opacity = kMaximumOpacity;
             website.zoomLevel = kMaximumZoomLevel;
         },
         opacityAndZoom, "100% 200%"},
        {"everything at once",
         [&](WebAppProfile& website) {
             allSwitches(true)(website);
             proxied(BrowserProxyKind::socks5, true)(website);
             website.accountName = "Work";
             website.autoReloadInterval = 600;
             website.customUserAgent = "Quenlith Test/1.0";
             website.globalShortcut = ShortcutConfiguration{0x28, 0x0900};
             website.applicationLinkEnabled = true;
             website.linkedApplications = std::vector<LinkedApplication>{{"editor.desktop", "Text Editor"}};
         },
         [&](WebAppEditorWindow& editor) -> std::string {
             return autoReload(editor) + "; " + userAgent(editor) + "; " + editor.shortcutPicker().text() + "; " +
                    session(editor) + "; " + proxy(editor);
         },
         "on 600; 4 Quenlith Test/1.0 Quenlith Test/1.0; Ctrl+Alt+K; own Work; 3 proxy.localhost:3128 as ann"},
    };

    open();
    auto presenterLinks = presenter->links();
    presenterLinks.vault = vault;
    presenter->setLinks(presenterLinks);
    for (const Case& row : cases) {
        WebAppProfile website{.name = "Mail", .homeURL = "https://mail.localhost/"};
        row.edit(website);
        ASSERT_TRUE(store->upsert(website)) << row.what;
        const WebAppProfile stored = *store->profile(website.id);
        WebAppEditorServices services;
        services.vault = vault;
        auto drafted = std::make_unique<WebAppEditorWindow>(stored, /*isNew=*/true, /*openAfterSave=*/true,
                                                            /*reusesSession=*/false, services);
        presenter->showEditWebsite(stored.id);
        for (WebAppEditorWindow* editor : {drafted.get(), &this->editor()}) {
            SCOPED_TRACE(std::string(row.what) + (editor->isNew() ? ", new from a draft" : ", edited"));
            EXPECT_EQ(editor->draft(), stored) << "opening changes nothing";
            EXPECT_EQ(
                editor->get_title().raw() + " " + firstIconName(*editor),
                editor->isNew() ? "Add Website window-new-symbolic" : "Edit Website window-new-symbolic")
                << "the title says what the window is for, beside one symbol";
            EXPECT_EQ(row.shows(*editor), row.expected);
            EXPECT_EQ(editor->nameField().get_text() + " " + editor->addressField().get_text(),
                      "Mail https://mail.localhost/");
            for (const auto& setting : websiteSwitches()) {
                auto* toggle = test::findLabelled<Gtk::CheckButton>(*editor, localizedString(setting.label));
                ASSERT_TRUE(toggle) << setting.label;
                EXPECT_EQ(toggle->get_active(), setting.isOn(stored)) << setting.label;
            }
        }
        presenter->closeEditor();
        ASSERT_TRUE(store->deleteProfile(stored.id)) << row.what;
    }
}

// While there is no tray, the editor's "Show in Tray" switch is off with the reason under it; it
// follows a tray coming and going.
TEST_F(WebsiteEditorTest, TheTraySwitchSaysThereIsNoTrayWhileThereIsNone) {
    open();
    TrayPresence tray;
    auto links = presenter->links();
    links.tray = &tray;
    presenter->setLinks(links);
    tray.setAvailable(false);
    presenter->showAddWebsite();
    auto* toggle = test::findLabelled<Gtk::CheckButton>(editor(), "Show in Tray");
    ASSERT_NE(toggle, nullptr);
    auto* reason = test::findLabelled<Gtk::Label>(editor(), noTrayExplanation());
    ASSERT_NE(reason, nullptr);
    for (bool available : {false, true, false}) {
        tray.setAvailable(available);
        EXPECT_EQ(toggle->get_sensitive(), available);
        EXPECT_EQ(reason->get_visible(), !available);
    }
}

// The editor in the running application, its passwords in the desktop keyring.
class WebsiteEditorApplicationTest : public test::AppFixture {
protected:
    WebsiteEditorApplicationTest() : AppFixture(std::nullopt, readProxyPassword) {}
    ManualScheduler timers;
};

TEST_F(WebsiteEditorApplicationTest, TypedAddressIsLookedUpOnceAndAddAndOpenShowsTheSavedWebsite) {
    server.page("/page", "<!doctype html><title>Local Page</title>");
    environment = std::make_unique<AppEnvironment>(sessions, timers);
    environment->websiteEditor().showAddWebsite();
    auto& editor = *environment->websiteEditor().editorWindow();
    EXPECT_EQ(editor.saveButton().get_label(), "Add & Open");
    editor.sessionSettings().sessionToggle().set_active(false);  // the shared session's website is looked up
    for (const std::string& typed : {std::string("h"), server.url("/pa"), server.url("/page")})
        editor.addressField().set_text(typed);
    ASSERT_TRUE(test::spinUntil([&] { return editor.nameField().get_text() == "Local Page"; }));
    EXPECT_TRUE(server.requestCount("/page") == 1 && server.requestCount("/pa") == 0)
        << "one lookup, of the last address";
    environment->websiteEditor().showAddWebsite();  // only brings the open editor forward
    ASSERT_EQ(environment->websiteEditor().editorWindow(), &editor);

    editor.saveButton().clicked();
    const auto saved = storedWebsites();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].name, "Local Page");
    ASSERT_NE(environment->windows().registry().window(saved[0].id), nullptr);
    EXPECT_TRUE(test::spinUntil([&] { return server.requestCount("/page") == 2; }))
        << "the window loads the page";
}

TEST_F(WebsiteEditorApplicationTest, AProxiedWebsiteLoadsThroughItsProxyAndKeepsWorkingWhenMovedToAnother) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    server.page("/page", "<!doctype html><title>Proxied Page</title>");
    test::TinyproxyServer first("ann", "secret1"), second("bob", "secret2");
    environment = std::make_unique<AppEnvironment>(sessions);
    auto& editors = environment->websiteEditor();
    auto edit = [&](const test::TinyproxyServer& through, const std::string& user, const std::string& password) {
        auto& editor = *editors.editorWindow();
        test::fillProxy(editor.sessionSettings(), 1, std::to_string(through.port()), user, password);
        editor.saveButton().clicked();
        ASSERT_TRUE(test::spinUntil([&] { return editors.editorWindow() == nullptr; }));
    };
    const std::string host = "127.0.0.1:" + std::to_string(server.port());

    editors.showAddWebsite();
    auto& editor = *editors.editorWindow();
    editor.nameField().set_text("Proxied");
    editor.addressField().set_text(server.url("/page"));
    editor.userAgentPicker().presetPicker().set_active(1);
    edit(first, "ann", "secret1");  // "Add & Open"
    ASSERT_EQ(storedWebsites().size(), 1u);
    const WebAppProfile website = storedWebsites()[0];
    ASSERT_TRUE(website.siteProxy && website.siteProxy->credentialID);
    ASSERT_TRUE(test::spinUntil([&] { return server.requestCount("/page") == 1; }));
    EXPECT_TRUE(first.sawRequestFor(host)) << "the page came through the website's proxy";
    EXPECT_EQ(test::lastHeader(server, "/page", "User-Agent"), *userAgentText(kAllUserAgentPresets[1]))
        << "the preset reaches the server";

    editors.showEditWebsite(website.id);
    edit(second, "bob", "secret2");
    const std::string oldCredential = *website.siteProxy->credentialID;
    EXPECT_NE(storedWebsites()[0].siteProxy->credentialID, oldCredential);
    ASSERT_TRUE(test::spinUntil([] { return credentialSearchesInFlight() == 0; }));
    EXPECT_TRUE(test::keyringHolds(oldCredential)) << "the file's backup still names the replaced password";

    ASSERT_NE(environment->windows().registry().window(website.id), nullptr);
    environment->windows().registry().window(website.id)->browser().page().reloadActiveTab();
    // The open window keeps its session's route until the session is made anew (a restart).
    EXPECT_TRUE(test::spinUntil([&] { return server.requestCount("/page") == 2; }))
        << "the page keeps working after the edit";
}

// A password made for a save whose write failed is named by no record: it stays while the editor
// that came back may save it again, and goes once the edit is given up: by Cancel, by closing the
// window, or at once when another editor is open by then and the editor cannot come back. The
// password of the record taken back stays.
TEST_F(WebsiteEditorApplicationTest, APasswordMadeForASaveThatNeverReachedTheDiskGoesOnceTheEditIsGivenUp) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    environment = std::make_unique<AppEnvironment>(sessions, timers);
    auto& editors = environment->websiteEditor();
    auto save = [&] {
        editors.editorWindow()->saveButton().clicked();
        return test::spinUntil([&] { return editors.editorWindow() == nullptr; });
    };
    editors.showWebsiteEditor({.openAfterSave = false});
    editors.editorWindow()->nameField().set_text("Behind SOCKS5");
    editors.editorWindow()->addressField().set_text(server.url("/socks"));
    test::fillProxy(editors.editorWindow()->sessionSettings(), 3, "1080", "ann", "old secret");
    ASSERT_TRUE(save());
    const WebAppProfile existing = storedWebsites().at(0);
    const std::string old = existing.siteProxy.value().credentialID.value();

    enum class GivenUp { byCancel, byClosingTheWindow, byAnotherEditor };
    const struct {
        const char* label;
        int kindRow;
        bool isNew;
        GivenUp givenUp;
    } rows[] = {
        {"a new website behind an HTTP proxy, then Cancel", 1, true, GivenUp::byCancel},
        {"the SOCKS5 website's password replaced, then the window closed", 3, false,
         GivenUp::byClosingTheWindow},
        {"the SOCKS5 website's password replaced while another editor opens", 3, false,
         GivenUp::byAnotherEditor},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        if (row.isNew) {
            editors.showWebsiteEditor({.openAfterSave = false});
            editors.editorWindow()->nameField().set_text("Behind HTTP");
            editors.editorWindow()->addressField().set_text(server.url("/http"));
        } else {
            editors.showEditWebsite(existing.id);
        }
        test::fillProxy(editors.editorWindow()->sessionSettings(), row.kindRow, row.isNew ? "3128" : "1080",
                        "ann", "new secret");
        std::string made;
        {
            test::FileSizeLimit full(1);
            ASSERT_TRUE(save());
            // What the store holds until the write is told.
            for (const auto& website : environment->store().profiles())
                if (website.siteProxy && website.siteProxy->credentialID != old)
                    made = website.siteProxy->credentialID.value_or("");
            if (row.givenUp == GivenUp::byAnotherEditor) editors.showWebsiteEditor({.openAfterSave = false});
            applicationFileWriter().flush();  // fails on the writer's thread while the disk is full
        }
        ASSERT_FALSE(made.empty());
        if (row.givenUp == GivenUp::byAnotherEditor) {
            ASSERT_TRUE(
                test::spinUntil([&] { return environment->store().profile(existing.id) == existing; }));
            EXPECT_EQ(editors.editorWindow()->nameField().get_text(), "") << "the other editor stays";
            editors.editorWindow()->cancel();
            for (Gtk::Window* shown : Gtk::Window::list_toplevels())
                if (auto* alert = dynamic_cast<Gtk::MessageDialog*>(shown); alert && alert->get_visible())
                    alert->response(Gtk::RESPONSE_OK);
        } else {
            ASSERT_TRUE(test::spinUntil(
                [&] { return editors.editorWindow() && hasAttachedSheet(*editors.editorWindow()); }));
            WebAppEditorWindow& editor = *editors.editorWindow();
            EXPECT_EQ(editor.draft().siteProxy.value().credentialID, made);
            EXPECT_TRUE(test::keyringHolds(made)) << "the editor that came back may still save it";
            dynamic_cast<Gtk::MessageDialog*>(attachedSheet(editor))->response(Gtk::RESPONSE_OK);
            if (row.givenUp == GivenUp::byClosingTheWindow)
                editor.close();  // as the window manager's close button does
            else
                editor.cancel();
        }
        ASSERT_TRUE(test::spinUntil([&] { return editors.editorWindow() == nullptr; }));
        EXPECT_TRUE(test::spinUntil([&] { return !test::keyringHolds(made); }))
            << "named by nothing, it stayed";
        EXPECT_TRUE(test::keyringHolds(old)) << "the record taken back lost its password";
        EXPECT_EQ(environment->store().profiles().size(), 1u);
        EXPECT_EQ(environment->store().profile(existing.id)->siteProxy, existing.siteProxy);
    }
}

}  // namespace
}  // namespace quenlith

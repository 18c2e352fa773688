#pragma once

// The application's object graph on fresh folders with a local web server, what the menu
// scenarios add (the one application object of the process, key presses through GTK's dispatch),
// and the checks the windows' scenarios share.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/application.h>
#include <gtkmm/label.h>
#include <gtkmm/settings.h>

#include "app/app_environment.hpp"
#include "app/auxiliary_windows.hpp"
#include "app/main_menu.hpp"
#include "browser/engine/proxy_passwords.hpp"
#include "browser/engine/proxy_runtime.hpp"
#include "browser/engine/website_sessions.hpp"
#include "editor/website_session_settings.hpp"
#include "model/app_paths.hpp"
#include "model/file_writer.hpp"
#include "model/preferences_store.hpp"
#include "model/profile_persistence.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"
#include "windows/application_links.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/page_group_windows.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/session_restore.hpp"
#include "windows/tab_sleep_scheduler.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_factory.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"
#include "windows/window_services.hpp"

namespace quenlith::test {

inline SecretCall noPassword(const std::string&, SecretStore::ReadDone done) {
    done(Error{"test.noPassword", "no password"});
    return {};
}

// Whether the desktop keyring still gives out the password `credentialID`.
inline bool keyringHolds(const std::string& credentialID) {
    std::optional<bool> readable;
    auto call = readProxyPassword(credentialID, [&](Result<std::string> read) { readable = read.ok(); });
    EXPECT_TRUE(spinUntil([&] { return readable.has_value(); }));
    return readable.value_or(true);
}

// A website's proxy form filled in: switched on, the kind's row, 127.0.0.1, a user and password.
inline void fillProxy(WebsiteSessionSettings& form, int kindRow, const std::string& port,
                      const std::string& user, const std::string& password) {
    form.proxyToggle().set_active(true);
    form.kindPicker().set_active(kindRow);
    form.hostField().set_text("127.0.0.1");
    if (!port.empty()) form.portField().set_text(port);
    form.authenticationToggle().set_active(true);
    form.usernameField().set_text(user);
    form.passwordField().set_text(password);
}

// The header `name` of the last request for `path`, "" without one.
inline std::string lastHeader(const TestHttpServer& server, const std::string& path,
                              const std::string& name) {
    for (auto it = server.requests().rbegin(); it != server.requests().rend(); ++it)
        if (it->path == path) return it->headers.count(name) ? it->headers.at(name) : "";
    return "";
}

inline bool prefersDarkTheme() {
    gboolean dark = FALSE;
    g_object_get(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", &dark, nullptr);
    return dark;
}

// A theme the texts are measured in.
struct MeasuredTheme {
    const char* name;
    bool dark;
    std::string label() const { return std::string(name) + (dark ? " dark" : ""); }
};
// The default theme, light and dark, and the high-contrast one.
inline constexpr MeasuredTheme kMeasuredThemes[] = {{"Adwaita", false}, {"Adwaita", true}, {"HighContrast", false}};

// Puts a theme in place: the toolkit's theme, and light or dark both in the toolkit and as
// Quenlith's own choice (which an environment made afterwards applies as it starts). The toolkit's
// settings come back at the end.
class ThemeScope {
public:
    ThemeScope()
        : savedTheme_(Gtk::Settings::get_default()->property_gtk_theme_name()), savedDark_(prefersDarkTheme()) {}
    ~ThemeScope() {
        auto settings = Gtk::Settings::get_default();
        settings->property_gtk_theme_name() = savedTheme_;
        settings->property_gtk_application_prefer_dark_theme() = savedDark_;
    }
    ThemeScope(const ThemeScope&) = delete;
    ThemeScope& operator=(const ThemeScope&) = delete;

    void use(const MeasuredTheme& theme) {
        auto settings = Gtk::Settings::get_default();
        settings->property_gtk_theme_name() = theme.name;
        settings->property_gtk_application_prefer_dark_theme() = theme.dark;
        PreferencesStore().update(
            [dark = theme.dark](AppPreferences& value) { value.theme = dark ? AppTheme::dark : AppTheme::light; });
    }

private:
    Glib::ustring savedTheme_;
    bool savedDark_;
};

// The texts of the labels drawn under `widget`.
inline std::vector<std::string> drawnTexts(Gtk::Widget& widget) {
    std::vector<std::string> texts;
    if (auto* label = dynamic_cast<Gtk::Label*>(&widget); label && label->get_is_drawable())
        texts.push_back(label->get_text());
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children())
            for (std::string& text : drawnTexts(*child)) texts.push_back(std::move(text));
    return texts;
}

// The first label under `root` whose text begins with `start`; none when there is none.
inline Gtk::Label* labelStartingWith(Gtk::Widget& root, const std::string& start) {
    if (auto* label = dynamic_cast<Gtk::Label*>(&root); label && label->get_text().raw().rfind(start, 0) == 0)
        return label;
    if (auto* container = dynamic_cast<Gtk::Container*>(&root))
        for (Gtk::Widget* child : container->get_children())
            if (Gtk::Label* found = labelStartingWith(*child, start)) return found;
    return nullptr;
}

// A key press as a window gets it from the display, through GTK's own event dispatch; `time` is the
// press's X time (a person's key carries the server's time, newer than any earlier input).
inline void pressKey(Gtk::Window& window, const char* name, unsigned modifiers = 0,
                     std::uint32_t time = GDK_CURRENT_TIME, GdkEventType type = GDK_KEY_PRESS) {
    GdkDisplay* display = gdk_display_get_default();
    const guint keyval = gdk_keyval_from_name(name);
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    ASSERT_TRUE(gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &count));
    GdkEvent* event = gdk_event_new(type);
    event->key.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    event->key.state = modifiers;
    event->key.keyval = keyval;
    event->key.time = time;
    event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    event->key.group = static_cast<guint8>(keys[0].group);
    g_free(keys);
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
    gtk_main_do_event(event);
    gdk_event_free(event);
}
// The key pressed and let go, as a person types it: a button acts as the key comes up.
inline void typeKey(Gtk::Window& window, const char* name) {
    pressKey(window, name);
    pressKey(window, name, 0, GDK_CURRENT_TIME, GDK_KEY_RELEASE);
}

class AppFixture : public testing::Test {
protected:
    // With `globalProxy`, the only proxy every web view may use, set before the sessions exist.
    explicit AppFixture(std::optional<BrowserProxySettings> globalProxy = std::nullopt,
                        ProxyRuntime::CredentialReader passwords = noPassword)
        : proxy(passwords),
          proxied(((globalProxy ? proxy.load(*globalProxy) : void()), true)),
          sessions(proxy, passwords) {}
    void TearDown() override {
        menu.reset();
        if (environment) environment->windows().shutdown();
        environment.reset();
    }

    // A website on a page of the local server that shows its name.
    WebAppProfile website(const std::string& name, const std::string& path) {
        server.page(path, "<!doctype html><meta charset='utf-8'><title>" + name + "</title>" + name);
        WebAppProfile profile;
        profile.name = name;
        profile.homeURL = server.url(path);
        profile.rememberLastURL = false;
        return profile;
    }
    static void saveWebsites(const std::vector<WebAppProfile>& websites) {
        if (websites.empty()) return;
        ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save(websites));
    }
    // What profiles.json holds once the writes handed over have run.
    static std::vector<WebAppProfile> storedWebsites() {
        applicationFileWriter().flush();
        return ProfilePersistence(defaultProfilesFilePath()).load().value();
    }

    // The graph with its main menu attached to every window it builds, on the one application
    // object a process may register.
    void startWithMenu() {
        static Glib::RefPtr<Gtk::Application> shared = [] {
            auto made = Gtk::Application::create("com.quenlith.AppTest", Gio::APPLICATION_NON_UNIQUE);
            made->register_application();
            return made;
        }();
        application = shared;
        ASSERT_TRUE(application->is_registered());
        environment = std::make_unique<AppEnvironment>(sessions);
        menu = std::make_unique<MainMenu>(*application.operator->(), *environment, MainMenu::Links{});
        WindowShellHooks hooks = environment->windows().hooks();
        hooks.onWindowBuilt = [this](BrowserWindowController& c) { menu->attach(c.panel()); };
        environment->windows().setHooks(std::move(hooks));
        menu->attachToEveryWindow();
    }

    TemporaryEnvironment folders;
    TestHttpServer server;
    ProxyRuntime proxy;
    bool proxied;
    WebsiteSessions sessions;
    Glib::RefPtr<Gtk::Application> application;
    std::unique_ptr<AppEnvironment> environment;
    std::unique_ptr<MainMenu> menu;
};

}  // namespace quenlith::test

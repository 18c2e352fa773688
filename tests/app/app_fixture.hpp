#pragma once

// The application's object graph on fresh folders with a local web server, and what the menu
// scenarios add: the one application object of the process and key presses through GTK's dispatch.

#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/application.h>

#include "app/app_environment.hpp"
#include "app/auxiliary_windows.hpp"
#include "app/main_menu.hpp"
#include "browser/engine/proxy_runtime.hpp"
#include "browser/engine/website_sessions.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"

namespace quenlith::test {

inline SecretCall noPassword(const std::string&, SecretStore::ReadDone done) {
    done(Error{"test.noPassword", "no password"});
    return {};
}

// A key press as a window gets it from the display, through GTK's own event dispatch.
inline void pressKey(Gtk::Window& window, const char* name, unsigned modifiers = 0) {
    GdkDisplay* display = gdk_display_get_default();
    const guint keyval = gdk_keyval_from_name(name);
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    ASSERT_TRUE(gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &count));
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    event->key.state = modifiers;
    event->key.keyval = keyval;
    event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    event->key.group = static_cast<guint8>(keys[0].group);
    g_free(keys);
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
    gtk_main_do_event(event);
    gdk_event_free(event);
}

class AppFixture : public testing::Test {
protected:
    // With `globalProxy`, the only proxy every web view may use, set before the sessions exist.
    explicit AppFixture(std::optional<BrowserProxySettings> globalProxy = std::nullopt)
        : proxied(((globalProxy ? proxy.load(*globalProxy) : void()), true)) {}
    void TearDown() override {
        menu.reset();
        environment.reset();
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
        environment->windows().onWindowBuilt = [this](BrowserWindowController& c) { menu->attach(c.panel()); };
        environment->auxiliaryWindows().onWindowBuilt = [this](Gtk::Window& window) { menu->attach(window); };
    }

    TemporaryEnvironment folders;
    TestHttpServer server;
    ProxyRuntime proxy{noPassword};
    bool proxied;
    WebsiteSessions sessions{proxy, noPassword};
    Glib::RefPtr<Gtk::Application> application;
    std::unique_ptr<AppEnvironment> environment;
    std::unique_ptr<MainMenu> menu;
};

}  // namespace quenlith::test

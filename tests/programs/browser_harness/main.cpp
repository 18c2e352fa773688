// Shows one browser view in a window, on pages served from 127.0.0.1, so that a person can look
// at the chrome and the tabs.
//
//   browser_harness [--tabs N] [--size WIDTHxHEIGHT] [--screenshot FILE.png]
//
// The window shows its own demo pages and has a header bar as the floating windows do. Once every
// tab has loaded the harness prints "chrome N page M":
// the pixels the chrome takes above the page and the page's own height. With --screenshot it then
// takes a picture of the whole screen, writes it to FILE.png and quits.

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <optional>

#include <glibmm/main.h>
#include <glibmm/shell.h>
#include <glibmm/spawn.h>
#include <gtkmm/box.h>
#include <gtkmm/headerbar.h>
#include <gtkmm/main.h>
#include <gtkmm/window.h>

#include <webkit2/webkit2.h>

#include "browser/blocking/ad_blocking.hpp"
#include "browser/engine/page_icons.hpp"
#include "browser/engine/proxy_passwords.hpp"
#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/app_paths.hpp"
#include "model/preferences_store.hpp"
#include "support/test_http_server.hpp"

namespace {

struct Options {
    int tabs = 1;
    std::optional<std::string> screenshot;
    int width = 900;
    int height = 620;
};

std::optional<Options> parse(int argc, char** argv) {
    Options options;
    if (argc % 2 == 0) return std::nullopt;  // every option takes a value
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string argument = argv[i], text = argv[i + 1];
        if (argument == "--screenshot") {
            options.screenshot = text;
        } else if (argument == "--tabs") {
            options.tabs = std::max(1, std::atoi(text.c_str()));
        } else if (argument != "--size" ||
                   std::sscanf(text.c_str(), "%dx%d", &options.width, &options.height) != 2) {
            return std::nullopt;
        }
    }
    return options;
}

std::string demoPage(const std::string& title, const std::string& colour) {
    return "<!doctype html><html><head><meta charset='utf-8'><title>" + title +
           "</title><style>body{font-family:sans-serif;margin:32px;color:#222}.block{background:" + colour +
           ";height:180px;border-radius:12px;margin:24px 0}</style></head><body><h1>" + title +
           "</h1><p>A page served from 127.0.0.1 for looking at the browser chrome. "
           "The word needle appears here, and needle again.</p><div class='block'></div>"
           "<p>Scroll, type an address or press the buttons above.</p></body></html>";
}

}  // namespace

int main(int argc, char** argv) {
    setenv("NO_AT_BRIDGE", "1", 0);
    setenv("GDK_BACKEND", "x11", 1);
    auto options = parse(argc, argv);
    if (!options) {
        std::cerr << "usage: browser_harness [--tabs N] [--size WIDTHxHEIGHT] [--screenshot FILE.png]\n";
        return 2;
    }
    Gtk::Main kit(argc, argv);
    using namespace quenlith;

    test::TestHttpServer server;
    server.page("/", demoPage("Quenlith harness", "#2f7bd9"));
    server.page("/second", demoPage("Second tab", "#2fa35a"));

    PreferencesStore preferences(settingsFilePath());
    WebAppProfile profile;
    profile.name = "Harness";
    profile.homeURL = server.url("/");
    profile.rememberLastURL = false;
    ProxyRuntime proxy(readProxyPassword);
    WebsiteSessions sessions(proxy, readProxyPassword);
    auto blocking = AdBlocking::inCacheFolder();
    PageIcons pageIcons;
    const BrowserContext context{preferences, sessions,      *blocking,           pageIcons,
                                 nullptr,     systemClock(), mainLoopScheduler(), mainLoopScheduler()};
    auto store = sessions.dataStore(profile);

    Gtk::HeaderBar header;  // before the view, which takes its controls back when it ends
    Gtk::Window window;
    BrowserViewController controller(context, profile, store);
    BrowserWindowServices services;
    services.makeStartPage = [] { return Gtk::manage(new Gtk::Box()); };
    services.onCommand = [&](BrowserCommand command) {
        if (command == BrowserCommand::close) window.hide();
    };
    controller.setServices(std::move(services));

    // The floating window's title bar: the navigation controls go into it.
    header.set_show_close_button(true);
    header.set_decoration_layout(":minimize,maximize,close");
    header.show();
    window.set_titlebar(header);
    controller.presenter().useHeaderBar(&header);
    // The size asked for is the whole window's, title bar included, as a floating window's frame.
    int titleHeight = 0, naturalTitleHeight = 0;
    header.get_preferred_height(titleHeight, naturalTitleHeight);
    window.set_default_size(options->width, options->height - naturalTitleHeight);
    window.add(controller.view());
    window.show();
    controller.setPresented(true, true);
    for (int i = 1; i < options->tabs; ++i)
        controller.tabs().add(server.url("/second?tab=" + std::to_string(i)));

    // Ready once every tab has loaded and the page has painted (two animation frames in the page,
    // then a few frames of the window): then the screen is photographed.
    int framesLeft = 3;
    auto photograph = [&] {
        // From the top of the title bar down to the page.
        GtkWidget* page = GTK_WIDGET(controller.tabs().active()->webView());
        int x = 0, y = 0;
        gtk_widget_translate_coordinates(page, GTK_WIDGET(header.gobj()), 0, 0, &x, &y);
        std::cout << "chrome " << y << " page " << gtk_widget_get_allocated_height(page) << std::endl;
        if (!options->screenshot) return;
        const std::string command = "import -window root " + Glib::shell_quote(*options->screenshot);
        int status = 0;
        Glib::spawn_command_line_sync(command, nullptr, nullptr, &status);
        std::cout << "screenshot " << (status == 0 ? "taken" : "failed") << std::endl;
        window.hide();
    };
    using Step = std::function<void()>;
    Step painted = [&] {
        controller.presenter().refresh();
        window.add_tick_callback([&](const Glib::RefPtr<Gdk::FrameClock>&) {
            window.queue_draw();
            if (--framesLeft > 0) return true;
            photograph();
            return false;
        });
        window.queue_draw();
    };
    Glib::signal_timeout().connect(
        [&] {
            for (const auto& tab : controller.tabs().items())
                if (tab->isLoading() || tab->pageTitle().empty()) return true;
            webkit_web_view_call_async_javascript_function(
                controller.tabs().active()->webView(),
                "await new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)));", -1, nullptr,
                nullptr, nullptr, nullptr,
                [](GObject*, GAsyncResult*, gpointer done) { (*static_cast<Step*>(done))(); }, &painted);
            return false;
        },
        50);

    Gtk::Main::run(window);
    return 0;
}

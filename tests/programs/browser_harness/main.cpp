// Shows one browser view in a window, on pages served from 127.0.0.1, so that a person can look
// at the chrome and the tabs.
//
//   browser_harness [--url ADDRESS] [--tabs N] [--compact] [--private] [--find TEXT]
//                   [--size WIDTHxHEIGHT] [--new-tab] [--screenshot FILE.png]
//
// Without --url the window opens its own demo pages. The window has a header bar as the floating
// windows do (none in compact mode). Once every tab has loaded the harness prints "chrome N page M":
// the pixels the chrome takes above the page and the page's own height. With --screenshot it then
// takes a picture of the whole screen, writes it to FILE.png and quits.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include <glibmm/main.h>
#include <glibmm/shell.h>
#include <glibmm/spawn.h>
#include <gtkmm/box.h>
#include <gtkmm/headerbar.h>
#include <gtkmm/main.h>
#include <gtkmm/window.h>

#include <webkit2/webkit2.h>

#include "browser/view/browser_view_controller.hpp"
#include "browser/engine/website_data_store.hpp"
#include "browser/engine/website_sessions.hpp"
#include "model/app_paths.hpp"
#include "model/preferences_store.hpp"
#include "support/test_http_server.hpp"

namespace {

struct Options {
    std::optional<std::string> url;
    int tabs = 1;
    bool compact = false;
    bool privateWindow = false;
    bool newTab = false;  // ends with a start-page tab, whose address field and title are texts
    std::optional<std::string> find;
    std::optional<std::string> screenshot;
    int width = 900;
    int height = 620;
};

std::optional<Options> parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) return std::nullopt;
            return std::string(argv[++i]);
        };
        if (argument == "--compact") {
            options.compact = true;
        } else if (argument == "--new-tab") {
            options.newTab = true;
        } else if (argument == "--private") {
            options.privateWindow = true;
        } else if (argument == "--size") {
            auto text = value();
            if (!text || std::sscanf(text->c_str(), "%dx%d", &options.width, &options.height) != 2) return std::nullopt;
        } else if (argument == "--url" || argument == "--find" || argument == "--screenshot" ||
                   argument == "--tabs") {
            auto text = value();
            if (!text) return std::nullopt;
            if (argument == "--url") options.url = *text;
            if (argument == "--find") options.find = *text;
            if (argument == "--screenshot") options.screenshot = *text;
            if (argument == "--tabs") options.tabs = std::max(1, std::atoi(text->c_str()));
        } else {
            return std::nullopt;
        }
    }
    return options;
}

std::string demoPage(const std::string& title, const std::string& colour) {
    return "<!doctype html><html><head><meta charset='utf-8'><title>" + title +
           "</title><style>body{font-family:sans-serif;margin:32px;color:#222}"
           ".block{background:" +
           colour +
           ";height:180px;border-radius:12px;margin:24px 0}</style></head><body>"
           "<h1>" +
           title +
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
        std::cerr
            << "usage: browser_harness [--url ADDRESS] [--tabs N] [--compact] [--private] [--find TEXT] "
               "[--size WIDTHxHEIGHT] [--new-tab] [--screenshot FILE.png]\n";
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
    profile.homeURL = options->url.value_or(server.url("/"));
    profile.rememberLastURL = false;
    profile.compactMode = options->compact;
    auto store = options->privateWindow ? WebsiteDataStore::nonPersistent()
                                        : WebsiteSessions::shared().dataStore(profile);

    Gtk::HeaderBar header;  // before the view, which takes its controls back when it ends
    Gtk::Window window;
    BrowserViewController controller(profile, preferences, nullptr, std::nullopt, std::nullopt, store, false);
    controller.services.makeStartPage = [] { return Gtk::manage(new Gtk::Box()); };
    controller.services.onCommand = [&](BrowserCommand command) {
        std::cout << "command " << browserCommandName(command) << std::endl;
        if (command == BrowserCommand::close) window.hide();
    };
    controller.services.onProfileChange = [&](const WebAppProfile& changed) {
        window.set_keep_above(changed.alwaysOnTop);
    };

    // The floating window's title bar: the navigation controls go into it.
    header.set_show_close_button(true);
    header.set_decoration_layout(":minimize,maximize,close");
    header.show();
    if (!options->compact) {
        window.set_titlebar(header);
        controller.useHeaderBar(&header);
    }
    // The size asked for is the whole window's, title bar included, as a floating window's frame.
    int titleHeight = 0, naturalTitleHeight = 0;
    if (!options->compact) header.get_preferred_height(titleHeight, naturalTitleHeight);
    window.set_default_size(options->width, options->height - naturalTitleHeight);
    window.set_keep_above(profile.alwaysOnTop);
    window.add(controller.view());
    window.show();
    controller.setPresented(true, true);
    for (int i = 1; i < options->tabs; ++i) controller.addTab(server.url("/second?tab=" + std::to_string(i)));
    if (options->newTab) controller.openNewTab();

    // Ready once every tab has loaded, a find asked for has its answer, and the page has painted
    // (two animation frames in the page, then a few frames of the window): then the screen is
    // photographed.
    enum class Stage { loading, searching, painting, settling, done };
    Stage stage = Stage::loading;
    int framesLeft = 3;
    auto photograph = [&] {
        std::cout << "ready" << std::endl;
        if (BrowserTab* tab = controller.activeTab()) {
            // From the top of the title bar (or of the view, without one) down to the page.
            GtkWidget* top = options->compact ? GTK_WIDGET(controller.view().gobj()) : GTK_WIDGET(header.gobj());
            int x = 0, y = 0;
            gtk_widget_translate_coordinates(GTK_WIDGET(tab->webView()), top, 0, 0, &x, &y);
            const int page = gtk_widget_get_allocated_height(GTK_WIDGET(tab->webView()));
            std::cout << "chrome " << y << " page " << page << std::endl;
        }
        if (!options->screenshot) return;
        const std::string command = "import -window root " + Glib::shell_quote(*options->screenshot);
        int status = 0;
        Glib::spawn_command_line_sync(command, nullptr, nullptr, &status);
        std::cout << "screenshot " << (status == 0 ? "taken" : "failed") << std::endl;
        window.hide();
    };
    Glib::signal_timeout().connect(
        [&] {
            if (stage == Stage::loading) {
                for (const auto& tab : controller.tabs())
                    if (tab->isLoading() || (!tab->showsStartPage && tab->pageTitle().empty())) return true;
                stage = Stage::searching;
                if (options->find) {
                    controller.showFindBar();
                    controller.findBar.input.set_text(*options->find);
                }
            }
            if (stage == Stage::searching) {
                if (options->find && controller.findBar.result.get_text().empty()) return true;
                stage = Stage::painting;
                BrowserTab* tab = controller.activeTab();
                if (!tab || tab->showsStartPage) {
                    stage = Stage::settling;
                } else {
                    webkit_web_view_call_async_javascript_function(
                        tab->webView(),
                        "await new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r))); "
                        "return 1;",
                        -1, nullptr, nullptr, nullptr, nullptr,
                        [](GObject*, GAsyncResult*, gpointer data) {
                            *static_cast<Stage*>(data) = Stage::settling;
                        },
                        &stage);
                }
            }
            if (stage != Stage::settling) return true;
            stage = Stage::done;
            controller.refreshChrome();
            window.add_tick_callback([&](const Glib::RefPtr<Gdk::FrameClock>&) {
                if (--framesLeft > 0) {
                    window.queue_draw();
                    return true;
                }
                photograph();
                return false;
            });
            window.queue_draw();
            return false;
        },
        50);

    Gtk::Main::run(window);
    return 0;
}

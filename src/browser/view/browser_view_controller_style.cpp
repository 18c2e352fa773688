// The look of the browser chrome, installed once per screen.

#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>

#include "model/logging.hpp"

namespace quenlith {

namespace {

constexpr const char* kStyleSheet = R"css(
.quenlith-chrome, .quenlith-toolbar { background-color: @theme_bg_color; }
.quenlith-toolbar { border-bottom: 1px solid alpha(@borders, 0.6); }
.quenlith-find-bar, .quenlith-auth-bar { background-color: @theme_bg_color; border-bottom: 1px solid alpha(@borders, 0.6); }
.quenlith-small { font-size: smaller; }
.quenlith-find-result { font-size: smaller; }
.quenlith-tab { border-radius: 6px; }
.quenlith-tab:hover { background-color: alpha(@theme_fg_color, 0.06); }
.quenlith-tab button { padding: 0 4px; min-height: 0; }
.quenlith-tab button:hover, .quenlith-tab button:active { background-image: none; background-color: transparent; box-shadow: none; }
.quenlith-tab label { padding: 0; }
.quenlith-tab-active, .quenlith-tab-active:hover { background-color: alpha(@theme_fg_color, 0.12); }
.quenlith-tab-active label { font-weight: bold; }
.quenlith-tab-close { margin-right: 2px; }
.quenlith-title-button { padding: 0 6px; }
.quenlith-pin-on { background-image: none; background-color: alpha(@theme_fg_color, 0.12); }
.quenlith-private-address { background-color: rgba(175, 82, 222, 0.12); background-image: none; }
.quenlith-box-title { font-size: larger; font-weight: 600; }
.quenlith-progress trough, .quenlith-progress progress { min-height: 2px; border: none; border-radius: 0; }
.quenlith-progress trough { background-color: transparent; }
)css";

}  // namespace

void installBrowserStyleSheet() {
    static bool installed = false;
    if (installed) return;
    auto screen = Gdk::Screen::get_default();
    if (!screen) return;
    auto provider = Gtk::CssProvider::create();
    try {
        provider->load_from_data(kStyleSheet);
    } catch (const Glib::Error& error) {
        logError(LogCategory::browser, std::string("Browser style sheet rejected: ") + error.what().raw());
        return;
    }
    Gtk::StyleContext::add_provider_for_screen(screen, provider, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    installed = true;
}

}  // namespace quenlith

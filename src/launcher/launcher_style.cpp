#include "launcher/launcher_style.hpp"

#include <gdkmm/screen.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/stylecontext.h>

#include "ui/icon_names.hpp"

namespace quenlith {

int LauncherHold::count_ = 0;

namespace {

constexpr const char* kStyleSheet = R"(
.quenlith-launcher { background-color: @theme_bg_color; }
.quenlith-tile { background-image: none; background-color: transparent; border: none; box-shadow: none;
                 border-radius: 12px; padding: 5px 0; }
.quenlith-tile:hover { background-color: transparent; }
.quenlith-tile:active { background-color: alpha(@theme_selected_bg_color, 0.12); }
.quenlith-search { background-color: @theme_base_color; border-radius: 10px; padding: 10px;
                   border: 1px solid mix(@theme_base_color, @theme_fg_color, 0.25); }
.quenlith-search entry { border: none; background: none; box-shadow: none; }
.quenlith-card { background-color: @theme_base_color; border-radius: 12px;
                 border: 1px solid alpha(@theme_fg_color, 0.06); }
.quenlith-secondary { color: alpha(@theme_fg_color, 0.8); }
/* The selection colour itself is 3.5:1 on Adwaita's light window and 1.6:1 on its dark one. */
.quenlith-accent { color: mix(@theme_selected_bg_color, @theme_fg_color, 0.6); }
/* The theme's warning colour is 2.5:1 on Adwaita's light window and its error colour 2.1:1 on its
   dark one: drawn nearer the text colour they keep their hue and read at 4.5:1 or more in light,
   dark and high-contrast themes. */
.quenlith-warning { color: mix(@warning_color, @theme_fg_color, 0.6); }
.quenlith-error { color: mix(@error_color, @theme_fg_color, 0.6); }
.quenlith-row { background: none; border: none; box-shadow: none; padding: 0; }
row:selected .quenlith-accent { color: inherit; }
.quenlith-launcher button.suggested-action, .quenlith-launcher button.suggested-action:hover {
    background-image: none; background-color: shade(@theme_selected_bg_color, 0.85); }
.quenlith-launcher button.suggested-action:active { background-color: shade(@theme_selected_bg_color, 0.75); }
.quenlith-palette row:selected { background-color: alpha(@theme_selected_bg_color, 0.2); color: @theme_fg_color; }
.quenlith-guide-number { color: mix(@theme_selected_bg_color, @theme_fg_color, 0.6); background-color: alpha(@theme_selected_bg_color, 0.1);
                         border-radius: 15px; }
)";

}  // namespace

void installLauncherStyle() {
    static bool installed = false;
    if (installed) return;
    auto screen = Gdk::Screen::get_default();
    if (!screen) return;
    auto provider = Gtk::CssProvider::create();
    provider->load_from_data(kStyleSheet);
    Gtk::StyleContext::add_provider_for_screen(screen, provider, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    installed = true;
}

Gtk::Label* makeLabel(const std::string& text, double size, int weight, const std::string& styleClass) {
    auto* label = Gtk::manage(new Gtk::Label());
    styleLabel(*label, text, size, weight, styleClass);
    return label;
}

void styleLabel(Gtk::Label& label, const std::string& text, double size, int weight,
                const std::string& styleClass) {
    label.set_text(text);
    label.set_use_markup(false);
    Pango::AttrList attributes;
    // Points, not pixels: the text follows the desktop's text scale (96 dots per inch shows `size` pixels).
    auto font = Pango::Attribute::create_attr_size(static_cast<int>(size * kPointsPerPixel * PANGO_SCALE));
    attributes.insert(font);
    auto bold = Pango::Attribute::create_attr_weight(static_cast<Pango::Weight>(weight));
    attributes.insert(bold);
    label.set_attributes(attributes);
    if (!styleClass.empty()) label.get_style_context()->add_class(styleClass);
}

Gtk::Image* makeSymbolImage(std::string_view symbol, int pixels) {
    installApplicationIcons();
    auto* image = Gtk::manage(new Gtk::Image());
    image->set_from_icon_name(iconNameForSymbol(symbol), Gtk::ICON_SIZE_BUTTON);
    image->set_pixel_size(pixels);
    return image;
}

void LauncherHold::track(Gtk::Widget& popup) {
    // Mapping, not showing: a popup destroyed while open is unmapped, but never hidden.
    popup.signal_map().connect([] { ++count_; });
    popup.signal_unmap().connect([] { --count_; });
}

}  // namespace quenlith

#include "windows/private_page.hpp"

#include <gtkmm/box.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>

#include "model/localization.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"

namespace quenlith {

namespace {

Gtk::Label* pageLabel(const std::string& text, double scale, bool bold, bool dim) {
    auto* label = Gtk::manage(new Gtk::Label(text));
    Pango::AttrList attributes;
    auto size = Pango::Attribute::create_attr_scale(scale);
    attributes.insert(size);
    if (bold) {
        auto weight = Pango::Attribute::create_attr_weight(Pango::WEIGHT_SEMIBOLD);
        attributes.insert(weight);
    }
    label->set_attributes(attributes);
    label->set_line_wrap(true);
    label->set_justify(Gtk::JUSTIFY_CENTER);
    label->set_max_width_chars(60);
    if (dim) styleSecondaryText(*label);
    return label;
}

}  // namespace

Gtk::Widget* makePrivatePage() {
    installApplicationIcons();
    auto* stack = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 16));
    stack->set_halign(Gtk::ALIGN_CENTER);
    stack->set_valign(Gtk::ALIGN_CENTER);
    stack->set_hexpand(true);
    stack->set_vexpand(true);
    stack->property_margin() = 36;

    auto* symbol = Gtk::manage(new Gtk::Image());
    symbol->set_from_icon_name(iconNameForSymbol("hand.raised.fill"), Gtk::ICON_SIZE_INVALID);
    symbol->set_pixel_size(36);
    // Purple, as the private window's chrome.
    symbol->override_color(Gdk::RGBA("#8e44ad"));
    stack->pack_start(*symbol, Gtk::PACK_SHRINK);
    stack->pack_start(*pageLabel(localizedString("Private Window"), 1.44, true, false), Gtk::PACK_SHRINK);
    stack->pack_start(
        *pageLabel(localizedString("This window uses a separate temporary session. Closing it removes "
                                   "its cookies. Pages are excluded from history, page groups and the "
                                   "library. Downloads you save remain on disk."),
                   1.0, false, true),
        Gtk::PACK_SHRINK);
    stack->pack_start(
        *pageLabel(localizedString("Enter a website in the address bar to begin."), 0.9, false, false),
        Gtk::PACK_SHRINK);
    stack->show_all();
    return stack;
}

}  // namespace quenlith

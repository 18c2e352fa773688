#include "library/empty_state.hpp"

#include <gtkmm/box.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>

#include "model/localization.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"

namespace quenlith {

Gtk::Box* makeEmptyState(std::string_view symbol, const std::string& title, const std::string& message) {
    installApplicationIcons();
    auto* box = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 12));
    box->set_valign(Gtk::ALIGN_CENTER);
    box->set_halign(Gtk::ALIGN_CENTER);
    box->set_vexpand(true);
    box->set_hexpand(true);
    box->property_margin() = 30;

    auto* image = Gtk::manage(new Gtk::Image());
    image->set_from_icon_name(iconNameForSymbol(symbol), Gtk::ICON_SIZE_DIALOG);
    image->set_pixel_size(34);
    image->get_style_context()->add_class("accent");
    auto* heading = Gtk::manage(new Gtk::Label(localizedString(title)));
    heading->get_style_context()->add_class("heading");
    Pango::AttrList bold;
    auto weight = Pango::Attribute::create_attr_weight(Pango::WEIGHT_BOLD);
    bold.insert(weight);
    heading->set_attributes(bold);
    auto* text = Gtk::manage(new Gtk::Label(withUnbreakableQuotes(localizedString(message))));
    text->set_justify(Gtk::JUSTIFY_CENTER);
    text->set_line_wrap(true);
    text->set_max_width_chars(52);
    styleSecondaryText(*text);

    box->pack_start(*image, Gtk::PACK_SHRINK);
    box->pack_start(*heading, Gtk::PACK_SHRINK);
    box->pack_start(*text, Gtk::PACK_SHRINK);
    box->show_all();
    return box;
}

}  // namespace quenlith

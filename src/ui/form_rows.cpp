#include "ui/form_rows.hpp"

#include <atkmm/object.h>
#include <pangomm/attrlist.h>

#include "model/localization.hpp"

namespace quenlith {

void styleCaption(Gtk::Label& label) {
    label.set_xalign(0);
    label.set_line_wrap(true);
    label.set_max_width_chars(60);
    label.get_style_context()->add_class("dim-label");
    Pango::AttrList attributes;
    auto scale = Pango::Attribute::create_attr_scale(0.9);
    attributes.insert(scale);
    label.set_attributes(attributes);
}

void styleHeadline(Gtk::Label& label) {
    Pango::AttrList attributes;
    auto weight = Pango::Attribute::create_attr_weight(Pango::WEIGHT_SEMIBOLD);
    attributes.insert(weight);
    label.set_attributes(attributes);
}

void wrapWithinWidth(Gtk::Label& label) {
    label.set_line_wrap(true);
    label.set_line_wrap_mode(Pango::WRAP_WORD_CHAR);
    // Only what the label asks for: it is given the window's width and wraps within it.
    label.set_max_width_chars(40);
}

Gtk::Label* makeCaption(const std::string& text) {
    auto* label = Gtk::manage(new Gtk::Label(text));
    styleCaption(*label);
    return label;
}

Gtk::Frame* makeSection(const std::string& title, Gtk::Widget& content) {
    auto* frame = Gtk::manage(new Gtk::Frame(title));
    frame->set_shadow_type(Gtk::SHADOW_ETCHED_IN);
    content.set_margin_start(12);
    content.set_margin_end(12);
    content.set_margin_top(8);
    content.set_margin_bottom(8);
    frame->add(content);
    return frame;
}

Gtk::CheckButton* makeSwitch(const std::string& label) {
    return Gtk::manage(new Gtk::CheckButton(label));
}

}  // namespace quenlith

namespace quenlith {
Gtk::Box* makeLabeledRow(const std::string& label, Gtk::Widget& control) {
    auto* row = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    auto* text = Gtk::manage(new Gtk::Label(label));
    text->set_xalign(0);
    text->set_size_request(110, -1);
    labelControl(*text, control);
    row->pack_start(*text, Gtk::PACK_SHRINK);
    row->pack_start(control, Gtk::PACK_EXPAND_WIDGET);
    return row;
}

void labelControl(Gtk::Label& label, Gtk::Widget& control) {
    label.set_mnemonic_widget(control);
    nameControl(control, label.get_text());
}

void nameControl(Gtk::Widget& control, const std::string& name) {
    if (auto accessible = control.get_accessible()) accessible->set_name(name);
}

void nameInRow(Gtk::Widget& control, const std::string& action, const std::string& row) {
    nameControl(control, localizedFormat("%@, %@", {action, row}));
}
}  // namespace quenlith

namespace quenlith {
void showWhen(Gtk::Widget& widget, bool visible) {
    if (!visible) return widget.hide();
    // show_all() stops at a no-show-all widget, itself included.
    widget.set_no_show_all(false);
    widget.show_all();
    widget.set_no_show_all(true);
}
}  // namespace quenlith

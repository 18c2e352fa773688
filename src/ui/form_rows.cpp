#include "ui/form_rows.hpp"

#include <gtk/gtk.h>
#include <atkmm/object.h>
#include <gtkmm/bin.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>
#include <pangomm/attrlist.h>

#include "model/isolated_text.hpp"
#include "model/localization.hpp"

namespace quenlith {

void styleSecondaryText(Gtk::Widget& widget) {
    // The theme's dim-label class draws text at 55% opacity: 3.2:1 against Adwaita's window, below
    // the 4.5:1 small text needs. The theme's own text colour, a little lighter, keeps it above in
    // every theme, light, dark or high-contrast.
    static const Glib::RefPtr<Gtk::CssProvider> provider = [] {
        auto made = Gtk::CssProvider::create();
        // Opaque: a header bar's subtitle is dimmed by the theme's opacity as well.
        made->load_from_data(".quenlith-caption { color: alpha(@theme_fg_color, 0.8); opacity: 1; }");
        return made;
    }();
    auto style = widget.get_style_context();
    if (!widget.get_data("quenlith-caption")) {
        style->add_provider(provider, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        widget.set_data("quenlith-caption", provider.operator->());
    }
    style->add_class(kSecondaryTextClass);
}

void readableErrorText(Gtk::Widget& widget) {
    // The theme's error colour is 2.1:1 against Adwaita's dark window; drawn nearer the text colour
    // it stays red and reads at 4.5:1 or more in light, dark and high-contrast themes alike.
    static const Glib::RefPtr<Gtk::CssProvider> provider = [] {
        auto made = Gtk::CssProvider::create();
        made->load_from_data(".error { color: mix(@error_color, @theme_fg_color, 0.6); }");
        return made;
    }();
    if (widget.get_data("quenlith-error-text")) return;
    widget.get_style_context()->add_provider(provider, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    widget.set_data("quenlith-error-text", provider.operator->());
}

void styleLink(Gtk::Widget& link) {
    // The theme colours a link's label in its link colour: 3.3:1 on Adwaita's dark window. Drawn
    // closer to the text colour, the link keeps its hue and reads above 4.5:1 on light and dark
    // windows alike.
    static const Glib::RefPtr<Gtk::CssProvider> provider = [] {
        auto made = Gtk::CssProvider::create();
        made->load_from_data("label { color: mix(@theme_selected_bg_color, @theme_fg_color, 0.6); }");
        return made;
    }();
    if (auto* bin = dynamic_cast<Gtk::Bin*>(&link); bin && bin->get_child())
        bin->get_child()->get_style_context()->add_provider(provider,
                                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

void styleSuggestedAction(Gtk::Widget& button) {
    // The theme's suggested-action button writes white on its selection colour: 4.0:1 in Adwaita
    // and HighContrast. A shade darker keeps the label above 4.5:1.
    static const Glib::RefPtr<Gtk::CssProvider> provider = [] {
        auto made = Gtk::CssProvider::create();
        made->load_from_data(
            "button.suggested-action, button.suggested-action:hover { background-image: none;"
            " background-color: shade(@theme_selected_bg_color, 0.85); }"
            " button.suggested-action:active { background-color: shade(@theme_selected_bg_color, 0.75); }");
        return made;
    }();
    auto style = button.get_style_context();
    style->add_provider(provider, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    style->add_class("suggested-action");
}

void styleCaption(Gtk::Label& label) {
    label.set_xalign(0);
    label.set_line_wrap(true);
    label.set_max_width_chars(60);
    styleSecondaryText(label);
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

void ellipsizeWithinWidth(Gtk::Label& label, int characters) {
    label.set_ellipsize(Pango::ELLIPSIZE_END);
    label.set_line_wrap(false);
    // An ellipsised label still asks for the width of its whole text unless told otherwise.
    label.set_max_width_chars(characters);
}

void wrapWithinWidth(Gtk::Label& label) {
    label.set_line_wrap(true);
    label.set_line_wrap_mode(Pango::WRAP_WORD_CHAR);
    // Only what the label asks for: it is given the window's width and wraps within it.
    label.set_max_width_chars(40);
}

void makeCopyable(Gtk::Label& label) {
    label.set_selectable(true);
    label.set_can_focus(false);
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

void titleByPlaceholder(Gtk::Entry& field, const std::string& title) {
    field.set_placeholder_text(title);
    nameControl(field, title);
}

namespace {

void nameEntryIcon(Gtk::Entry& field, GtkEntryIconPosition position, const std::string& name) {
    GtkEntry* entry = field.gobj();
    // The accessible object's own handler renames the icon on these changes: made first, it runs first.
    AtkObject* accessible = gtk_widget_get_accessible(GTK_WIDGET(entry));
    auto rename = [entry, accessible, position, name] {
        if (gtk_entry_get_icon_storage_type(entry, position) == GTK_IMAGE_EMPTY) return;
        // The icons are the field's children, the primary one first.
        const int index = position == GTK_ENTRY_ICON_PRIMARY ||
                                  gtk_entry_get_icon_storage_type(entry, GTK_ENTRY_ICON_PRIMARY) == GTK_IMAGE_EMPTY
                              ? 0
                              : 1;
        if (AtkObject* icon = atk_object_ref_accessible_child(accessible, index)) {
            atk_object_set_name(icon, name.c_str());
            g_object_unref(icon);
        }
    };
    for (const char* property : {"primary-icon-name", "secondary-icon-name", "secondary-icon-storage-type",
                                 "primary-icon-storage-type"})
        field.connect_property_changed(property, rename);
    rename();
}

}  // namespace

void nameClearIcon(Gtk::Entry& field, const std::string& name) {
    nameEntryIcon(field, GTK_ENTRY_ICON_SECONDARY, name);
}

void nameSearchIcon(Gtk::Entry& field, const std::string& name) {
    nameEntryIcon(field, GTK_ENTRY_ICON_PRIMARY, name);
}

void nameControl(Gtk::Widget& control, const std::string& name) {
    if (auto accessible = control.get_accessible()) accessible->set_name(withoutIsolation(shownName(name)));
}

void showText(Gtk::Label& label, const std::string& text) {
    const std::string shown = withoutIsolation(text);
    if (label.get_text() != shown) label.set_text(shown);
    nameControl(label, shown);
}

namespace {

struct TitleLabelSearch {
    GtkWidget* skipped;  // a header bar's custom title, which names itself
    std::string name;
};

// Names the labels under `widget` that show a header bar's title.
void nameTitleLabels(GtkWidget* widget, gpointer data) {
    const auto& search = *static_cast<const TitleLabelSearch*>(data);
    if (widget == search.skipped) return;
    if (GTK_IS_LABEL(widget)) {
        if (gtk_style_context_has_class(gtk_widget_get_style_context(widget), "title"))
            atk_object_set_name(gtk_widget_get_accessible(widget), search.name.c_str());
        return;
    }
    // Internal children too: a header bar's title box is one.
    if (GTK_IS_CONTAINER(widget)) gtk_container_forall(GTK_CONTAINER(widget), nameTitleLabels, data);
}

// Names the header bar's own title label by the title it shows.
void nameHeaderBarTitle(GtkHeaderBar* bar) {
    const gchar* title = gtk_header_bar_get_title(bar);
    TitleLabelSearch search{gtk_header_bar_get_custom_title(bar), withoutIsolation(shownName(title ? title : ""))};
    gtk_container_forall(GTK_CONTAINER(bar), nameTitleLabels, &search);
}

}  // namespace

void titleWindow(Gtk::Window& window, const std::string& given) {
    const std::string title = withoutIsolation(given);
    if (window.get_title() != title) window.set_title(title);
    nameControl(window, title);
    // The toolkit shows the window's title in its header bar's own label as well, a label it makes
    // again when the bar's custom title goes: named after each change.
    GtkWidget* bar = gtk_window_get_titlebar(window.gobj());
    if (!bar || !GTK_IS_HEADER_BAR(bar)) return;
    static const GQuark followed = g_quark_from_static_string("quenlith-title-named");
    if (!g_object_get_qdata(G_OBJECT(bar), followed)) {
        g_object_set_qdata(G_OBJECT(bar), followed, bar);
        auto rename = +[](GtkHeaderBar* changed, GParamSpec*, gpointer) { nameHeaderBarTitle(changed); };
        g_signal_connect(bar, "notify::title", G_CALLBACK(rename), nullptr);
        g_signal_connect(bar, "notify::custom-title", G_CALLBACK(rename), nullptr);
    }
    nameHeaderBarTitle(GTK_HEADER_BAR(bar));
}

void nameInRow(Gtk::Widget& control, const std::string& action, const std::string& row) {
    nameControl(control, nameInRow(action, row));
}

std::string nameInRow(const std::string& action, const std::string& row) {
    return localizedFormat("%@, %@", {action, shownName(row)});
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

#include "library/row_list.hpp"

#include <glibmm/markup.h>
#include <gtkmm/cellrenderertext.h>
#include <gtkmm/icontheme.h>
#include <gtkmm/tooltip.h>
#include <gtkmm/treeview.h>

#include "ui/cell_names.hpp"
#include "ui/icon_names.hpp"

namespace quenlith {

void prepareRowList(Gtk::TreeView& list) {
    list.set_headers_visible(false);
    list.set_activate_on_single_click(true);
    list.get_selection()->set_mode(Gtk::SELECTION_NONE);
}

Gtk::TreeViewColumn* appendMarkupColumn(Gtk::TreeView& list, const Gtk::TreeModelColumn<Glib::ustring>& markup,
                                        int padding) {
    // A row's text reads as it is drawn, without bidirectional controls.
    readCellTextsWithoutIsolation();
    auto* cell = Gtk::manage(new Gtk::CellRendererText());
    cell->property_ellipsize() = Pango::ELLIPSIZE_END;
    cell->property_ypad() = padding;
    auto* column = Gtk::manage(new Gtk::TreeViewColumn());
    column->pack_start(*cell, true);
    column->add_attribute(cell->property_markup(), markup);
    column->set_expand(true);
    list.append_column(*column);
    return column;
}

std::string secondaryLineMarkup(const std::string& text) {
    // As the captions are drawn: the theme's dim-label opacity (55%) reads at 3.2:1.
    return "<span size=\"small\" alpha=\"80%\">" + Glib::Markup::escape_text(text) + "</span>";
}

Glib::RefPtr<Gdk::Pixbuf> accentSymbol(Gtk::Widget& widget, std::string_view symbol, int size) {
    installApplicationIcons();
    Gdk::RGBA accent;
    if (!widget.get_style_context()->lookup_color("theme_selected_bg_color", accent))
        accent = widget.get_style_context()->get_color(Gtk::STATE_FLAG_NORMAL);
    auto theme = Gtk::IconTheme::get_for_screen(widget.get_screen());
    auto info = theme->lookup_icon(iconNameForSymbol(symbol), size, Gtk::ICON_LOOKUP_FORCE_SIZE);
    if (!info) return {};
    bool wasSymbolic = false;
    try {
        return info.load_symbolic(accent, accent, accent, accent, wasSymbolic);
    } catch (const Glib::Error&) {
        return {};
    }
}

void setColumnTooltip(Gtk::TreeView& list, const Gtk::TreeViewColumn* column, std::function<std::string()> text) {
    list.set_has_tooltip(true);
    list.signal_query_tooltip().connect(
        [&list, column, text = std::move(text)](int x, int y, bool keyboard, const Glib::RefPtr<Gtk::Tooltip>& tip) {
            if (keyboard) return false;
            Gtk::TreeModel::Path path;
            Gtk::TreeViewColumn* at = nullptr;
            int bx = 0, by = 0, cx = 0, cy = 0;
            list.convert_widget_to_bin_window_coords(x, y, bx, by);
            if (!list.get_path_at_pos(bx, by, path, at, cx, cy) || at != column) return false;
            tip->set_text(text());
            return true;
        });
}

}  // namespace quenlith

#include "library/row_list.hpp"

#include <gtkmm/cellrenderertext.h>
#include <gtkmm/tooltip.h>
#include <gtkmm/treeview.h>

namespace quenlith {

void prepareRowList(Gtk::TreeView& list) {
    list.set_headers_visible(false);
    list.set_activate_on_single_click(true);
    list.get_selection()->set_mode(Gtk::SELECTION_NONE);
}

Gtk::TreeViewColumn* appendMarkupColumn(Gtk::TreeView& list, const Gtk::TreeModelColumn<Glib::ustring>& markup,
                                        int padding) {
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

#pragma once

#include <functional>
#include <string>

#include <gdkmm/pixbuf.h>
#include <glibmm/ustring.h>
#include <gtkmm/treemodelcolumn.h>

namespace Gtk {
class TreeView;
class TreeViewColumn;
class Widget;
}  // namespace Gtk

namespace quenlith {

// The library panes' lists: rows without headers or selection that act on a single click, since a
// row's cells are its buttons.
void prepareRowList(Gtk::TreeView& list);

// Appends the growing column of the rows' Pango markup, ellipsized, `padding` above and below.
Gtk::TreeViewColumn* appendMarkupColumn(Gtk::TreeView& list, const Gtk::TreeModelColumn<Glib::ustring>& markup,
                                        int padding);

// The markup of a row's second line (host, saved position, address, date): small, and dimmed as
// the theme's dim labels are, so it follows the row's colour when selected. `text` is plain text.
std::string secondaryLineMarkup(const std::string& text);

// The symbol `symbol` at `size` pixels in the accent colour of `widget`'s theme.
Glib::RefPtr<Gdk::Pixbuf> accentSymbol(Gtk::Widget& widget, std::string_view symbol, int size);

// Shows `text()` as the tooltip of the cells in `column` when the pointer rests on them.
void setColumnTooltip(Gtk::TreeView& list, const Gtk::TreeViewColumn* column, std::function<std::string()> text);

}  // namespace quenlith

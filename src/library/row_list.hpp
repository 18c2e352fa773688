#pragma once

#include <functional>
#include <string>

#include <glibmm/ustring.h>
#include <gtkmm/treemodelcolumn.h>

namespace Gtk {
class TreeView;
class TreeViewColumn;
}  // namespace Gtk

namespace quenlith {

// The library panes' lists: rows without headers or selection that act on a single click, since a
// row's cells are its buttons.
void prepareRowList(Gtk::TreeView& list);

// Appends the growing column of the rows' Pango markup, ellipsized, `padding` above and below.
Gtk::TreeViewColumn* appendMarkupColumn(Gtk::TreeView& list, const Gtk::TreeModelColumn<Glib::ustring>& markup,
                                        int padding);

// Shows `text()` as the tooltip of the cells in `column` when the pointer rests on them.
void setColumnTooltip(Gtk::TreeView& list, const Gtk::TreeViewColumn* column, std::function<std::string()> text);

}  // namespace quenlith

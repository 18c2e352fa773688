#pragma once

#include <functional>
#include <string>

namespace Gtk {
class TreeView;
class TreeViewColumn;
}  // namespace Gtk

namespace quenlith {

// The library panes' lists: rows without headers or selection that act on a single click, since a
// row's cells are its buttons.
void prepareRowList(Gtk::TreeView& list);

// Shows `text()` as the tooltip of the cells in `column` when the pointer rests on them.
void setColumnTooltip(Gtk::TreeView& list, const Gtk::TreeViewColumn* column, std::function<std::string()> text);

}  // namespace quenlith

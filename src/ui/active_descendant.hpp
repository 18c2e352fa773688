#pragma once

namespace Gtk {
class Widget;
}

namespace quenlith {

// Tells a screen reader that `descendant` (a row of a list whose keys the focused `focused`
// control drives, as a search field drives its results) is now the one in use: the focused
// control reports it as its active descendant, as the toolkit's own lists do for their cursor,
// and the row reads as selected. The focus itself stays where it is.
void announceActiveDescendant(Gtk::Widget& focused, Gtk::Widget& descendant);

// Says that `control` drives `driven` (a field and the list it filters), for a reader that
// follows the relation from one to the other.
void relateControllerFor(Gtk::Widget& control, Gtk::Widget& driven);

}  // namespace quenlith

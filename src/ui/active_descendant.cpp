#include "ui/active_descendant.hpp"

#include <atk/atk.h>
#include <gtkmm/widget.h>

namespace quenlith {

void announceActiveDescendant(Gtk::Widget& focused, Gtk::Widget& descendant) {
    AtkObject* source = gtk_widget_get_accessible(focused.gobj());
    AtkObject* row = gtk_widget_get_accessible(descendant.gobj());
    if (!source || !row) return;
    // A reader follows the selection of a list only while the list has the focus: here the field
    // keeps it, so the row is reported from the field, which a reader presents as it would the
    // field's own item.
    atk_object_notify_state_change(row, ATK_STATE_SELECTED, TRUE);
    g_signal_emit_by_name(source, "active-descendant-changed", row);
}

void relateControllerFor(Gtk::Widget& control, Gtk::Widget& driven) {
    AtkObject* from = gtk_widget_get_accessible(control.gobj());
    AtkObject* to = gtk_widget_get_accessible(driven.gobj());
    if (!from || !to) return;
    atk_object_add_relationship(from, ATK_RELATION_CONTROLLER_FOR, to);
    atk_object_add_relationship(to, ATK_RELATION_CONTROLLED_BY, from);
}

}  // namespace quenlith

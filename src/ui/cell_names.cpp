#include "ui/cell_names.hpp"

#include <string>

#include <gtk/gtk.h>
#include <gtk/gtk-a11y.h>
#include <gtkmm/treeviewcolumn.h>

#include "model/isolated_text.hpp"

namespace quenlith {

namespace {

using Namer = std::function<std::string(int)>;

const gchar* (*toolkitName)(AtkObject*) = nullptr;
const gchar* (*toolkitImageName)(AtkObject*) = nullptr;

GQuark keptName() {
    static const GQuark kept = g_quark_from_static_string("quenlith-plain-name");
    return kept;
}

GQuark columnNamer() {
    static const GQuark namer = g_quark_from_static_string("quenlith-cell-namer");
    return namer;
}

// Keeps `name` on the cell for as long as the caller may hold the pointer (until the next name is
// asked for).
const gchar* keep(AtkObject* cell, const std::string& name) {
    gchar* copy = g_strdup(name.c_str());
    g_object_set_qdata_full(G_OBJECT(cell), keptName(), copy, g_free);
    return copy;
}


// The column a cell of a tree view stands in: the toolkit counts the shown columns only.
GtkTreeViewColumn* columnAt(GtkTreeView* list, int shownIndex) {
    for (guint index = 0, columns = gtk_tree_view_get_n_columns(list); index < columns; ++index) {
        GtkTreeViewColumn* column = gtk_tree_view_get_column(list, static_cast<int>(index));
        if (!gtk_tree_view_column_get_visible(column)) continue;
        if (shownIndex-- == 0) return column;
    }
    return nullptr;
}

// The name the cell's column gives its row, kept on the cell, or nullptr when it gives none.
const gchar* columnName(AtkObject* cell) {
    AtkObject* parent = atk_object_get_parent(cell);
    if (!GTK_IS_TREE_VIEW_ACCESSIBLE(parent)) return nullptr;
    auto* list = GTK_TREE_VIEW(gtk_accessible_get_widget(GTK_ACCESSIBLE(parent)));
    if (!list) return nullptr;
    int row = -1, shownColumn = -1;
    gtk_cell_accessible_parent_get_cell_position(GTK_CELL_ACCESSIBLE_PARENT(parent), GTK_CELL_ACCESSIBLE(cell), &row,
                                                 &shownColumn);
    GtkTreeViewColumn* column = row < 0 ? nullptr : columnAt(list, shownColumn);
    const auto* namer = column ? static_cast<const Namer*>(g_object_get_qdata(G_OBJECT(column), columnNamer())) : nullptr;
    if (!namer) return nullptr;
    return keep(cell, withoutIsolation(shownName((*namer)(row))));
}

// The name its column gives the row, else the text the cell shows without the marks.
const gchar* plainName(AtkObject* cell) {
    if (const gchar* named = columnName(cell)) return named;
    const gchar* shown = toolkitName ? toolkitName(cell) : nullptr;
    if (!shown) return shown;
    const std::string plain = withoutIsolation(shown);
    if (plain == shown) return shown;
    return keep(cell, plain);
}

// The cell's own name, or the one its column gives the row.
const gchar* imageName(AtkObject* cell) {
    const gchar* own = toolkitImageName ? toolkitImageName(cell) : nullptr;
    if (own && *own) return own;
    const gchar* named = columnName(cell);
    return named ? named : own;
}

}  // namespace

void readCellTextsWithoutIsolation() {
    if (toolkitName) return;
    // The class is the toolkit's; its name function is wrapped, never replaced.
    auto* cellClass = ATK_OBJECT_CLASS(g_type_class_ref(GTK_TYPE_TEXT_CELL_ACCESSIBLE));
    toolkitName = cellClass->get_name;
    cellClass->get_name = plainName;
}

void nameCells(Gtk::TreeViewColumn& column, std::function<std::string(int row)> name) {
    readCellTextsWithoutIsolation();
    if (!toolkitImageName) {
        auto* cellClass = ATK_OBJECT_CLASS(g_type_class_ref(GTK_TYPE_IMAGE_CELL_ACCESSIBLE));
        toolkitImageName = cellClass->get_name;
        cellClass->get_name = imageName;
    }
    g_object_set_qdata_full(G_OBJECT(column.gobj()), columnNamer(), new Namer(std::move(name)),
                            [](gpointer namer) { delete static_cast<Namer*>(namer); });
}

}  // namespace quenlith

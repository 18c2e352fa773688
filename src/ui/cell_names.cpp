#include "ui/cell_names.hpp"

#include <string>

#include <gtk/gtk.h>
#include <gtk/gtk-a11y.h>

#include "model/isolated_text.hpp"

namespace quenlith {

namespace {

const gchar* (*toolkitName)(AtkObject*) = nullptr;

// The cell's own name, or the text it shows without the marks; the text is kept on the cell for as
// long as the caller may hold the pointer (until the next name is asked for).
const gchar* plainName(AtkObject* cell) {
    const gchar* shown = toolkitName ? toolkitName(cell) : nullptr;
    if (!shown) return shown;
    const std::string plain = withoutIsolation(shown);
    if (plain == shown) return shown;
    static const GQuark kept = g_quark_from_static_string("quenlith-plain-name");
    gchar* copy = g_strdup(plain.c_str());
    g_object_set_qdata_full(G_OBJECT(cell), kept, copy, g_free);
    return copy;
}

}  // namespace

void readCellTextsWithoutIsolation() {
    if (toolkitName) return;
    // The class is the toolkit's; its name function is wrapped, never replaced.
    auto* cellClass = ATK_OBJECT_CLASS(g_type_class_ref(GTK_TYPE_TEXT_CELL_ACCESSIBLE));
    toolkitName = cellClass->get_name;
    cellClass->get_name = plainName;
}

}  // namespace quenlith

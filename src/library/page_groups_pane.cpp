#include "library/page_groups_pane.hpp"

#include <gtkmm/label.h>

#include "library/library_pane_context.hpp"
#include "model/localization.hpp"

namespace quenlith {

PageGroupsPane::PageGroupsPane(LibraryPaneContext& context) : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 12), context_(context) {
    auto* label = Gtk::manage(new Gtk::Label(localizedString("Page Groups")));
    pack_start(*label, Gtk::PACK_EXPAND_WIDGET);
    show_all_children();
}

void PageGroupsPane::refresh() {}

}  // namespace quenlith

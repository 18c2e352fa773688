#include "browser/view/browser_toolbar.hpp"

#include <atkmm/object.h>

#include "browser/view/browser_layout.hpp"
#include "model/localization.hpp"

namespace quenlith {

BrowserToolbar::BrowserToolbar()
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 3),
      back("chevron.left", localizedString("Back (Ctrl+[)")),
      forward("chevron.right", localizedString("Forward (Ctrl+])")),
      reload("arrow.clockwise", localizedString("Reload (Ctrl+R)")),
      startPage("square.grid.2x2", localizedString("Start Page")),
      pin("pin.fill", localizedString("Always on Top")),
      more("ellipsis.circle", localizedString("More options")),
      saveWebsite("bookmark", localizedString("Save Website…")) {
    get_style_context()->add_class("quenlith-toolbar");

    address.set_placeholder_text(localizedString("Search or enter website"));
    address.get_accessible()->set_name(localizedString("Address and search"));
    address.set_hexpand(true);
    // The field gives way before the buttons, down to 80 pixels.
    address.set_width_chars(1);
    address.set_size_request(80, -1);
    address.signal_activate().connect([this] { navigate(); });

    for (Gtk::Widget* child : std::initializer_list<Gtk::Widget*>{&back, &forward, &reload, &startPage,
                                                                  &address, &saveWebsite, &pin, &more}) {
        child->set_valign(Gtk::ALIGN_CENTER);
        const bool grows = child == &address;
        pack_start(*child, grows, grows);
    }
    back.set_margin_start(8);
    more.set_margin_end(8);
    show_all_children();
    // Controls whose actions do not exist yet are not shown: nothing looks clickable that does
    // nothing.
    for (Gtk::Widget* pending : std::initializer_list<Gtk::Widget*>{&more, &saveWebsite}) {
        pending->hide();
        pending->set_no_show_all(true);
    }
}

void BrowserToolbar::navigate() {
    if (onNavigate) onNavigate(address.get_text());
}

}  // namespace quenlith

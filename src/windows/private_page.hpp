#pragma once

namespace Gtk {
class Widget;
}

namespace quenlith {

// The page a private window's empty tab shows instead of the website start page: what a private
// window keeps and what it does not. A managed widget for the browser view to take.
Gtk::Widget* makePrivatePage();

}  // namespace quenlith

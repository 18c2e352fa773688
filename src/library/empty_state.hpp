#pragma once

#include <string>
#include <string_view>

namespace Gtk {
class Box;
}

namespace quenlith {

// The library's look of an empty list: the symbol large in the accent colour, the title (looked
// up) as a heading and the message (looked up) centred, at most 410 wide, in a vertical box of its
// own that fills and centres in the space it is given. Managed: its parent owns it.
Gtk::Box* makeEmptyState(std::string_view symbol, const std::string& title, const std::string& message);

}  // namespace quenlith

#pragma once

#include <functional>
#include <optional>
#include <string>

namespace Gtk {
class Widget;
}

namespace quenlith {

// A report for a store's write of a change `view` made, for a view that shows the store's failures
// itself: a failure counts as told while the view is on screen, and not once it is hidden or gone
// (someone else tells it then).
std::function<bool(const std::optional<std::string>& failure)> toldWhileShown(Gtk::Widget& view);

}  // namespace quenlith

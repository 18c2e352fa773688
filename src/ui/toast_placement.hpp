#pragma once

#include "model/toast_frame.hpp"

namespace Gdk {
class Rectangle;
}
namespace Gtk {
class Widget;
}

namespace quenlith {

// Gives `toast`, a child laid over a view (an overlay's child), the frame toastFrame() decides in
// `room`, measured at the width it gets: for an overlay's get-child-position handler.
void placeToast(Gtk::Widget& toast, const ToastRoom& room, ToastEdge edge, Gdk::Rectangle& allocation);

}  // namespace quenlith

#include "ui/toast_placement.hpp"

#include <gtkmm/widget.h>

namespace quenlith {

void placeToast(Gtk::Widget& toast, const ToastRoom& room, ToastEdge edge, Gdk::Rectangle& allocation) {
    int minimumWidth = 0, naturalWidth = 0;
    toast.get_preferred_width(minimumWidth, naturalWidth);
    // An overlay on its own gives the height wanted at the natural width, too little for a text
    // wrapped at a narrower one.
    const ToastFrame frame = toastFrame(room, edge, minimumWidth, naturalWidth, [&toast](int width) {
        int minimumHeight = 0, naturalHeight = 0;
        toast.get_preferred_height_for_width(width, minimumHeight, naturalHeight);
        return naturalHeight;
    });
    allocation = Gdk::Rectangle(frame.x, frame.y, frame.width, frame.height);
}

}  // namespace quenlith

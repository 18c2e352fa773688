#include "support/user_input_time.hpp"

#include <gtkmm/window.h>

// Last: Xlib defines macros (Status, None) that clash with ordinary names.
#include <gdk/gdkx.h>

namespace quenlith::test {

std::uint32_t userInputNow(Gtk::Window& window) {
    GdkWindow* own = window.get_window()->gobj();
    const std::uint32_t time = gdk_x11_get_server_time(own);
    gdk_x11_window_set_user_time(own, time);
    return time;
}

}  // namespace quenlith::test

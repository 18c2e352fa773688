#include "browser/view/compact_reveal_view.hpp"

#include <gtkmm/window.h>

namespace quenlith {

CompactRevealView::CompactRevealView() {
    // Input only: the strip catches the pointer but draws nothing over the page.
    set_visible_window(false);
    set_above_child(true);
    add_events(Gdk::ENTER_NOTIFY_MASK | Gdk::LEAVE_NOTIFY_MASK | Gdk::BUTTON_PRESS_MASK);
    get_style_context()->add_class("quenlith-reveal");
}

void CompactRevealView::reportHover(bool inside) {
    if (onHover_) onHover_(inside);
}

bool CompactRevealView::on_enter_notify_event(GdkEventCrossing*) {
    reportHover(true);
    return false;
}

bool CompactRevealView::on_leave_notify_event(GdkEventCrossing*) {
    reportHover(false);
    return false;
}

bool CompactRevealView::on_button_press_event(GdkEventButton* event) {
    if (event->type != GDK_BUTTON_PRESS || event->button != 1) return false;
    auto* window = dynamic_cast<Gtk::Window*>(get_toplevel());
    if (!window || !window->get_is_toplevel()) return false;
    window->begin_move_drag(static_cast<int>(event->button), static_cast<int>(event->x_root),
                            static_cast<int>(event->y_root), event->time);
    return true;
}

}  // namespace quenlith

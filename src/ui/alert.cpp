#include "ui/alert.hpp"

#include <algorithm>

#include <gdkmm/monitor.h>
#include <glibmm/main.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>

#include "model/localization.hpp"

namespace quenlith {

Gtk::Window* attachedSheet(const Gtk::Window& window) {
    for (Gtk::Window* candidate : Gtk::Window::list_toplevels()) {
        if (candidate == &window || !candidate->get_visible() || !candidate->get_modal()) continue;
        if (candidate->get_transient_for() == &window) return candidate;
    }
    return nullptr;
}

void showAlert(const std::string& title, const std::string& message, Gtk::Window* window) {
    const bool attached = window && window->get_visible() && !hasAttachedSheet(*window);
    // Lives until answered, then deletes itself. On its own it holds no other window up.
    auto* sheet = attached ? new Gtk::MessageDialog(*window, title, /*use_markup=*/false, Gtk::MESSAGE_INFO,
                                                    Gtk::BUTTONS_NONE, /*modal=*/true)
                           : new Gtk::MessageDialog(title, /*use_markup=*/false, Gtk::MESSAGE_INFO,
                                                    Gtk::BUTTONS_NONE, /*modal=*/false);
    sheet->set_secondary_text(message, /*use_markup=*/false);
    sheet->add_button(localizedString("OK"), Gtk::RESPONSE_OK);
    sheet->signal_response().connect([sheet](int) {
        sheet->hide();
        Glib::signal_idle().connect_once([sheet] { delete sheet; });
    });
    sheet->show();
}

void presentAlert(const std::string& title, const std::string& message, Gtk::Window* window) {
    if (window && window->get_visible() && !hasAttachedSheet(*window))
        return showAlert(title, message, window);
    Gtk::MessageDialog dialog(title, /*use_markup=*/false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_NONE,
                              /*modal=*/true);
    dialog.set_secondary_text(message, /*use_markup=*/false);
    dialog.add_button(localizedString("OK"), Gtk::RESPONSE_OK);
    dialog.run();
}

void placeSheet(Gtk::Window& sheet, Gtk::Window& window) {
    auto gdkWindow = window.get_window();
    if (!gdkWindow) return;
    auto monitor = window.get_display()->get_monitor_at_window(gdkWindow);
    if (!monitor) return;
    Gdk::Rectangle area, frame;
    monitor->get_workarea(area);
    gdkWindow->get_frame_extents(frame);
    // The size it will come up with: its default size, or more where its content needs more.
    int width = 0, height = 0;
    sheet.get_default_size(width, height);
    Gtk::Requisition minimum, natural;
    sheet.get_preferred_size(minimum, natural);
    width = std::max(width, minimum.width);
    height = std::max(height, minimum.height);
    auto within = [](int start, int size, int areaStart, int areaSize) {
        return std::max(areaStart, std::min(start, areaStart + areaSize - size));
    };
    sheet.set_position(Gtk::WIN_POS_NONE);
    sheet.move(
        within(frame.get_x() + (frame.get_width() - width) / 2, width, area.get_x(), area.get_width()),
        within(frame.get_y() + (frame.get_height() - height) / 2, height, area.get_y(), area.get_height()));
}

}  // namespace quenlith

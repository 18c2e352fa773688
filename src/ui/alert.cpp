#include "ui/alert.hpp"

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

void presentAlert(const std::string& title, const std::string& message, Gtk::Window* window) {
    if (window && window->get_visible() && !hasAttachedSheet(*window)) {
        // Attached: lives until answered, then deletes itself.
        auto* sheet = new Gtk::MessageDialog(*window, title, /*use_markup=*/false, Gtk::MESSAGE_INFO,
                                             Gtk::BUTTONS_NONE, /*modal=*/true);
        sheet->set_secondary_text(message, /*use_markup=*/false);
        sheet->add_button(localizedString("OK"), Gtk::RESPONSE_OK);
        sheet->signal_response().connect([sheet](int) {
            sheet->hide();
            Glib::signal_idle().connect_once([sheet] { delete sheet; });
        });
        sheet->show();
        return;
    }
    Gtk::MessageDialog dialog(title, /*use_markup=*/false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_NONE,
                              /*modal=*/true);
    dialog.set_secondary_text(message, /*use_markup=*/false);
    dialog.add_button(localizedString("OK"), Gtk::RESPONSE_OK);
    dialog.run();
}

}  // namespace quenlith

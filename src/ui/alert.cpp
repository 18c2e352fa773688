#include "ui/alert.hpp"

#include <algorithm>
#include <memory>
#include <utility>

#include <gdkmm/monitor.h>
#include <glibmm/main.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>

#include "model/localization.hpp"
#include "ui/focus_hold.hpp"
#include "ui/kept_above.hpp"
#include "ui/message_dialog.hpp"

namespace quenlith {

Gtk::Window* attachedSheet(const Gtk::Window& window) {
    for (Gtk::Window* candidate : Gtk::Window::list_toplevels()) {
        if (candidate == &window || !candidate->get_visible() || !candidate->get_modal()) continue;
        if (candidate->get_transient_for() == &window) return candidate;
    }
    return nullptr;
}

namespace {

Gtk::MessageType messageType(AlertKind kind) {
    switch (kind) {
        case AlertKind::information: return Gtk::MESSAGE_INFO;
        case AlertKind::warning: return Gtk::MESSAGE_WARNING;
        case AlertKind::error: return Gtk::MESSAGE_ERROR;
    }
    return Gtk::MESSAGE_INFO;
}

// A one-button message that deletes itself once answered; any later answer (a second click on
// its way, a close) finds it already going and is ignored.
Gtk::MessageDialog* selfDeletingAlert(AlertKind kind, const std::string& title, const std::string& message,
                                      Gtk::Window* parent, bool modal) {
    Gtk::MessageDialog* alert = makeMessageDialog(messageType(kind), title, message, parent, modal).release();
    alert->add_button(localizedString("OK"), Gtk::RESPONSE_OK);
    auto answered = std::make_shared<bool>(false);
    alert->signal_response().connect([alert, answered](int) {
        if (std::exchange(*answered, true)) return;
        alert->hide();
        Glib::signal_idle().connect_once([alert] { delete alert; });
    });
    return alert;
}

}  // namespace

void showAlert(AlertKind kind, const std::string& title, const std::string& message, Gtk::Window* window) {
    const bool attached = window && window->get_visible() && !hasAttachedSheet(*window);
    // On its own it holds no other window up.
    selfDeletingAlert(kind, title, message, attached ? window : nullptr, /*modal=*/attached)->show();
}

void presentAlert(AlertKind kind, const std::string& title, const std::string& message, Gtk::Window* window) {
    if (window && window->get_visible() && !hasAttachedSheet(*window))
        return showAlert(kind, title, message, window);
    // Modal for the whole application, but never waited for in a loop of its own: a quit (a
    // signal) could not end the application from inside such a loop until every alert in it was
    // answered. Kept above: beneath a window kept above, it would hold the application up unseen.
    Gtk::MessageDialog* alert = selfDeletingAlert(kind, title, message, nullptr, /*modal=*/true);
    keepAbove(*alert, KeptAbove::always);
    alert->present();
}

std::unique_ptr<Gtk::MessageDialog> presentNotice(AlertKind kind, const std::string& title,
                                                  const std::string& message, std::function<void()> answered) {
    auto notice = makeMessageDialog(messageType(kind), title, message);
    notice->add_button(localizedString("OK"), Gtk::RESPONSE_OK);
    Gtk::MessageDialog* shown = notice.get();
    // Told on a later turn, so the owner may drop the dialog from there; a second answer on its way
    // finds it hidden already.
    shown->signal_response().connect([shown, answered = std::move(answered)](int) {
        if (!shown->get_visible()) return;
        shown->hide();
        if (answered) Glib::signal_idle().connect_once(answered);
    });
    keepAbove(*shown, KeptAbove::always);
    holdFocusWhileShown(*shown);
    shown->present();
    return notice;
}

void closeModalDialogs() {
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        auto* dialog = dynamic_cast<Gtk::Dialog*>(window);
        if (dialog && dialog->get_visible() && dialog->get_modal()) dialog->response(Gtk::RESPONSE_DELETE_EVENT);
    }
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

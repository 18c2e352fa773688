#include "ui/website_deletion_question.hpp"

#include <utility>

#include <glibmm/main.h>
#include <gtkmm/window.h>

#include "model/kept_call.hpp"
#include "model/localization.hpp"
#include "ui/asked_window.hpp"
#include "ui/message_dialog.hpp"

namespace quenlith {

WebsiteDeletionQuestion::WebsiteDeletionQuestion(std::string message, std::function<void(const Uuid&)> onDelete,
                                                 std::function<void(Gtk::Window&)> onShown)
    : message_(std::move(message)), onDelete_(std::move(onDelete)), onShown_(std::move(onShown)) {}

WebsiteDeletionQuestion::~WebsiteDeletionQuestion() {
    if (dialog_) dialog_->hide();
}

void WebsiteDeletionQuestion::ask(const WebAppProfile& profile, Gtk::Widget& from) {
    if (dialog_) answer(Gtk::RESPONSE_CANCEL);
    pending_ = profile;
    auto* parent = dynamic_cast<Gtk::Window*>(from.get_toplevel());
    if (parent && !parent->get_visible()) parent = nullptr;
    dialog_ = makeMessageDialog(Gtk::MESSAGE_WARNING, localizedString("Delete website?"), message_);
    dialog_->add_button(localizedString("Cancel"), Gtk::RESPONSE_CANCEL);
    dialog_->add_button(localizedString("Delete"), Gtk::RESPONSE_ACCEPT)
        ->get_style_context()
        ->add_class("destructive-action");
    dialog_->set_default_response(Gtk::RESPONSE_CANCEL);
    dialog_->signal_response().connect([this](int response) { answer(response); });
    if (onShown_) onShown_(*dialog_);
    // Attached to the window it is asked from, which has the keyboard back once it is answered.
    presentAskedWindow(*dialog_, parent, /*attach=*/true);
}

void WebsiteDeletionQuestion::answer(int response) {
    auto pending = std::move(pending_);
    pending_.reset();
    // Released on idle: this runs inside the dialog's own signal.
    if (dialog_) {
        hideAskedWindow(*dialog_);
        Glib::signal_idle().connect_once([dialog = std::shared_ptr<Gtk::MessageDialog>(std::move(dialog_))] {});
    }
    if (response == Gtk::RESPONSE_ACCEPT && pending) callKept(onDelete_, pending->id);
}

}  // namespace quenlith

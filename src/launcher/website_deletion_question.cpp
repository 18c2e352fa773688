#include "launcher/website_deletion_question.hpp"

#include <glibmm/main.h>
#include <gtkmm/window.h>

#include "launcher/launcher_commands.hpp"
#include "launcher/launcher_style.hpp"
#include "model/localization.hpp"

namespace quenlith {

WebsiteDeletionQuestion::WebsiteDeletionQuestion(std::function<void(const Uuid&)> onDelete)
    : onDelete_(std::move(onDelete)) {}

WebsiteDeletionQuestion::~WebsiteDeletionQuestion() {
    if (dialog_) dialog_->hide();
}

void WebsiteDeletionQuestion::ask(const WebAppProfile& profile, Gtk::Widget& from) {
    pending_ = profile;
    auto* parent = dynamic_cast<Gtk::Window*>(from.get_toplevel());
    dialog_ = std::make_unique<Gtk::MessageDialog>(localizedString("Delete website?"), false,
                                                   Gtk::MESSAGE_WARNING, Gtk::BUTTONS_NONE, true);
    dialog_->set_secondary_text(localizedString(
        "Its windows and saved configuration will be removed. Shared website cookies are kept."));
    // Named in the window list as it is headed.
    dialog_->set_title(localizedString("Delete website?"));
    dialog_->add_button(localizedString("Cancel"), Gtk::RESPONSE_CANCEL);
    auto* remove = dialog_->add_button(localizedString("Delete"), Gtk::RESPONSE_ACCEPT);
    remove->get_style_context()->add_class("destructive-action");
    if (parent && parent->get_visible()) dialog_->set_transient_for(*parent);
    LauncherHold::track(*dialog_);
    dialog_->signal_response().connect([this](int response) { answer(response); });
    dialog_->show();
}

void WebsiteDeletionQuestion::answer(int response) {
    auto pending = std::move(pending_);
    pending_.reset();
    // Released on idle: this runs inside the dialog's own signal.
    if (dialog_) {
        dialog_->hide();
        Glib::signal_idle().connect_once(
            [dialog = std::shared_ptr<Gtk::MessageDialog>(std::move(dialog_))] {});
    }
    if (response == Gtk::RESPONSE_ACCEPT && pending) run(onDelete_, pending->id);
}

}  // namespace quenlith

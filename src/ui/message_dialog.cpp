#include "ui/message_dialog.hpp"

#include <atkmm/object.h>
#include <gtkmm/label.h>
#include <gtkmm/window.h>

#include "model/isolated_text.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

namespace {

// Names the dialog's texts by what they show, without the marks, now and after each change.
void nameTexts(Gtk::MessageDialog& dialog) {
    for (Gtk::Widget* child : dialog.get_message_area()->get_children()) {
        auto* label = dynamic_cast<Gtk::Label*>(child);
        if (!label) continue;
        nameControl(*label, label->get_text());
        label->property_label().signal_changed().connect([label] { nameControl(*label, label->get_text()); });
    }
}

}  // namespace

std::unique_ptr<Gtk::MessageDialog> makeMessageDialog(Gtk::MessageType type, const std::string& title,
                                                      const std::string& message, Gtk::Window* parent,
                                                      bool modal) {
    // Shown as read: no bidirectional control reaches the labels.
    const std::string heading = withoutIsolation(title);
    auto dialog = parent ? std::make_unique<Gtk::MessageDialog>(*parent, heading, /*use_markup=*/false, type,
                                                                Gtk::BUTTONS_NONE, modal)
                         : std::make_unique<Gtk::MessageDialog>(heading, /*use_markup=*/false, type,
                                                                Gtk::BUTTONS_NONE, modal);
    if (!message.empty()) dialog->set_secondary_text(withoutIsolation(message), /*use_markup=*/false);
    // The toolkit names it by its kind as it is made: the kind stays, read after the heading.
    if (auto accessible = dialog->get_accessible())
        if (const std::string kind = accessible->get_name(); !kind.empty()) accessible->set_description(kind);
    titleWindow(*dialog, title);
    nameTexts(*dialog);
    return dialog;
}

}  // namespace quenlith

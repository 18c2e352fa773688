#include "settings/settings_form.hpp"

#include <optional>

#include "ui/form_rows.hpp"
#include "ui/wheel_guard.hpp"

namespace quenlith {

SettingsForm::SettingsForm() {
    set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    page_.set_border_width(12);
    add(page_);
    leaveWheelToScrolling(*this);
}

Gtk::Box& SettingsForm::addSection(const std::string& title) {
    auto* rows = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8));
    if (title.empty())
        page_.pack_start(*rows, Gtk::PACK_SHRINK);
    else
        page_.pack_start(*makeSection(title, *rows), Gtk::PACK_SHRINK);
    return *rows;
}

Gtk::Label* SettingsForm::makeErrorLabel() {
    auto* label = Gtk::manage(new Gtk::Label());
    label->set_xalign(0);
    label->set_line_wrap(true);
    label->set_selectable(true);
    label->get_style_context()->add_class("error");
    label->set_no_show_all(true);
    return label;
}

Gtk::ComboBoxText* SettingsForm::makePicker(const std::vector<std::string>& rows) {
    auto* picker = Gtk::manage(new Gtk::ComboBoxText());
    for (const auto& row : rows) picker->append(row);
    return picker;
}

void showMessage(Gtk::Label& label, const std::optional<std::string>& text) {
    label.set_text(text.value_or(""));
    label.set_visible(text.has_value());
}

}  // namespace quenlith

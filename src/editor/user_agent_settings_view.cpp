#include "editor/user_agent_settings_view.hpp"

#include "model/localization.hpp"
#include "model/user_agent.hpp"
#include "model/window_sheet_saves.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

UserAgentSettingsView::UserAgentSettingsView(Gtk::Window& parent, const std::optional<std::string>& value)
    : Gtk::Dialog(localizedString("User agent"), parent, /*modal=*/true),
      value_(value),
      title_(localizedString("User agent")) {
    set_resizable(false);
    auto* content = get_content_area();
    content->set_spacing(18);
    content->set_border_width(24);
    content->set_size_request(480, -1);
    title_.set_xalign(0);
    styleHeadline(title_);
    content->pack_start(title_, Gtk::PACK_SHRINK);
    picker_.setValue(value_);
    picker_.setOnChange([this](const std::optional<std::string>& changed) {
        value_ = changed;
        refresh();
    });
    content->pack_start(picker_, Gtk::PACK_SHRINK);
    add_button(localizedString("Cancel"), Gtk::RESPONSE_CANCEL);
    save_ = add_button(localizedString("Save"), Gtk::RESPONSE_OK);
    styleSuggestedAction(*save_);
    set_default_response(Gtk::RESPONSE_OK);
    refresh();
    show_all_children();
}

void UserAgentSettingsView::refresh() {
    // Return presses Save only while Save is enabled.
    set_response_sensitive(Gtk::RESPONSE_OK, !userAgentValidationMessage(value_).has_value());
}

void UserAgentSettingsView::save() {
    if (userAgentValidationMessage(value_)) return;
    if (onSave_) onSave_(userAgentToStore(value_));
}

void UserAgentSettingsView::on_response(int response) {
    if (response == Gtk::RESPONSE_OK)
        save();
    else if (onCancel_)
        onCancel_();
}

}  // namespace quenlith

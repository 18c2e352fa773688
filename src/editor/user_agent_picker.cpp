#include "editor/user_agent_picker.hpp"

#include "ui/form_rows.hpp"
#include "model/localization.hpp"

namespace quenlith {

UserAgentPicker::UserAgentPicker() : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 10) {
    for (auto preset : kAllUserAgentPresets) presets_.append(localizedString(rawValue(preset)));
    presets_.set_tooltip_text(localizedString("User agent"));
    // The section around it is "User agent" already.
    nameControl(presets_, localizedString("User agent preset"));
    presets_.signal_changed().connect([this] {
        int row = presets_.get_active_row_number();
        if (!updating_ && row >= 0) select(kAllUserAgentPresets[static_cast<std::size_t>(row)]);
    });
    custom_.set_placeholder_text(localizedString("User agent string"));
    nameControl(custom_, localizedString("User agent string"));
    custom_.set_activates_default(true);  // Return presses the default button of a sheet that has one
    custom_.signal_changed().connect([this] {
        // An emptied field stores the empty text, not the default.
        if (!updating_) write(std::string(custom_.get_text()));
    });
    makeCopyable(presetText_);
    presetText_.set_line_wrap(true);
    styleCaption(presetText_);
    message_.set_xalign(0);
    message_.set_line_wrap(true);
    message_.override_color(Gdk::RGBA("#c01c28"));

    pack_start(presets_, Gtk::PACK_SHRINK);
    pack_start(custom_, Gtk::PACK_SHRINK);
    pack_start(presetText_, Gtk::PACK_SHRINK);
    pack_start(
        *makeCaption(localizedString("Applies to all tabs in this website window on the next navigation or "
                                     "reload. Existing pages are not reloaded automatically.")),
        Gtk::PACK_SHRINK);
    pack_start(*makeCaption(localizedString(
                   "Device presets are compatibility identifiers, not browser upgrades. "
                   "Changing User-Agent does not change WebKit or remove sign-in restrictions.")),
               Gtk::PACK_SHRINK);
    pack_start(message_, Gtk::PACK_SHRINK);
    for (auto* widget : std::initializer_list<Gtk::Widget*>{&custom_, &presetText_, &message_})
        widget->set_no_show_all(true);
    showValue();
}

void UserAgentPicker::setValue(const std::optional<std::string>& value) {
    value_ = value;
    selection_ = userAgentPreset(value_);
    showValue();
}

void UserAgentPicker::select(UserAgentPreset preset) {
    selection_ = preset;
    if (preset == UserAgentPreset::system) return write(std::nullopt);
    if (auto text = userAgentText(preset)) return write(std::string(*text));
    write(value_);  // custom keeps the value, a preset's text included, for editing
}

void UserAgentPicker::write(const std::optional<std::string>& value) {
    value_ = value;
    showValue();
    if (onChange_) onChange_(value_);
}

void UserAgentPicker::showValue() {
    updating_ = true;
    presets_.set_active(static_cast<int>(selection_));
    bool custom = selection_ == UserAgentPreset::custom;
    if (custom && custom_.get_text() != value_.value_or("")) custom_.set_text(value_.value_or(""));
    showWhen(custom_, custom);
    presetText_.set_text(value_.value_or(""));
    showWhen(presetText_, !custom && value_.has_value());
    auto message = userAgentValidationMessage(value_);
    message_.set_text(message.value_or(""));
    showWhen(message_, message.has_value());
    updating_ = false;
}

}  // namespace quenlith

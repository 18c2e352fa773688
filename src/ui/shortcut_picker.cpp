#include "ui/shortcut_picker.hpp"

#include "ui/form_rows.hpp"
#include "model/localization.hpp"
#include "model/shortcut_picker_rules.hpp"

namespace quenlith {

ShortcutPicker::ShortcutPicker(std::uint32_t defaultKey)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8),
      defaultKey_(defaultKey),
      enable_(localizedString("Enable shortcut")) {
    enable_.signal_toggled().connect([this] {
        if (updating_) return;
        const bool on = enable_.get_active();
        write(shortcutEnabled(
            on, defaultKey_, on && heldElsewhere_ ? heldElsewhere_() : std::vector<ShortcutConfiguration>{}));
    });
    const auto& toggles = shortcutModifierToggles();
    for (std::size_t index = 0; index < toggles.size(); ++index) {
        modifiers_[index].set_label(std::string(toggles[index].label));
        modifiers_[index].signal_toggled().connect([this, index] {
            if (updating_) return;
            write(shortcutWithModifier(value_, shortcutModifierToggles()[index].mask,
                                       modifiers_[index].get_active()));
        });
        row_.pack_start(modifiers_[index], Gtk::PACK_SHRINK);
    }
    for (const auto& key : shortcutKeyTable()) keys_.append(std::string(key.name));
    keys_.set_size_request(105, -1);
    keys_.set_tooltip_text(localizedString("Key"));
    // Named by what it picks, not by the key it shows.
    nameControl(keys_, localizedString("Key"));
    keys_.signal_changed().connect([this] {
        int row = keys_.get_active_row_number();
        if (updating_ || row < 0) return;
        write(shortcutWithKey(value_, shortcutKeyTable()[static_cast<std::size_t>(row)].keyCode));
    });
    styleSecondaryText(text_);
    makeCopyable(text_);
    row_.pack_start(keys_, Gtk::PACK_SHRINK);
    row_.pack_start(text_, Gtk::PACK_SHRINK);
    pack_start(enable_, Gtk::PACK_SHRINK);
    pack_start(row_, Gtk::PACK_SHRINK);
    row_.set_no_show_all(true);
    showValue();
}

void ShortcutPicker::setTitle(const std::string& title) {
    nameInRow(enable_, enable_.get_label(), title);
    for (auto& toggle : modifiers_) nameInRow(toggle, toggle.get_label(), title);
    nameInRow(keys_, localizedString("Key"), title);
}

void ShortcutPicker::setValue(const std::optional<ShortcutConfiguration>& value) {
    value_ = value;
    showValue();
}

void ShortcutPicker::write(const std::optional<ShortcutConfiguration>& value) {
    value_ = value;
    showValue();
    if (onChange_) onChange_(value_);
}

void ShortcutPicker::showValue() {
    updating_ = true;
    enable_.set_active(value_.has_value());
    const auto& toggles = shortcutModifierToggles();
    for (std::size_t index = 0; index < toggles.size(); ++index)
        modifiers_[index].set_active(shortcutHasModifier(value_, toggles[index].mask));
    auto row = shortcutKeyRow(value_);
    keys_.set_active(row ? static_cast<int>(*row) : -1);
    text_.set_text(value_ ? value_->displayString() : std::string());
    showWhen(row_, value_.has_value());
    updating_ = false;
}

}  // namespace quenlith

#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/label.h>
#include <gtkmm/togglebutton.h>

#include "model/shortcut_configuration.hpp"

namespace quenlith {

// Edits one optional global shortcut: "Enable shortcut", and while one is set a toggle per
// modifier, the key list and the shortcut written out ("Ctrl+Alt+K"). It checks nothing; every
// change goes to `onChange` at once and the embedding form validates on its Save.
class ShortcutPicker : public Gtk::Box {
public:
    // `defaultKey`: the key a shortcut switched on starts from, while nothing else takes it.
    explicit ShortcutPicker(std::uint32_t defaultKey);

    void setOnChange(std::function<void(const std::optional<ShortcutConfiguration>&)> onChange) {
        onChange_ = std::move(onChange);
    }
    // The shortcuts the application's other bindings hold, read when the picker is switched on so
    // that it offers a free one.
    void setHeldElsewhere(std::function<std::vector<ShortcutConfiguration>()> heldElsewhere) {
        heldElsewhere_ = std::move(heldElsewhere);
    }

    // Names the controls by the shortcut they set ("Enable shortcut, Open Launcher"), for a form
    // that shows several pickers.
    void setTitle(const std::string& title);

    void setValue(const std::optional<ShortcutConfiguration>& value);
    const std::optional<ShortcutConfiguration>& value() const { return value_; }

    // The controls, for the form's keyboard handling and tests.
    Gtk::CheckButton& enableToggle() { return enable_; }
    Gtk::ToggleButton& modifierToggle(std::size_t index) { return modifiers_[index]; }
    Gtk::ComboBoxText& keyPicker() { return keys_; }
    std::string text() const { return text_.get_text(); }

private:
    void write(const std::optional<ShortcutConfiguration>& value);
    void showValue();

    std::function<void(const std::optional<ShortcutConfiguration>&)> onChange_;
    std::uint32_t defaultKey_;
    std::function<std::vector<ShortcutConfiguration>()> heldElsewhere_;
    std::optional<ShortcutConfiguration> value_;
    bool updating_ = false;
    Gtk::CheckButton enable_;
    Gtk::Box row_{Gtk::ORIENTATION_HORIZONTAL, 10};
    std::array<Gtk::ToggleButton, 4> modifiers_;
    Gtk::ComboBoxText keys_;
    Gtk::Label text_;
};

}  // namespace quenlith

#pragma once

#include <functional>
#include <optional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>

#include "model/user_agent.hpp"

namespace quenlith {

// Edits a website's optional user agent: the presets, a free text for "Custom", the chosen
// preset's text, two explanations and the validation message. The preset shown is recomputed
// from the value when the value is set from outside; choosing a preset writes its text at once.
class UserAgentPicker : public Gtk::Box {
public:
    UserAgentPicker();

    void setOnChange(std::function<void(const std::optional<std::string>&)> onChange) {
        onChange_ = std::move(onChange);
    }

    // Sets the value and selects the preset it reads as.
    void setValue(const std::optional<std::string>& value);
    const std::optional<std::string>& value() const { return value_; }
    UserAgentPreset selection() const { return selection_; }
    void select(UserAgentPreset preset);

    Gtk::ComboBoxText& presetPicker() { return presets_; }
    Gtk::Entry& customField() { return custom_; }

private:
    void write(const std::optional<std::string>& value);
    void showValue();

    std::function<void(const std::optional<std::string>&)> onChange_;
    std::optional<std::string> value_;
    UserAgentPreset selection_ = UserAgentPreset::system;
    bool updating_ = false;
    Gtk::ComboBoxText presets_;
    Gtk::Entry custom_;
    Gtk::Label presetText_;
    Gtk::Label message_;
};

}  // namespace quenlith

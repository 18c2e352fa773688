#pragma once

#include <gtkmm/checkbutton.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/label.h>
#include <gtkmm/spinbutton.h>

#include "settings/settings_context.hpp"
#include "settings/settings_form.hpp"

namespace quenlith {

// The Appearance tab: the theme and the size and compact mode new websites start with, written
// to the preferences at once.
class AppearancePane : public SettingsForm {
public:
    explicit AppearancePane(SettingsContext& context);

    Gtk::ComboBoxText& themePicker() { return *theme_; }
    Gtk::SpinButton& widthStepper() { return *width_; }
    Gtk::SpinButton& heightStepper() { return *height_; }
    std::string widthText() const { return widthLabel_->get_text(); }
    Gtk::CheckButton& compactSwitch() { return *compact_; }

private:
    void refresh();

    SettingsContext& context_;
    bool updating_ = false;
    Gtk::ComboBoxText* theme_ = nullptr;
    Gtk::Label* widthLabel_ = nullptr;
    Gtk::SpinButton* width_ = nullptr;
    Gtk::Label* heightLabel_ = nullptr;
    Gtk::SpinButton* height_ = nullptr;
    Gtk::CheckButton* compact_ = nullptr;
};

}  // namespace quenlith

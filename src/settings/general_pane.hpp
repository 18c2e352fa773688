#pragma once

#include <cstdint>
#include <vector>

#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/label.h>

#include "settings/settings_context.hpp"
#include "settings/settings_form.hpp"
#include "ui/window_opacity_control.hpp"

namespace quenlith {

// The General tab: default opacity, interface language, new-window isolation, login item,
// taskbar presence, window restoring, tab sleeping, application links and browsing defaults.
// Every control writes the preferences at once.
class GeneralPane : public SettingsForm {
public:
    explicit GeneralPane(SettingsContext& context);

    // Reads the login item's state again (the toggle follows the file).
    void refreshLoginItem();

    WindowOpacityControl& opacityControl() { return opacity_; }
    Gtk::ComboBoxText& languagePicker() { return *language_; }
    Gtk::Label& languageNote() { return *languageNote_; }
    Gtk::CheckButton& isolationSwitch() { return *isolate_; }
    Gtk::CheckButton& loginSwitch() { return *login_; }
    Gtk::CheckButton& dockSwitch() { return *dock_; }
    Gtk::CheckButton& restoreSwitch() { return *restore_; }
    Gtk::ComboBoxText& sleepPicker() { return *sleep_; }
    Gtk::CheckButton& applicationLinksSwitch() { return *applicationLinks_; }
    Gtk::ComboBoxText& searchEnginePicker() { return *searchEngine_; }
    Gtk::ComboBoxText& linkBehaviorPicker() { return *linkBehavior_; }
    Gtk::ComboBoxText& closeBehaviorPicker() { return *closeBehavior_; }
    Gtk::Button& resetSessionButton() { return *resetSession_; }

private:
    void refresh();
    void setLoginItem(bool on);

    SettingsContext& context_;
    bool updating_ = false;
    WindowOpacityControl opacity_;
    Gtk::ComboBoxText* language_ = nullptr;
    Gtk::Label* languageNote_ = nullptr;
    Gtk::CheckButton* isolate_ = nullptr;
    Gtk::CheckButton* login_ = nullptr;
    Gtk::CheckButton* dock_ = nullptr;
    Gtk::CheckButton* restore_ = nullptr;
    Gtk::Label* continuityError_ = nullptr;
    Gtk::Button* resetSession_ = nullptr;
    Gtk::ComboBoxText* sleep_ = nullptr;
    std::vector<std::int64_t> sleepChoices_;  // the sleep picker's rows, in minutes
    Gtk::CheckButton* applicationLinks_ = nullptr;
    Gtk::ComboBoxText* searchEngine_ = nullptr;
    Gtk::ComboBoxText* linkBehavior_ = nullptr;
    Gtk::ComboBoxText* closeBehavior_ = nullptr;
};

}  // namespace quenlith

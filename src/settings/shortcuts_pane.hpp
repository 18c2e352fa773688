#pragma once

#include <map>
#include <optional>
#include <string>

#include <gtkmm/button.h>
#include <gtkmm/label.h>

#include "model/shortcut_configuration.hpp"
#include "model/shortcut_picker_rules.hpp"
#include "settings/settings_context.hpp"
#include "settings/settings_form.hpp"
#include "ui/shortcut_picker.hpp"

namespace quenlith {

// The Shortcuts tab: the launcher, always-on-top and compact shortcuts (checked, then stored at
// once), the fixed mouse-control recovery shortcut with "Restore Mouse Control Now", and every
// website's shortcut. Registration errors show under the row of their binding.
class ShortcutsPane : public SettingsForm {
public:
    explicit ShortcutsPane(SettingsContext& context);

    ShortcutPicker& picker(const std::string& binding);
    Gtk::Button& restoreButton() { return *restore_; }
    // The text shown under a binding's row ("" while none), by binding name or website id.
    std::string errorText(const std::string& binding) const;
    std::string validationText() const { return validation_->get_visible() ? std::string(validation_->get_text()) : std::string(); }
    // The shortcut text of each website row, in store order.
    std::vector<std::string> websiteShortcutTexts() const;

private:
    void write(const std::string& binding, const std::optional<ShortcutConfiguration>& shortcut);
    void refresh();
    void rebuildWebsites();

    SettingsContext& context_;
    bool updating_ = false;
    ShortcutPicker launcher_{kLauncherShortcutKey};
    ShortcutPicker pin_{kPinShortcutKey};
    ShortcutPicker compact_{kCompactShortcutKey};
    Gtk::Label* validation_ = nullptr;
    Gtk::Button* restore_ = nullptr;
    std::map<std::string, Gtk::Label*> errors_;
    Gtk::Box* websites_ = nullptr;
    std::vector<Gtk::Label*> websiteShortcuts_;
};

}  // namespace quenlith

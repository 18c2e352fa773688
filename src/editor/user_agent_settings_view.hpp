#pragma once

#include <functional>
#include <optional>
#include <string>

#include <gtkmm/button.h>
#include <gtkmm/dialog.h>
#include <gtkmm/label.h>

#include "editor/user_agent_picker.hpp"

namespace quenlith {

// The "User agent" sheet of a browser window: the picker on a working copy, Cancel (Escape) and
// Save (Return, only while the value is usable). Save hands over nothing for a value of white
// space only, else the value as it is. The owner closes the sheet.
class UserAgentSettingsView : public Gtk::Dialog {
public:
    UserAgentSettingsView(Gtk::Window& parent, const std::optional<std::string>& value);

    void setOnSave(std::function<void(const std::optional<std::string>&)> onSave) {
        onSave_ = std::move(onSave);
    }
    void setOnCancel(std::function<void()> onCancel) { onCancel_ = std::move(onCancel); }

    void save();
    UserAgentPicker& picker() { return picker_; }
    Gtk::Button& saveButton() { return *save_; }

protected:
    void on_response(int response) override;

private:
    void refresh();

    std::function<void(const std::optional<std::string>&)> onSave_;
    std::function<void()> onCancel_;
    std::optional<std::string> value_;
    Gtk::Label title_;
    UserAgentPicker picker_;
    Gtk::Button* save_ = nullptr;
};

}  // namespace quenlith

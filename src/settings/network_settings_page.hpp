#pragma once

#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>

#include "model/global_proxy_form.hpp"
#include "settings/settings_context.hpp"
#include "settings/settings_form.hpp"

namespace quenlith {

// The Network tab: the global proxy as a draft that only "Save Proxy Settings" stores (its
// password goes to the secret store), beside the proxy this launch actually runs with.
class NetworkSettingsPage : public SettingsForm {
public:
    explicit NetworkSettingsPage(SettingsContext& context);

    // Reloads the draft from the stored preferences (each time the page is shown).
    void appeared();

    std::string activeSummary() const { return active_->get_text(); }
    Gtk::ComboBoxText& kindPicker() { return *kind_; }
    Gtk::Entry& hostField() { return *host_; }
    Gtk::Entry& portField() { return *port_; }
    Gtk::CheckButton& authenticationToggle() { return *authentication_; }
    Gtk::Entry& usernameField() { return *username_; }
    Gtk::Entry& passwordField() { return *password_; }
    Gtk::Button& saveButton() { return *save_; }
    Gtk::Button& discardButton() { return *discard_; }
    // The result of the last Save ("" while none) and whether it reports a failure.
    std::string messageText() const { return form_.message().value_or(""); }
    bool messageFailed() const { return form_.failed(); }
    bool saving() const { return form_.saving(); }
    Gtk::Label& messageLabel() { return *message_; }

private:
    void showForm();
    void save();

    SettingsContext& context_;
    GlobalProxyForm form_;
    bool updating_ = false;
    Gtk::Label* active_ = nullptr;
    Gtk::Label* activeError_ = nullptr;
    Gtk::ComboBoxText* kind_ = nullptr;
    Gtk::Box* endpoint_ = nullptr;
    Gtk::Entry* host_ = nullptr;
    Gtk::Entry* port_ = nullptr;
    Gtk::CheckButton* authentication_ = nullptr;
    Gtk::Box* credentials_ = nullptr;
    Gtk::Entry* username_ = nullptr;
    Gtk::Entry* password_ = nullptr;
    Gtk::Button* discard_ = nullptr;
    Gtk::Button* save_ = nullptr;
    Gtk::Label* message_ = nullptr;
    std::shared_ptr<NetworkSettingsPage*> alive_;
};

}  // namespace quenlith

#pragma once

#include <functional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/entry.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/separator.h>

#include "model/web_app_profile.hpp"

namespace quenlith {

// The session and proxy part of a website: its independent session and account label, whether it
// overrides the global proxy, and that proxy's kind, endpoint and credentials. It writes straight
// into the owner's draft (and the password beside it) and validates nothing; the owner checks on
// Save. The port is kept as typed, so text that is no number is refused there.
class WebsiteSessionSettings : public Gtk::Box {
public:
    // `draft` is read and written on every change.
    WebsiteSessionSettings(std::function<WebAppProfile&()> draft, bool isNew);

    // Runs after each write. The owner sets it once it is built: nothing is reported before.
    void setOnChange(std::function<void()> changed) { changed_ = std::move(changed); }

    // Shows the draft again (after it changed elsewhere).
    void refresh();
    const std::string& password() const { return password_; }
    // The port text while the proxy has an endpoint; nothing otherwise.
    std::optional<std::string> portText() const;

    Gtk::CheckButton& sessionToggle() { return session_; }
    Gtk::CheckButton& proxyToggle() { return override_; }
    Gtk::ComboBoxText& kindPicker() { return kind_; }
    Gtk::Entry& hostField() { return host_; }
    Gtk::Entry& portField() { return port_; }
    Gtk::CheckButton& authenticationToggle() { return authentication_; }
    Gtk::Entry& usernameField() { return username_; }
    Gtk::Entry& passwordField() { return passwordField_; }
    Gtk::Entry& accountField() { return account_; }

private:
    void editProxy(const std::function<void(BrowserProxySettings&)>& edit);
    void written();

    std::function<WebAppProfile&()> draft_;
    std::function<void()> changed_;
    std::string password_;
    bool updating_ = false;
    std::optional<std::int64_t> shownPort_;

    Gtk::Box sessionBox_{Gtk::ORIENTATION_VERTICAL, 12};
    Gtk::CheckButton session_;
    Gtk::Entry account_;
    Gtk::Label shared_;
    Gtk::Box proxyBox_{Gtk::ORIENTATION_VERTICAL, 12};
    Gtk::CheckButton override_;
    Gtk::Box proxyFields_{Gtk::ORIENTATION_VERTICAL, 8};
    Gtk::ComboBoxText kind_;
    Gtk::Box endpoint_{Gtk::ORIENTATION_VERTICAL, 8};
    Gtk::Entry host_;
    Gtk::Entry port_;
    Gtk::CheckButton authentication_;
    Gtk::Box credentials_{Gtk::ORIENTATION_VERTICAL, 8};
    Gtk::Entry username_;
    Gtk::Entry passwordField_;
    Gtk::Label macNetwork_;
    Gtk::Box statusBox_{Gtk::ORIENTATION_VERTICAL, 8};
};

}  // namespace quenlith

#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <gtkmm/button.h>
#include <gtkmm/dialog.h>
#include <gtkmm/label.h>

#include "editor/website_session_settings.hpp"
#include "model/proxy_form_rules.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// The "Proxy…" sheet of a window showing a saved website: its session and proxy section, Cancel
// (Escape) and Save (Return). Save checks the proxy, keeps a typed password in the secret store
// and hands the website to `onSave`; stored, the replaced credential goes to `discardCredential`
// and the sheet asks to be closed; refused, the password made for it is removed and "Could not
// save website" is shown.
class WebsiteProxySettingsView : public Gtk::Dialog {
public:
    WebsiteProxySettingsView(Gtk::Window& parent, const WebAppProfile& website,
                             std::shared_ptr<ProxyPasswordVault> vault);
    ~WebsiteProxySettingsView() override;

    void setOnSave(std::function<bool(const WebAppProfile&)> onSave) { onSave_ = std::move(onSave); }
    void setOnClose(std::function<void()> onClose) { onClose_ = std::move(onClose); }
    void setDiscardCredential(std::function<void(const std::string&)> discardCredential) {
        discardCredential_ = std::move(discardCredential);
    }

    void save();
    const WebAppProfile& draft() const { return draft_; }
    const std::optional<std::string>& error() const { return error_; }
    bool saving() const { return saving_; }
    WebsiteSessionSettings& sessionSettings() { return session_; }

protected:
    void on_response(int response) override;

private:
    void showError();

    std::function<bool(const WebAppProfile&)> onSave_;
    std::function<void()> onClose_;
    std::function<void(const std::string&)> discardCredential_;
    WebAppProfile draft_;
    const WebAppProfile previous_;
    std::shared_ptr<ProxyPasswordVault> vault_;
    std::optional<std::string> error_;
    bool saving_ = false;
    // The secret store may answer after the sheet is gone.
    std::shared_ptr<WebsiteProxySettingsView*> alive_;
    Gtk::Label title_;
    Gtk::Label subtitle_;
    WebsiteSessionSettings session_;
    Gtk::Label errorLabel_;
};

}  // namespace quenlith

#pragma once

#include <memory>
#include <optional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/label.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/notebook.h>
#include <gtkmm/window.h>

#include "model/web_app_profile.hpp"
#include "settings/settings_context.hpp"
#include "ui/website_deletion_question.hpp"

namespace quenlith {

class AppearancePane;
class GeneralPane;
class NetworkSettingsPage;
class PrivacyPane;
class ShortcutsPane;
class WebsitesPane;

// "Quenlith Settings": seven tabs (General, Appearance, Websites, Shortcuts, Network, Ad
// Filtering, Privacy), the status line under them and the two confirmations the panes raise
// (clearing website data, deleting a website). Preferences are written live by the panes; the
// window is built once and kept, so its tab and status line survive closing it. Main thread only.
class SettingsWindow : public Gtk::Window {
public:
    enum Tab { general, appearance, websites, shortcuts, network, adFiltering, privacy };

    SettingsWindow(PreferencesStore& preferences, WebAppStore& store, BrowserWindowManager& windows,
                   HotKeyManager& hotKeys, const ProxyRuntime& activeProxy, SettingsServices services,
                   LoginItem loginItem = LoginItem());
    ~SettingsWindow() override;

    void selectTab(Tab tab) { tabs_.set_current_page(tab); }
    Tab selectedTab() const { return static_cast<Tab>(tabs_.get_current_page()); }
    // The status line's text; empty while hidden.
    std::string status() const { return status_.get_visible() ? std::string(status_.get_text()) : std::string(); }
    // Whether the status line shows a failure (in the error style).
    bool statusFailed() const {
        return status_.get_visible() && status_.get_style_context()->has_class("error");
    }
    // The open confirmation, or nullptr.
    Gtk::MessageDialog* alert() { return alert_ ? alert_.get() : deletion_.dialog(); }
    bool clearing() const { return clearing_; }

    GeneralPane& generalPane() { return *general_; }
    AppearancePane& appearancePane() { return *appearance_; }
    WebsitesPane& websitesPane() { return *websites_; }
    ShortcutsPane& shortcutsPane() { return *shortcuts_; }
    NetworkSettingsPage& networkPage() { return *network_; }
    PrivacyPane& privacyPane() { return *privacy_; }

private:
    void showStatus(const std::optional<std::string>& text, bool failed = false);
    void reportSave(const std::optional<std::string>& failure);
    void requestClear(PrivacyAction action);
    void requestDeletion(const WebAppProfile& website);
    void startClearing(PrivacyAction action);
    void closeAlert();
    // A write of the preferences has finished: a failure shows in the status line.
    void preferencesSaved(const Status& result);

    SettingsContext context_;
    Gtk::Box content_{Gtk::ORIENTATION_VERTICAL, 0};
    Gtk::Notebook tabs_;
    Gtk::Label status_;
    std::unique_ptr<GeneralPane> general_;
    std::unique_ptr<AppearancePane> appearance_;
    std::unique_ptr<WebsitesPane> websites_;
    std::unique_ptr<ShortcutsPane> shortcuts_;
    std::unique_ptr<NetworkSettingsPage> network_;
    std::unique_ptr<PrivacyPane> privacy_;
    std::unique_ptr<Gtk::MessageDialog> alert_;
    WebsiteDeletionQuestion deletion_;
    bool clearing_ = false;
    // The status line holds a failed save, which the next successful one takes away.
    bool statusIsSaveFailure_ = false;
    // Answers that arrive after the window is gone find this expired.
    std::shared_ptr<SettingsWindow*> alive_;
};

}  // namespace quenlith

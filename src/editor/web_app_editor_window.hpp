#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/entry.h>
#include <gtkmm/expander.h>
#include <gtkmm/label.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/window.h>

#include "editor/application_link_settings.hpp"
#include "editor/auto_reload_settings.hpp"
#include "editor/page_zoom_row.hpp"
#include "editor/user_agent_picker.hpp"
#include "editor/website_session_settings.hpp"
#include "editor/website_switch_rows.hpp"
#include "model/scheduler.hpp"
#include "model/shortcut_picker_rules.hpp"
#include "model/website_details_lookup.hpp"
#include "model/website_editor_save.hpp"
#include "ui/shortcut_picker.hpp"
#include "ui/window_opacity_control.hpp"

namespace quenlith {

// What the editor's owner hands it.
struct WebAppEditorServices {
    // Stores the website; true when stored. The owner shows its own alert on a refusal.
    std::function<bool(const WebAppProfile&)> onSave;
    // The user cancelled (or closed the window).
    std::function<void()> onCancel;
    // A credential the saved website no longer uses.
    std::function<void(const std::string&)> discardCredential;
    // Checks a global shortcut under a binding name; nothing when it may be used.
    std::function<std::optional<std::string>(const std::optional<ShortcutConfiguration>&, const std::string&)>
        validateShortcut;
    // The global shortcuts of the application's bindings other than the named one.
    std::function<std::vector<ShortcutConfiguration>(const std::string&)> heldShortcuts;
    // The title and icon lookup of a new website's address; none means no lookup.
    FetchWebsiteDetails fetchWebsiteDetails;
    // The secret store of proxy passwords; the desktop's when none is given.
    std::shared_ptr<ProxyPasswordVault> vault;
    // The applications the chooser offers; the installed desktop applications when none is given.
    std::function<std::vector<LinkedApplication>()> installedApplications;
    // Runs the lookup's delay; the main loop when none is given.
    Scheduler* scheduler = nullptr;
    // Whether a tray shows the websites' icons; the tray switch is always offered when none is given.
    TrayPresence* tray = nullptr;
};

// The window in which a website is added or edited. It edits a draft; Save checks it, keeps a
// typed proxy password in the secret store and hands the record to the owner, who stores it and
// closes the window. The editor never closes itself.
class WebAppEditorWindow : public Gtk::Window {
public:
    WebAppEditorWindow(WebAppProfile draft, bool isNew, bool openAfterSave, bool reusesSession,
                       WebAppEditorServices services);
    ~WebAppEditorWindow() override;

    const WebAppProfile& draft() const { return draft_; }
    bool isNew() const { return isNew_; }
    const std::optional<std::string>& error() const { return error_; }
    // True from pressing Save until it ended (the secret store may answer later).
    bool saving() const { return saving_; }

    void save();
    void cancel();

    Gtk::Entry& nameField() { return name_; }
    Gtk::Entry& addressField() { return address_; }
    Gtk::Button& saveButton() { return save_; }
    Gtk::CheckButton& autoReloadToggle() { return autoReload_.toggle(); }
    Gtk::Entry& intervalField() { return autoReload_.intervalField(); }
    WindowOpacityControl& opacityControl() { return opacity_; }
    ShortcutPicker& shortcutPicker() { return shortcut_; }
    UserAgentPicker& userAgentPicker() { return userAgent_; }
    WebsiteSessionSettings& sessionSettings() { return session_; }
    ApplicationLinkSettings& applicationLinks() { return applicationLinks_; }
    std::string zoomText() const { return zoom_.percentText(); }

protected:
    bool on_delete_event(GdkEventAny* event) override;
    bool on_key_press_event(GdkEventKey* event) override;

private:
    void buildForm();
    void changed();
    void refresh();
    void finishSave(WebsiteEditorSaveOutcome outcome);

    WebAppProfile draft_;
    bool isNew_;
    WebAppEditorServices services_;
    std::optional<BrowserProxySettings> originalProxy_;
    std::optional<std::string> error_;
    bool saving_ = false;
    bool updating_ = false;
    // Answers that outlive the window find this expired.
    std::shared_ptr<WebAppEditorWindow*> alive_;

    Gtk::Box layout_{Gtk::ORIENTATION_VERTICAL, 0};
    Gtk::ScrolledWindow scroller_;
    Gtk::Box form_{Gtk::ORIENTATION_VERTICAL, 12};
    WindowOpacityControl opacity_;
    Gtk::Box website_{Gtk::ORIENTATION_VERTICAL, 8};
    Gtk::Entry name_;
    Gtk::Entry address_;
    Gtk::Label fetching_;
    WebsiteSessionSettings session_;
    WebsiteSwitchRows websiteSwitches_;
    WebsiteSwitchRows windowSwitches_;
    WebsiteSwitchRows advancedSwitches_;
    Gtk::Expander windowGroup_;
    Gtk::Box windowBox_{Gtk::ORIENTATION_VERTICAL, 8};
    PageZoomRow zoom_;
    Gtk::Expander shortcutGroup_;
    ShortcutPicker shortcut_{kWebsiteShortcutKey};
    Gtk::Expander userAgentGroup_;
    UserAgentPicker userAgent_;
    ApplicationLinkSettings applicationLinks_;
    Gtk::Expander advancedGroup_;
    Gtk::Box advancedBox_{Gtk::ORIENTATION_VERTICAL, 8};
    AutoReloadSettings autoReload_;
    Gtk::Label error_label_;
    Gtk::Button cancel_;
    Gtk::Button save_;
    WebsiteDetailsLookup lookup_;
};

}  // namespace quenlith

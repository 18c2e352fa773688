#pragma once

#include <functional>
#include <optional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/dialog.h>
#include <gtkmm/entry.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/scale.h>
#include <gtkmm/scrolledwindow.h>

#include "editor/page_zoom_row.hpp"
#include "editor/user_agent_picker.hpp"
#include "editor/website_switch_rows.hpp"
#include "editor/window_opacity_control.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// The "Website Settings" sheet of a browser window without a saved website: opacity, the window
// switches with click-through, page zoom, user agent and auto reload of the window's own record.
// It edits a copy; Save checks it and hands the normalised record and the click-through flag to
// `onSave`; Cancel hands nothing. The owner closes the sheet.
class BrowserWindowSettingsView : public Gtk::Dialog {
public:
    BrowserWindowSettingsView(Gtk::Window& parent, WebAppProfile profile, bool clickThrough);

    void setOnSave(std::function<void(const WebAppProfile&, bool clickThrough)> onSave) {
        onSave_ = std::move(onSave);
    }
    void setOnCancel(std::function<void()> onCancel) { onCancel_ = std::move(onCancel); }

    void save();
    void cancel();

    const WebAppProfile& profile() const { return profile_; }
    const std::optional<std::string>& error() const { return error_; }
    WindowOpacityControl& opacityControl() { return opacity_; }
    Gtk::Scale& zoomSlider() { return zoom_.slider(); }
    std::string zoomText() const { return zoom_.percentText(); }
    Gtk::CheckButton& clickThroughToggle() { return clickThrough_; }
    Gtk::CheckButton& autoReloadToggle() { return autoReload_; }
    Gtk::Entry& intervalField() { return interval_; }
    UserAgentPicker& userAgentPicker() { return userAgent_; }
    Gtk::Label& sessionLabel() { return sessionLabel_; }

protected:
    void on_response(int response) override;

private:
    void refresh();

    std::function<void(const WebAppProfile&, bool clickThrough)> onSave_;
    std::function<void()> onCancel_;
    WebAppProfile profile_;
    bool clickThroughValue_;
    std::optional<std::string> error_;
    bool updating_ = false;

    Gtk::ScrolledWindow scroller_;
    Gtk::Box form_{Gtk::ORIENTATION_VERTICAL, 12};
    WindowOpacityControl opacity_;
    Gtk::Box session_{Gtk::ORIENTATION_VERTICAL, 6};
    Gtk::Box sessionRow_{Gtk::ORIENTATION_HORIZONTAL, 6};
    Gtk::Image sessionIcon_;
    Gtk::Label sessionLabel_;
    Gtk::Box window_{Gtk::ORIENTATION_VERTICAL, 8};
    WebsiteSwitchRows switches_;
    Gtk::CheckButton clickThrough_;
    PageZoomRow zoom_;
    UserAgentPicker userAgent_;
    Gtk::Box advanced_{Gtk::ORIENTATION_VERTICAL, 8};
    Gtk::CheckButton autoReload_;
    Gtk::Entry interval_;
    Gtk::Box intervalRow_{Gtk::ORIENTATION_HORIZONTAL, 8};
    Gtk::Label errorLabel_;
};

}  // namespace quenlith

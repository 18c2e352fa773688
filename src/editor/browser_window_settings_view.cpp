#include "editor/browser_window_settings_view.hpp"

#include "model/form_numbers.hpp"
#include "model/localization.hpp"
#include "model/window_sheet_saves.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"
#include "ui/focus_in_view.hpp"
#include "ui/wheel_guard.hpp"

namespace quenlith {

namespace {
constexpr double kDefaultAutoReloadInterval = 60;
}

BrowserWindowSettingsView::BrowserWindowSettingsView(Gtk::Window& parent, WebAppProfile profile,
                                                     bool clickThrough)
    : Gtk::Dialog(localizedString("Website Settings"), parent, /*modal=*/true),
      profile_(std::move(profile)),
      clickThroughValue_(clickThrough),
      opacity_(localizedString("Window Opacity")),
      switches_(windowSheetSwitches(), [this]() -> WebAppProfile& { return profile_; }),
      clickThrough_(localizedString("Click-through (Ctrl+Alt+P to recover)")),
      zoom_([this]() -> WebAppProfile& { return profile_; }),
      autoReload_(localizedString("Auto reload while visible")) {
    set_default_size(480, 560);
    set_resizable(false);

    opacity_.setOnChange([this](double value) {
        profile_.opacity = value;
        refresh();
    });
    form_.pack_start(opacity_, Gtk::PACK_SHRINK);

    sessionRow_.pack_start(sessionIcon_, Gtk::PACK_SHRINK);
    sessionRow_.pack_start(sessionLabel_, Gtk::PACK_SHRINK);
    session_.pack_start(sessionRow_, Gtk::PACK_SHRINK);
    session_.pack_start(*makeCaption(localizedString(
                            "Use New Shared Window or New Independent Window in the \u2026 menu to open this page "
                            "with a different session.")),
                        Gtk::PACK_SHRINK);
    form_.pack_start(*makeSection(localizedString("Login Session"), session_), Gtk::PACK_SHRINK);

    window_.pack_start(switches_, Gtk::PACK_SHRINK);
    clickThrough_.set_active(clickThroughValue_);
    clickThrough_.signal_toggled().connect([this] { clickThroughValue_ = clickThrough_.get_active(); });
    window_.pack_start(clickThrough_, Gtk::PACK_SHRINK);
    zoom_.setOnChange([this] { refresh(); });
    window_.pack_start(zoom_, Gtk::PACK_SHRINK);
    form_.pack_start(*makeSection(localizedString("Window"), window_), Gtk::PACK_SHRINK);

    userAgent_.setValue(profile_.customUserAgent);
    userAgent_.setOnChange(
        [this](const std::optional<std::string>& value) { profile_.customUserAgent = value; });
    form_.pack_start(*makeSection(localizedString("User agent"), userAgent_), Gtk::PACK_SHRINK);

    autoReload_.signal_toggled().connect([this] {
        if (updating_) return;
        if (autoReload_.get_active()) {
            profile_.autoReloadInterval = kDefaultAutoReloadInterval;
            interval_.set_text(decimalText(kDefaultAutoReloadInterval));
        } else {
            profile_.autoReloadInterval.reset();
        }
        refresh();
    });
    // The field's text is read on Save, so text that is no number is refused there.
    advanced_.pack_start(autoReload_, Gtk::PACK_SHRINK);
    intervalRow_.pack_start(*makeLabeledRow(localizedString("Interval in seconds (10 or more)"), interval_),
                            Gtk::PACK_EXPAND_WIDGET);
    intervalRow_.set_no_show_all(true);
    advanced_.pack_start(intervalRow_, Gtk::PACK_SHRINK);
    form_.pack_start(*makeSection(localizedString("Advanced"), advanced_), Gtk::PACK_SHRINK);
    if (profile_.autoReloadInterval) interval_.set_text(decimalText(*profile_.autoReloadInterval));

    form_.set_border_width(16);
    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroller_.add(form_);
    leaveWheelToScrolling(scroller_);
    keepFocusInView(scroller_);
    get_content_area()->pack_start(scroller_, Gtk::PACK_EXPAND_WIDGET);
    errorLabel_.set_xalign(0);
    errorLabel_.set_line_wrap(true);
    errorLabel_.override_color(Gdk::RGBA("#c01c28"));
    errorLabel_.set_margin_start(16);
    errorLabel_.set_margin_end(16);
    errorLabel_.set_no_show_all(true);
    get_content_area()->pack_start(errorLabel_, Gtk::PACK_SHRINK);
    add_button(localizedString("Cancel"), Gtk::RESPONSE_CANCEL);
    // Neither button answers Return: the sheet saves only when Save itself is pressed.
    styleSuggestedAction(*add_button(localizedString("Save"), Gtk::RESPONSE_OK));
    refresh();
    show_all_children();
}

void BrowserWindowSettingsView::refresh() {
    updating_ = true;
    switches_.refresh();
    opacity_.setValue(profile_.opacity);
    const bool own = profile_.dataStoreIdentifier().has_value();
    sessionLabel_.set_text(own ? localizedString("Independent Session") : localizedString("Shared Session"));
    sessionIcon_.set_from_icon_name(iconNameForSymbol(own ? "person.crop.rectangle" : "person.2"),
                                    Gtk::ICON_SIZE_BUTTON);
    zoom_.refresh();
    autoReload_.set_active(profile_.autoReloadInterval.has_value());
    showWhen(intervalRow_, profile_.autoReloadInterval.has_value());
    errorLabel_.set_text(error_.value_or(""));
    showWhen(errorLabel_, error_.has_value());
    updating_ = false;
}

void BrowserWindowSettingsView::save() {
    std::optional<std::string> intervalText;
    if (profile_.autoReloadInterval) intervalText = std::string(interval_.get_text());
    auto checked = checkWindowSettings(profile_, intervalText);
    if (!checked) {
        error_ = checked.error().message;
        refresh();
        return;
    }
    profile_ = std::move(*checked);
    if (onSave_) onSave_(profile_, clickThroughValue_);
}

void BrowserWindowSettingsView::cancel() {
    if (onCancel_) onCancel_();
}

void BrowserWindowSettingsView::on_response(int response) {
    if (response == Gtk::RESPONSE_OK)
        save();
    else
        cancel();
}

}  // namespace quenlith

#include "editor/web_app_editor_window.hpp"

#include <gdk/gdkkeysyms.h>
#include <gtkmm/image.h>
#include <gtkmm/separator.h>

#include "browser/engine/keyring_password_vault.hpp"
#include "model/localization.hpp"
#include "ui/focus_in_view.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"
#include "ui/wheel_guard.hpp"

namespace quenlith {

namespace {

std::string saveLabel(bool isNew, bool openAfterSave) {
    if (!isNew) return localizedString("Save Changes");
    return openAfterSave ? localizedString("Add & Open") : localizedString("Save Website");
}

// A collapsed expander still maps its child at 1 x 1 pixels, where Tab reaches its controls
// unseen (and Space flips them): the content is hidden while collapsed. Its own contents were
// shown already; show_all from above leaves it as the expander says.
void hideContentWhileCollapsed(Gtk::Expander& expander) {
    Gtk::Widget* content = expander.get_child();
    content->set_no_show_all(true);
    content->set_visible(expander.get_expanded());
    expander.property_expanded().signal_changed().connect(
        [&expander, content] { content->set_visible(expander.get_expanded()); });
}

}  // namespace

WebAppEditorWindow::WebAppEditorWindow(WebAppProfile draft, bool isNew, bool openAfterSave,
                                       bool reusesSession, WebAppEditorServices services)
    : draft_(std::move(draft)),
      isNew_(isNew),
      services_(std::move(services)),
      alive_(std::make_shared<WebAppEditorWindow*>(this)),
      opacity_(localizedString("Window Opacity")),
      fetching_(localizedString("Getting website details…")),
      session_([this]() -> WebAppProfile& { return draft_; }, isNew && !reusesSession),
      websiteSwitches_(
          websiteSwitchesIn(WebsiteSwitchGroup::website), [this]() -> WebAppProfile& { return draft_; },
          services_.tray),
      windowSwitches_(websiteSwitchesIn(WebsiteSwitchGroup::window),
                      [this]() -> WebAppProfile& { return draft_; }),
      advancedSwitches_(websiteSwitchesIn(WebsiteSwitchGroup::advanced),
                        [this]() -> WebAppProfile& { return draft_; }),
      windowGroup_(localizedString("Window")),
      zoom_([this]() -> WebAppProfile& { return draft_; }),
      shortcutGroup_(localizedString("Global shortcut")),
      userAgentGroup_(localizedString("User agent")),
      applicationLinks_([this]() -> WebAppProfile& { return draft_; },
                        services_.installedApplications ? services_.installedApplications
                                                        : std::function(installedDesktopApplications)),
      advancedGroup_(localizedString("Advanced")),
      autoReload_([this]() -> WebAppProfile& { return draft_; }),
      cancel_(localizedString("Cancel")),
      save_(saveLabel(isNew, openAfterSave)),
      lookup_(
          isNew, services_.fetchWebsiteDetails, [this]() -> WebAppProfile& { return draft_; },
          [this] { refresh(); }, services_.scheduler ? *services_.scheduler : mainLoopScheduler()) {
    if (!services_.vault) services_.vault = std::make_shared<KeyringPasswordVault>();
    set_title(isNew ? localizedString("Add Website") : localizedString("Edit Website"));
    set_default_size(560, 650);
    set_resizable(false);
    set_position(Gtk::WIN_POS_CENTER);
    // The proxy as it stood when the editor opened: the credential a blank password may keep.
    originalProxy_ = draft_.siteProxy;
    buildForm();
    // The sections report their changes only from here on: every member they show it through
    // exists now, and none of them has reported a change while it was being made.
    session_.setOnChange([this] { changed(); });
    for (auto* switches : {&websiteSwitches_, &windowSwitches_, &advancedSwitches_})
        switches->setOnChange([this] { changed(); });
    zoom_.setOnChange([this] { changed(); });
    applicationLinks_.setOnChange([this] { changed(); });
    autoReload_.setOnChange([this] { changed(); });
    refresh();
    show_all_children();
    for (Gtk::Expander* group : {&windowGroup_, &shortcutGroup_, &userAgentGroup_,
                                 static_cast<Gtk::Expander*>(&applicationLinks_), &advancedGroup_})
        hideContentWhileCollapsed(*group);
    name_.grab_focus();
    lookup_.draftChanged();
}

WebAppEditorWindow::~WebAppEditorWindow() {
    alive_.reset();
}

void WebAppEditorWindow::buildForm() {
    auto* header = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 12));
    header->set_border_width(20);
    // One symbol for adding and editing alike: the title beside it tells the two apart.
    header->pack_start(
        *Gtk::manage(new Gtk::Image(iconNameForSymbol("macwindow.badge.plus"), Gtk::ICON_SIZE_DIALOG)),
        Gtk::PACK_SHRINK);
    auto* titles = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 3));
    auto* heading = Gtk::manage(new Gtk::Label(get_title()));
    heading->set_xalign(0);
    styleHeadline(*heading);
    titles->pack_start(*heading, Gtk::PACK_SHRINK);
    titles->pack_start(*makeCaption(localizedString("A website, always within reach.")), Gtk::PACK_SHRINK);
    header->pack_start(*titles, Gtk::PACK_EXPAND_WIDGET);

    opacity_.setOnChange([this](double value) {
        draft_.opacity = value;
        changed();
    });
    form_.pack_start(opacity_, Gtk::PACK_SHRINK);

    name_.signal_changed().connect([this] {
        if (updating_) return;
        draft_.name = name_.get_text();
        changed();
    });
    address_.signal_changed().connect([this] {
        if (updating_) return;
        draft_.homeURL = address_.get_text();
        changed();
    });
    name_.set_activates_default(true);
    address_.set_activates_default(true);
    website_.pack_start(*makeLabeledRow(localizedString("Name"), name_), Gtk::PACK_SHRINK);
    website_.pack_start(*makeLabeledRow(localizedString("Website URL"), address_), Gtk::PACK_SHRINK);
    styleCaption(fetching_);
    fetching_.set_no_show_all(true);
    website_.pack_start(fetching_, Gtk::PACK_SHRINK);
    website_.pack_start(websiteSwitches_, Gtk::PACK_SHRINK);
    form_.pack_start(*makeSection(localizedString("Website"), website_), Gtk::PACK_SHRINK);
    form_.pack_start(session_, Gtk::PACK_SHRINK);

    windowBox_.pack_start(windowSwitches_, Gtk::PACK_SHRINK);
    windowBox_.pack_start(zoom_, Gtk::PACK_SHRINK);
    windowGroup_.add(windowBox_);
    form_.pack_start(windowGroup_, Gtk::PACK_SHRINK);

    shortcut_.setHeldElsewhere([this] {
        return services_.heldShortcuts ? services_.heldShortcuts(draft_.id.string())
                                       : std::vector<ShortcutConfiguration>{};
    });
    shortcut_.setOnChange([this](const std::optional<ShortcutConfiguration>& value) {
        draft_.globalShortcut = value;
        changed();
    });
    auto* shortcutBox = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8));
    shortcutBox->pack_start(shortcut_, Gtk::PACK_SHRINK);
    shortcutBox->pack_start(
        *makeCaption(localizedString(
            "Toggle this website from anywhere. Ctrl+Alt+P is reserved for restoring mouse control.")),
        Gtk::PACK_SHRINK);
    shortcutGroup_.add(*shortcutBox);
    form_.pack_start(shortcutGroup_, Gtk::PACK_SHRINK);

    userAgent_.setValue(draft_.customUserAgent);
    userAgent_.setOnChange([this](const std::optional<std::string>& value) {
        draft_.customUserAgent = value;
        changed();
    });
    userAgentGroup_.add(userAgent_);
    form_.pack_start(userAgentGroup_, Gtk::PACK_SHRINK);
    form_.pack_start(applicationLinks_, Gtk::PACK_SHRINK);

    advancedBox_.pack_start(advancedSwitches_, Gtk::PACK_SHRINK);
    advancedBox_.pack_start(autoReload_, Gtk::PACK_SHRINK);
    advancedGroup_.add(advancedBox_);
    form_.pack_start(advancedGroup_, Gtk::PACK_SHRINK);

    for (auto* group : {&windowGroup_, &shortcutGroup_, &userAgentGroup_, &advancedGroup_})
        group->get_child()->set_margin_start(12);
    form_.set_border_width(16);
    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroller_.add(form_);
    leaveWheelToScrolling(scroller_);
    keepFocusInView(scroller_);

    error_label_.set_xalign(0);
    wrapWithinWidth(error_label_);
    error_label_.override_color(Gdk::RGBA("#c01c28"));
    error_label_.set_margin_start(20);
    error_label_.set_margin_end(20);
    error_label_.set_margin_top(8);
    error_label_.set_margin_bottom(8);
    error_label_.set_no_show_all(true);

    auto* buttons = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    buttons->set_border_width(16);
    buttons->pack_end(save_, Gtk::PACK_SHRINK);
    buttons->pack_end(cancel_, Gtk::PACK_SHRINK);
    styleSuggestedAction(save_);
    save_.set_can_default(true);
    cancel_.signal_clicked().connect([this] { cancel(); });
    save_.signal_clicked().connect([this] { save(); });

    layout_.pack_start(*header, Gtk::PACK_SHRINK);
    layout_.pack_start(*Gtk::manage(new Gtk::Separator()), Gtk::PACK_SHRINK);
    layout_.pack_start(scroller_, Gtk::PACK_EXPAND_WIDGET);
    layout_.pack_start(error_label_, Gtk::PACK_SHRINK);
    layout_.pack_start(*Gtk::manage(new Gtk::Separator()), Gtk::PACK_SHRINK);
    layout_.pack_start(*buttons, Gtk::PACK_SHRINK);
    add(layout_);
    set_default(save_);
}

void WebAppEditorWindow::changed() {
    refresh();
    lookup_.draftChanged();
}

void WebAppEditorWindow::refresh() {
    updating_ = true;
    if (name_.get_text() != draft_.name) name_.set_text(draft_.name);
    if (address_.get_text() != draft_.homeURL) address_.set_text(draft_.homeURL);
    showWhen(fetching_, lookup_.fetching());
    for (auto* switches : {&websiteSwitches_, &windowSwitches_, &advancedSwitches_}) switches->refresh();
    opacity_.setValue(draft_.opacity);
    zoom_.refresh();
    shortcut_.setValue(draft_.globalShortcut);
    autoReload_.refresh();
    session_.refresh();
    applicationLinks_.refresh();
    error_label_.set_text(error_.value_or(""));
    showWhen(error_label_, error_.has_value());
    updating_ = false;
}

void WebAppEditorWindow::save() {
    if (saving_) return;
    saving_ = true;
    WebsiteEditorSaveRequest request{draft_, originalProxy_, session_.password(), std::nullopt,
                                     session_.portText()};
    if (draft_.autoReloadInterval) request.autoReloadText = autoReload_.intervalText();
    WebsiteEditorSaveServices services{services_.validateShortcut, services_.vault, services_.onSave,
                                       services_.discardCredential};
    std::weak_ptr<WebAppEditorWindow*> weak = alive_;
    runWebsiteEditorSave(std::move(request), std::move(services), [weak](WebsiteEditorSaveOutcome outcome) {
        // The owner may have closed the window when it stored the website.
        if (auto self = weak.lock()) (*self)->finishSave(std::move(outcome));
    });
}

void WebAppEditorWindow::finishSave(WebsiteEditorSaveOutcome outcome) {
    saving_ = false;
    draft_ = std::move(outcome.draft);
    if (outcome.error) error_ = outcome.error;
    refresh();
}

void WebAppEditorWindow::cancel() {
    if (services_.onCancel) services_.onCancel();
}

bool WebAppEditorWindow::on_delete_event(GdkEventAny*) {
    cancel();
    return true;  // the owner closes the window
}

bool WebAppEditorWindow::on_key_press_event(GdkEventKey* event) {
    if (event->keyval == GDK_KEY_Escape) {
        cancel();
        return true;
    }
    return Gtk::Window::on_key_press_event(event);
}

}  // namespace quenlith

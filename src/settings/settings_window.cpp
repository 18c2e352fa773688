#include "settings/settings_window.hpp"

#include <glibmm/main.h>
#include <gtkmm/image.h>

#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "settings/appearance_pane.hpp"
#include "settings/general_pane.hpp"
#include "settings/network_settings_page.hpp"
#include "settings/privacy_pane.hpp"
#include "settings/shortcuts_pane.hpp"
#include "settings/websites_pane.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"
#include "ui/message_dialog.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/window_closing.hpp"

namespace quenlith {

namespace {

// The icon stands above its title: side by side, the seven tabs are wider than the window and the
// last ones hide behind the strip's scroll arrows.
Gtk::Widget* tabLabel(const std::string& title, const std::string& icon) {
    auto* box = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 2));
    box->pack_start(*Gtk::manage(new Gtk::Image(icon, Gtk::ICON_SIZE_MENU)), Gtk::PACK_SHRINK);
    box->pack_start(*Gtk::manage(new Gtk::Label(title)), Gtk::PACK_SHRINK);
    box->show_all();
    return box;
}

// Stands in for the ad filtering page until one is handed in.
Gtk::Widget* placeholderAdFilteringPage() {
    auto* label = Gtk::manage(new Gtk::Label(localizedString("Ad Filtering")));
    label->set_margin_top(40);
    return label;
}

}  // namespace

SettingsWindow::SettingsWindow(PreferencesStore& preferences, WebAppStore& store, BrowserWindowManager& windows,
                               HotKeyManager& hotKeys, const ProxyRuntime& activeProxy, SettingsServices services,
                               LoginItem loginItem)
    : context_{preferences, store, windows, hotKeys, activeProxy, std::move(services), std::move(loginItem),
               {}, {}, {}, {}, {}},
      deletion_(localizedString("Its configuration and windows will be removed. Website data is kept until you "
                                "clear it in Privacy settings."),
                [this](const Uuid& website) { context_.windows.closing().deleteWebsite(website); }),
      alive_(std::make_shared<SettingsWindow*>(this)) {
    set_title(localizedString("Quenlith Settings"));
    set_default_size(700, 590);
    set_resizable(false);
    // Changes are written without waiting for the disk (a slider sends many); how the write went
    // comes back later.
    context_.write = [this](const std::function<void(AppPreferences&)>& change) {
        if (Status saved = context_.preferences.update(change); !saved) preferencesSaved(saved);
    };
    // Disconnected with the window (a trackable slot).
    context_.preferences.signal_saved().connect(sigc::mem_fun(*this, &SettingsWindow::preferencesSaved));
    context_.showStatus = [this](const std::optional<std::string>& text, bool failed) {
        showStatus(text, failed);
    };
    context_.reportSave = [this](const std::optional<std::string>& failure) { reportSave(failure); };
    context_.requestClear = [this](PrivacyAction action) { requestClear(action); };
    context_.requestDeletion = [this](const WebAppProfile& website) { requestDeletion(website); };

    general_ = std::make_unique<GeneralPane>(context_);
    appearance_ = std::make_unique<AppearancePane>(context_);
    websites_ = std::make_unique<WebsitesPane>(context_);
    shortcuts_ = std::make_unique<ShortcutsPane>(context_);
    network_ = std::make_unique<NetworkSettingsPage>(context_);
    privacy_ = std::make_unique<PrivacyPane>(context_);
    Gtk::Widget* adFiltering = context_.services.makeAdFilteringPage ? context_.services.makeAdFilteringPage()
                                                                     : placeholderAdFilteringPage();

    tabs_.set_border_width(16);
    // Should a translation make the tabs wider than the window, the strip scrolls instead of widening it.
    tabs_.set_scrollable(true);
    // A screen reader announces the strip by this as the focus enters it.
    nameControl(tabs_, localizedString("Settings Sections"));
    tabs_.append_page(*general_, *tabLabel(localizedString("General"), iconNameForSymbol("gearshape")));
    tabs_.append_page(*appearance_, *tabLabel(localizedString("Appearance"), iconNameForSymbol("paintbrush")));
    tabs_.append_page(*websites_, *tabLabel(localizedString("Websites"), iconNameForSymbol("square.grid.2x2")));
    tabs_.append_page(*shortcuts_, *tabLabel(localizedString("Shortcuts"), "input-keyboard-symbolic"));
    tabs_.append_page(*network_, *tabLabel(localizedString("Network"), "network-workgroup-symbolic"));
    tabs_.append_page(*adFiltering, *tabLabel(localizedString("Ad Filtering"), iconNameForSymbol("shield.lefthalf.filled")));
    tabs_.append_page(*privacy_, *tabLabel(localizedString("Privacy"), iconNameForSymbol("hand.raised")));
    // The Network page holds its draft only while it is shown.
    tabs_.signal_switch_page().connect([this](Gtk::Widget* page, guint) {
        if (page == network_.get()) network_->appeared();
    });

    styleCaption(status_);
    wrapWithinWidth(status_);
    status_.set_margin_start(20);
    status_.set_margin_end(20);
    status_.set_margin_bottom(12);
    status_.set_no_show_all(true);
    content_.pack_start(tabs_, Gtk::PACK_EXPAND_WIDGET);
    content_.pack_start(status_, Gtk::PACK_SHRINK);
    add(content_);
    content_.show_all();
    // A login item changed elsewhere shows the next time the window comes up, and the Network
    // page drops a draft left when the window was closed.
    signal_map().connect([this] {
        general_->refreshLoginItem();
        if (selectedTab() == network) network_->appeared();
    });
}

SettingsWindow::~SettingsWindow() {
    alive_.reset();
    closeAlert();
}

void SettingsWindow::showStatus(const std::optional<std::string>& text, bool failed) {
    status_.set_text(text.value_or(""));
    status_.set_visible(text.has_value());
    auto style = status_.get_style_context();
    if (failed)
        readableErrorText(status_), style->remove_class(kSecondaryTextClass), style->add_class("error");
    else
        style->remove_class("error"), styleSecondaryText(status_);
    statusIsSaveFailure_ = false;
}

void SettingsWindow::reportSave(const std::optional<std::string>& failure) {
    if (failure) {
        showStatus(failure, true);
        statusIsSaveFailure_ = true;
    } else if (statusIsSaveFailure_) {
        showStatus(std::nullopt);
    }
}

void SettingsWindow::preferencesSaved(const Status& result) {
    reportSave(result ? std::nullopt
                      : std::optional(localizedFormat("Could not save settings: %@", {result.error().message})));
}

void SettingsWindow::closeAlert() {
    if (!alert_) return;
    alert_->hide();
    // Freed on a later turn: the alert may be closing from inside its own handler.
    Glib::signal_idle().connect_once([alert = std::shared_ptr<Gtk::MessageDialog>(std::move(alert_))] {});
}

void SettingsWindow::requestClear(PrivacyAction action) {
    if (alert() || clearing_) return;
    alert_ = makeMessageDialog(Gtk::MESSAGE_WARNING, localizedString("Clear website data?"),
                               localizedString("All Quenlith browser windows will close. Clearing cookies or all "
                                               "data signs you out of websites. This cannot be undone."),
                               this);
    alert_->add_button(localizedString("Cancel"), Gtk::RESPONSE_CANCEL);
    alert_->add_button(localizedString("Clear"), Gtk::RESPONSE_ACCEPT)
        ->get_style_context()
        ->add_class("destructive-action");
    alert_->set_default_response(Gtk::RESPONSE_CANCEL);
    alert_->signal_response().connect([this, action](int response) {
        closeAlert();
        if (response == Gtk::RESPONSE_ACCEPT) startClearing(action);
    });
    alert_->show();
}

void SettingsWindow::startClearing(PrivacyAction action) {
    if (!context_.services.onClearData) return;
    clearing_ = true;
    privacy_->setClearing(true);
    std::weak_ptr<SettingsWindow*> weak = alive_;
    context_.services.onClearData(clearingRequest(action), [weak](WebsiteDataClearingResult result) {
        auto self = weak.lock();
        if (!self) return;
        (*self)->clearing_ = false;
        (*self)->privacy_->setClearing(false);
        (*self)->showStatus(clearingStatusMessage(result), !result.succeeded);
    });
}

void SettingsWindow::requestDeletion(const WebAppProfile& website) {
    if (alert()) return;
    deletion_.ask(website, *this);
}

}  // namespace quenlith

#include "app/browser_sheets.hpp"

#include <glibmm/main.h>
#include <gtkmm/dialog.h>
#include <gtkmm/label.h>
#include <gtkmm/separator.h>

#include "browser/engine/keyring_password_vault.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "editor/browser_window_settings_view.hpp"
#include "editor/user_agent_settings_view.hpp"
#include "editor/website_proxy_settings_view.hpp"
#include "model/localization.hpp"
#include "settings/ad_filtering_pane.hpp"
#include "ui/alert.hpp"
#include "ui/asked_window.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/window_registry.hpp"

namespace quenlith {

BrowserSheets::BrowserSheets(BrowserWindowManager& windows, PreferencesStore& preferences, AdBlocking& blocker)
    : windows_(windows), preferences_(preferences), blocker_(blocker), alive_(std::make_shared<BrowserSheets*>(this)) {}

BrowserSheets::~BrowserSheets() {
    alive_.reset();
    for (const auto& [id, watch] : windowWatches_) g_signal_handler_disconnect(watch.first, watch.second);
    retireTask_.disconnect();
}

Gtk::Dialog* BrowserSheets::sheet(const Uuid& windowID) const {
    auto found = sheets_.find(windowID);
    return found == sheets_.end() ? nullptr : found->second.get();
}

namespace {

// Held by the window's "destroy" handler: the presenter and the window's id.
struct WindowGone {
    std::weak_ptr<BrowserSheets*> sheets;
    Uuid windowID;
};

void windowDestroyed(GtkWidget*, gpointer data) {
    // Copied out first: closing disconnects this handler, which frees `data`.
    const WindowGone gone = *static_cast<WindowGone*>(data);
    if (auto sheets = gone.sheets.lock()) (*sheets)->close(gone.windowID);
}

}  // namespace

void BrowserSheets::present(BrowserWindowController& controller, BrowserSheet which) {
    if (sheet(controller.id)) return;
    auto made = makeSheet(controller, which);
    if (!made) return;
    placeSheet(*made, controller.panel());
    // Attached to its window, so it comes in front of a window kept above; Escape gives the focus back.
    presentAskedWindow(*made, &controller.panel(), true);
    // A sheet goes with its window: nothing would be left for it to act on.
    GtkWidget* window = GTK_WIDGET(controller.panel().gobj());
    const gulong handler = g_signal_connect_data(
        window, "destroy", G_CALLBACK(windowDestroyed), new WindowGone{alive_, controller.id},
        [](gpointer data, GClosure*) { delete static_cast<WindowGone*>(data); }, GConnectFlags(0));
    windowWatches_[controller.id] = {window, handler};
    sheets_[controller.id] = std::move(made);
}

void BrowserSheets::close(const Uuid& windowID) {
    auto found = sheets_.find(windowID);
    if (found == sheets_.end()) return;
    // The window is still there: it would have closed the sheet first when it went.
    if (auto watch = windowWatches_.find(windowID); watch != windowWatches_.end()) {
        g_signal_handler_disconnect(watch->second.first, watch->second.second);
        windowWatches_.erase(watch);
    }
    hideAskedWindow(*found->second);
    retired_.push_back(std::move(found->second));
    sheets_.erase(found);
    if (!retireTask_.connected())
        retireTask_ = Glib::signal_idle().connect([this] {
            retired_.clear();
            return false;
        });
}

std::unique_ptr<Gtk::Dialog> BrowserSheets::makeSheet(BrowserWindowController& controller, BrowserSheet which) {
    // Closures hold the presenter weakly and find the window again by id.
    std::weak_ptr<BrowserSheets*> weak = alive_;
    const Uuid windowID = controller.id;
    auto browserOf = [weak, windowID]() -> BrowserViewController* {
        auto self = weak.lock();
        if (!self) return nullptr;
        BrowserWindowController* found = (*self)->windows_.registry().window(windowID);
        return found ? &found->browser() : nullptr;
    };
    auto closeSheet = [weak, windowID] {
        if (auto self = weak.lock()) (*self)->close(windowID);
    };
    BrowserViewController& browser = controller.browser();
    Gtk::Window& window = controller.panel();

    switch (which) {
    case BrowserSheet::windowSettings: {
        auto view = std::make_unique<BrowserWindowSettingsView>(window, browser.profile(), browser.clickThroughEnabled());
        view->setOnCancel(closeSheet);
        view->setOnSave([browserOf, closeSheet](const WebAppProfile& edited, bool clickThrough) {
            if (BrowserViewController* target = browserOf())
                target->moreMenu().saveWindowSettings(edited, clickThrough);
            closeSheet();
        });
        return view;
    }
    case BrowserSheet::userAgent: {
        auto view = std::make_unique<UserAgentSettingsView>(window, browser.profile().customUserAgent);
        view->setOnCancel(closeSheet);
        view->setOnSave([browserOf, closeSheet](const std::optional<std::string>& value) {
            if (BrowserViewController* target = browserOf()) target->moreMenu().saveUserAgent(value);
            closeSheet();
        });
        return view;
    }
    case BrowserSheet::proxy: {
        std::optional<WebAppProfile> record;
        if (browser.services().networkProfile) record = browser.services().networkProfile();
        if (record && browser.isPersistent()) {
            if (!vault_) vault_ = std::make_shared<KeyringPasswordVault>();
            auto view = std::make_unique<WebsiteProxySettingsView>(window, *record, vault_);
            view->setOnClose(closeSheet);
            view->setOnSave([browserOf](const WebAppProfile& edited) {
                BrowserViewController* target = browserOf();
                return target && target->services().onSaveNetwork && target->services().onSaveNetwork(edited);
            });
            view->setDiscardCredential([browserOf](const std::string& credentialID) {
                BrowserViewController* target = browserOf();
                if (target && target->services().discardProxyCredential)
                    target->services().discardProxyCredential(credentialID);
            });
            return view;
        }
        auto* page = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 0));
        auto* headline = Gtk::manage(new Gtk::Label(localizedString("Global proxy \u00b7 all websites without an override")));
        headline->set_xalign(0);
        headline->set_margin_start(12);
        headline->set_margin_top(12);
        headline->set_margin_bottom(12);
        page->pack_start(*headline, Gtk::PACK_SHRINK);
        if (makeGlobalProxyPage_)
            if (Gtk::Widget* settings = makeGlobalProxyPage_())
                page->pack_start(*settings, Gtk::PACK_EXPAND_WIDGET);
        // A window's title names it; the menu item's ellipsis only promises more to come.
        return makeDoneSheet(controller, localizedString("Proxy"), *page, 520, 610, false);
    }
    case BrowserSheet::adFiltering: {
        // "Reload Current Page" closes the sheet, then reloads the window's page.
        auto reload = [browserOf, closeSheet] {
            closeSheet();
            if (BrowserViewController* target = browserOf()) target->page().reloadActiveTab();
        };
        auto* pane = Gtk::manage(
            new AdFilteringPane(preferences_, blocker_, browser.moreMenu().adFilterHost(), reload));
        pane->set_vexpand(true);
        return makeDoneSheet(controller, localizedString("Ad Filtering"), *pane, 560, 600, true);
    }
    }
    return nullptr;
}

std::unique_ptr<Gtk::Dialog> BrowserSheets::makeDoneSheet(BrowserWindowController& controller,
                                                           const std::string& title, Gtk::Widget& content,
                                                           int width, int height, bool doneIsDefault) {
    auto dialog = std::make_unique<Gtk::Dialog>(title, controller.panel(), /*modal=*/true);
    dialog->set_default_size(width, height);
    dialog->get_content_area()->pack_start(content, Gtk::PACK_EXPAND_WIDGET);
    dialog->get_content_area()->pack_start(*Gtk::manage(new Gtk::Separator()), Gtk::PACK_SHRINK);
    dialog->add_button(localizedString("Done"), Gtk::RESPONSE_OK);
    if (doneIsDefault) dialog->set_default_response(Gtk::RESPONSE_OK);
    std::weak_ptr<BrowserSheets*> weak = alive_;
    dialog->signal_response().connect([weak, windowID = controller.id](int) {
        if (auto self = weak.lock()) (*self)->close(windowID);
    });
    dialog->show_all_children();
    return dialog;
}

}  // namespace quenlith

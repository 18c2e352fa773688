// The window's "more" menu: its items with the state of the moment it opens, the per-site ad
// exception, and the sheets it opens on the window (built by the application through onSheet).

#include <gtkmm/separatormenuitem.h>
#include <gtkmm/window.h>

#include "browser/engine/website_data_store.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/ad_filter_domain_editor.hpp"
#include "model/kept_call.hpp"
#include "model/more_menu.hpp"
#include "model/preferences_store.hpp"
#include "ui/action_menu_item.hpp"
#include "ui/alert.hpp"

namespace quenlith {

std::optional<std::string> BrowserViewController::adFilterHost() const {
    BrowserTab* tab = activeTab();
    if (!tab || tab->showsStartPage) return std::nullopt;
    auto address = tab->address();
    if (!address) return std::nullopt;
    return AdFilterSettings::normalizedDomain(*address);
}

void BrowserViewController::showMoreMenu() {
    moreMenu_ = makeMoreMenu();
    // Placed under the button; the click that asked for it, when there is one, lets it take the pointer.
    GdkEvent* trigger = gtk_get_current_event();
    const bool byPointer =
        trigger && (trigger->type == GDK_BUTTON_PRESS || trigger->type == GDK_BUTTON_RELEASE);
    moreMenu_->popup_at_widget(&chrome_.toolbar().more, Gdk::GRAVITY_SOUTH_WEST, Gdk::GRAVITY_NORTH_WEST,
                               trigger);
    // Opened from the keyboard: the first item is highlighted, so the arrows and Return work at once.
    if (!byPointer) moreMenu_->select_first(true);
    if (trigger) gdk_event_free(trigger);
}

std::unique_ptr<Gtk::Menu> BrowserViewController::makeMoreMenu() {
    BrowserTab* tab = activeTab();
    MoreMenuFacts facts;
    facts.hasActiveTab = tab != nullptr;
    facts.onPage = tab && !tab->showsStartPage;
    facts.activeTabSleeping = tab && tab->isSleeping;
    const auto shareable = shareableURL();
    facts.hasShareableURL = shareable.has_value();
    facts.inMenuBar = shareable && services.menuBarIconState && services.menuBarIconState(*shareable);
    facts.pageHost = adFilterHost();
    facts.adSettings = context_.preferences.value().adFilterSettings().normalized();
    facts.hasRecentlyClosed = !recentlyClosed_.empty();
    facts.compactMode = profile_.compactMode;
    facts.compactRevealed = compactRevealed_;
    facts.clickThrough = clickThroughEnabled;
    facts.persistentStore = isPersistent();
    facts.ownSession = websiteDataStore_->identifier().has_value();
    facts.hasSiteProxy = profile_.siteProxy.has_value();
    facts.narrowToolbar = chrome_.toolbar().lesserButtonsInMenu();
    facts.saveWebsiteEnabled = chrome_.toolbar().saveWebsite.get_sensitive();
    facts.mainMenuInMenu = chrome_.toolbar().mainMenuInMenu();

    // Every action finds the controller through the liveness token: the menu may outlive it.
    auto run = [alive = std::weak_ptr<int>(alive_), this](std::function<void(BrowserViewController&)> action) {
        return [alive, this, action = std::move(action)] {
            if (!alive.expired()) action(*this);
        };
    };
    auto command = [&](BrowserCommand which) {
        return run([which](BrowserViewController& self) {
            // "Close Window" ends the window whose view holds the command.
            callKept(self.services.onCommand, which);
        });
    };
    auto menu = std::make_unique<Gtk::Menu>();
    for (const MoreMenuEntry& entry : moreMenuEntries(facts)) {
        std::function<void()> action;
        switch (entry.item) {
        case MoreMenuItem::separator: menu->append(*Gtk::manage(new Gtk::SeparatorMenuItem())); continue;
        case MoreMenuItem::mainMenu: {
            chrome_.toolbar().mainMenuOpening();
            auto* item = Gtk::manage(new Gtk::MenuItem(entry.title));
            item->set_submenu(
                *Gtk::manage(new Gtk::Menu(chrome_.toolbar().mainMenuButton()->get_menu_model())));
            menu->append(*item);
            continue;
        }
        case MoreMenuItem::startPage: action = run([](auto& self) { self.showStartPage(); }); break;
        case MoreMenuItem::saveWebsite: action = command(BrowserCommand::saveWebsite); break;
        case MoreMenuItem::showInMenuBar: action = run([](auto& self) { self.toggleMenuBarIcon(); }); break;
        case MoreMenuItem::websiteSettings: action = run([](auto& self) { self.showWebsiteSettings(); }); break;
        case MoreMenuItem::userAgent: action = run([](auto& self) { self.showUserAgentSheet(); }); break;
        case MoreMenuItem::proxy: action = run([](auto& self) { self.showProxySheet(); }); break;
        case MoreMenuItem::adFiltering: action = run([](auto& self) { self.showAdFilterSheet(); }); break;
        case MoreMenuItem::allowAds:
            action = run([host = *facts.pageHost, allowed = entry.checked](auto& self) {
                self.toggleAdsAllowed(host, allowed);
            });
            break;
        case MoreMenuItem::find: action = run([](auto& self) { self.showFindBar(); }); break;
        case MoreMenuItem::print: action = run([](auto& self) { self.printActivePage(); }); break;
        case MoreMenuItem::reopenClosedTab: action = run([](auto& self) { self.reopenClosedTab(); }); break;
        case MoreMenuItem::sleepOrWake:
            action = run([](BrowserViewController& self) {
                BrowserTab* active = self.activeTab();
                if (!active) return;
                if (active->isSleeping) return self.wake(active->id);
                // Put to sleep after the menu has gone, by hand; a refusal explains itself.
                self.defer([&self, id = active->id] { self.sleepTab(id, false); });
            });
            break;
        case MoreMenuItem::compactMode:
            action = run([](BrowserViewController& self) {
                WebAppProfile changed = self.profile_;
                changed.compactMode = !changed.compactMode;
                changed.normalize();
                self.applyProfile(std::move(changed));
                if (self.services.onProfileChange) self.services.onProfileChange(self.profile_);
            });
            break;
        case MoreMenuItem::hideControls:
            action = run([](BrowserViewController& self) {
                self.compactRevealed_ = false;
                self.layoutChrome();
            });
            break;
        case MoreMenuItem::clickThrough: action = command(BrowserCommand::clickThrough); break;
        case MoreMenuItem::tuck: action = command(BrowserCommand::tuck); break;
        case MoreMenuItem::duplicate: action = command(BrowserCommand::duplicate); break;
        case MoreMenuItem::otherSessionWindow: action = command(BrowserCommand::otherSessionWindow); break;
        case MoreMenuItem::openInBrowser: action = run([](auto& self) { self.openExternal(); }); break;
        case MoreMenuItem::downloads: action = command(BrowserCommand::downloads); break;
        case MoreMenuItem::closeWindow: action = command(BrowserCommand::close); break;
        }
        const bool checkable = entry.item == MoreMenuItem::showInMenuBar || entry.item == MoreMenuItem::allowAds ||
                               entry.item == MoreMenuItem::compactMode || entry.item == MoreMenuItem::clickThrough;
        Gtk::MenuItem* item = checkable
                                  ? static_cast<Gtk::MenuItem*>(new ActionCheckMenuItem(entry.title, entry.checked, action))
                                  : new ActionMenuItem(entry.title, action);
        item->set_sensitive(entry.enabled);
        if (entry.tooltip) item->set_tooltip_text(*entry.tooltip);
        menu->append(*Gtk::manage(item));
    }
    menu->show_all();
    // Attached, so that the main menu's application actions resolve through the window.
    menu->attach_to_widget(chrome_.toolbar().more);
    return menu;
}

void BrowserViewController::toggleAdsAllowed(const std::string& host, bool wasAllowed) {
    context_.preferences.update([&](AppPreferences& value) {
        value.adFilter = settingsWithAdsAllowed(value.adFilterSettings(), !wasAllowed, host);
    });
}

// ---- Sheets ---------------------------------------------------------------------------------

void BrowserViewController::requestSheet(BrowserSheet sheet) {
    Gtk::Window* window = this->window();
    if (!window || hasAttachedSheet(*window) || !services.onSheet) return;
    services.onSheet(sheet);
}

void BrowserViewController::showWebsiteSettings() {
    if (isSavedWebsite) {
        callKept(services.onCommand, BrowserCommand::edit);
        return;
    }
    showWindowSettingsSheet();
}

void BrowserViewController::showWindowSettingsSheet() { requestSheet(BrowserSheet::windowSettings); }
void BrowserViewController::showUserAgentSheet() { requestSheet(BrowserSheet::userAgent); }
void BrowserViewController::showProxySheet() { requestSheet(BrowserSheet::proxy); }
void BrowserViewController::showAdFilterSheet() { requestSheet(BrowserSheet::adFiltering); }

void BrowserViewController::saveWindowSettings(WebAppProfile edited, bool clickThrough) {
    edited.normalize();
    applyProfile(std::move(edited));
    if (services.onProfileChange) services.onProfileChange(profile_);
    if (clickThrough != clickThroughEnabled) callKept(services.onCommand, BrowserCommand::clickThrough);
}

void BrowserViewController::saveUserAgent(std::optional<std::string> userAgent) {
    WebAppProfile changed = profile_;
    changed.customUserAgent = std::move(userAgent);
    changed.normalize();
    applyProfile(std::move(changed));
    if (services.onProfileChange) services.onProfileChange(profile_);
}

}  // namespace quenlith

// The window's "more" menu: its items with the state of the moment it opens, the per-site ad
// exception, and the sheets it opens on the window (built by the application through onSheet).

#include "browser/view/browser_more_menu.hpp"

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

BrowserMoreMenu::BrowserMoreMenu(BrowserViewController& view) : view_(view) {}

BrowserMoreMenu::~BrowserMoreMenu() = default;

std::optional<std::string> BrowserMoreMenu::adFilterHost() const {
    BrowserTab* tab = view_.tabs_.active();
    if (!tab || tab->state().showsStartPage) return std::nullopt;
    auto address = tab->address();
    if (!address) return std::nullopt;
    return AdFilterSettings::normalizedDomain(*address);
}

void BrowserMoreMenu::show() {
    menu_ = make();
    // Placed under the button; the click that asked for it, when there is one, lets it take the pointer.
    GdkEvent* trigger = gtk_get_current_event();
    const bool byPointer =
        trigger && (trigger->type == GDK_BUTTON_PRESS || trigger->type == GDK_BUTTON_RELEASE);
    menu_->popup_at_widget(&view_.chrome_.toolbar().more(), Gdk::GRAVITY_SOUTH_WEST, Gdk::GRAVITY_NORTH_WEST,
                           trigger);
    // Opened from the keyboard: the first item that acts is highlighted, so the arrows and Return
    // work at once. Not the main menu's item: highlighted, it opens its submenu, which takes the keys.
    if (!byPointer)
        for (Gtk::Widget* child : menu_->get_children())
            if (auto* item = dynamic_cast<Gtk::MenuItem*>(child);
                item && !dynamic_cast<Gtk::SeparatorMenuItem*>(item) && item->is_sensitive() &&
                !item->has_submenu()) {
                menu_->select_item(*item);
                break;
            }
    if (trigger) gdk_event_free(trigger);
}

std::unique_ptr<Gtk::Menu> BrowserMoreMenu::make() {
    BrowserTab* tab = view_.tabs_.active();
    MoreMenuFacts facts;
    facts.hasActiveTab = tab != nullptr;
    facts.onPage = tab && !tab->state().showsStartPage;
    facts.activeTabSleeping = tab && tab->state().isSleeping;
    const auto shareable = view_.page_.shareableURL();
    facts.hasShareableURL = shareable.has_value();
    facts.inMenuBar =
        shareable && view_.services_.menuBarIconState && view_.services_.menuBarIconState(*shareable);
    facts.trayAvailable = !view_.services_.trayAvailable || view_.services_.trayAvailable();
    facts.pageHost = adFilterHost();
    facts.adSettings = view_.context_.preferences.value().adFilterSettings().normalized();
    facts.hasRecentlyClosed = !view_.tabs_.recentlyClosed().empty();
    facts.compactMode = view_.profile_.compactMode;
    facts.compactRevealed = view_.presenter_.compactRevealed();
    facts.clickThrough = view_.clickThroughEnabled_;
    facts.persistentStore = view_.isPersistent();
    facts.ownSession = view_.websiteDataStore_->identifier().has_value();
    facts.hasSiteProxy = view_.profile_.siteProxy.has_value();
    facts.narrowToolbar = view_.chrome_.toolbar().lesserButtonsInMenu();
    facts.saveWebsiteEnabled = view_.chrome_.toolbar().saveWebsite().get_sensitive();
    facts.mainMenuInMenu = view_.chrome_.toolbar().mainMenuInMenu();

    // Every action finds the controller through the liveness token: the menu may outlive it.
    BrowserViewController* view = &view_;
    auto run = [alive = std::weak_ptr<int>(view_.alive_),
                view](std::function<void(BrowserViewController&)> action) {
        return [alive, view, action = std::move(action)] {
            if (!alive.expired()) action(*view);
        };
    };
    auto command = [&](BrowserCommand which) {
        return run([which](BrowserViewController& self) {
            // "Close Window" ends the window whose view holds the command.
            callKept(self.services_.onCommand, which);
        });
    };
    auto menu = std::make_unique<Gtk::Menu>();
    for (const MoreMenuEntry& entry : moreMenuEntries(facts)) {
        std::function<void()> action;
        switch (entry.item) {
            case MoreMenuItem::separator: menu->append(*Gtk::manage(new Gtk::SeparatorMenuItem())); continue;
            case MoreMenuItem::mainMenu: {
                // The main menu's commands act on this window while the menu is in use.
                view_.chrome_.toolbar().mainMenuOpening();
                menu->signal_deactivate().connect(
                    [alive = std::weak_ptr<int>(view_.alive_), view] {
                        if (!alive.expired()) view->chrome_.toolbar().mainMenuClosed();
                    });
                auto* item = Gtk::manage(new Gtk::MenuItem(entry.title));
                item->set_submenu(
                    *Gtk::manage(new Gtk::Menu(view_.chrome_.toolbar().mainMenuButton()->get_menu_model())));
                menu->append(*item);
                continue;
            }
            case MoreMenuItem::startPage: action = run([](auto& self) { self.page_.showStartPage(); }); break;
            case MoreMenuItem::saveWebsite: action = command(BrowserCommand::saveWebsite); break;
            case MoreMenuItem::showInMenuBar:
                action = run([](auto& self) { self.page_.toggleMenuBarIcon(); });
                break;
            case MoreMenuItem::websiteSettings:
                action = run([](auto& self) { self.moreMenu_.showWebsiteSettings(); });
                break;
            case MoreMenuItem::userAgent:
                action = run([](auto& self) { self.moreMenu_.showUserAgentSheet(); });
                break;
            case MoreMenuItem::proxy:
                action = run([](auto& self) { self.moreMenu_.showProxySheet(); });
                break;
            case MoreMenuItem::adFiltering:
                action = run([](auto& self) { self.moreMenu_.showAdFilterSheet(); });
                break;
            case MoreMenuItem::allowAds:
                action = run([host = *facts.pageHost, allowed = entry.checked](auto& self) {
                    self.moreMenu_.toggleAdsAllowed(host, allowed);
                });
                break;
            case MoreMenuItem::find: action = run([](auto& self) { self.page_.showFindBar(); }); break;
            case MoreMenuItem::print: action = run([](auto& self) { self.page_.printActivePage(); }); break;
            case MoreMenuItem::reopenClosedTab:
                action = run([](auto& self) { self.tabs_.reopenClosed(); });
                break;
            case MoreMenuItem::sleepOrWake:
                action = run([](BrowserViewController& self) {
                    BrowserTab* active = self.tabs_.active();
                    if (!active) return;
                    if (active->state().isSleeping) return self.sleep_.wake(active->id);
                    // Put to sleep after the menu has gone, by hand; a refusal explains itself.
                    self.defer([&self, id = active->id] { self.sleep_.sleepTab(id, false); });
                });
                break;
            case MoreMenuItem::compactMode:
                action = run([](BrowserViewController& self) {
                    WebAppProfile changed = self.profile_;
                    changed.compactMode = !changed.compactMode;
                    changed.normalize();
                    self.applyProfile(std::move(changed));
                    if (self.services_.onProfileChange) self.services_.onProfileChange(self.profile_);
                });
                break;
            case MoreMenuItem::hideControls:
                action = run([](BrowserViewController& self) {
                    self.presenter_.setCompactRevealed(false);
                    self.presenter_.layout();
                });
                break;
            case MoreMenuItem::clickThrough: action = command(BrowserCommand::clickThrough); break;
            case MoreMenuItem::tuck: action = command(BrowserCommand::tuck); break;
            case MoreMenuItem::duplicate: action = command(BrowserCommand::duplicate); break;
            case MoreMenuItem::otherSessionWindow:
                action = command(BrowserCommand::otherSessionWindow);
                break;
            case MoreMenuItem::openInBrowser:
                action = run([](auto& self) { self.page_.openExternal(); });
                break;
            case MoreMenuItem::downloads: action = command(BrowserCommand::downloads); break;
            case MoreMenuItem::closeWindow: action = command(BrowserCommand::close); break;
        }
        const bool checkable =
            entry.item == MoreMenuItem::showInMenuBar || entry.item == MoreMenuItem::allowAds ||
            entry.item == MoreMenuItem::compactMode || entry.item == MoreMenuItem::clickThrough;
        Gtk::MenuItem* item =
            checkable
                ? static_cast<Gtk::MenuItem*>(new ActionCheckMenuItem(entry.title, entry.checked, action))
                : new ActionMenuItem(entry.title, action);
        item->set_sensitive(entry.enabled);
        if (entry.tooltip) item->set_tooltip_text(*entry.tooltip);
        menu->append(*Gtk::manage(item));
    }
    menu->show_all();
    // Attached, so that the main menu's application actions resolve through the window.
    menu->attach_to_widget(view_.chrome_.toolbar().more());
    return menu;
}

void BrowserMoreMenu::toggleAdsAllowed(const std::string& host, bool wasAllowed) {
    view_.context_.preferences.update([&](AppPreferences& value) {
        value.adFilter = settingsWithAdsAllowed(value.adFilterSettings(), !wasAllowed, host);
    });
}

// ---- Sheets ---------------------------------------------------------------------------------

void BrowserMoreMenu::requestSheet(BrowserSheet sheet) {
    Gtk::Window* window = view_.chrome_.window();
    if (!window || hasAttachedSheet(*window) || !view_.services_.onSheet) return;
    view_.services_.onSheet(sheet);
}

void BrowserMoreMenu::showWebsiteSettings() {
    if (view_.isSavedWebsite()) {
        callKept(view_.services_.onCommand, BrowserCommand::edit);
        return;
    }
    showWindowSettingsSheet();
}

void BrowserMoreMenu::showWindowSettingsSheet() {
    requestSheet(BrowserSheet::windowSettings);
}
void BrowserMoreMenu::showUserAgentSheet() {
    requestSheet(BrowserSheet::userAgent);
}
void BrowserMoreMenu::showProxySheet() {
    requestSheet(BrowserSheet::proxy);
}
void BrowserMoreMenu::showAdFilterSheet() {
    requestSheet(BrowserSheet::adFiltering);
}

void BrowserMoreMenu::saveWindowSettings(WebAppProfile edited, bool clickThrough) {
    edited.normalize();
    view_.applyProfile(std::move(edited));
    if (view_.services_.onProfileChange) view_.services_.onProfileChange(view_.profile_);
    if (clickThrough != view_.clickThroughEnabled_)
        callKept(view_.services_.onCommand, BrowserCommand::clickThrough);
}

void BrowserMoreMenu::saveUserAgent(std::optional<std::string> userAgent) {
    WebAppProfile changed = view_.profile_;
    changed.customUserAgent = std::move(userAgent);
    changed.normalize();
    view_.applyProfile(std::move(changed));
    if (view_.services_.onProfileChange) view_.services_.onProfileChange(view_.profile_);
}

}  // namespace quenlith

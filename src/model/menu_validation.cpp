#include "model/menu_validation.hpp"

#include <array>
#include <vector>

namespace quenlith {

namespace {

struct ActionName {
    MenuAction action;
    std::string_view name;
};

constexpr std::array kActionNames{
    ActionName{MenuAction::about, "about"},
    ActionName{MenuAction::settings, "settings"},
    ActionName{MenuAction::openBrowser, "openBrowser"},
    ActionName{MenuAction::add, "add"},
    ActionName{MenuAction::launcher, "launcher"},
    ActionName{MenuAction::quickOpen, "quickOpen"},
    ActionName{MenuAction::batchLinks, "batchLinks"},
    ActionName{MenuAction::readLater, "readLater"},
    ActionName{MenuAction::menuBarIcon, "menuBarIcon"},
    ActionName{MenuAction::privateWindow, "privateWindow"},
    ActionName{MenuAction::library, "library"},
    ActionName{MenuAction::clip, "clip"},
    ActionName{MenuAction::printPage, "printPage"},
    ActionName{MenuAction::reopenTab, "reopenTab"},
    ActionName{MenuAction::newTab, "newTab"},
    ActionName{MenuAction::close, "close"},
    ActionName{MenuAction::downloads, "downloads"},
    ActionName{MenuAction::find, "find"},
    ActionName{MenuAction::nextMatch, "nextMatch"},
    ActionName{MenuAction::previousMatch, "previousMatch"},
    ActionName{MenuAction::address, "address"},
    ActionName{MenuAction::reload, "reload"},
    ActionName{MenuAction::stop, "stop"},
    ActionName{MenuAction::back, "back"},
    ActionName{MenuAction::forward, "forward"},
    ActionName{MenuAction::zoomIn, "zoomIn"},
    ActionName{MenuAction::zoomOut, "zoomOut"},
    ActionName{MenuAction::zoomReset, "zoomReset"},
    ActionName{MenuAction::compact, "compact"},
    ActionName{MenuAction::previousTab, "previousTab"},
    ActionName{MenuAction::nextTab, "nextTab"},
    ActionName{MenuAction::arrangeLeft, "arrangeLeft"},
    ActionName{MenuAction::arrangeRight, "arrangeRight"},
    ActionName{MenuAction::arrangeCenter, "arrangeCenter"},
    ActionName{MenuAction::pin, "pin"},
    ActionName{MenuAction::recoverMouse, "recoverMouse"},
    ActionName{MenuAction::showAll, "showAll"},
    ActionName{MenuAction::hideAll, "hideAll"},
    ActionName{MenuAction::guide, "guide"},
};

bool showsPage(const MenuContext::Browser& browser) {
    return browser.activeTab && !browser.activeTab->showsStartPage;
}

MenuItemState plainItem(bool enabled) {
    return {enabled, std::nullopt};
}
MenuItemState checkItem(bool enabled, bool checked) {
    return {enabled, checked};
}

}  // namespace

bool canKeepPage(const MenuContext::Browser& browser) {
    return browser.persistent && showsPage(browser) && browser.activeTab->hasURL &&
           browser.activeTab->credentialFreeURL;
}

MenuItemState validateMenuAction(MenuAction action, const MenuContext& context) {
    const auto& browser = context.activeBrowser;
    const MenuContext::Tab* tab = browser && browser->activeTab ? &*browser->activeTab : nullptr;
    switch (action) {
        case MenuAction::showAll: return plainItem(context.hasEnvironment && context.hiddenWindowCount > 0);
        case MenuAction::hideAll: return plainItem(context.hasEnvironment && context.hasVisibleWindows);
        case MenuAction::find:
        case MenuAction::printPage: return plainItem(tab && !tab->showsStartPage);
        case MenuAction::reopenTab: return plainItem(browser && browser->hasRecentlyClosed);
        case MenuAction::clip:
        case MenuAction::readLater: return plainItem(browser && canKeepPage(*browser));
        case MenuAction::menuBarIcon:
            return checkItem(browser && browser->hasShareableURL && context.trayAvailable,
                             browser && browser->hasShareableURL && browser->menuBarIconOn);
        case MenuAction::back: return plainItem(tab && tab->canGoBack);
        case MenuAction::forward: return plainItem(tab && tab->canGoForward);
        case MenuAction::pin: return checkItem(browser.has_value(), browser && browser->alwaysOnTop);
        case MenuAction::compact: return checkItem(browser.has_value(), browser && browser->compactMode);
        case MenuAction::arrangeLeft:
        case MenuAction::arrangeRight:
        case MenuAction::arrangeCenter:
        case MenuAction::nextMatch:
        case MenuAction::previousMatch:
        case MenuAction::newTab:
        case MenuAction::address:
        case MenuAction::reload:
        case MenuAction::stop:
        case MenuAction::zoomIn:
        case MenuAction::zoomOut:
        case MenuAction::zoomReset:
        case MenuAction::previousTab:
        case MenuAction::nextTab: return plainItem(browser.has_value());
        default: return plainItem(true);
    }
}

WebAppProfile changedWebsiteSettings(WebAppProfile profile, MenuAction action) {
    switch (action) {
        case MenuAction::zoomIn: profile.zoomLevel += 0.1; break;
        case MenuAction::zoomOut: profile.zoomLevel -= 0.1; break;
        case MenuAction::zoomReset: profile.zoomLevel = 1.0; break;
        case MenuAction::compact: profile.compactMode = !profile.compactMode; break;
        case MenuAction::pin: profile.alwaysOnTop = !profile.alwaysOnTop; break;
        default: return profile;
    }
    profile.normalize();
    return profile;
}

std::string_view menuActionName(MenuAction action) {
    for (const auto& entry : kActionNames)
        if (entry.action == action) return entry.name;
    return {};
}

const std::vector<MenuAction>& allMenuActions() {
    static const std::vector<MenuAction> actions = [] {
        std::vector<MenuAction> all;
        for (const auto& entry : kActionNames) all.push_back(entry.action);
        return all;
    }();
    return actions;
}

}  // namespace quenlith

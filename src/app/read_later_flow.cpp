// Read Later with the reading position: the page of a window is kept with how far it was read.
#include <webkit2/webkit2.h>

#include "app/app_environment.hpp"
#include "app/auxiliary_windows.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/address.hpp"
#include "model/localization.hpp"
#include "model/read_later.hpp"
#include "ui/alert.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {

namespace {

BrowserWindowController* controllerOf(BrowserWindowManager& windows, const BrowserViewController* browser) {
    for (const auto& [id, controller] : windows.registry().windows())
        if (&controller->browser() == browser) return controller.get();
    return nullptr;
}

bool acceptsPage(const BrowserViewController& browser) {
    const BrowserTab* tab = browser.tabs().active();
    if (!browser.isPersistent() || !tab || tab->state().showsStartPage || !tab->webView()) return false;
    const gchar* uri = webkit_web_view_get_uri(tab->webView());
    return uri && *uri && isCredentialFreeURL(uri);
}

}  // namespace

void AppEnvironment::readLater(BrowserViewController* browser) {
    if (!browser)
        if (BrowserWindowController* active = windows_->registry().activeWindowController())
            browser = &active->browser();
    BrowserWindowController* controller = browser ? controllerOf(*windows_, browser) : nullptr;
    if (!browser || !controller || !acceptsPage(*browser)) {
        presentAlert(
            AlertKind::warning, localizedString("Read Later"),
            localizedString("Open a regular webpage first. Private pages and sign-in links are not saved."),
            auxiliaryWindows_->window(AuxiliaryWindows::Kind::library));
        return;
    }
    // The window may close while the page answers: it is looked up again by its id.
    browser->page().readingPosition(
        [weak = weakSelf(), windowID = controller->id](const std::string& url, const std::string& title,
                                                       std::optional<double> position) {
            if (auto environment = weak.lock()) (*environment)->saveReadLater(url, title, position, windowID);
        });
}

void AppEnvironment::saveReadLater(const std::string& url, const std::string& title,
                                   std::optional<double> position, const std::optional<Uuid>& windowID) {
    BrowserWindowController* controller = windowID ? windows_->registry().window(*windowID) : nullptr;
    const BrowserViewController* browser = controller ? &controller->browser() : nullptr;
    std::optional<Uuid> profileID;
    std::optional<WindowSessionReference> windowSession;
    if (browser && browser->isSavedWebsite() && browser->profile().dataStoreIdentifier())
        profileID = browser->profile().id;
    if (browser && !browser->isSavedWebsite())
        windowSession = WindowSessionReference::from(browser->profile());

    Gtk::Window* window = controller && controller->panel().get_visible() ? &controller->panel() : nullptr;
    auto failed = [&] {
        presentAlert(AlertKind::error, localizedString("Could not save page"),
                     library_.errorMessage().value_or(localizedString("Please try again.")), window);
    };
    if (!isCredentialFreeURL(url)) return failed();
    PageClip entry = readLaterEntry(library_.document().clips, url, title, position, profileID, windowSession,
                                    systemClock().now());
    if (!library_.save(entry)) return failed();
    if (controller)
        windows_->routing().showToast(localizedString("Saved to Read Later · reading position updated"),
                                      *controller);
}

}  // namespace quenlith

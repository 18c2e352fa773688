#include "browser/view/browser_layout.hpp"

#include "model/address_text.hpp"
#include "model/isolated_text.hpp"
#include "model/localization.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

ChromeLayout chromeLayout(const ChromeLayoutInput& input) {
    ChromeLayout layout;
    layout.tabStripVisible = input.tabCount >= 2;
    if (input.compactMode) {
        layout.chromeVisible = input.compactRevealed;
        layout.revealVisible = true;
        layout.contentTop = 0;
        return layout;
    }
    layout.chromeVisible = true;
    layout.revealVisible = false;
    layout.contentTop = input.toolbarInChrome ? ChromeMetrics::toolbarHeight : 0;
    if (layout.tabStripVisible) layout.contentTop += ChromeMetrics::tabStripHeight;
    if (input.authBarVisible) layout.contentTop += ChromeMetrics::authBarHeight;
    if (input.findBarVisible) layout.contentTop += ChromeMetrics::findBarHeight;
    return layout;
}

ChromeState chromeState(const ActiveTabFacts& tab) {
    ChromeState state;
    state.sleepBoxVisible = tab.isSleeping;
    state.startPageVisible = tab.showsStartPage;
    state.reloadEnabled = !tab.showsStartPage;
    state.saveWebsiteEnabled = tab.persistentStore && !tab.showsStartPage && tab.address.has_value();
    state.addressText = (tab.showsStartPage || !tab.address) ? std::string() : *tab.address;
    state.backEnabled = tab.canGoBack;
    state.forwardEnabled = tab.canGoForward;
    state.reloadSymbol = tab.isLoading ? "xmark" : "arrow.clockwise";
    state.reloadDescription = localizedString(tab.isLoading ? "Stop loading" : "Reload (Ctrl+R)");
    state.errorText = tab.error.value_or("");
    state.errorBoxVisible = tab.error.has_value() && !tab.showsStartPage;
    state.webViewVisible = !tab.error && !tab.showsStartPage && !tab.isSleeping;
    state.progress = tab.estimatedProgress;
    state.progressVisible = tab.isLoading && !tab.error;
    state.authBarVisible = tab.pageIsSignIn;
    return state;
}

std::string titleBarAddress(const std::string& address) {
    auto parts = parseUri(address);
    if (!parts || !parts->scheme || !parts->host || parts->host->empty()) return address;
    const std::string scheme = asciiLowercased(*parts->scheme);
    if ((scheme != "http" && scheme != "https") || address.compare(scheme.size(), 3, "://") != 0)
        return address;
    std::string shown = address.substr(scheme.size() + 3);
    if (parts->path == "/" && !parts->query && !parts->fragment && !shown.empty() && shown.back() == '/')
        shown.pop_back();
    return shown;
}

std::string browserWindowTitle(const std::string& websiteTitle, bool persistentStore,
                               const std::string& tabTitle) {
    // Both names are the website's and the page's own: shown without their bidirectional controls,
    // neither can reorder the other, and a script reading the title meets no invisible marks. A
    // title is shown whole, so each is cut to a title's length.
    const std::string head = persistentStore ? shownName(websiteTitle, kShownTitleCharacters)
                                             : localizedString("Private Window");
    return head + " \u2014 " + shownName(tabTitle, kShownTitleCharacters);
}

}  // namespace quenlith

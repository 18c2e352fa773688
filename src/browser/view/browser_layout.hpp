#pragma once

// What a browser window's chrome shows for its state, as plain values: the layout of the bars
// above the page and the toolbar, boxes and title for the active tab.

#include <cstddef>
#include <optional>
#include <string>

namespace quenlith {

// Sizes of the chrome, in pixels.
struct ChromeMetrics {
    static constexpr int toolbarHeight = 42;
    static constexpr int tabStripHeight = 34;
    // Every tab's button (icon and title, without its close button) is this wide, however many tabs
    // there are: the strip scrolls instead of narrowing them.
    static constexpr int tabButtonWidth = 128;
    static constexpr int authBarHeight = 38;
    static constexpr int findBarHeight = 38;
    static constexpr int revealHeight = 7;
    static constexpr int progressHeight = 2;
};

struct ChromeLayoutInput {
    bool compactMode = false;
    bool compactRevealed = false;
    std::size_t tabCount = 0;
    bool authBarVisible = false;
    bool findBarVisible = false;
    bool toolbarInChrome = true;  // false while the controls sit in the window's header bar
};

struct ChromeLayout {
    bool chromeVisible = true;
    bool tabStripVisible = false;
    bool revealVisible = false;
    int contentTop = 0;  // distance of the page from the top of the view
    bool operator==(const ChromeLayout&) const = default;
};

// The tab strip shows from two tabs on. In compact mode the chrome shows only while revealed,
// the reveal strip is shown and the page starts at the top (a revealed chrome lies over it);
// otherwise the page starts below every visible bar.
ChromeLayout chromeLayout(const ChromeLayoutInput& input);

// What is known about the active tab when the chrome is refreshed.
struct ActiveTabFacts {
    bool showsStartPage = false;
    bool isSleeping = false;
    std::optional<std::string> error;
    std::optional<std::string> address;  // the web view's address, else the tab's last address
    bool persistentStore = true;
    bool canGoBack = false;
    bool canGoForward = false;
    bool isLoading = false;
    double estimatedProgress = 0;
    bool pageIsSignIn = false;  // the web view's own address is a sign-in page
};

struct ChromeState {
    bool sleepBoxVisible = false;
    bool startPageVisible = false;
    bool webViewVisible = true;
    bool errorBoxVisible = false;
    std::string errorText;
    bool reloadEnabled = true;
    bool saveWebsiteEnabled = false;
    bool backEnabled = false;
    bool forwardEnabled = false;
    std::string addressText;        // shown unless the field is being edited
    std::string reloadSymbol;       // "xmark" while loading, else "arrow.clockwise"
    std::string reloadDescription;  // "Stop loading" or "Reload (Ctrl+R)", localised
    bool progressVisible = false;
    double progress = 0;
    bool authBarVisible = false;
};

ChromeState chromeState(const ActiveTabFacts& tab);

// The address as the title bar shows it under the page title: without "http://" or "https://",
// and without the lone "/" of a site's root, so that the host comes first.
std::string titleBarAddress(const std::string& address);

// "<website> — <tab>": the website's display title, or "Private Window" for a private session.
std::string browserWindowTitle(const std::string& websiteTitle, bool persistentStore,
                               const std::string& tabTitle);

}  // namespace quenlith

#pragma once

#include <string_view>

namespace quenlith {

// The window commands a browser view asks its window manager to carry out.
enum class BrowserCommand {
    duplicate,           // open a copy of this window's website
    otherSessionWindow,  // open the website in a window with the other data-store session
    tuck,                // tuck the window at the screen edge
    edit,                // open the website editor (saved websites only)
    close,               // close the window
    clickThrough,        // toggle click-through
    downloads,           // show the downloads list
    saveWebsite,         // save the shown page as a new website
    arrangeLeft,
    arrangeRight,
    arrangeCenter,
};

// The sheets a browser window's "more" menu opens on the window; the application builds them.
enum class BrowserSheet {
    windowSettings,  // "Website Settings" of a window without a saved website
    userAgent,       // "User agent"
    proxy,           // "Proxy…": the saved website's session and proxy, else the global proxy
    adFiltering,     // "Ad Filtering"
};

}  // namespace quenlith

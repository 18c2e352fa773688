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

// The case's name, for logs and test output.
std::string_view browserCommandName(BrowserCommand command);

}  // namespace quenlith

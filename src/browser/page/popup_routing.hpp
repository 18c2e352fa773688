#pragma once

#include <optional>
#include <string_view>

#include "model/app_preferences.hpp"

namespace quenlith {

// Where a page's request for a new window goes.
enum class PopupRoute {
    popupTab,         // a popup tab in the same window
    floatingWindow,   // a new floating window of the same website (dropped when nobody opens one)
    defaultBrowser,   // the user's default browser; nothing opens in the application
};

// A private window always keeps popups as its own tabs. Otherwise the preference decides; "Default
// Browser" takes only http and https addresses, anything else (or no address) becomes a popup tab.
PopupRoute popupRoute(bool persistentDataStore, LinkBehavior behavior, std::optional<std::string_view> uri);

}  // namespace quenlith

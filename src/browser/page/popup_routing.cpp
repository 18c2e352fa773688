#include "browser/page/popup_routing.hpp"

#include "browser/page/navigation_policy.hpp"

namespace quenlith {

PopupRoute popupRoute(bool persistentDataStore, LinkBehavior behavior, std::optional<std::string_view> uri) {
    if (!persistentDataStore) return PopupRoute::popupTab;
    switch (behavior) {
        case LinkBehavior::newTab: return PopupRoute::popupTab;
        case LinkBehavior::newWindow: return PopupRoute::floatingWindow;
        case LinkBehavior::external:
            return uri && isWebAddress(*uri) ? PopupRoute::defaultBrowser : PopupRoute::popupTab;
    }
    return PopupRoute::popupTab;
}

}  // namespace quenlith

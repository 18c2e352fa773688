#include "model/website_activity.hpp"

#include "model/localization.hpp"

namespace quenlith {

std::string_view rawValue(WebsiteActivity activity) {
    switch (activity) {
        case WebsiteActivity::sleeping: return "Sleeping";
        case WebsiteActivity::tucked: return "Tucked at Edge";
        case WebsiteActivity::visible: return "Viewing";
        case WebsiteActivity::background: return "Background Tab";
        case WebsiteActivity::hidden: return "Window Hidden";
        case WebsiteActivity::minimized: return "Window Minimized";
        case WebsiteActivity::closed: return "Not Open";
    }
    return "Not Open";
}

std::string title(WebsiteActivity activity) {
    return localizedString(rawValue(activity));
}

}  // namespace quenlith

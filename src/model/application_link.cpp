#include "model/application_link.hpp"

#include <algorithm>

namespace quenlith {

LinkedWebsitePlan linkedWebsiteIDs(const std::optional<std::string>& applicationID,
                                   const std::vector<WebAppProfile>& websites,
                                   const std::set<Uuid>& linkedWebsites, const std::set<Uuid>& notToShow,
                                   bool linksEnabled, const std::map<Uuid, Uuid>& windowOf) {
    std::set<Uuid> matched;
    if (linksEnabled && applicationID) {
        for (const auto& website : websites) {
            if (!website.applicationLinkEnabled.value_or(false) || !website.linkedApplications) continue;
            const auto& applications = *website.linkedApplications;
            if (std::any_of(
                    applications.begin(), applications.end(),
                    [&](const LinkedApplication& application) { return application.id == *applicationID; }))
                matched.insert(website.id);
        }
    }

    LinkedWebsitePlan plan;
    for (const auto& id : matched)
        if (!notToShow.contains(id)) plan.toShow.insert(id);

    std::set<Uuid> matchedWindows;
    for (const auto& id : matched)
        if (auto window = windowOf.find(id); window != windowOf.end()) matchedWindows.insert(window->second);

    for (const auto& id : linkedWebsites) {
        if (matched.contains(id)) continue;
        auto window = windowOf.find(id);
        if (window != windowOf.end() && matchedWindows.contains(window->second)) continue;
        plan.toHide.insert(id);
    }
    return plan;
}

}  // namespace quenlith
